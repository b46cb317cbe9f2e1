#include "document/CPlumeDoc.h"
#include "BitmapPixels.h"
#include "ByteWriter.h"
#include "FakePlatform.h"
#include "SeededBitmap.h"
#include "Truncations.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "database/DbPointRep.h"
#include "document/SaveTypes.h"
#include "history/AttributeActions.h"
#include "history/PrimTask.h"
#include "image/BmpCodec.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kFailedToOpen = "Failed to open document.";
constexpr const char* kFailedToSave = "Failed to save document.";
constexpr const char* kInvalidFilename = "Invalid filename.";
constexpr const char* kNoPoints = "No points to save!";
constexpr const char* kProblemSavingImage = "Problem saving the image!";
constexpr const char* kUnknownFileType =
    "Unknown file type detected...\nNot a known image or restart  file.";

using Strings = std::vector<std::string>;

PackedBitmap Bitmap(int width, int height, int seed) {
    return SeededBitmap(width, height, 24, seed);
}

std::vector<std::uint8_t> Packed(const PackedBitmap& bitmap) {
    return std::vector<std::uint8_t>(bitmap.Data(), bitmap.Data() + bitmap.TotalSize());
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A collected point whose graph position is (x, y) whatever the mapping.
void AddPoint(CPlumeDoc& doc, double x, double y) {
    SmartPtr<DbPrimRep> primitive(new DbPointRep(DPoint{x, y}));
    auto task = std::make_unique<PrimTask>(doc.Database(), primitive);
    static_cast<DbPointRep&>(*primitive).graph = DPoint{x, y};
    ASSERT_TRUE(doc.Database()->Perform(std::move(task)));
    doc.CommitTask();
}

std::string Text(const CPlumeDoc& doc) {
    std::string text;
    doc.Database()->ExportText(text, " ");
    return text;
}

// Writes fail once a file would grow past `bytes`, instead of the process being killed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*handler_)(int) = nullptr;
};

class DocTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.preferences = &preferences;
        folder = fs::temp_directory_path() /
                 ("tracery-doc-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string At(const std::string& name) const { return (folder / name).string(); }

    // A BMP file of width x height in the test folder.
    std::string Image(const std::string& name, int width = 5, int height = 4, int seed = 1) {
        EXPECT_TRUE(BmpCodec::Save(Bitmap(width, height, seed), At(name)));
        return At(name);
    }

    // An opened image with the points (1.5, 2) and (3, 4) in the set "Line".
    void OpenWithPoints(CPlumeDoc& doc) {
        ASSERT_TRUE(doc.OpenDocument(Image("scan.bmp")));
        AddPoint(doc, 1.5, 2);
        AddPoint(doc, 3, 4);
    }

    // Each test starts the program afresh: first open still to come, no save type chosen.
    ApplicationState::Scope processState;
    CPreferences preferences;
    FakePlatform platform;
    fs::path folder;
};

TEST_F(DocTest, PromptSaveNameStartsFromTheDocumentThenFromTheLastChoice) {
    struct Case {
        const char* what;
        std::function<void(CPlumeDoc&)> setup;
        const char* name;
        int filter;
        const char* shown;
    };
    const Case cases[] = {
        {"items", [](CPlumeDoc& d) { AddPoint(d, 1, 1); }, "plot.txt", 3, "plot.csv"},
        {"image replaced", [](CPlumeDoc& d) { d.Database()->ReplaceImage(ImageStore(), 0); },
         "scan.tif", 1, "scan.plm"},
        {"data modified", [](CPlumeDoc& d) { d.Database()->SetDataModified(true); }, "x.bmp", 1,
         "x.plm"},
        {"image modified", [](CPlumeDoc& d) { d.Database()->SetImageModified(true); }, "x", 1,
         "x.plm"},
        {"nothing", [](CPlumeDoc&) {}, "Untitled.txt", 4, "Untitled.bmp"},
        {"unknown extension", [](CPlumeDoc&) {}, "data.dat", 4, "data.dat.bmp"},
    };
    platform.savePrompt.script.ok = false;
    for (const Case& c : cases) {
        ApplicationState::Scope freshProcess;
        CPlumeDoc doc(platform.Services());
        doc.NewDocument();
        c.setup(doc);
        std::string name = c.name;
        EXPECT_FALSE(doc.PromptSaveName(name, true)) << c.what;
        ASSERT_FALSE(platform.savePrompt.shown.empty());
        EXPECT_EQ(platform.savePrompt.shown.back().filter, c.filter) << c.what;
        EXPECT_EQ(platform.savePrompt.shown.back().name, c.shown) << c.what;
        EXPECT_EQ(name, c.name) << c.what;                        // Cancel changes nothing...
        EXPECT_EQ(CPlumeDoc::LastSaveType(), c.filter) << c.what; // ...but the first choice stays
    }

    // From now on the last choice wins over what the document holds.
    platform.savePrompt.script = {true, 2, std::nullopt, std::nullopt, std::nullopt};
    CPlumeDoc doc(platform.Services());
    doc.NewDocument();
    std::string name = "q.csv";
    ASSERT_TRUE(doc.PromptSaveName(name, true));
    EXPECT_EQ(platform.savePrompt.shown.back().name, "q.bmp");
    EXPECT_EQ(name, "q.txt");
    AddPoint(doc, 1, 1);
    platform.savePrompt.script.selectFilter = 0;
    ASSERT_TRUE(doc.PromptSaveName(name, true));
    EXPECT_EQ(platform.savePrompt.shown.back().filter, 2);
    EXPECT_EQ(name, "q.txt");
}

