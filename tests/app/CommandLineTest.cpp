#include "ByteWriter.h"
#include "FileBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A folder of its own for each test, which is also the settings folder the executable
// reads its preferences from.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("tracery-cli-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path At(const std::string& name) const { return folder_ / name; }

    Outcome Tracery(const std::string& arguments) const {
        const fs::path out = At("stdout.txt");
        const fs::path err = At("stderr.txt");
        const std::string command = "XDG_CONFIG_HOME='" + folder_.string() +
                                    "' '" TRACERY_EXECUTABLE "' " + arguments + " >'" +
                                    out.string() + "' 2>'" + err.string() + "'";
        Outcome run;
        const int status = std::system(command.c_str());
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadText(out);
        run.err = ReadText(err);
        return run;
    }

    std::string Quoted(const std::string& name) const { return "'" + At(name).string() + "'"; }

    fs::path folder_;
};

// A 3 x 2 24-bit BMP: rows bottom-up, each padded to 12 bytes.
Bytes SmallBmp() {
    ByteWriter w;
    w.U8('B').U8('M').I32(14 + 40 + 24).I32(0).I32(54);
    w.I32(40).I32(3).I32(2).U16(1).U16(24).I32(0).I32(24).I32(2835).I32(2835).I32(0).I32(0);
    for (int i = 0; i < 24; ++i) {
        w.U8(static_cast<std::uint8_t>(i * 10));
    }
    return w.bytes();
}

// A document with the mapping of an unrotated region (0, 0)-(100, 100) over graph values
// (0, 0)-(10, 10), no image, and one set "Line" holding the points (1, 2) and (3.5, 4).
Bytes SmallDocument() {
    ByteWriter w;
    w.Raw("PLMQ", 4).I32(5).I32(1);
    // Mapping record: version, limitsSet, region presence, region, logs, reserved, mode,
    // aspect, points per length, limits.
    w.I32(1).I32(1).I32(1);
    w.I32(8).I32(8);
    const double px[8][2] = {{0, 0},     {50, 0},   {100, 0}, {100, 50},
                             {100, 100}, {50, 100}, {0, 100}, {0, 50}};
    const double gx[8][2] = {{0, 10}, {5, 10}, {10, 10}, {10, 5}, {10, 0}, {5, 0}, {0, 0}, {0, 5}};
    for (const auto& p : px) {
        w.F64(p[0]).F64(p[1]);
    }
    for (const auto& g : gx) {
        w.F64(g[0]).F64(g[1]);
    }
    w.F64(0).I32(0).I32(0).F64(0).F64(0).I32(0).F64(1).F64(1).F64(0).F64(0).F64(10).F64(10);
    w.Str("").Str("");
    w.I32(1001);
    w.I32(1003).I32(2).I32(0).I32(0).F64(0).F64(0).F64(0).F64(0).I32(1).I32(1);
    w.I32(1005).I32(1).I32(1).I32(1).I32(0).I32(0).I32(2).Str("Line").I32(2);
    for (auto [x, y] : {std::pair{1.0, 2.0}, std::pair{3.5, 4.0}}) {
        w.I32(101)
            .I32(2)
            .Str("class DbPointRep")
            .I32(1)
            .I32(0)
            .I32(1)
            .F64(x)
            .F64(y)
            .F64(x * 10)
            .F64(100 - y * 10);
    }
    w.I32(101).I32(2).Str("class DbAttMgrRep").I32(1).I32(0);
    w.I32(-1);
    return w.bytes();
}

TEST_F(CommandLine, BadUsageExitsTwoWithTheUsage) {
    for (const char* arguments : {"--", "--export only-one", "--info", "--bogus x", "--info a b"}) {
        const Outcome run = Tracery(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("usage: tracery --export OUTPUT INPUT"), std::string::npos)
            << arguments;
    }
}

TEST_F(CommandLine, ExportsADocumentInEveryForm) {
    WriteBytes(At("in.plm"), SmallDocument());
    struct Case {
        const char* output;
        std::string expected;
    };
    const Case cases[] = {
        {"out.csv", "Line\r\nX, Y\r\n1, 2\r\n3.5, 4\r\n\r\n\r\n"},
        {"out.txt", "Line\r\nX Y\r\n1 2\r\n3.5 4\r\n\r\n\r\n"},
        {"OUT.CSV", "Line\r\nX, Y\r\n1, 2\r\n3.5, 4\r\n\r\n\r\n"},
        {"out.dat", "Line\r\nX Y\r\n1 2\r\n3.5 4\r\n\r\n\r\n"},
    };
    for (const Case& c : cases) {
        const Outcome run = Tracery("--export " + Quoted(c.output) + " " + Quoted("in.plm"));
        EXPECT_EQ(run.status, 0) << c.output << run.err;
        EXPECT_EQ(ReadText(At(c.output)), c.expected) << c.output;
        EXPECT_EQ(run.err, "");
    }
    // A document saved as a document and exported again gives the same text.
    ASSERT_EQ(Tracery("--export " + Quoted("again.plm") + " " + Quoted("in.plm")).status, 0);
    ASSERT_EQ(Tracery("--export " + Quoted("again.csv") + " " + Quoted("again.plm")).status, 0);
    EXPECT_EQ(ReadText(At("again.csv")), cases[0].expected);
}

