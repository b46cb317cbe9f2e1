// Scans through the source manager over SANE, with SANE's own `test` backend, from the
// main window's commands to the documents they make.

#include "FakePlatform.h"
#include "FrameRig.h"
#include "SaneTestBackend.h"

#include "BitmapPixels.h"
#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"
#include "image/ImageStore.h"
#include "scanner/SaneLibrary.h"
#include "scanner/SaneManagerLoader.h"
#include "shell/FrameTwain.h"
#include "twain/SourceManagerLibrary.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace twain;

namespace {

// A page as the backend gives it with its own defaults, read without the program's code:
// its colours (0x00RRGGBB, top row first) and size.
struct RawPage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
};

RawPage ScanDirectly(SaneTestBackend& backend) {
    backend.Install();
    RawPage raw;
    SaneLibrary sane;
    EXPECT_TRUE(sane.Load());
    SANE_Int version = 0;
    EXPECT_EQ(sane.init(&version, nullptr), SANE_STATUS_GOOD);
    SANE_Handle handle = nullptr;
    EXPECT_EQ(sane.open("test:0", &handle), SANE_STATUS_GOOD);
    EXPECT_EQ(sane.start(handle), SANE_STATUS_GOOD);
    SANE_Parameters p{};
    EXPECT_EQ(sane.get_parameters(handle, &p), SANE_STATUS_GOOD);
    std::vector<SANE_Byte> bytes;
    SANE_Byte buffer[4096];
    SANE_Int length = 0;
    while (sane.read(handle, buffer, sizeof buffer, &length) == SANE_STATUS_GOOD) {
        bytes.insert(bytes.end(), buffer, buffer + length);
    }
    sane.cancel(handle);
    sane.close(handle);
    sane.exit();
    EXPECT_EQ(p.depth, 8);
    raw.width = p.pixels_per_line;
    raw.height = p.lines;
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(p.bytes_per_line) * p.lines);
    for (int y = 0; y < p.lines; ++y) {
        const SANE_Byte* row = bytes.data() + static_cast<std::size_t>(y) * p.bytes_per_line;
        for (int x = 0; x < p.pixels_per_line; ++x) {
            if (p.format == SANE_FRAME_RGB) {
                raw.rgb.push_back(row[3 * x] << 16 | row[3 * x + 1] << 8 | row[3 * x + 2]);
            } else {
                raw.rgb.push_back(row[x] * 0x010101u);
            }
        }
    }
    return raw;
}

// The main window with the source manager over SANE installed, the `test` backend's
// devices behind it, and the manager's windows scripted.
struct SaneRig {
    SaneRig() { backend.Install(); }
    void Settle() {
        for (int round = 0; round < 5; ++round) {
            QCoreApplication::postEvent(rig.frame.get(), new QEvent(QEvent::User));
            QCoreApplication::processEvents();
        }
    }
    void Acquire() {
        rig.frame->RunCommand(kScannerAcquire);
        Settle();
    }
    int State() { return rig.frame->Scanner().State(); }
    std::vector<CPlumeDoc*> Documents() { return rig.frame->Documents().Documents(); }
    std::vector<std::string>& Messages() { return rig.platform.messages.shown; }

    SaneTestBackend backend;
    ScriptedScannerDialogs dialogs;
    FakeSettings settings;
    SaneManagerLoader loader{dialogs, &settings};
    SourceManagerLibrary::Scope library{&loader};
    FrameRig rig;
};

TEST(SaneScan, CommandsNeedTheSaneLibrary) {
    const struct {
        const char* library;
        bool enabled;
    } cases[] = {{SaneLibrary::kDefaultName, true}, {"libsane-missing.so.1", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.library);
        ScriptedScannerDialogs dialogs;
        SaneManagerLoader loader(dialogs, nullptr, c.library);
        SourceManagerLibrary::Scope library(&loader);
        FrameRig rig;
        EXPECT_EQ(rig.Enabled(kScannerSelectSource), c.enabled);
        EXPECT_EQ(rig.Enabled(kScannerAcquire), c.enabled);
    }
}

