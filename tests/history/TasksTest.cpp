#include "SeededBitmap.h"
#include "database/DbAttPrimRep.h"
#include "database/DbPointRep.h"
#include "database/ExportOptions.h"
#include "database/PlumeData.h"
#include "history/AttributeActions.h"
#include "history/ImageCropTask.h"
#include "history/ImageFlipTask.h"
#include "history/ImagePasteTask.h"
#include "history/ImageRotateTask.h"
#include "history/NewSetTask.h"
#include "history/PointClearTask.h"
#include "history/PrimTask.h"
#include "history/RegGridTask.h"
#include "history/SetClearTask.h"
#include "history/SetDeleteTask.h"
#include "history/TransTask.h"
#include "mapping/CropBox.h"
#include "mapping/RegGridVw.h"
#include "mapping/TransformAxisVw.h"
#include "mapping/TransformMan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// The whole observable state of a database, to compare before, after and after undo.
std::string State(PlumeData& database) {
    // Live sets only: an undone new set leaves a placeholder in its slot, which the next
    // new set reuses.
    std::string text;
    const DbSetMgr& sets = database.SetManager();
    for (std::int32_t i = 0; i < sets.GetSlotCount(); ++i) {
        if (!sets.GetSet(i)->IsPlaceholder()) {
            text += sets.GetSet(i)->name + ":";
            sets.GetSet(i)->ExportText(text, " ", ExportOptions{});
        }
    }
    const TransformData& m = database.Mapping();
    text += "|mapping " + std::to_string(m.mode) + " " + std::to_string(m.logX) + " " +
            std::to_string(m.xMin) + " " + std::to_string(m.xMax) + " " + std::to_string(m.yMax) +
            " " + std::to_string(m.region.pixelCount) + " " +
            std::to_string(m.region.pixelNodes[4].x);
    const RegGridData& g = database.Grid();
    text += "|grid " + std::to_string(g.snapX) + " " + std::to_string(g.stepX);
    const ImageStore& image = database.Image();
    text += "|image " + std::to_string(image.GetInfo().width) + "x" +
            std::to_string(image.GetInfo().height);
    if (image.HasImage()) {
        const PackedBitmap& b = image.GetPackedBitmap();
        std::uint32_t sum = 0;
        for (std::size_t i = 0; i < b.TotalSize(); ++i) {
            sum = sum * 31 + b.Data()[i];
        }
        text += " " + std::to_string(sum);
    }
    text += "|current " + std::to_string(database.SetManager().GetCurrent());
    for (const auto& attribute : database.AttributeManager().All()) {
        text += "|" + attribute->name + "=" + attribute->value + (attribute->active ? "+" : "-");
    }
    return text;
}

ImageStore Picture(int width, int height, std::uint8_t seed) {
    ImageStore store;
    store.SetBitmap(SeededBitmap(width, height, 24, seed), ImageStore::kTypeBmp);
    return store;
}

// A document with an image, a mapping, a grid, two sets and an attribute.
void Populate(PlumeData& database) {
    database.CreateDefaultSet();
    database.ReplaceImage(Picture(20, 10, 1), 0);
    auto manip = database.Mapping().CreateRep("ViewManipTransformData");
    static_cast<TransformMan&>(*manip).DragRegion(0, DPoint{0, 0}, DPoint{19, 9});
    database.Perform(std::make_unique<TransTask>(&database, std::move(manip)));
    auto axis = database.Mapping().CreateRep("ViewAxisTransformData");
    auto& limits = static_cast<TransformAxisVw&>(*axis);
    limits.xMin = 0;
    limits.xMax = 190;
    limits.yMin = 0;
    limits.yMax = 90;
    database.Perform(std::make_unique<TransTask>(&database, std::move(axis)));
    database.Perform(attribute_actions::Define(&database, "  Sample ", "A ", false));
    for (double x : {1.0, 5.0}) {
        database.Perform(std::make_unique<PrimTask>(
            &database, SmartPtr<DbPrimRep>(new DbPointRep(DPoint{x, 2}))));
    }
    database.Perform(std::make_unique<NewSetTask>(&database, "Second"));
    database.Perform(
        std::make_unique<PrimTask>(&database, SmartPtr<DbPrimRep>(new DbPointRep(DPoint{9, 9}))));
    database.ClearHistory();
}

