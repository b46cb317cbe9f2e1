#include "database/PlumeData.h"
#include "core/CPreferences.h"
#include "database/DbPointRep.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Counter : public Observer {
public:
    void Update(Observer*, void*) override { ++calls; }
    int calls = 0;
};

class Document : public DocumentLink {
public:
    void SetModified(bool value) override { modified = value; }
    bool modified = false;
};

TEST(PlumeData, OperationsTouchExactlyTheirFlagsAndHints) {
    Document document;
    PlumeData database(&document);
    EXPECT_TRUE(database.SortData());
    database.CreateDefaultSet();
    EXPECT_EQ(database.SetManager().GetSet(0)->name, "Line");
    database.SetSaveByReference(false);

    database.NewSet("Two");
    auto memento = database.DeleteCurrentSet();
    database.Restore(std::move(memento));
    database.AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("a", "1", 1)));
    EXPECT_FALSE(database.DataModified()); // set-level and attribute changes touch no flag
    database.OnChanged();
    EXPECT_FALSE(document.modified);

    SmartPtr<DbPrimRep> point(new DbPointRep(DPoint{1, 1}));
    database.ChooseSet(0);
    EXPECT_EQ(database.TakeUpdateHint(), PlumeData::kHintSetChosen);
    EXPECT_EQ(database.UpdateHint(), 0);
    database.AddPrimitive(point, -1);
    EXPECT_TRUE(database.DataModified());
    database.ChooseSet(1); // ChooseSet reports the modified state
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(database.TakeUpdateHint(), PlumeData::kHintSetChosen);
    database.RemovePrimitive(point, 0);
    EXPECT_EQ(database.UpdateHint(), PlumeData::kHintData);
}

TEST(PlumeData, PreferencesSetTheReferenceFlagAndAnnounceANewSortOrder) {
    PlumeData database;
    database.CreateDefaultSet();
    Counter observer;
    observer.Observe(&database.SetManager());
    CPreferences preferences;
    preferences.saveReference = 1;
    preferences.sortData = 1; // the database already sorts
    database.ApplyPreferences(preferences);
    EXPECT_TRUE(database.SaveByReference());
    EXPECT_EQ(observer.calls, 0);
    preferences.sortData = 0;
    database.ApplyPreferences(preferences);
    EXPECT_FALSE(database.SortData());
    EXPECT_EQ(observer.calls, 1);
}

TEST(PlumeData, PixelResolutionKeepsThreeSignificantFigures) {
    struct Case {
        double xMax, yMax; // the graph extent over a 0..1000 x 0..1000 pixel region
        double scale;      // zoom: one logical unit is 1 / scale pixels
        double expectX, expectY;
    };
    const Case cases[] = {
        {1000, 1000, 1, 1, 1},
        {3.14159, 1000, 1, 0.00314, 1},   // 0.00314159 -> 3 figures
        {1000, 123456, 2, 0.5, 61.7},     // half a pixel per unit: 61.728 -> 61.7
        {1000, 0.0008766, 1, 1, 8.77e-7}, // 8.766e-7 -> 8.77e-7
        {1000, 0, 1, 1, 0},               // no extent on Y: 0, not a logarithm of 0
    };
    for (const Case& c : cases) {
        PlumeData database;
        TransformData& mapping = database.Mapping();
        mapping.region.SetPixelRect(DPoint{0, 0}, DPoint{1000, 1000});
        mapping.SetLimits(DPoint{0, 0}, DPoint{c.xMax, c.yMax});
        const IPoint logical{100, 100};
        const DPoint pixel{100 / c.scale, 100 / c.scale};
        const DPoint resolution = database.PixelResolution(pixel, logical, c.scale, 2);
        EXPECT_NEAR(resolution.x, c.expectX, std::fabs(c.expectX) * 1e-9) << c.xMax;
        EXPECT_NEAR(resolution.y, c.expectY, std::fabs(c.expectY) * 1e-9) << c.yMax;
    }
    PlumeData noRegion;
    EXPECT_EQ(noRegion.PixelResolution(DPoint{}, IPoint{}, 1.0, 2), (DPoint{0, 0}));
}

} // namespace
