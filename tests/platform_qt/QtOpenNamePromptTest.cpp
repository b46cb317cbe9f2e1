#include "platform_qt/QtOpenNamePrompt.h"

#include "ModalDriver.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(QtOpenNamePrompt, FiltersInQtsNotation) {
    const struct {
        const char* text;
        const char* pattern;
        const char* filter;
    } cases[] = {
        {"Plume Files (*.plm)", "*.plm", "Plume Files (*.plm)"},
        {"All Files (*.*)", "*.*", "All Files (*)"}, // names without a dot too
        {"Images (*.bmp;*.tif)", "*.bmp;*.tif", "Images (*.bmp *.tif)"},
        {"Images", "*.bmp; *.tif", "Images (*.bmp *.tif)"},
        {"Odd   spacing  (*.txt)", "*.txt", "Odd spacing (*.txt)"},
        {"Text (plain)", "*.txt", "Text (plain) (*.txt)"},
        {"", "*.csv", "*.csv"},
        {"Anything", "", "Anything (*)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(QtOpenNamePrompt::NameFilter({c.text, c.pattern}), c.filter);
    }
}

TEST(QtOpenNamePrompt, ReturnsTheChosenFileAndTheFilterItEndsOn) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString dir = QFileInfo(folder.path()).canonicalFilePath();
    for (const char* name : {"a.plm", "b.txt", "plain"}) {
        QFile file(dir + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const std::vector<OpenNamePrompt::Filter> filters = {
        {"Plume Files (*.plm)", "*.plm"},
        {"Points Only (*.txt)", "*.txt"},
        {"All Files (*.*)", "*.*"},
    };
    const QStringList shown = {"Plume Files (*.plm)", "Points Only (*.txt)", "All Files (*)"};

    // keys: the user's presses on the filter box, U (up) or D (down).
    const struct {
        int index;
        const char* keys;
        const char* typed; // null: Cancel
        int shownFirst;
        int endIndex;
    } cases[] = {
        {2, "", "plain", 2, 2}, {2, "U", "b.txt", 2, 1},  {0, "DD", "a.plm", 0, 2},
        {7, "", "a.plm", 0, 0}, {-1, "D", "b.txt", 0, 1}, {1, "D", nullptr, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.index << " " << c.keys);
        QtOpenNamePrompt prompt(nullptr);
        QString title;
        QStringList nameFilters;
        QString first;
        bool native = true;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        ModalDriver driver;
        driver.Then<QFileDialog>([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            nameFilters = dialog.nameFilters();
            first = dialog.selectedNameFilter();
            native = !dialog.testOption(QFileDialog::DontUseNativeDialog);
            mode = dialog.fileMode();
            dialog.setDirectory(dir);
            auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo");
            ASSERT_NE(combo, nullptr);
            for (const char key : std::string(c.keys)) {
                SendKey(*combo, key == 'U' ? Qt::Key_Up : Qt::Key_Down);
            }
            if (c.typed == nullptr) {
                dialog.reject();
            }
        });
        if (c.typed != nullptr) {
            // Typed once the listing under the new filter shows the file, as a user types
            // what they see; Open comes alive for a name in the listing.
            const QString typed = c.typed;
            driver
                .Then<QFileDialog>(
                    [typed](QFileDialog& dialog) {
                        auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
                        ASSERT_NE(name, nullptr);
                        name->setText(typed);
                    },
                    [typed, dir](QFileDialog& dialog) {
                        auto* listing = dialog.findChild<QFileSystemModel*>();
                        return listing != nullptr && listing->index(dir + "/" + typed).isValid();
                    })
                .Then<QFileDialog>([](QFileDialog& dialog) { ClickAccept(dialog); },
                                   [](QFileDialog& dialog) { return CanAccept(dialog); });
        }
        int index = c.index;
        std::string path = "unchanged";
        const bool ok = prompt.Prompt("Open", filters, index, path);
        EXPECT_TRUE(driver.Done())
            << driver.Remaining() << " steps left, " << driver.Unexpected() << " unexpected";
        EXPECT_EQ(title, "Open");
        EXPECT_EQ(nameFilters, shown);
        EXPECT_EQ(first, shown[c.shownFirst]);
        EXPECT_FALSE(native);
        EXPECT_EQ(mode, QFileDialog::ExistingFile);
        EXPECT_EQ(ok, c.typed != nullptr);
        EXPECT_EQ(index, ok ? c.endIndex : c.index);
        EXPECT_EQ(path, ok ? (dir + "/" + c.typed).toStdString() : "unchanged");
    }
}

} // namespace