TEST_F(DocTest, PromptSaveNameCheckBoxesShowTheFlagsAndChangeThemOnlyOnOk) {
    struct Start {
        bool sort;
        bool byReference;
        bool items; // filter 3 on first use, else 1 (an image is set)
        bool imagePath;
        bool sortEnabled;
        bool copyEnabled;
    };
    const Start starts[] = {
        {false, false, true, true, true, false},
        {true, true, false, true, false, true},
        {true, false, false, false, false, false}, // no image file to refer to
    };
    struct Script {
        const char* what;
        bool ok;
        bool flip;
    };
    const Script scripts[] = {
        {"cancel", false, true}, {"ok flipped", true, true}, {"ok kept", true, false}};
    for (const Start& s : starts) {
        for (const Script& script : scripts) {
            ApplicationState::Scope freshProcess;
            CPlumeDoc doc(platform.Services());
            doc.NewDocument();
            PlumeData& d = *doc.Database();
            if (s.items) {
                AddPoint(doc, 1, 1);
            } else {
                d.ReplaceImage(ImageStore(), 0);
            }
            d.SetImagePath(s.imagePath ? "/images/scan.bmp" : "");
            d.SetSortData(s.sort);
            d.SetSaveByReference(s.byReference);
            platform.savePrompt.script = {script.ok, 0, std::nullopt,
                                          script.flip ? !s.sort : s.sort,
                                          script.flip ? s.byReference : !s.byReference};
            std::string name = "x";
            EXPECT_EQ(doc.PromptSaveName(name, true), script.ok);
            const FakeSavePrompt::Shown& shown = platform.savePrompt.shown.back();
            EXPECT_EQ(shown.sort, s.sort);
            EXPECT_EQ(shown.saveCopy, !s.byReference);
            EXPECT_EQ(shown.sortEnabled, s.sortEnabled);
            EXPECT_EQ(shown.saveCopyEnabled, s.copyEnabled);
            const bool changed = script.ok && script.flip;
            EXPECT_EQ(d.SortData(), s.sort != changed) << script.what;
            EXPECT_EQ(d.SaveByReference(), s.byReference != changed) << script.what;
        }
    }
}

TEST_F(DocTest, SaveAfterOpenPromptsOnceAndLeavesACleanDocument) {
    CPlumeDoc doc(platform.Services());
    ASSERT_TRUE(doc.OpenDocument(Image("scan.bmp")));
    AddPoint(doc, 1.5, 2);
    EXPECT_EQ(platform.views.title, "scan*");
    EXPECT_EQ(platform.views.panes[2], "1");
    EXPECT_TRUE(doc.QueryCommand(CPlumeDoc::kUndo).enabled);

    ASSERT_TRUE(doc.SaveWithPrompt(doc.Path(), true)); // a path, and still a prompt
    ASSERT_EQ(platform.savePrompt.shown.size(), 1u);
    EXPECT_EQ(platform.savePrompt.shown[0].name, At("scan.csv"));
    EXPECT_EQ(platform.savePrompt.shown[0].title, "Save As");
    EXPECT_EQ(doc.Path(), At("scan.csv"));
    EXPECT_EQ(ReadFile(At("scan.csv")), "Line\r\nX, Y\r\n1.5, 2\r\n\r\n\r\n");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.NeedsNamePrompt());
    EXPECT_FALSE(doc.QueryCommand(CPlumeDoc::kUndo).enabled);
    EXPECT_EQ(platform.views.title, "scan.csv");
    EXPECT_EQ(platform.busy.begins, platform.busy.ends);

    AddPoint(doc, 3, 4);
    ASSERT_TRUE(doc.SaveWithPrompt(doc.Path(), true)); // the same form, no prompt
    EXPECT_EQ(platform.savePrompt.shown.size(), 1u);
    EXPECT_EQ(ReadFile(At("scan.csv")), "Line\r\nX, Y\r\n1.5, 2\r\n3, 4\r\n\r\n\r\n");

    ASSERT_TRUE(doc.RunCommand(CPlumeDoc::kDeleteAllData));
    platform.savePrompt.script.ok = false;
    EXPECT_FALSE(doc.SaveWithPrompt(doc.Path(), true));
    EXPECT_EQ(platform.savePrompt.shown.size(), 2u);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFile(At("scan.csv")), "Line\r\nX, Y\r\n1.5, 2\r\n3, 4\r\n\r\n\r\n");
    EXPECT_TRUE(platform.messages.shown.empty());
}