// The device list shows every device with its vendor and model, starts on the remembered
// device, and the choice is remembered for the next start of the program.
TEST(SaneScan, TheSelectionListsTheDevicesAndIsRemembered) {
    SaneRig s;
    s.dialogs.choose = "test:1";
    s.rig.frame->RunCommand(kScannerSelectSource);
    ASSERT_EQ(s.dialogs.listsShown.size(), 1u);
    const auto& list = s.dialogs.listsShown[0];
    ASSERT_EQ(list.size(), 2u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].name, "test:" + std::to_string(i));
        EXPECT_EQ(list[i].vendor, "Noname");
        EXPECT_EQ(list[i].model, "frontend-tester");
    }
    EXPECT_EQ(s.dialogs.startedOn[0], 0u);
    EXPECT_EQ(s.settings.GetString("Scanner", "Device", ""), "test:1");
    EXPECT_EQ(s.dialogs.parents[0], static_cast<TW_HANDLE>(s.rig.frame.get()));

    // The next selection starts on it, and Acquire scans from it.
    s.rig.frame->RunCommand(kScannerSelectSource);
    EXPECT_EQ(s.dialogs.startedOn.at(1), 1u);
    s.Acquire();
    EXPECT_EQ(s.dialogs.devicesScanned, std::vector<std::string>{"test:1"});
    EXPECT_EQ(s.Documents().size(), 1u);
}

// A scan at the chosen mode and resolution is a document of the device's pixels. The
// backend starts in grey at 50 dpi, so the scan dialog's choices must reach the device.
TEST(SaneScan, ScansBecomeDocumentsOfTheScannedPixels) {
    // The reference is always read in one pass; a scanner of three passes (a frame per
    // colour) must come to the same pixels.
    const struct {
        const char* mode;
        int dpi;
        const char* picture;
        bool threePass;
    } cases[] = {
        {"Color", 100, "\"Color pattern\"", false},
        {"Gray", 150, "\"Grid\"", false},
        {"Color", 75, "\"Grid\"", false},
        {"Color", 100, "\"Color pattern\"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.dpi) +
                     (c.threePass ? " three-pass" : ""));
        SaneTestBackend reference;
        reference.conf["mode"] = c.mode;
        reference.conf["resolution"] = std::to_string(c.dpi) + ".0";
        reference.conf["test-picture"] = c.picture;
        const RawPage expected = ScanDirectly(reference);

        SaneRig s;
        s.backend.conf["test-picture"] = c.picture;
        s.backend.conf["three-pass"] = c.threePass ? "true" : "false";
        s.backend.Install();
        s.dialogs.mode = c.mode;
        s.dialogs.resolution = c.dpi;
        s.Acquire();
        EXPECT_TRUE(s.Messages().empty());
        ASSERT_EQ(s.Documents().size(), 1u);
        EXPECT_EQ(s.State(), 3); // the source closed again after the page
        // What the scan dialog was offered: the backend's modes and its default values.
        ASSERT_EQ(s.dialogs.shown.size(), 1u);
        EXPECT_EQ(s.dialogs.shown[0].modes, (std::vector<std::string>{"Gray", "Color"}));
        EXPECT_EQ(s.dialogs.shown[0].mode, "Gray");
        EXPECT_EQ(s.dialogs.shown[0].resolution, 50);

        const PackedBitmap& bitmap = s.Documents()[0]->Database()->Image().GetPackedBitmap();
        // 80 mm by 100 mm at the resolution.
        EXPECT_NEAR(bitmap.Width(), 80 / 25.4 * c.dpi, 1.0);
        EXPECT_NEAR(bitmap.Height(), 100 / 25.4 * c.dpi, 1.0);
        EXPECT_EQ(bitmap.Width(), expected.width);
        EXPECT_EQ(bitmap.Height(), expected.height);
        EXPECT_NEAR(bitmap.header().xPelsPerMeter, c.dpi / 0.0254, 1.0);
        const std::vector<std::uint32_t> pixels = ToRgb(bitmap);
        EXPECT_TRUE(pixels == expected.rgb);
        // The pattern is a pattern, not one colour.
        EXPECT_NE(std::count(pixels.begin(), pixels.end(), pixels.front()),
                  static_cast<long>(pixels.size()));
        // The choices are remembered and offered first next time.
        EXPECT_EQ(s.settings.GetString("Scanner", "Mode", ""), c.mode);
        EXPECT_EQ(s.settings.GetInt("Scanner", "Resolution", 0), c.dpi);
        s.dialogs.mode.clear();
        s.dialogs.resolution = 0;
        s.Acquire();
        ASSERT_EQ(s.dialogs.shown.size(), 2u);
        EXPECT_EQ(s.dialogs.shown[1].mode, c.mode);
        EXPECT_EQ(s.dialogs.shown[1].resolution, c.dpi);
    }
}

