// The source manager over SANE called as the protocol calls it, with SANE's `test` backend
// behind it.

#include "SaneTestBackend.h"

#include "BitmapPixels.h"
#include "platform/SettingsProfile.h"
#include "scanner/SaneManagerLoader.h"
#include "scanner/SaneSourceManager.h"
#include "twain/NativeImage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace twain;

namespace {

class MemorySettings : public SettingsProfile {
public:
    std::int32_t GetInt(const std::string& section, const std::string& key,
                        std::int32_t fallback) const override {
        const auto found = values.find(section + "/" + key);
        return found != values.end() ? std::stoi(found->second) : fallback;
    }
    void WriteInt(const std::string& section, const std::string& key, std::int32_t value) override {
        values[section + "/" + key] = std::to_string(value);
    }
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) const override {
        const auto found = values.find(section + "/" + key);
        return found != values.end() ? found->second : fallback;
    }
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        values[section + "/" + key] = value;
    }
    std::map<std::string, std::string> values;
};

// Hands every event of the window to the source, as the application's message filter does,
// and keeps what the source said.
class Filter : public QObject {
public:
    explicit Filter(std::function<TW_UINT16(QEvent*)> offer) : offer_(std::move(offer)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        const TW_UINT16 message = offer_(event);
        if (message != MSG_NULL) {
            heard.push_back(message);
            return true;
        }
        return false;
    }
    std::vector<TW_UINT16> heard;

private:
    std::function<TW_UINT16(QEvent*)> offer_;
};

struct Session {
    Session() {
        backend.Install();
        entry = loader.Load();
        window.installEventFilter(&filter);
    }
    ~Session() { loader.Unload(); }