TEST_F(DocTest, EverySavedFormButPlainTextGoesOnTheRecentList) {
    struct Case {
        const char* what;
        int filter; // chosen in the prompt; 0: saved under `path` without one
        const char* path;
        bool replace;
        bool recent;
    };
    const Case cases[] = {
        {"document", 1, "out.plm", true, true},
        {"text", 2, "out.txt", true, false},
        {"comma", 3, "out.csv", true, true},
        {"bitmap", 4, "out.bmp", true, true},
        {"unknown extension", 0, "out.dat", true, true},
        {"a copy", 3, "out.csv", false, false},
    };
    for (const Case& c : cases) {
        CPlumeDoc doc(platform.Services());
        OpenWithPoints(doc);
        if (c.filter == 0) {
            platform.savePrompt.script = {};
            ASSERT_TRUE(doc.SaveWithPrompt("", true)); // the prompt is behind us
            AddPoint(doc, 5, 6);
        }
        platform.savePrompt.script = {true, c.filter, At("out"), std::nullopt, std::nullopt};
        platform.recentFiles.paths.clear();
        fs::remove(At(c.path));
        const std::string before = doc.Path();
        ASSERT_TRUE(doc.SaveWithPrompt(c.filter == 0 ? At(c.path) : "", c.replace)) << c.what;
        EXPECT_TRUE(fs::exists(At(c.path))) << c.what;
        EXPECT_EQ(doc.Path(), c.replace ? At(c.path) : before) << c.what;
        EXPECT_EQ(platform.recentFiles.paths, c.recent ? Strings{doc.Path()} : Strings{}) << c.what;
        EXPECT_FALSE(doc.IsModified()) << c.what;
        EXPECT_FALSE(doc.NeedsNamePrompt()) << c.what;
        EXPECT_FALSE(doc.QueryCommand(CPlumeDoc::kUndo).enabled) << c.what;
    }
    EXPECT_EQ(ReadFile(At("out.dat")), "Line\r\nX Y\r\n1.5 2\r\n3 4\r\n5 6\r\n\r\n\r\n");
    EXPECT_TRUE(platform.messages.shown.empty());
}

TEST_F(DocTest, ClosingAModifiedDocumentAsksAndSavesAsSaveDoes) {
    using Answer = MessageService::Answer;
    struct Case {
        const char* what;
        bool modified;
        Answer answer;
        bool promptOk;
        bool mayClose;
        bool saved;
    };
    const Case cases[] = {
        {"unmodified", false, Answer::Yes, true, true, false},
        {"yes", true, Answer::Yes, true, true, true},
        {"yes, then cancel the save", true, Answer::Yes, false, false, false},
        {"no", true, Answer::No, true, true, false},
        {"cancel", true, Answer::Cancel, true, false, false},
    };
    for (const Case& c : cases) {
        platform.messages.asked.clear();
        fs::remove(At("scan.csv"));
        CPlumeDoc doc(platform.Services());
        ASSERT_TRUE(doc.OpenDocument(Image("scan.bmp")));
        if (c.modified) {
            AddPoint(doc, 1, 1);
        }
        platform.messages.answer = c.answer;
        platform.savePrompt.script = {};
        platform.savePrompt.script.ok = c.promptOk;
        EXPECT_EQ(doc.SaveModified(), c.mayClose) << c.what;
        EXPECT_EQ(platform.messages.asked, c.modified ? Strings{"scan"} : Strings{}) << c.what;
        EXPECT_EQ(fs::exists(At("scan.csv")), c.saved) << c.what;
        EXPECT_EQ(doc.IsModified(), c.modified && !c.saved) << c.what;
    }
}

TEST_F(DocTest, AnUntitledDocumentIsProposedUnderItsTitleCutAtTheFirstSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"Untitled", "Untitled.csv"},
        {"run#2", "run.csv"},
        {"my plot", "my.csv"},
        {"a%b", "a.csv"},
        {"c;d", "c.csv"},
        {"e\\f", "e.csv"},
    };
    platform.savePrompt.script.ok = false;
    for (const auto& [title, shown] : cases) {
        CPlumeDoc doc(platform.Services());
        doc.NewDocument();
        AddPoint(doc, 1, 1);
        doc.UpdateTitle(title);
        EXPECT_EQ(platform.views.title, std::string(title) + "*");
        EXPECT_FALSE(doc.SaveWithPrompt("", true));
        EXPECT_EQ(platform.savePrompt.shown.back().name, shown) << title;
    }
}