TEST(SaneScan, TheFeederGivesADocumentPerPage) {
    SaneRig s;
    s.dialogs.source = "Automatic Document Feeder";
    s.Acquire();
    ASSERT_EQ(s.dialogs.shown.size(), 1u);
    EXPECT_EQ(s.dialogs.shown[0].sources,
              (std::vector<std::string>{"Flatbed", "Automatic Document Feeder"}));
    EXPECT_TRUE(s.Messages().empty());
    EXPECT_EQ(s.Documents().size(), 10u);
    EXPECT_EQ(s.State(), 3);
    // The progress counted the pages, and the page after the last was looked for.
    EXPECT_EQ(s.dialogs.pages.front(), 1);
    EXPECT_EQ(s.dialogs.pages.back(), 11);
    // One progress window for the whole batch.
    EXPECT_EQ(s.dialogs.progressWindows, 1);
}

// A failing read is told once and makes no document; the source's condition code says
// what failed.
TEST(SaneScan, ReadFailuresAreToldAndMakeNoDocument) {
    const struct {
        const char* status;
        TW_UINT16 condition;
    } cases[] = {
        {"SANE_STATUS_JAMMED", TWCC_PAPERJAM},    {"SANE_STATUS_NO_MEM", TWCC_LOWMEMORY},
        {"SANE_STATUS_INVAL", TWCC_BADVALUE},     {"SANE_STATUS_IO_ERROR", TWCC_OPERATIONERROR},
        {"SANE_STATUS_UNSUPPORTED", TWCC_BUMMER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        SaneRig s;
        s.backend.conf["read-status-code"] = std::string("\"") + c.status + "\"";
        s.backend.Install();
        s.Acquire();
        EXPECT_EQ(s.Messages(), std::vector<std::string>{"A TWAIN error occurred."});
        EXPECT_EQ(s.rig.frame->Scanner().LastConditionCode(), c.condition);
        EXPECT_TRUE(s.Documents().empty());
        // The source asked to be closed: the next Acquire shows the scan dialog again.
        EXPECT_EQ(s.State(), 3);
    }
}

TEST(SaneScan, CancellingGivesNoDocument) {
    const struct {
        const char* name;
        bool scan;
        int cancelAtStep;
    } cases[] = {{"in the scan dialog", false, 0}, {"while reading", true, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SaneRig s;
        // Slow reads (a tenth of a second each): the cancel comes while the page is read.
        s.backend.conf["read-delay"] = "true";
        s.backend.conf["read-delay-duration"] = "100000";
        s.backend.conf["resolution"] = "100.0";
        s.backend.Install();
        s.dialogs.scan = c.scan;
        s.dialogs.cancelAtStep = c.cancelAtStep;
        s.Acquire();
        EXPECT_TRUE(s.Messages().empty());
        EXPECT_TRUE(s.Documents().empty());
        EXPECT_EQ(s.State(), 3);
        // The next Acquire starts over with the scan dialog and scans.
        s.dialogs.scan = true;
        s.dialogs.cancelAtStep = 0;
        s.Acquire();
        EXPECT_EQ(s.dialogs.shown.size(), 2u);
        EXPECT_EQ(s.Documents().size(), 1u);
    }
}

} // namespace