TEST_F(CommandLine, ExportsAndDescribesAnImage) {
    WriteBytes(At("scan.bmp"), SmallBmp());
    const Outcome info = Tracery("--info " + Quoted("scan.bmp"));
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out, "File Path: " + folder_.string() +
                            "\nFile Name: scan.bmp\nFile Format: BMP\n"
                            "Image Width: 3\nImage Height: 2\nNumber of Planes: 1\nBit Depth: 24\n"
                            "Number of Colors: 16 million\nImage Modified: No\n");

    const Outcome empty = Tracery("--export " + Quoted("points.csv") + " " + Quoted("scan.bmp"));
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "No points to save!\n");
    EXPECT_FALSE(fs::exists(At("points.csv")));

    ASSERT_EQ(Tracery("--export " + Quoted("copy.bmp") + " " + Quoted("scan.bmp")).status, 0);
    EXPECT_EQ(ReadText(At("copy.bmp")), ReadText(At("scan.bmp")));

    // With an embedded copy the document describes itself; the format is then BMP too.
    ASSERT_EQ(Tracery("--export " + Quoted("doc.plm") + " " + Quoted("scan.bmp")).status, 0);
    const Outcome embedded = Tracery("--info " + Quoted("doc.plm"));
    EXPECT_EQ(embedded.status, 0);
    EXPECT_NE(embedded.out.find("File Name: doc.plm\nFile Format: BMP\nImage Width: 3\n"),
              std::string::npos);
}

TEST_F(CommandLine, AnOpenedImageTakesTheStoredPreferences) {
    WriteBytes(At("scan.bmp"), SmallBmp());
    fs::create_directories(At("Corvane"));
    std::ofstream(At("Corvane") / "Corvane Tracery.conf") << "[Settings]\nSaveReference=1\n";
    ASSERT_EQ(Tracery("--export " + Quoted("ref.plm") + " " + Quoted("scan.bmp")).status, 0);
    const std::string document = ReadText(At("ref.plm"));
    // Kept by reference: the file holds the image's path, not its pixels.
    EXPECT_NE(document.find(At("scan.bmp").string()), std::string::npos);
    EXPECT_LT(document.size(), 400 + At("scan.bmp").string().size() + 200);
    fs::remove(At("scan.bmp"));
    const Outcome missing = Tracery("--info " + Quoted("ref.plm"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Failed to open document.\n");
}

TEST_F(CommandLine, FailuresAreReportedOnStandardErrorWithStatusOne) {
    WriteBytes(At("text.txt"), Bytes{'h', 'e', 'l', 'l', 'o'});
    WriteBytes(At("in.plm"), SmallDocument());
    struct Case {
        std::string arguments;
        std::string err;
    };
    const Case cases[] = {
        {"--info " + Quoted("text.txt"),
         "Unknown file type detected... Not a known image or restart  file.\n"},
        {"--export " + Quoted("out.csv") + " " + Quoted("nonexistent.plm"),
         "Failed to open document.\n"},
        {"--export '" + At("missing").string() + "/out.plm' " + Quoted("in.plm"),
         "Invalid filename.\n"},
        {"--export '" + At("missing").string() + "/out.csv' " + Quoted("in.plm"),
         "Failed to save document.\n"},
        {"--export " + Quoted("copy.bmp") + " " + Quoted("in.plm"), "Problem saving the image!\n"},
    };
    for (const Case& c : cases) {
        const Outcome run = Tracery(c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_EQ(run.err, c.err) << c.arguments;
    }
}

TEST_F(CommandLine, PdfPagesAreChosenByPageAndResolution) {
    fs::copy_file(TestDataPath("images") / "two-pages.pdf", At("paper.pdf"));
    struct Case {
        std::string options;
        int status;
        std::string size; // "Image Width: ...\nImage Height: ..." or the error text
    };
    const Case cases[] = {
        {"", 0, "Image Width: 300\nImage Height: 225\n"},
        {"--page 2 --dpi 72", 0, "Image Width: 144\nImage Height: 108\n"},
        {"--dpi 36 --page 1", 0, "Image Width: 72\nImage Height: 54\n"},
        {"--dpi 14.4", 0, "Image Width: 29\nImage Height: 22\n"},
        {"--page 3", 1, "tracery: " + At("paper.pdf").string() + " has 2 pages, not 3\n"},
        {"--page 0", 2, "usage"},
        {"--page two", 2, "usage"},
        {"--page 1 --page 2", 2, "usage"},
        {"--dpi 0", 2, "usage"},
        {"--dpi -72", 2, "usage"},
        {"--dpi nan", 2, "usage"},
        {"--dpi 72x", 2, "usage"},
        {"--dpi", 2, "usage"},
    };
    for (const Case& c : cases) {
        const Outcome run = Tracery("--info " + c.options + " " + Quoted("paper.pdf"));
        EXPECT_EQ(run.status, c.status) << c.options << run.err;
        if (c.status == 0) {
            EXPECT_NE(run.out.find("File Format: PDF\n" + c.size), std::string::npos)
                << c.options << run.out;
        } else if (c.status == 1) {
            EXPECT_EQ(run.err, c.size) << c.options;
        } else {
            EXPECT_NE(run.err.find("usage: tracery"), std::string::npos) << c.options;
        }
    }
    // Exported as a BMP, page 2 at 72 dpi is the page's 144 x 108 pixels; the options
    // mean nothing to other files and are accepted for them.
    ASSERT_EQ(
        Tracery("--export " + Quoted("page.bmp") + " --page 2 --dpi 72 " + Quoted("paper.pdf"))
            .status,
        0);
    const Outcome page = Tracery("--info --page 5 " + Quoted("page.bmp"));
    EXPECT_EQ(page.status, 0) << page.err;
    EXPECT_NE(page.out.find("File Format: BMP\nImage Width: 144\nImage Height: 108\n"),
              std::string::npos);
}

} // namespace