TEST_F(DocTest, SaveDocumentWritesTheFormThatTheExtensionNames) {
    CPlumeDoc doc(platform.Services());
    OpenWithPoints(doc);
    PlumeData& d = *doc.Database();
    const std::string space = "Line\r\nX Y\r\n1.5 2\r\n3 4\r\n\r\n\r\n";
    const std::string comma = "Line\r\nX, Y\r\n1.5, 2\r\n3, 4\r\n\r\n\r\n";
    const std::pair<const char*, const std::string*> cases[] = {
        {"a.txt", &space}, {"b.csv", &comma},     {"C.CSV", &comma},
        {"d.dat", &space}, {"e.txt.csv", &comma}, {"noext", &space},
    };
    for (const auto& [name, text] : cases) {
        d.SetDataModified(true);
        ASSERT_TRUE(doc.SaveDocument(At(name))) << name;
        EXPECT_EQ(ReadFile(At(name)), *text) << name;
        EXPECT_EQ(d.ExportPath(), At(name)) << name;
        EXPECT_FALSE(d.DataModified()) << name;
        EXPECT_EQ(d.ImagePath(), At("scan.bmp")) << name;
    }

    d.SetImageModified(true);
    ASSERT_TRUE(doc.SaveDocument(At("copy.bmp")));
    ImageStore written;
    ASSERT_TRUE(written.LoadFile(At("copy.bmp")));
    EXPECT_EQ(ToRgb(written.GetPackedBitmap()), ToRgb(d.Image().GetPackedBitmap()));
    EXPECT_EQ(d.ImagePath(), At("copy.bmp"));
    EXPECT_FALSE(d.ImageModified());
    EXPECT_TRUE(platform.messages.shown.empty());
}

TEST_F(DocTest, AFailedSaveReportsOnceAndLeavesWhatWasThere) {
    enum class Target { MissingFolder, Directory, Existing, ExistingWriteFails };
    struct Case {
        const char* what;
        const char* name;
        Target target;
        bool image;
        bool points;
        const char* message;
    };
    const Case cases[] = {
        {"document, missing folder", "missing/x.plm", Target::MissingFolder, true, true,
         kInvalidFilename},
        {"text, missing folder", "missing/x.txt", Target::MissingFolder, true, true, kFailedToSave},
        {"comma, missing folder", "missing/x.csv", Target::MissingFolder, true, true,
         kFailedToSave},
        {"bitmap, missing folder", "missing/x.bmp", Target::MissingFolder, true, true,
         kProblemSavingImage},
        {"document onto a folder", "old.plm", Target::Directory, true, true, kInvalidFilename},
        {"text onto a folder", "old.txt", Target::Directory, true, true, kFailedToSave},
        {"document, write fails", "old.plm", Target::ExistingWriteFails, true, true, kFailedToSave},
        {"text, write fails", "old.txt", Target::ExistingWriteFails, true, true, kFailedToSave},
        {"comma, write fails", "old.csv", Target::ExistingWriteFails, true, true, kFailedToSave},
        {"bitmap, write fails", "old.bmp", Target::ExistingWriteFails, true, true,
         kProblemSavingImage},
        {"text, no points", "old.txt", Target::Existing, true, false, kNoPoints},
        {"comma, no points", "old.csv", Target::Existing, true, false, kNoPoints},
        {"bitmap, no image", "old.bmp", Target::Existing, false, true, kProblemSavingImage},
    };
    const std::string precious = "precious\n";
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        const fs::path target = At(c.name);
        if (c.target == Target::Directory) {
            fs::create_directories(target);
        } else if (c.target != Target::MissingFolder) {
            WriteFile(target, precious);
        }

        CPlumeDoc doc(platform.Services());
        if (c.image) {
            ASSERT_TRUE(doc.OpenDocument(Image("scan.bmp")));
        } else {
            doc.NewDocument();
        }
        if (c.points) {
            AddPoint(doc, 1.5, 2);
            AddPoint(doc, 3, 4);
        }
        const std::set<std::string> beforeSave = Listing(folder);
        platform.messages.shown.clear();
        // Save As onto the target: a failed Save As must not delete what it would replace.
        platform.savePrompt.script = {true, SaveTypes::Match(c.name), target.string(), std::nullopt,
                                      std::nullopt};
        bool saved = true;
        if (c.target == Target::ExistingWriteFails) {
            FileSizeLimit limit(precious.size() + 4);
            saved = doc.SaveWithPrompt("", true);
        } else {
            saved = doc.SaveWithPrompt("", true);
        }
        EXPECT_FALSE(saved) << c.what;
        EXPECT_EQ(platform.messages.shown, Strings{c.message}) << c.what;
        EXPECT_EQ(Listing(folder), beforeSave) << c.what; // no temporary file left
        if (c.target == Target::Directory) {
            EXPECT_TRUE(fs::is_directory(target)) << c.what;
        } else if (c.target != Target::MissingFolder) {
            EXPECT_EQ(ReadFile(target), precious) << c.what;
        }
        EXPECT_TRUE(doc.NeedsNamePrompt()) << c.what;
        EXPECT_EQ(doc.Path(), c.image ? At("scan.bmp") : "") << c.what;
        // The document still counts as changed, also once the database recomputes the flag.
        doc.SelectDataSet(doc.Database()->SetManager().GetCurrent());
        EXPECT_TRUE(doc.IsModified()) << c.what;
    }
}

