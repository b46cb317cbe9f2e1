#include "platform_qt/QtSaveNamePrompt.h"

#include "ModalDriver.h"
#include "document/SaveDialogState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

class SavePromptTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        dir_ = QFileInfo(folder_.path()).canonicalFilePath().toStdString();
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    QTemporaryDir folder_;
    std::string dir_;
};

QLineEdit* NameBox(QFileDialog& dialog) {
    return dialog.findChild<QLineEdit*>("fileNameEdit");
}

void Type(QFileDialog& dialog, const char* name) {
    QLineEdit* box = NameBox(dialog);
    ASSERT_NE(box, nullptr);
    box->setText(name);
}

// U (up) and D (down) pressed on the filter box.
void PressOnFilters(QFileDialog& dialog, const std::string& keys) {
    auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(combo, nullptr);
    for (const char key : keys) {
        SendKey(*combo, key == 'U' ? Qt::Key_Up : Qt::Key_Down);
    }
}

QCheckBox* Box(QFileDialog& dialog, const char* name) {
    return dialog.findChild<QCheckBox*>(name);
}

TEST_F(SavePromptTest, ShowsTheStateAndCancelLeavesIt) {
    SaveDialogState state(3, Path("graph.csv"), true, true, false);
    QtSaveNamePrompt prompt(nullptr);
    struct {
        QString title;
        QStringList filters;
        QString filter;
        bool save = false;
        bool native = true;
        QString folder;
        QString name;
        QString texts[2];
        QString accessible[2];
        bool checked[2] = {};
        bool enabled[2] = {};
    } seen;
    ModalDriver driver;
    driver.Then<QFileDialog>([&](QFileDialog& dialog) {
        seen.title = dialog.windowTitle();
        seen.filters = dialog.nameFilters();
        seen.filter = dialog.selectedNameFilter();
        seen.save = dialog.acceptMode() == QFileDialog::AcceptSave;
        seen.native = !dialog.testOption(QFileDialog::DontUseNativeDialog);
        seen.folder = dialog.directory().absolutePath();
        seen.name = NameBox(dialog) != nullptr ? NameBox(dialog)->text() : QString();
        int i = 0;
        for (const char* name : {"Sort Data Points", "Save Bitmap Copy"}) {
            QCheckBox* box = Box(dialog, name);
            ASSERT_NE(box, nullptr) << name;
            seen.texts[i] = box->text();
            seen.accessible[i] = box->accessibleName();
            seen.checked[i] = box->isChecked();
            seen.enabled[i] = box->isEnabled();
            ++i;
        }
        PressOnFilters(dialog, "U"); // then Cancel: the state is not the dialog's to keep
        dialog.reject();
    });
    EXPECT_FALSE(prompt.Prompt(state, "Save As"));
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(seen.title, "Save As");
    EXPECT_EQ(seen.filters, (QStringList{"Plume Files (*.plm)", "Points Only (*.txt)",
                                         "Comma Separated Variables (*.csv)", "BMP Only (*.bmp)"}));
    EXPECT_EQ(seen.filter, "Comma Separated Variables (*.csv)");
    EXPECT_TRUE(seen.save);
    EXPECT_FALSE(seen.native);
    EXPECT_EQ(seen.folder.toStdString(), dir_);
    EXPECT_EQ(seen.name, "graph.csv");
    EXPECT_EQ(seen.texts[0], "Sort Data Points");
    EXPECT_EQ(seen.texts[1], "Save Bitmap Copy");
    EXPECT_EQ(seen.accessible[0], "Sort Data Points");
    EXPECT_EQ(seen.accessible[1], "Save Bitmap Copy");
    EXPECT_TRUE(seen.checked[0]);
    EXPECT_TRUE(seen.checked[1]);
    EXPECT_TRUE(seen.enabled[0]);
    EXPECT_FALSE(seen.enabled[1]) << "no image path to refer to";
    EXPECT_EQ(state.Name(), Path("graph.csv"));
}

TEST_F(SavePromptTest, ChangingTheFilterRewritesTheNameAndTheEnabling) {
    const struct {
        int filter;
        bool haveImagePath;
        const char* typed;
        const char* keys;
        const char* shown;
        bool sortEnabled;
        bool saveCopyEnabled;
    } cases[] = {
        {1, true, "graph.plm", "D", "graph.txt", true, false},
        {2, true, "graph.txt", "U", "graph.plm", false, true},
        {2, false, "graph.txt", "U", "graph.plm", false, false},
        {1, true, "data", "DD", "data.csv", true, false},
        {1, true, "Graph.PLM", "DDD", "Graph.bmp", false, false},
        {4, false, "x.tar.gz", "U", "x.tar.csv", true, false},
        {3, false, "x.", "D", "x.bmp", false, false},
        {2, false, "sub.dir/results", "D", "sub.dir/results.csv", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.typed << " " << c.keys);
        SaveDialogState state(c.filter, Path("start"), false, false, c.haveImagePath);
        QtSaveNamePrompt prompt(nullptr);
        QString shown;
        bool sortEnabled = false;
        bool saveCopyEnabled = false;
        ModalDriver driver;
        driver.Then<QFileDialog>([&](QFileDialog& dialog) {
            Type(dialog, c.typed);
            PressOnFilters(dialog, c.keys);
            shown = NameBox(dialog)->text();
            sortEnabled = Box(dialog, "Sort Data Points")->isEnabled();
            saveCopyEnabled = Box(dialog, "Save Bitmap Copy")->isEnabled();
            dialog.reject();
        });
        EXPECT_FALSE(prompt.Prompt(state, "Save As"));
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(sortEnabled, c.sortEnabled);
        EXPECT_EQ(saveCopyEnabled, c.saveCopyEnabled);
    }
}