    TW_UINT16 Manager(TW_UINT16 dat, TW_UINT16 msg, void* data) {
        return entry(&app, nullptr, DG_CONTROL, dat, msg, data);
    }
    TW_UINT16 Source(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 msg, void* data) {
        return entry(&app, &source, group, dat, msg, data);
    }
    TW_UINT16 Condition(bool ofSource) {
        TW_STATUS status{};
        entry(&app, ofSource ? &source : nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        return status.ConditionCode;
    }
    void Open() {
        TW_HANDLE parent = &window;
        ASSERT_EQ(Manager(DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
        ASSERT_EQ(Manager(DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS);
    }
    // The announcements waiting for the window.
    std::vector<TW_UINT16> Heard() {
        filter.heard.clear();
        QCoreApplication::processEvents();
        return filter.heard;
    }

    SaneTestBackend backend;
    ScriptedScannerDialogs dialogs;
    MemorySettings settings;
    SaneManagerLoader loader{dialogs, &settings};
    DSMENTRYPROC entry = nullptr;
    TW_IDENTITY app{};
    TW_IDENTITY source{};
    QWidget window;
    Filter filter{[this](QEvent* event) {
        TW_EVENT e{event, MSG_NULL};
        return Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &e) == TWRC_DSEVENT ? e.TWMessage
                                                                                   : MSG_NULL;
    }};
};

TEST(SaneSourceManager, ListsTheDevicesAsSources) {
    Session s;
    ASSERT_NE(s.entry, nullptr);
    TW_IDENTITY identity{};
    // Nothing is answered before the manager is open.
    EXPECT_EQ(s.Manager(DAT_IDENTITY, MSG_GETFIRST, &identity), TWRC_FAILURE);
    EXPECT_EQ(s.Condition(false), TWCC_SEQERROR);

    TW_HANDLE parent = &s.window;
    ASSERT_EQ(s.Manager(DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
    std::vector<std::string> names;
    std::vector<TW_UINT32> ids;
    for (TW_UINT16 msg = MSG_GETFIRST; s.Manager(DAT_IDENTITY, msg, &identity) == TWRC_SUCCESS;
         msg = MSG_GETNEXT) {
        names.emplace_back(identity.ProductName);
        ids.push_back(TW_UINT32{identity.Id});
        EXPECT_STREQ(identity.Manufacturer, "Noname");
        EXPECT_STREQ(identity.ProductFamily, "frontend-tester");
        EXPECT_EQ(TW_UINT32{identity.SupportedGroups}, DG_CONTROL | DG_IMAGE);
    }
    EXPECT_EQ(s.entry(&s.app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &identity),
              TWRC_ENDOFLIST);
    EXPECT_EQ(names, (std::vector<std::string>{"test:0", "test:1"}));
    EXPECT_NE(ids[0], ids[1]);

    // The second source opens by its identity; with none chosen the default is the first.
    s.source = TW_IDENTITY{};
    s.source.Id = ids[1];
    ASSERT_EQ(s.Manager(DAT_IDENTITY, MSG_OPENDS, &s.source), TWRC_SUCCESS);
    EXPECT_STREQ(s.source.ProductName, "test:1");
    EXPECT_EQ(s.Manager(DAT_IDENTITY, MSG_OPENDS, &s.source), TWRC_FAILURE); // one at a time
    ASSERT_EQ(s.Manager(DAT_IDENTITY, MSG_CLOSEDS, &s.source), TWRC_SUCCESS);
    ASSERT_EQ(s.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_SUCCESS);
    EXPECT_STREQ(identity.ProductName, "test:0");
}

TEST(SaneSourceManager, OffersOnlyTheNativeTransfer) {
    Session s;
    s.Open();
    const struct {
        TW_UINT16 cap;
        TW_UINT16 conType;
        TW_UINT16 mechanism;
        TW_UINT16 answer;
        TW_UINT16 condition;
    } cases[] = {
        {ICAP_XFERMECH, TWON_ONEVALUE, TWSX_NATIVE, TWRC_SUCCESS, TWCC_SUCCESS},
        {ICAP_XFERMECH, TWON_ONEVALUE, TWSX_MEMORY, TWRC_FAILURE, TWCC_BADVALUE},
        {ICAP_XFERMECH, TWON_ONEVALUE, TWSX_FILE, TWRC_FAILURE, TWCC_BADVALUE},
        {ICAP_XFERMECH, 3, TWSX_NATIVE, TWRC_FAILURE, TWCC_BADVALUE},
        {0x1101, TWON_ONEVALUE, 0, TWRC_FAILURE, TWCC_BADCAP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mechanism);
        TW_ONEVALUE value{TWTY_UINT16, c.mechanism};
        TW_CAPABILITY capability{c.cap, c.conType, &value};
        EXPECT_EQ(s.Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability), c.answer);
        EXPECT_EQ(s.Condition(true), c.condition);
    }
    TW_CAPABILITY asked{ICAP_XFERMECH, 0, nullptr};
    ASSERT_EQ(s.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &asked), TWRC_SUCCESS);
    TW_ONEVALUE* container = static_cast<TW_ONEVALUE*>(asked.hContainer);
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(TW_UINT16{asked.ConType}, TWON_ONEVALUE);
    EXPECT_EQ(TW_UINT32{container->Item}, TWSX_NATIVE);
    std::free(container);
}

// Without its dialog the source scans with the remembered choices, announces the image,
// hands it over, and asks to be closed once the batch is done.
TEST(SaneSourceManager, ScansWithoutItsDialogFromTheRememberedChoices) {
    Session s;
    s.settings.values = {{"Scanner/Mode", "Color"}, {"Scanner/Resolution", "100"}};
    s.Open();
    TW_HANDLE image = nullptr;
    // No transfer before the source is enabled.
    EXPECT_EQ(s.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_FAILURE);
    EXPECT_EQ(s.Condition(true), TWCC_SEQERROR);
    // A window event that is not the source's stays the window's.
    QEvent other(QEvent::User);
    TW_EVENT event{&other, MSG_NULL};
    EXPECT_EQ(s.Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);

    TW_USERINTERFACE ui{0, 0, &s.window};
    ASSERT_EQ(s.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_TRUE(s.dialogs.shown.empty());
    EXPECT_EQ(s.Heard(), std::vector<TW_UINT16>{MSG_XFERREADY});
    ASSERT_EQ(s.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_XFERDONE);
    const PackedBitmap bitmap = NativeImage::Take(image);
    EXPECT_EQ(bitmap.header().bitCount, 24);
    EXPECT_NEAR(bitmap.Width(), 80 / 25.4 * 100, 1.0); // 80 mm at 100 dpi
    EXPECT_EQ(bitmap.header().xPelsPerMeter, 3937);
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(s.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(TW_UINT16{pending.Count}, 0);
    EXPECT_EQ(s.Heard(), std::vector<TW_UINT16>{MSG_CLOSEDSREQ});
    EXPECT_EQ(s.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_FAILURE);
}

// Every option the scan dialog sets is checked: one the device refuses fails the enable,
// and nothing is announced.
TEST(SaneSourceManager, AnOptionTheDeviceRefusesFailsTheEnable) {
    const struct {
        const char* name;
        std::string mode;
        std::string source;
        TW_UINT16 answer;
    } cases[] = {
        {"accepted", "Color", "Automatic Document Feeder", TWRC_SUCCESS},
        {"unknown mode", "Infrared", "", TWRC_FAILURE},
        {"unknown source", "", "Film holder", TWRC_FAILURE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        s.Open();
        s.dialogs.mode = c.mode;
        s.dialogs.source = c.source;
        TW_USERINTERFACE ui{1, 0, &s.window};
        EXPECT_EQ(s.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), c.answer);
        EXPECT_EQ(s.Condition(true), c.answer == TWRC_SUCCESS ? TWCC_SUCCESS : TWCC_BADVALUE);
        EXPECT_EQ(s.Heard(), c.answer == TWRC_SUCCESS ? std::vector<TW_UINT16>{MSG_XFERREADY}
                                                      : std::vector<TW_UINT16>{});
    }
}

// The scan dialog offers only resolutions the device takes, and starts from one of them even
// when the device reports a value outside its own range (the test backend reports 0 dpi).
TEST(SaneSourceManager, TheScanDialogOffersOnlyResolutionsTheDeviceTakes) {
    const struct {
        const char* low;
        const char* high;
        std::vector<int> offered;
        int chosen;
    } cases[] = {
        {"1.0", "1200.0", {50, 75, 100, 150, 200, 300, 400, 600, 1200}, 50},
        {"100.0", "600.0", {100, 150, 200, 300, 400, 600}, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.low);
        Session s;
        s.backend.conf["resolution_min"] = c.low;
        s.backend.conf["resolution_max"] = c.high;
        s.backend.Install();
        s.Open();
        TW_USERINTERFACE ui{1, 0, &s.window};
        ASSERT_EQ(s.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
        ASSERT_EQ(s.dialogs.shown.size(), 1u);
        EXPECT_EQ(s.dialogs.shown[0].resolutions, c.offered);
        EXPECT_EQ(s.dialogs.shown[0].resolution, c.chosen);
        EXPECT_EQ(s.settings.values["Scanner/Resolution"], std::to_string(c.chosen));
        // The page comes at the resolution shown.
        EXPECT_EQ(s.Heard(), std::vector<TW_UINT16>{MSG_XFERREADY});
        TW_HANDLE image = nullptr;
        ASSERT_EQ(s.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_XFERDONE);
        const PackedBitmap bitmap = NativeImage::Take(image);
        EXPECT_NEAR(bitmap.Width(), 80 / 25.4 * c.chosen, 1.0); // 80 mm
    }
}

} // namespace