// A document of several megabytes goes to its file as it is serialised: it reads back the
// same, and a disk that fills up part-way fails the save and leaves the old file alone.
TEST_F(DocTest, ABigDocumentStreamsIntoItsFile) {
    CPlumeDoc doc(platform.Services());
    ASSERT_TRUE(doc.OpenDocument(Image("scan.bmp", 800, 600, 3)));
    PlumeData& d = *doc.Database();
    d.NewSet("Second");
    for (int i = 0; i < 40000; ++i) {
        auto* point = new DbPointRep(DPoint{i * 0.5, double(i % 600)});
        point->graph = DPoint{i * 0.25, i * -1.5};
        d.AddPrimitive(SmartPtr<DbPrimRep>(point), i % 2);
    }
    d.SetImageModified(true);
    ASSERT_TRUE(doc.SaveDocument(At("big.plm")));
    const std::string saved = ReadFile(At("big.plm"));
    ASSERT_GT(saved.size(), 3u << 20); // three chunks and more

    CPlumeDoc reopened(platform.Services());
    ASSERT_TRUE(reopened.OpenDocument(At("big.plm")));
    EXPECT_EQ(reopened.Database()->SetManager().GetTotalCount(), 40000);
    EXPECT_EQ(Text(reopened), Text(doc));
    EXPECT_EQ(Packed(reopened.Database()->Image().GetPackedBitmap()),
              Packed(d.Image().GetPackedBitmap()));
    EXPECT_TRUE(platform.messages.shown.empty());

    const std::set<std::string> before = Listing(folder);
    d.SetDataModified(true);
    {
        FileSizeLimit limit(2u << 20);
        EXPECT_FALSE(doc.SaveDocument(At("big.plm")));
    }
    EXPECT_EQ(platform.messages.shown, Strings{kFailedToSave});
    EXPECT_EQ(Listing(folder), before);
    EXPECT_EQ(ReadFile(At("big.plm")), saved);
}

TEST_F(DocTest, OpeningAnImageTakesItsPathTypeAndThePreferences) {
    for (int preference : {1, 0}) {
        preferences.saveReference = preference;
        preferences.sortData = preference;
        ApplicationState::Scope freshProcess;
        platform.recentFiles.paths.clear();
        CPlumeDoc doc(platform.Services());
        const std::string path = Image("scan.bmp", 5, 4);
        ASSERT_TRUE(doc.OpenDocument(path));
        const PlumeData& d = *doc.Database();
        EXPECT_EQ(d.ImagePath(), path);
        EXPECT_EQ(d.Image().GetTypeCode(), ImageStore::kTypeBmp);
        EXPECT_EQ(doc.GetImageSize(), (std::pair<int, int>{5, 4}));
        EXPECT_EQ(d.SaveByReference(), preference != 0);
        EXPECT_EQ(d.SortData(), preference != 0);
        EXPECT_EQ(Text(doc), "Line\n\n");
        EXPECT_EQ(doc.Path(), path);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_TRUE(doc.NeedsNamePrompt());
        EXPECT_NE(doc.MappingManager(), nullptr);
        EXPECT_EQ(platform.recentFiles.paths, Strings{path});
        EXPECT_EQ(platform.views.title, "scan");
        EXPECT_EQ(platform.views.panes[4], "scan.bmp");
        EXPECT_EQ(platform.views.panes[2], "0");
        EXPECT_EQ(platform.views.attached, doc.Database());
    }
    EXPECT_TRUE(platform.messages.shown.empty());
}

TEST_F(DocTest, OpeningAFileThatIsNoDocumentReportsOnce) {
    struct Case {
        const char* what;
        const char* name;
        std::optional<std::string> bytes; // none: no such file
        bool ok;
        Strings messages;
    };
    ByteWriter badVersion;
    badVersion.I32(static_cast<std::int32_t>(CPlumeDoc::kMagic)).I32(1).I32(0);
    const Case cases[] = {
        {"empty", "empty.plm", std::string(), true, {}},
        {"text", "notes.txt", std::string("hello, world"), false, {kUnknownFileType}},
        {"shorter than the magic", "a.plm", std::string("PL"), false, {kFailedToOpen}},
        {"magic only", "b.plm", std::string("PLMQ"), false, {kFailedToOpen}},
        {"old database version",
         "c.plm",
         std::string(badVersion.bytes().begin(), badVersion.bytes().end()),
         false,
         {kFailedToOpen}},
        {"missing", "none.plm", std::nullopt, false, {kFailedToOpen}},
        {"folder", "folder.plm", std::nullopt, false, {kFailedToOpen}},
    };
    fs::create_directories(At("folder.plm"));
    for (const Case& c : cases) {
        if (c.bytes) {
            WriteFile(At(c.name), *c.bytes);
        }
        platform.messages.shown.clear();
        platform.recentFiles.paths.clear();
        CPlumeDoc doc(platform.Services());
        EXPECT_EQ(doc.OpenDocument(At(c.name)), c.ok) << c.what;
        EXPECT_EQ(platform.messages.shown, c.messages) << c.what;
        EXPECT_EQ(platform.recentFiles.paths.size(), c.ok ? 1u : 0u) << c.what;
        if (c.ok) {
            EXPECT_EQ(Text(doc), "Line\n\n") << c.what;
            EXPECT_EQ(platform.views.title, "empty") << c.what;
        } else {
            EXPECT_EQ(doc.Database(), nullptr) << c.what;
            EXPECT_EQ(platform.views.attached, nullptr) << c.what; // the bars let go
        }
    }
}