TEST_F(SavePromptTest, OkHandsBackThePathTheFilterAndTheBoxes) {
    // clicks: S on "Sort Data Points", C on "Save Bitmap Copy" (a click on a disabled box
    // does nothing).
    const struct {
        const char* keys;
        const char* clicks;
        const char* typed;
        int filter;
        const char* name;
        bool sort;
        bool saveCopy;
        const char* chosen;
    } cases[] = {
        {"UU", "CS", "result.plm", 1, "result.plm", false, false, "result.plm"},
        {"U", "SC", "data.dat", 2, "data.dat", true, true, "data.dat.txt"},
        {"", "", "data.csv", 3, "data.csv", false, true, "data.csv"},
        {"D", "S", "picture.bmp", 4, "picture.bmp", false, true, "picture.bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.keys << " " << c.typed);
        SaveDialogState state(3, Path("graph.csv"), false, true, true);
        QtSaveNamePrompt prompt(nullptr);
        ModalDriver driver;
        driver.Then<QFileDialog>([&](QFileDialog& dialog) {
            PressOnFilters(dialog, c.keys);
            for (const char click : std::string(c.clicks)) {
                Box(dialog, click == 'S' ? "Sort Data Points" : "Save Bitmap Copy")->click();
            }
            Type(dialog, c.typed);
            ClickAccept(dialog);
        });
        EXPECT_TRUE(prompt.Prompt(state, "Save As"));
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(state.Filter(), c.filter);
        EXPECT_EQ(state.Name(), Path(c.name));
        EXPECT_EQ(state.Sort(), c.sort);
        EXPECT_EQ(state.SaveCopy(), c.saveCopy);
        EXPECT_EQ(state.ChosenName(), Path(c.chosen));
    }
}

TEST_F(SavePromptTest, OkNeedsAFolderAndConfirmsReplacingTheFileTheSaveWrites) {
    {
        QFile existing(QString::fromStdString(Path("data.txt")));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    }
    QtSaveNamePrompt prompt(nullptr);
    QStringList asked;
    const auto answer = [&](QMessageBox::StandardButton button) {
        return [&asked, button](QMessageBox& box) {
            asked.append(box.text());
            box.button(button)->click();
        };
    };

    // Typed data.csv under the ".txt" filter writes data.txt, which exists: asked, and
    // refused once.
    {
        SaveDialogState text(2, Path("graph.txt"), false, false, false);
        ModalDriver driver;
        driver
            .Then<QFileDialog>([&](QFileDialog& dialog) {
                Type(dialog, "data.csv");
                ClickAccept(dialog);
            })
            .Then<QMessageBox>(answer(QMessageBox::No))
            .Then<QFileDialog>([&](QFileDialog& dialog) { ClickAccept(dialog); })
            .Then<QMessageBox>(answer(QMessageBox::Yes));
        EXPECT_TRUE(prompt.Prompt(text, "Save As"));
        EXPECT_TRUE(driver.Done());
        const QString question = QString::fromStdString(Path("data.txt")) +
                                 " already exists.\nDo you want to replace it?";
        EXPECT_EQ(asked, (QStringList{question, question}));
        EXPECT_EQ(text.ChosenName(), Path("data.txt"));
    }

    // Typed data.txt, which exists, under the ".csv" filter writes the new data.csv: no
    // question.
    {
        asked.clear();
        SaveDialogState comma(3, Path("graph.csv"), false, false, false);
        ModalDriver driver;
        driver.Then<QFileDialog>([&](QFileDialog& dialog) {
            Type(dialog, "data.txt");
            ClickAccept(dialog);
        });
        EXPECT_TRUE(prompt.Prompt(comma, "Save As"));
        EXPECT_TRUE(driver.Done());
        EXPECT_TRUE(asked.isEmpty());
        EXPECT_EQ(comma.ChosenName(), Path("data.csv"));
    }

    // A folder that does not exist is refused with a message; the dialog stays open.
    {
        asked.clear();
        SaveDialogState document(1, Path("graph.plm"), false, false, false);
        ModalDriver driver;
        driver
            .Then<QFileDialog>([&](QFileDialog& dialog) {
                Type(dialog, "missing/graph.plm");
                ClickAccept(dialog);
            })
            .Then<QMessageBox>(answer(QMessageBox::Ok))
            .Then<QFileDialog>([&](QFileDialog& dialog) {
                Type(dialog, "graph.plm");
                ClickAccept(dialog);
            });
        EXPECT_TRUE(prompt.Prompt(document, "Save As"));
        EXPECT_TRUE(driver.Done());
        ASSERT_EQ(asked.size(), 1);
        EXPECT_TRUE(asked[0].contains(QString::fromStdString(Path("missing"))))
            << asked[0].toStdString();
        EXPECT_EQ(document.Name(), Path("graph.plm"));
    }
}

} // namespace