TEST(Tasks, EveryTaskIsUndoneAndRedoneExactly) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<Task>(PlumeData&)> make;
    };
    const std::vector<Case> cases = {
        {"Add",
         [](PlumeData& d) {
             return std::make_unique<PrimTask>(&d,
                                               SmartPtr<DbPrimRep>(new DbPointRep(DPoint{3, 4})));
         }},
        {"Add", [](PlumeData& d) { return std::make_unique<NewSetTask>(&d, "Line"); }},
        {"Clear Data", [](PlumeData& d) { return std::make_unique<PointClearTask>(&d); }},
        {"Clear Set", [](PlumeData& d) { return std::make_unique<SetClearTask>(&d); }},
        {"Delete Set", [](PlumeData& d) { return std::make_unique<SetDeleteTask>(&d); }},
        {"Flip",
         [](PlumeData& d) {
             return std::make_unique<ImageFlipTask>(&d, ImageFlipTask::kHorizontal);
         }},
        {"Flip",
         [](PlumeData& d) {
             return std::make_unique<ImageFlipTask>(&d, ImageFlipTask::kVertical);
         }},
        {"Rotate", [](PlumeData& d) { return std::make_unique<ImageRotateTask>(&d, 90); }},
        {"Rotate", [](PlumeData& d) { return std::make_unique<ImageRotateTask>(&d, 180); }},
        {"Rotate", [](PlumeData& d) { return std::make_unique<ImageRotateTask>(&d, 270); }},
        {"Paste Image",
         [](PlumeData& d) {
             return std::make_unique<ImagePasteTask>(&d, Picture(7, 5, 9), false);
         }},
        {"Paste Image",
         [](PlumeData& d) { return std::make_unique<ImagePasteTask>(&d, Picture(7, 5, 9), true); }},
        {"Crop Image",
         [](PlumeData& d) { return std::make_unique<ImageCropTask>(&d, Picture(4, 4, 3)); }},
        {"Add Attribute",
         [](PlumeData& d) { return attribute_actions::Define(&d, "Run", "7", false); }},
        {"Add", [](PlumeData& d) { return attribute_actions::Define(&d, "Note", "x", true); }},
        {"Update Attribute",
         [](PlumeData& d) { return attribute_actions::Edit(&d, "Sample", "Sample", "B", 1); }},
        {"Update Attribute",
         [](PlumeData& d) { return attribute_actions::SetActive(&d, "Sample", "A", 0); }},
        {"Task Set",
         [](PlumeData& d) { return attribute_actions::Edit(&d, "Sample", "Kind", "B", 0); }},
        {"Delete Attribute", [](PlumeData& d) { return attribute_actions::Delete(&d, "Sample"); }},
        {"Transformation",
         [](PlumeData& d) {
             auto rep = d.Mapping().CreateRep("ViewManipTransformData");
             static_cast<TransformMan&>(*rep).RotateRegion(30);
             return std::make_unique<TransTask>(&d, std::move(rep));
         }},
        {"Regular Grid",
         [](PlumeData& d) {
             auto rep = d.Grid().CreateRep("ViewDialogRegGrid");
             auto& grid = static_cast<RegGridVw&>(*rep);
             grid.snapX = 1;
             grid.stepX = 10;
             return std::make_unique<RegGridTask>(&d, std::move(rep));
         }},
    };
    for (const Case& c : cases) {
        PlumeData database;
        Populate(database);
        const std::string before = State(database);
        std::unique_ptr<Task> task = c.make(database);
        EXPECT_EQ(task->GetName(), c.name);
        ASSERT_TRUE(database.Perform(std::move(task))) << c.name;
        const std::string after = State(database);
        EXPECT_NE(after, before) << c.name << " changed nothing";
        ASSERT_TRUE(database.Undo());
        EXPECT_EQ(State(database), before) << c.name << " undo";
        ASSERT_TRUE(database.Redo());
        EXPECT_EQ(State(database), after) << c.name << " redo";
        ASSERT_TRUE(database.Undo());
        EXPECT_EQ(State(database), before) << c.name << " second undo";
    }
}

TEST(Tasks, ACollectedPointTakesItsGraphValueOnceAndIsRestampedOnRedo) {
    PlumeData database;
    Populate(database);
    SmartPtr<DbPrimRep> primitive(new DbPointRep(DPoint{19, 0}));
    auto task = std::make_unique<PrimTask>(&database, primitive);
    const DPoint collected = static_cast<DbPointRep&>(*primitive).graph; // at construction
    EXPECT_NEAR(collected.x, 190, 1e-9);
    EXPECT_NEAR(collected.y, 90, 1e-9);
    database.Perform(std::move(task));
    EXPECT_TRUE(database.DataModified());
    EXPECT_EQ(database.TakeUpdateHint(), 0);
    EXPECT_EQ((*primitive->attributes)[0]->value, "A");
    // The mapping changes later; the collected value stays.
    auto axis = database.Mapping().CreateRep("ViewAxisTransformData");
    static_cast<TransformAxisVw&>(*axis).xMax = 1;
    database.Perform(std::make_unique<TransTask>(&database, std::move(axis)));
    EXPECT_EQ(static_cast<DbPointRep&>(*primitive).graph, collected);

    // Redo appends the point again at the end and stamps it with what is active then.
    PlumeData other;
    Populate(other);
    SmartPtr<DbPrimRep> point(new DbPointRep(DPoint{1, 1}));
    other.Perform(std::make_unique<PrimTask>(&other, point));
    other.Undo();
    other.AttributeManager().ReplaceAttribute(
        SmartPtr<DbAttRep>(new DbAttRep("Sample", "later", 1)));
    other.Redo();
    const DbPrimSetRep& current = *other.SetManager().GetSet(other.SetManager().GetCurrent());
    EXPECT_TRUE(current[current.GetCount() - 1].SharesHolderWith(point)); // appended at the end
    EXPECT_EQ((*point->attributes)[0]->value, "later");
}