// Three sets with list and set attributes shared among points, a grid, a mapping region,
// an embedded image and a set name outside ASCII; written, read back with that name as a
// wide string, then cut at every length.
TEST_F(DocTest, EveryTruncationOfADocumentFileFailsWithOneMessage) {
    CPlumeDoc doc(platform.Services());
    OpenWithPoints(doc);
    PlumeData& d = *doc.Database();
    ASSERT_TRUE(doc.RunCommand(CPlumeDoc::kDefineMappingFullSized));
    d.Grid().snapX = 1;
    d.Grid().stepX = 5;
    ASSERT_TRUE(d.Perform(attribute_actions::Define(&d, "Sample", "A", false)));
    ASSERT_TRUE(d.Perform(attribute_actions::Define(&d, "Run", "7", true)));
    AddPoint(doc, 5, 6);
    ASSERT_TRUE(doc.NewDataSet("Second"));
    AddPoint(doc, 7, 8);
    ASSERT_TRUE(d.Perform(attribute_actions::Define(&d, "Note", "x", true)));
    ASSERT_TRUE(doc.NewDataSet("Trace\xE9"));
    AddPoint(doc, 9, 10);
    AddPoint(doc, 11, 12);
    d.SetExportPath("/data/export.csv");
    const std::string text = Text(doc);
    ASSERT_TRUE(doc.SaveDocument(At("full.plm")));

    std::string bytes = ReadFile(At("full.plm"));
    const std::string narrow = std::string("\x06Trace\xE9", 7);
    const std::size_t at = bytes.find(narrow);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(bytes.find(narrow, at + 1), std::string::npos);
    std::string wide = "\xFF\xFE\xFF\x06";
    for (char c : std::string("Trace\xE9")) {
        wide += c;
        wide += '\0';
    }
    bytes.replace(at, narrow.size(), wide);
    WriteFile(At("wide.plm"), bytes);

    for (const char* name : {"full.plm", "wide.plm"}) {
        CPlumeDoc reread(platform.Services());
        ASSERT_TRUE(reread.OpenDocument(At(name))) << name;
        EXPECT_EQ(Text(reread), text) << name;
        EXPECT_EQ(reread.Database()->ImagePath(), At(name)) << name; // the embedded image
        EXPECT_EQ(ToRgb(reread.Database()->Image().GetPackedBitmap()),
                  ToRgb(d.Image().GetPackedBitmap()))
            << name;
        EXPECT_EQ(reread.Database()->Grid().stepX, 5) << name;
        EXPECT_EQ(reread.Database()->ExportPath(), "/data/export.csv") << name;
        EXPECT_FALSE(reread.Database()->SaveByReference()) << name;
    }
    EXPECT_TRUE(platform.messages.shown.empty());

    ForEachTruncation(bytes, [&](const std::string& prefix, std::size_t length) {
        WriteFile(At("cut.plm"), prefix);
        platform.messages.shown.clear();
        CPlumeDoc cut(platform.Services());
        const bool ok = cut.OpenDocument(At("cut.plm"));
        EXPECT_EQ(ok, length == 0) << length;
        EXPECT_EQ(platform.messages.shown, length == 0 ? Strings{} : Strings{kFailedToOpen})
            << length;
    });
}

TEST_F(DocTest, CommandsAreEnabledAndCheckedByTheDocumentsState) {
    using C = CPlumeDoc;
    // One column per state: a new document; an opened image with a bitmap on the
    // clipboard; then a mapping region, a point, an empty current set "Second", grid snap
    // and sorting; then one undo (of the new set). '.' disabled, 'e' enabled, 'c' checked.
    const std::pair<int, const char*> expected[] = {
        {C::kUndo, "..ee"},
        {C::kRedo, "...e"},
        {C::kAxisMapping, "..ee"},
        {C::kPixelMapping, "..ee"},
        {C::kDefineMappingFullSized, ".eee"},
        {C::kGridSnap, "..cc"},
        {C::kDeleteAllData, "..ee"},
        {C::kClearCurrentSet, "...e"},
        {C::kDeleteCurrentSet, ".eee"},
        {C::kNewDataSet, "eeee"},
        {C::kSortData, "..cc"},
        {C::kFlipHorizontal, ".eee"},
        {C::kFlipVertical, ".eee"},
        {C::kRotateClockwise, ".eee"},
        {C::kRotateCounterClockwise, ".eee"},
        {C::kRotate180, ".eee"},
        {C::kImageInfo, ".eee"},
        {C::kCopy, ".eee"},
        {C::kPaste, ".eee"},
        {C::kOptions, "eeee"},
    };
    for (int state = 0; state < 4; ++state) {
        FakePlatform p;
        p.preferences = &preferences;
        CPlumeDoc doc(p.Services());
        if (state == 0) {
            doc.NewDocument();
        } else {
            ASSERT_TRUE(doc.OpenDocument(Image("scan.bmp")));
            p.clipboard.bitmap = Packed(Bitmap(2, 2, 0));
        }
        if (state >= 2) {
            ASSERT_TRUE(doc.RunCommand(C::kDefineMappingFullSized));
            AddPoint(doc, 1, 1);
            ASSERT_TRUE(doc.NewDataSet("Second"));
            doc.Database()->Grid().snapX = 1;
            doc.Database()->SetSortData(true);
        }
        if (state == 3) {
            ASSERT_TRUE(doc.RunCommand(C::kUndo));
        }
        for (const auto& [command, states] : expected) {
            const C::CommandState query = doc.QueryCommand(command);
            const char got = !query.enabled ? '.' : query.checked ? 'c' : 'e';
            EXPECT_EQ(got, states[state]) << "command " << command << " state " << state;
        }
    }
}

