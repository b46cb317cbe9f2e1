#include "shell/DocumentDialogs.h"

#include "../ui/DialogDriver.h"
#include "FakePlatform.h"
#include "SeededBitmap.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "document/CPlumeDoc.h"
#include "image/ImageStore.h"
#include "shell/AboutDlg.h"
#include "shell/CNewSetDlg.h"
#include "shell/OptionsDlg.h"
#include "ui/ImageInfoDlg.h"

#include <QCheckBox>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* kNotANumber = "Please enter a number.";
constexpr const char* kLogZero = "For logarithmic scales, the limits must not be zero.";
constexpr const char* kStepZero = "The grid step must not be zero.";
constexpr const char* kEmptyName = "Please enter a name for the data set.";

using Names = std::vector<std::string>;

// A drive that fills the dialog and presses one button, noting that it ran.
DialogDrive FillAndPress(std::vector<Entry> entries, QString button, int* runs = nullptr) {
    return [entries = std::move(entries), button = std::move(button), runs](QDialog& dialog) {
        if (runs != nullptr) {
            ++*runs;
        }
        Fill(dialog, entries);
        Click(dialog, button);
    };
}

// An untitled document with a 100 x 50 image and, unless told otherwise, the mapping region
// over the whole image: pixel (0, 0) to (99, 49).
struct DocumentRig {
    explicit DocumentRig(bool image = true, bool region = true) {
        platform.preferences = &preferences;
        document = std::make_unique<CPlumeDoc>(platform.Services());
        document->NewDocument();
        if (image) {
            ImageStore store;
            store.SetBitmap(SeededBitmap(100, 50, 24, 1), ImageStore::kTypeBmp);
            document->Database()->ReplaceImage(std::move(store), 0);
        }
        if (region) {
            EXPECT_TRUE(document->RunCommand(CPlumeDoc::kDefineMappingFullSized));
        }
        platform.views.hints.clear();
    }

    // What the dialogs can change, in one line.
    std::string State() const {
        const PlumeData& d = *document->Database();
        const TransformData& m = d.Mapping();
        const RegGridData& g = d.Grid();
        std::ostringstream out;
        out << "mapping " << m.mode << " " << m.xMin << " " << m.xMax << " " << m.yMin << " "
            << m.yMax << " " << m.logX << m.logY << " " << m.aspectRatio << " " << m.pointsPerLength
            << "; grid " << g.snapX << g.snapY << " " << g.originX << " " << g.stepX << " "
            << g.originY << " " << g.stepY << " " << g.showX << g.showY << "; sets";
        std::vector<std::pair<std::string, std::int32_t>> sets;
        out << " current " << d.SetManager().ListSets(sets);
        for (const auto& set : sets) {
            if (!set.first.empty()) { // an empty name is the placeholder of a removed set
                out << " '" << set.first << "'";
            }
        }
        return out.str();
    }

    ApplicationState::Scope state;
    FakePlatform platform;
    CPreferences preferences;
    std::unique_ptr<CPlumeDoc> document;
};

