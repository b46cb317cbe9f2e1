#include "DialogDriver.h"
#include "mapping/RegGridData.h"
#include "mapping/TransformData.h"
#include "ui/ImageInfoDlg.h"
#include "ui/PixelMappingDlg.h"
#include "ui/RegGridDlg.h"
#include "ui/TransDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

// Every dialog of the model's subsystems: Tab visits the fields in reading order, then the
// buttons; every stop is named; the confirming button is the default; nothing is clipped.
TEST(DialogAccessTest, EveryDialogIsNamedAndKeyboardComplete) {
    TransformData mapping;
    RegGridData grid(&mapping);
    grid.snapX = 1;
    grid.snapY = 1;
    struct Case {
        const char* what;
        std::function<std::unique_ptr<QDialog>()> make;
        Names fields; // the Tab stops before the buttons
        Names buttons;
        std::string defaultButton;
    };
    const std::vector<Case> cases = {
        {"Axis Mapping",
         [&] { return std::make_unique<TransDlg>(mapping); },
         {"X Min:", "X Max:", "X Logarithmic", "Y Min:", "Y Max:", "Y Logarithmic"},
         {"Cancel", "OK"},
         "OK"},
        {"Pixel Mapping",
         [&] { return std::make_unique<CImageMapping>(mapping); },
         {"Aspect Ratio (w/h):", "Points Per Length (h):", "X Origin:", "Y Origin:"},
         {"Cancel", "OK"},
         "OK"},
        {"Regular Grid Snap",
         [&] { return std::make_unique<RegGridDlg>(grid); },
         {"X:", "X Origin", "X Step", "Show X", "Y:", "Y Origin", "Y Step", "Show Y"},
         {"Cancel", "OK"},
         "OK"},
        {"Image Information",
         [] { return std::make_unique<ImageInfoDlg>("File Path: /a\r\nBit Depth: 8\r\n"); },
         {"Image Information"},
         {"Close"},
         "Close"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<QDialog> dialog = c.make();
        dialog->show();
        EXPECT_EQ(dialog->windowTitle().toStdString(), c.what);
        ExpectKeyboardComplete(*dialog, c.fields, c.buttons, c.defaultButton);
    }
}

TEST(ImageInfoDlgTest, ShowsTheLinesReadOnlyAndSelectable) {
    struct Case {
        const char* what;
        std::string text;
        QString shown;
    };
    const std::vector<Case> cases = {
        {"lines ended by CR LF", "File Path: /data\r\nFile Name: scan.bmp\r\nImage Width: 100\r\n",
         "File Path: /data\nFile Name: scan.bmp\nImage Width: 100"},
        {"empty values stay on their lines", "File Path: \r\nFile Name: \r\n",
         "File Path: \nFile Name: "},
        {"a name in UTF-8",
         "File Name: gr\xc3\xa4"
         "fik.tif\r\n",
         QString::fromUtf8("File Name: gr\xc3\xa4"
                           "fik.tif")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImageInfoDlg dialog(c.text);
        dialog.show();
        EXPECT_EQ(dialog.Text(), c.shown);

        auto* text = Control<QPlainTextEdit>(dialog, QStringLiteral("Image Information"));
        ASSERT_NE(text, nullptr);
        EXPECT_TRUE(text->isReadOnly());
        EXPECT_TRUE(text->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));

        // Typing changes nothing; the keyboard selects and Return closes.
        QApplication::setActiveWindow(&dialog);
        text->setFocus();
        Type(dialog, QStringLiteral("x"));
        SendKey(text, Qt::Key_End, QString(), Qt::ShiftModifier | Qt::ControlModifier);
        EXPECT_EQ(text->toPlainText(), c.shown);
        EXPECT_TRUE(text->textCursor().hasSelection());
        Press(dialog, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    }
}

} // namespace