TEST_F(DocTest, CommandsChangeTheDocumentAndTellTheViews) {
    using C = CPlumeDoc;
    struct Case {
        const char* what;
        std::vector<int> commands;
        std::vector<int> hints;
        std::function<void(ImageStore&)> image; // what becomes of the image; none: unchanged
        std::function<void(CPlumeDoc&)> check;
    };
    const auto none = [](CPlumeDoc&) {};
    const std::vector<Case> cases = {
        {"flip horizontal",
         {C::kFlipHorizontal},
         {1},
         [](ImageStore& i) { i.FlipHorizontal(); },
         none},
        {"flip vertical", {C::kFlipVertical}, {1}, [](ImageStore& i) { i.FlipVertical(); }, none},
        {"rotate clockwise", {C::kRotateClockwise}, {1}, [](ImageStore& i) { i.Rotate(90); }, none},
        {"rotate counter clockwise",
         {C::kRotateCounterClockwise},
         {1},
         [](ImageStore& i) { i.Rotate(270); },
         none},
        {"rotate 180", {C::kRotate180}, {1}, [](ImageStore& i) { i.Rotate(180); }, none},
        {"flip, undo", {C::kFlipHorizontal, C::kUndo}, {1, 1}, nullptr, none},
        {"flip, undo, redo",
         {C::kFlipHorizontal, C::kUndo, C::kRedo},
         {1, 1, 1},
         [](ImageStore& i) { i.FlipHorizontal(); },
         none},
        {"delete all data",
         {C::kDeleteAllData},
         {0},
         nullptr,
         [](CPlumeDoc& d) {
             EXPECT_EQ(d.Database()->SetManager().GetTotalCount(), 0);
             EXPECT_TRUE(d.NeedsNamePrompt());
         }},
        {"clear current set",
         {C::kClearCurrentSet},
         {0},
         nullptr,
         [](CPlumeDoc& d) {
             EXPECT_EQ(d.Database()->SetManager().GetCurrentCount(), 0);
             EXPECT_EQ(d.Database()->SetManager().GetTotalCount(), 2);
         }},
        {"delete current set",
         {C::kDeleteCurrentSet},
         {0},
         nullptr,
         [](CPlumeDoc& d) { EXPECT_EQ(Text(d), "Line\nX Y\n1 1\n2 2\n\n\n\n\n"); }},
        {"sort",
         {C::kSortData},
         {},
         nullptr,
         [](CPlumeDoc& d) { EXPECT_TRUE(d.Database()->SortData()); }},
        {"define mapping full sized",
         {C::kDefineMappingFullSized},
         {0},
         nullptr,
         [](CPlumeDoc& d) {
             const Box& region = d.Database()->Mapping().region;
             EXPECT_EQ(region.pixelCount, 8);
             EXPECT_EQ(region.pixelNodes[0], (DPoint{0, 0}));
             EXPECT_EQ(region.pixelNodes[4], (DPoint{2, 1}));
         }},
    };
    for (const Case& c : cases) {
        FakePlatform p;
        p.preferences = &preferences;
        CPlumeDoc doc(p.Services());
        ASSERT_TRUE(doc.OpenDocument(Image("scan.bmp", 3, 2)));
        AddPoint(doc, 1, 1);
        AddPoint(doc, 2, 2);
        ASSERT_TRUE(doc.NewDataSet("Second"));
        AddPoint(doc, 3, 3);
        ASSERT_TRUE(doc.SaveWithPrompt(doc.Path(), true));
        ASSERT_FALSE(doc.NeedsNamePrompt());
        ASSERT_FALSE(doc.RunCommand(C::kRedo)); // disabled: does nothing
        ImageStore expected(doc.Database()->Image());
        if (c.image) {
            c.image(expected);
        }
        p.views.hints.clear();
        for (int command : c.commands) {
            EXPECT_TRUE(doc.RunCommand(command)) << c.what;
        }
        EXPECT_EQ(p.views.hints, c.hints) << c.what;
        EXPECT_EQ(ToRgb(doc.Database()->Image().GetPackedBitmap()),
                  ToRgb(expected.GetPackedBitmap()))
            << c.what;
        c.check(doc);
    }
}