TEST(Tasks, RenamingAnAttributeMovesItToTheEndActive) {
    PlumeData database;
    Populate(database);
    database.Perform(attribute_actions::Define(&database, "Run", "1", false));
    database.Perform(attribute_actions::SetActive(&database, "Sample", "A", 0));
    database.Perform(attribute_actions::Edit(&database, "Sample", "Kind", "B", 0));
    std::vector<std::string> names;
    for (const auto& attribute : database.AttributeManager().All()) {
        names.push_back(attribute->name + (attribute->active ? "+" : "-"));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Run+", "Kind+"}));
    database.Undo();
    database.Perform(attribute_actions::Delete(&database, "Sample"));
    database.Undo(); // back at the end of the list
    names.clear();
    for (const auto& attribute : database.AttributeManager().All()) {
        names.push_back(attribute->name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Run", "Sample"}));
}

TEST(Tasks, ImageTasksSetTheirHintsAndFlags) {
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Task>(PlumeData&)> make;
        std::int32_t hint;
        bool imageModified;
        bool mappingReset;
    };
    const std::vector<Case> cases = {
        {"flip", [](PlumeData& d) { return std::make_unique<ImageFlipTask>(&d, 0); }, 1, true,
         false},
        {"rotate", [](PlumeData& d) { return std::make_unique<ImageRotateTask>(&d, 90); }, 1, true,
         false},
        {"paste",
         [](PlumeData& d) { return std::make_unique<ImagePasteTask>(&d, Picture(3, 3, 0), false); },
         2, false, true},
        {"paste keeping the mapping",
         [](PlumeData& d) { return std::make_unique<ImagePasteTask>(&d, Picture(3, 3, 0), true); },
         2, false, false},
        {"crop", [](PlumeData& d) { return std::make_unique<ImageCropTask>(&d, Picture(3, 3, 0)); },
         1, false, true},
    };
    for (const Case& c : cases) {
        PlumeData database;
        Populate(database);
        database.TakeUpdateHint();
        database.Perform(c.make(database));
        EXPECT_EQ(database.TakeUpdateHint(), c.hint) << c.what;
        EXPECT_EQ(database.ImageModified(), c.imageModified) << c.what;
        EXPECT_EQ(database.Mapping().region.pixelCount == 0, c.mappingReset) << c.what;
        if (c.hint == 2 || c.what == std::string("crop")) {
            EXPECT_TRUE(database.ImageSet());
            EXPECT_EQ(database.SetManager().GetTotalCount(), 0) << c.what; // data cleared
        }
    }
}

} // namespace

namespace {

TEST(Tasks, TheCropBoxMakesACropOfItsRectangleOrNothing) {
    PlumeData database;
    Populate(database);
    CropBox box;
    EXPECT_EQ(ImageCropTask::FromCropBox(database, box), nullptr); // no rectangle yet
    box.SetPixelRect(DPoint{100, 100}, DPoint{110, 110});
    EXPECT_EQ(ImageCropTask::FromCropBox(database, box), nullptr); // nothing of the image inside
    // Corners (2.4, 1.6)-(10.4, 5.6): left 2, top 2, 9 x 5 pixels.
    box.SetPixelRect(DPoint{2.4, 1.6}, DPoint{10.4, 5.6});
    const PackedBitmap before = database.Image().GetPackedBitmap();
    std::unique_ptr<Task> crop = ImageCropTask::FromCropBox(database, box);
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->GetName(), "Crop Image");
    ASSERT_TRUE(database.Perform(std::move(crop)));
    const PackedBitmap& after = database.Image().GetPackedBitmap();
    ASSERT_EQ(after.Width(), 9);
    ASSERT_EQ(after.Height(), 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(after.PixelAt(x, y), before.PixelAt(x + 2, y + 2));
        }
    }
    ASSERT_TRUE(database.Undo());
    EXPECT_EQ(database.Image().GetInfo().width, 20);
}

} // namespace
