#include "../platform_qt/ModalDriver.h"
#include "../ui/DialogDriver.h"
#include "FileBytes.h"
#include "FrameRig.h"
#include "database/PlumeData.h"
#include "image/PdfDocument.h"
#include "image/PdfPageChoice.h"
#include "ui/PdfPageDlg.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string TwoPages() {
    return TestDataPath("images/two-pages.pdf").string();
}

// The page dialog: one entry per page, every preview drawn after the dialog is up, the
// pixel size of the chosen page at the chosen resolution.
TEST(PdfPageDlg, PagesPreviewsAndSize) {
    const std::unique_ptr<PdfDocument> pdf = PdfDocument::OpenFile(TwoPages());
    ASSERT_NE(pdf, nullptr);
    ASSERT_EQ(pdf->PageCount(), 2);
    PdfPageDlg dialog(*pdf, 150);
    dialog.show();
    auto* pages = dialog.findChild<QListWidget*>();
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->item(1)->text(), "Page 2");
    for (int turn = 0; turn < 20 && dialog.PreviewsDrawn() < 2; ++turn) {
        QApplication::processEvents();
    }
    EXPECT_EQ(dialog.PreviewsDrawn(), 2);
    pages->setCurrentRow(1);
    auto* dpi = Control<QSpinBox>(dialog, "Resolution:");
    ASSERT_NE(dpi, nullptr);
    dpi->setValue(72);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(pdf->PixelSize(2, 72, width, height));
    auto* size = Control<QLabel>(dialog, "Image size");
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->text(), QStringLiteral("%1 \u00D7 %2 pixels").arg(width).arg(height));
    EXPECT_EQ(dialog.Page(), 2);
    EXPECT_EQ(dialog.Dpi(), 72);
    ExpectKeyboardComplete(dialog, {"Pages", "Resolution:"}, {"Cancel", "OK"}, "OK");
}

// Opening a PDF of several pages in the windows asks which page and at what resolution;
// the resolution is remembered; Cancel opens nothing and says nothing.
TEST(PdfPageDlg, OpeningAPdfAsksForThePage) {
    FrameRig rig;
    {
        ModalDriver driver;
        driver.Then<QDialog>([](QDialog& dialog) { Click(dialog, "Cancel"); });
        EXPECT_EQ(rig.frame->Documents().OpenFile(TwoPages()), nullptr);
        EXPECT_TRUE(driver.Done());
        EXPECT_TRUE(rig.platform.messages.shown.empty());
    }
    ModalDriver driver;
    driver.Then<QDialog>([](QDialog& dialog) {
        dialog.findChild<QListWidget*>()->setCurrentRow(1);
        Control<QSpinBox>(dialog, "Resolution:")->setValue(72);
        Click(dialog, "OK");
    });
    CPlumeDoc* document = rig.frame->Documents().OpenFile(TwoPages());
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(driver.Done());
    const std::unique_ptr<PdfDocument> pdf = PdfDocument::OpenFile(TwoPages());
    int width = 0;
    int height = 0;
    ASSERT_TRUE(pdf->PixelSize(2, 72, width, height));
    EXPECT_EQ(document->GetImageSize(), (std::pair<int, int>{width, height}));
    EXPECT_EQ(rig.preferences.pdfDpi, 72) << "remembered for the next one";
}

} // namespace
