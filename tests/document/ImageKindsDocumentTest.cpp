// Documents made from every kind of image file: saved as a document and opened again they
// show the same pixels, and a PDF page, which its file alone cannot give back, is always
// kept as a copy.
#include "document/CPlumeDoc.h"

#include "BitmapPixels.h"
#include "FakePlatform.h"
#include "FileBytes.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "image/ImageInformation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ImageKinds : public ::testing::Test {
protected:
    void SetUp() override {
        platform.preferences = &preferences;
        folder = fs::temp_directory_path() /
                 ("tracery-kinds-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string At(const std::string& name) const { return (folder / name).string(); }

    // A copy of a reader test file in this test's folder.
    std::string Copy(const std::string& name) {
        fs::copy_file(TestDataPath("images") / name, folder / name,
                      fs::copy_options::overwrite_existing);
        return At(name);
    }

    ApplicationState::Scope processState;
    CPreferences preferences;
    FakePlatform platform;
    fs::path folder;
};

TEST_F(ImageKinds, EachKindSavedAsADocumentReopensWithTheSamePixels) {
    struct Case {
        const char* file;
        const char* format;
        PdfPageChoice page;
    };
    const Case cases[] = {
        {"grey1.png", "PNG", {}},          {"palette4.png", "PNG", {}},
        {"rgba16.png", "PNG", {}},         {"orient6.jpg", "JPEG", {}},
        {"cmyk.jpg", "JPEG", {}},          {"transparent.gif", "GIF", {}},
        {"lossy.webp", "WebP", {}},        {"lossless-alpha.webp", "WebP", {}},
        {"two-pages.pdf", "PDF", {2, 72}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CPlumeDoc doc(platform.Services());
        ASSERT_TRUE(doc.OpenDocument(Copy(c.file), c.page));
        const ImageStore& image = doc.Database()->Image();
        EXPECT_STREQ(ImageFormatName(image.GetTypeCode()), c.format);
        const std::vector<std::uint32_t> pixels = ToRgb(image.GetPackedBitmap());
        const int bits = image.GetPackedBitmap().BitCount();
        ASSERT_TRUE(doc.SaveDocument(At("saved.plm")));
        fs::remove(At(c.file)); // the copy in the document is all there is

        CPlumeDoc again(platform.Services());
        ASSERT_TRUE(again.OpenDocument(At("saved.plm")));
        const ImageStore& reread = again.Database()->Image();
        EXPECT_EQ(reread.GetTypeCode(), ImageStore::kTypeBmp);
        EXPECT_EQ(reread.GetPackedBitmap().BitCount(), bits);
        EXPECT_EQ(ToRgb(reread.GetPackedBitmap()), pixels);
    }
    EXPECT_TRUE(platform.messages.shown.empty());
}

// With the preference to keep images by reference, a PNG is kept by reference and a PDF
// page as a copy: the save dialog shows "Save Bitmap Copy" checked and disabled for it,
// and even a script that unchecks the box cannot make a reference of it.
TEST_F(ImageKinds, APdfPageIsAlwaysKeptAsACopy) {
    preferences.saveReference = 1;
    struct Case {
        const char* file;
        PdfPageChoice page;
        bool byReference;
    };
    for (const Case& c : {Case{"rgb8.png", {}, true}, Case{"two-pages.pdf", {2, 72}, false}}) {
        SCOPED_TRACE(c.file);
        ApplicationState::Scope freshProcess;
        CPlumeDoc doc(platform.Services());
        ASSERT_TRUE(doc.OpenDocument(Copy(c.file), c.page));
        EXPECT_EQ(doc.Database()->SaveByReference(), c.byReference);
        platform.savePrompt.script = {true, 1, At("kept"), std::nullopt, false};
        std::string name = At("kept");
        ASSERT_TRUE(doc.PromptSaveName(name, true));
        const FakeSavePrompt::Shown& shown = platform.savePrompt.shown.back();
        EXPECT_EQ(shown.saveCopy, !c.byReference);
        EXPECT_EQ(shown.saveCopyEnabled, c.byReference);
        EXPECT_EQ(doc.Database()->SaveByReference(), c.byReference);
        ASSERT_TRUE(doc.SaveDocument(At("kept.plm")));
        const std::uintmax_t size = fs::file_size(At("kept.plm"));
        EXPECT_EQ(size < 1000, c.byReference) << size;
    }
}

// A document that refers to a file which has become a PDF cannot know the page and the
// resolution it was made from: it fails to open rather than show page 1 at a guess.
TEST_F(ImageKinds, AReferenceToAPdfIsRefused) {
    preferences.saveReference = 1;
    const std::string image = Copy("rgb8.png");
    {
        CPlumeDoc doc(platform.Services());
        ASSERT_TRUE(doc.OpenDocument(image));
        ASSERT_TRUE(doc.SaveDocument(At("ref.plm")));
    }
    {
        CPlumeDoc doc(platform.Services());
        EXPECT_TRUE(doc.OpenDocument(At("ref.plm")));
    }
    fs::copy_file(TestDataPath("images") / "two-pages.pdf", image,
                  fs::copy_options::overwrite_existing);
    CPlumeDoc doc(platform.Services());
    EXPECT_FALSE(doc.OpenDocument(At("ref.plm")));
    EXPECT_EQ(platform.messages.shown, std::vector<std::string>{"Failed to open document."});
}

} // namespace