TEST(DocumentDialogsTest, OkIsOneUndoableTaskAndCancelChangesNothing) {
    using C = CPlumeDoc;
    struct Case {
        const char* what;
        int command;
        std::vector<Entry> entries;
        const char* button;
        const char* message; // shown on OK; the drive then leaves the dialog open
        bool changes;
        std::string after; // a part of the state after OK
    };
    const std::vector<Case> cases = {
        {"axis mapping",
         C::kAxisMapping,
         {{"X Min:", "0"}, {"X Max:", "100"}, {"Y Min:", "-50"}, {"Y Max:", "50"}},
         "OK",
         "",
         true,
         "mapping 0 0 100 -50 50 00"},
        {"log axis mapping",
         C::kAxisMapping,
         {{"X Logarithmic", "1"}},
         "OK",
         "",
         true,
         "mapping 0 1 10 1 10 10"},
        {"axis mapping cancelled", C::kAxisMapping, {{"X Max:", "100"}}, "Cancel", "", false, ""},
        {"axis mapping refused",
         C::kAxisMapping,
         {{"X Logarithmic", "1"}, {"X Min:", "0"}},
         "OK",
         kLogZero,
         false,
         ""},
        {"pixel mapping",
         C::kPixelMapping,
         {{"Aspect Ratio (w/h):", "2"},
          {"Points Per Length (h):", "10"},
          {"X Origin:", "0"},
          {"Y Origin:", "0"}},
         "OK",
         "",
         true,
         "mapping 1 0 19.8 0 4.9 00 2 10"},
        {"pixel mapping cancelled",
         C::kPixelMapping,
         {{"Points Per Length (h):", "3"}},
         "Cancel",
         "",
         false,
         ""},
        {"pixel mapping refused",
         C::kPixelMapping,
         {{"X Origin:", "east"}},
         "OK",
         kNotANumber,
         false,
         ""},
        {"grid snap",
         C::kGridSnap,
         {{"X:", "1"}, {"X Origin", "5"}, {"X Step", "10"}, {"Y Step", "2"}, {"Show X", "0"}},
         "OK",
         "",
         true,
         "grid 10 5 10 0 2 01"},
        {"grid snap cancelled",
         C::kGridSnap,
         {{"X:", "1"}, {"X Step", "10"}},
         "Cancel",
         "",
         false,
         ""},
        {"grid snap with the steps of a new grid",
         C::kGridSnap,
         {{"X:", "1"}},
         "OK",
         kStepZero,
         false,
         ""},
        {"new data set",
         C::kNewDataSet,
         {{"Name:", "Calibration"}},
         "OK",
         "",
         true,
         "current 1 'Line' 'Calibration'"},
        {"new data set as proposed",
         C::kNewDataSet,
         {},
         "OK",
         "",
         true,
         "current 1 'Line' 'Line.1'"},
        {"a name outside ASCII is kept in the file's code page",
         C::kNewDataSet,
         {{"Name:", QString::fromUtf8("Kurve \xc3\xa4")}},
         "OK",
         "",
         true,
         "current 1 'Line' 'Kurve \xe4'"},
        {"new data set cancelled", C::kNewDataSet, {{"Name:", "Other"}}, "Cancel", "", false, ""},
        {"new data set without a name",
         C::kNewDataSet,
         {{"Name:", "  "}},
         "OK",
         kEmptyName,
         false,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentRig rig;
        CPlumeDoc& doc = *rig.document;
        const std::string before = rig.State();
        const std::int32_t top = doc.Database()->HistoryTop();
        int runs = 0;
        MessageCatcher catcher;

        const bool done = RunDocumentDialog(c.command, nullptr, doc, rig.preferences,
                                            FillAndPress(c.entries, c.button, &runs));
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(catcher.Shown(), c.message);
        EXPECT_EQ(done, c.changes);
        if (!c.changes) {
            EXPECT_EQ(rig.State(), before);
            EXPECT_EQ(doc.Database()->HistoryTop(), top);
            EXPECT_EQ(rig.platform.views.hints, std::vector<int>{}) << "views told of nothing";
            continue;
        }
        const std::string after = rig.State();
        EXPECT_NE(after.find(c.after), std::string::npos) << after;
        EXPECT_EQ(doc.Database()->HistoryTop(), top + 1);
        EXPECT_TRUE(doc.Database()->CanUndo());
        EXPECT_EQ(rig.platform.views.hints.size(), 1u) << "CommitTask told the views once";
        EXPECT_TRUE(doc.Undo());
        EXPECT_EQ(rig.State(), before) << "one undo takes the whole OK back";
        EXPECT_TRUE(doc.Redo());
        EXPECT_EQ(rig.State(), after);
    }
}

TEST(DocumentDialogsTest, ADisabledCommandOpensNoDialog) {
    using C = CPlumeDoc;
    struct Case {
        const char* what;
        bool image, region;
        int command;
    };
    const std::vector<Case> cases = {
        {"axis mapping without a region", true, false, C::kAxisMapping},
        {"pixel mapping without a region", true, false, C::kPixelMapping},
        {"grid snap without a region", true, false, C::kGridSnap},
        {"image information without an image", false, false, C::kImageInfo},
        {"a command without a dialog", true, true, C::kUndo},
        {"a window's dialog", true, true, C::kAppAbout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentRig rig(c.image, c.region);
        const std::string before = rig.State();
        int runs = 0;
        EXPECT_FALSE(RunDocumentDialog(c.command, nullptr, *rig.document, rig.preferences,
                                       FillAndPress({}, "OK", &runs)));
        EXPECT_EQ(runs, 0);
        EXPECT_EQ(rig.State(), before);
        EXPECT_EQ(IsDocumentDialog(c.command), c.command != C::kUndo && c.command != C::kAppAbout);
    }
}

// Counts the notifications the preferences send.
class Listener : public Observer {
public:
    void Update(Observer*, void* hint) override { hints.push_back(hint); }
    std::vector<void*> hints;
};

TEST(DocumentDialogsTest, OptionsOkCopiesBackAppliesAndAnnounces) {
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        const char* button;
        // sortData, saveReference, reuseMappingData, allowCaching afterwards
        std::array<int, 4> settings;
        bool databaseSorts;
        bool databaseByReference;
        int notifications;
    };
    // Opened on: sorting off, bitmap copy saved, mapping not reused, caching allowed.
    const std::vector<Case> cases = {
        {"as opened", {}, "OK", {0, 0, 0, 1}, false, false, 1},
        {"every box turned",
         {{"Sort Data Points", "1"},
          {"Save Bitmap Copy", "0"},
          {"Reuse Mapping Data", "1"},
          {"Allow Image Caching", "0"}},
         "OK",
         {1, 1, 1, 0},
         true,
         true,
         1},
        {"cancelled",
         {{"Sort Data Points", "1"}, {"Save Bitmap Copy", "0"}},
         "Cancel",
         {0, 0, 0, 1},
         false,
         false,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentRig rig;
        rig.preferences.zoomType = 3;
        rig.preferences.boxColor = 0x123456;
        Listener listener;
        rig.preferences.Attach(&listener);

        const bool ok = RunDocumentDialog(CPlumeDoc::kOptions, nullptr, *rig.document,
                                          rig.preferences, FillAndPress(c.entries, c.button));
        EXPECT_EQ(ok, c.notifications != 0);
        const CPreferences& p = rig.preferences;
        EXPECT_EQ((std::array{p.sortData, p.saveReference, p.reuseMappingData, p.allowCaching}),
                  c.settings);
        EXPECT_EQ(p.zoomType, 3) << "settings the dialog does not show are kept";
        EXPECT_EQ(p.boxColor, 0x123456);
        EXPECT_EQ(rig.document->Database()->SortData(), c.databaseSorts);
        EXPECT_EQ(rig.document->Database()->SaveByReference(), c.databaseByReference);
        EXPECT_EQ(listener.hints, std::vector<void*>(c.notifications, nullptr));
        rig.preferences.Detach(&listener);
    }
}

TEST(DocumentDialogsTest, ImageInformationShowsTheDocumentsText) {
    DocumentRig rig;
    QString shown;
    const bool ran = RunDocumentDialog(CPlumeDoc::kImageInfo, nullptr, *rig.document,
                                       rig.preferences, [&shown](QDialog& dialog) {
                                           shown = static_cast<ImageInfoDlg&>(dialog).Text();
                                           Click(dialog, QStringLiteral("Close"));
                                       });
    EXPECT_TRUE(ran);
    QString expected = QString::fromStdString(rig.document->ImageInformationText());
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(shown + "\n", expected);
    EXPECT_TRUE(shown.contains(QStringLiteral("Image Width: 100\nImage Height: 50")));
    EXPECT_EQ(rig.document->Database()->HistoryTop(), 1) << "only the full-size mapping";
}

TEST(NewSetDlgTest, StartsWithTheProposalSelectedAndRefusesBlankNames) {
    struct Case {
        QString typed;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"Line", ""},     {" padded ", ""},    {"x", ""},
        {"", kEmptyName}, {"   ", kEmptyName}, {"\t", kEmptyName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        CNewSetDlg dialog(QStringLiteral("Line"));
        dialog.show();
        auto* name = Control<QLineEdit>(dialog, QStringLiteral("Name:"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->selectedText(), QStringLiteral("Line"));
        name->setText(c.typed);
        MessageCatcher catcher;
        Click(dialog, QStringLiteral("OK"));
        EXPECT_EQ(catcher.Shown(), c.message);
        EXPECT_EQ(dialog.isVisible(), *c.message != '\0');
        if (*c.message != '\0') {
            EXPECT_EQ(dialog.focusWidget(), name);
        } else {
            EXPECT_EQ(dialog.Name(), c.typed) << "the name is taken as typed";
        }
    }
}

TEST(AboutDlgTest, NamesTheVersionAndEveryLibraryWithItsLicence) {
    const QString credits = AboutDlg::Credits();
    EXPECT_EQ(AboutDlg::VersionLine(), QStringLiteral("Corvane Tracery Version 2.0"));
    for (const char* part :
         {"libtiff (libtiff licence)", "zlib (zlib licence)", "libjpeg through libtiff",
          "(Independent JPEG Group licence)", "Qt " QT_VERSION_STR " (GNU LGPL version 3)"}) {
        EXPECT_TRUE(credits.contains(QString::fromLatin1(part))) << part;
    }

    for (const bool withIcon : {false, true}) {
        QPixmap picture(32, 32);
        picture.fill(Qt::darkBlue);
        QApplication::setWindowIcon(withIcon ? QIcon(picture) : QIcon());
        AboutDlg dialog;
        dialog.show();
        EXPECT_EQ(Control(dialog, QStringLiteral("Corvane Tracery icon")) != nullptr, withIcon);
        EXPECT_NE(Control(dialog, AboutDlg::VersionLine()), nullptr);
        EXPECT_EQ(dialog.focusWidget(), Control(dialog, QStringLiteral("OK")));
        Press(dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    QApplication::setWindowIcon(QIcon());
}

// The shell's dialogs, as the dialogs of the model's subsystems.
TEST(ShellDialogsTest, EveryDialogIsNamedAndKeyboardComplete) {
    CPreferences preferences;
    struct Case {
        const char* what;
        std::function<std::unique_ptr<QDialog>()> make;
        Names fields;
        Names buttons;
    };
    const std::vector<Case> cases = {
        {"New Data Set",
         [] { return std::make_unique<CNewSetDlg>(QStringLiteral("Line")); },
         {"Name:"},
         {"Cancel", "OK"}},
        {"Options",
         [&] { return std::make_unique<OptionsDlg>(preferences); },
         {"Sort Data Points", "Save Bitmap Copy", "Reuse Mapping Data", "Allow Image Caching"},
         {"Cancel", "OK"}},
        {"About Corvane Tracery", [] { return std::make_unique<AboutDlg>(); }, {}, {"OK"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<QDialog> dialog = c.make();
        dialog->show();
        EXPECT_EQ(dialog->windowTitle().toStdString(), c.what);
        ExpectKeyboardComplete(*dialog, c.fields, c.buttons, "OK");
    }
}

} // namespace