TEST_F(DocTest, CopyAndPasteGoThroughTheClipboard) {
    CPlumeDoc doc(platform.Services());
    ASSERT_TRUE(doc.OpenDocument(Image("scan.bmp", 5, 4)));
    AddPoint(doc, 1.5, 2);
    ASSERT_TRUE(doc.RunCommand(CPlumeDoc::kCopy));
    EXPECT_EQ(platform.clipboard.text, "Line\nX\tY\n1.5\t2\n\n\n");
    EXPECT_EQ(platform.clipboard.bitmap, Packed(doc.Database()->Image().GetPackedBitmap()));
    EXPECT_FALSE(platform.clipboard.isOpen);
    EXPECT_EQ(platform.busy.begins, platform.busy.ends);

    FakeClipboard& clipboard = platform.clipboard;
    clipboard.text = "kept";
    clipboard.bitmap = Packed(Bitmap(4, 3, 9));
    clipboard.refuseOpen = true;
    EXPECT_FALSE(doc.RunCommand(CPlumeDoc::kCopy));
    EXPECT_EQ(clipboard.text, "kept");
    EXPECT_FALSE(doc.RunCommand(CPlumeDoc::kPaste));
    EXPECT_EQ(doc.GetImageSize(), (std::pair<int, int>{5, 4}));

    struct Case {
        const char* what;
        std::vector<std::uint8_t> bitmap;
        int reuse;
        bool pasted;
    };
    const Case cases[] = {
        {"paste", Packed(Bitmap(4, 3, 9)), 0, true},
        {"paste keeping the mapping", Packed(Bitmap(4, 3, 9)), 1, true},
        {"no packed bitmap", {1, 2, 3}, 0, false},
    };
    for (const Case& c : cases) {
        FakePlatform p;
        p.preferences = &preferences;
        preferences.reuseMappingData = c.reuse;
        CPlumeDoc pasting(p.Services());
        ASSERT_TRUE(pasting.OpenDocument(Image("scan.bmp", 5, 4)));
        ASSERT_TRUE(pasting.RunCommand(CPlumeDoc::kDefineMappingFullSized));
        AddPoint(pasting, 1, 1);
        p.views.hints.clear();
        p.clipboard.bitmap = c.bitmap;
        EXPECT_EQ(pasting.RunCommand(CPlumeDoc::kPaste), c.pasted) << c.what;
        EXPECT_FALSE(p.clipboard.isOpen) << c.what;
        const PlumeData& d = *pasting.Database();
        const std::pair<int, int> size = c.pasted ? std::pair{4, 3} : std::pair{5, 4};
        EXPECT_EQ(pasting.GetImageSize(), size) << c.what;
        EXPECT_EQ(d.SetManager().GetTotalCount(), c.pasted ? 0 : 1) << c.what;
        EXPECT_EQ(d.Mapping().region.pixelCount > 0, !c.pasted || c.reuse != 0) << c.what;
        EXPECT_EQ(p.views.hints, c.pasted ? std::vector<int>{2} : std::vector<int>{}) << c.what;
        if (c.pasted) {
            EXPECT_EQ(ToRgb(d.Image().GetPackedBitmap()), ToRgb(Bitmap(4, 3, 9))) << c.what;
        }
    }
}

TEST(CPreferences, LoadsInTableOrderAndSavesAllButThePickTolerance) {
    const char* keys[] = {"ZoomType",         "PickTol",      "SortData",  "SaveReference",
                          "ReuseMappingData", "AllowCaching", "CacheSize", "BoxColor",
                          "CropColor",        "GridColor",    "PtsColor",  "Magnifier",
                          "MagnifierZoom",    "PdfDpi"};
    const auto values = [](const CPreferences& p) {
        return std::vector<std::int32_t>{
            p.zoomType,     p.pickTol,   p.sortData,      p.saveReference, p.reuseMappingData,
            p.allowCaching, p.cacheSize, p.boxColor,      p.cropColor,     p.gridColor,
            p.ptsColor,     p.magnifier, p.magnifierZoom, p.pdfDpi};
    };
    Strings reads;
    for (const char* key : keys) {
        reads.push_back(std::string("Settings/") + key);
    }

    FakeSettings empty;
    CPreferences defaults;
    defaults.Load(empty);
    EXPECT_EQ(empty.reads, reads);
    EXPECT_EQ(values(defaults),
              (std::vector<std::int32_t>{2, 3, 0, 0, 0, 1, 3, 255, 0, 13158600, 255, 1, 8, 150}));

    FakeSettings stored;
    std::vector<std::int32_t> expected;
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        expected.push_back(i == 0 ? -7 : static_cast<std::int32_t>(100 + i)); // no range checks
        stored.ints[{"Settings", keys[i]}] = expected.back();
    }
    stored.ints[{"Other", "ZoomType"}] = 1;
    CPreferences loaded;
    loaded.Load(stored);
    EXPECT_EQ(values(loaded), expected);

    FakeSettings saved;
    loaded.Save(saved);
    std::vector<std::pair<std::string, std::int32_t>> writes;
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        if (std::string(keys[i]) != "PickTol") {
            writes.emplace_back(reads[i], expected[i]);
        }
    }
    EXPECT_EQ(saved.intWrites, writes);
}

} // namespace
