#include "twain/CTwain.h"

#include "FakePlatform.h"
#include "FakeSourceManager.h"
#include "platform/MessagePump.h"
#include "twain/NativeImage.h"
#include "twain/SourceManagerLibrary.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace twain;

namespace {

using Calls = std::vector<std::string>;

// CTwain with its callbacks recorded.
class RecordingTwain : public CTwain {
public:
    using CTwain::FileTransfer;
    using CTwain::MemoryTransfer;

    std::vector<int> errors;
    std::vector<PackedBitmap> images;
    std::vector<int> states;
    std::vector<std::size_t> rows;
    std::vector<bool> memoryDone;
    std::vector<std::string> files;
    bool negotiate = true;
    int containerFailures = 0;

protected:
    bool NegotiateCapabilities() override { return negotiate; }
    void ImageReceived(TW_HANDLE bitmap) override { images.push_back(NativeImage::Take(bitmap)); }
    void MemoryRowsReceived(const TW_IMAGEMEMXFER& strip) override {
        rows.push_back(strip.BytesWritten);
    }
    void MemoryTransferDone(bool succeeded) override { memoryDone.push_back(succeeded); }
    void FileReceived(const TW_SETUPFILEXFER& setup) override { files.push_back(setup.FileName); }
    void StateChanged(int state) override { states.push_back(state); }
    void ReportError(int code) override { errors.push_back(code); }
    void* AllocateContainer(std::size_t size) override {
        if (containerFailures > 0) {
            --containerFailures;
            return nullptr;
        }
        return CTwain::AllocateContainer(size);
    }
};

struct Rig {
    Rig() {
        twain.SetMessages(&messages);
        twain.SetWindow(window);
    }
    // Up to state 5 by Acquire, with the calls forgotten.
    void Enabled() {
        ASSERT_TRUE(twain.Acquire(window));
        manager.ClearCalls();
    }
    // The source announces the transfer of images.
    bool Ready() {
        manager.answers["PROCESSEVENT"] = {TWRC_DSEVENT};
        manager.eventMessages = {MSG_XFERREADY};
        return twain.FilterMessage(&message);
    }

    FakeSourceManager manager;
    SourceManagerLibrary::Scope library{&manager};
    FakeMessages messages;
    int windowObject = 0;
    TW_HANDLE window = &windowObject;
    int message = 0;
    RecordingTwain twain;
};

TEST(CTwain, StateNames) {
    const char* const expected[] = {"",
                                    "1(PRE_SESSION)",
                                    "2(SOURCE_MANAGER_LOADED)",
                                    "3(SOURCE_MANAGER_OPEN)",
                                    "4(SOURCE_OPEN)",
                                    "5(SOURCE_ENABLED)",
                                    "6(TRANSFER_READY)",
                                    "7(TRANSFERRING)",
                                    ""};
    for (int state = 0; state <= 8; ++state) {
        EXPECT_STREQ(CTwain::StateName(state), expected[state]) << state;
    }
}

TEST(CTwain, TheApplicationIdentityReachesTheManager) {
    Rig rig;
    ASSERT_TRUE(rig.twain.OpenManager(rig.window));
    const TW_IDENTITY& sent = rig.manager.origin;
    EXPECT_EQ(sent.Version.MajorNum, 1);
    EXPECT_EQ(sent.Version.MinorNum, 1);
    EXPECT_EQ(sent.Version.Language, 1);
    EXPECT_EQ(sent.Version.Country, 1);
    EXPECT_STREQ(sent.Version.Info, "1.1");
    EXPECT_EQ(sent.ProtocolMajor, 1);
    EXPECT_EQ(sent.ProtocolMinor, 8);
    EXPECT_EQ(TW_UINT32{sent.SupportedGroups}, 3u);
    EXPECT_STREQ(sent.Manufacturer, "Plume");
    EXPECT_STREQ(sent.ProductFamily, "Plume");
    EXPECT_STREQ(sent.ProductName, "Plume");
    EXPECT_EQ(rig.manager.parent, rig.window);
}

// Each step up and down, its calls and the state it leaves.
TEST(CTwain, EveryStepMovesTheStateAsItsCallSucceeds) {
    const struct {
        const char* name;
        std::function<bool(Rig&)> step;
        Calls calls;
        int state;
    } steps[] = {
        {"load", [](Rig& r) { return r.twain.LoadManager(); }, {}, 2},
        {"open manager", [](Rig& r) { return r.twain.OpenManager(r.window); }, {"OPENDSM"}, 3},
        {"open source", [](Rig& r) { return r.twain.OpenSource(); }, {"OPENDS"}, 4},
        {"enable",
         [](Rig& r) { return r.twain.EnableSource(r.window); },
         {">CAPABILITY", ">ENABLEDS"},
         5},
        {"transfer ready",
         [](Rig& r) {
             r.manager.answers["PROCESSEVENT"] = {TWRC_DSEVENT};
             r.manager.eventMessages = {MSG_XFERREADY};
             r.manager.during["NATIVE"] = [&r] { EXPECT_EQ(r.twain.State(), 6); };
             r.manager.during["ENDXFER"] = [&r] { EXPECT_EQ(r.twain.State(), 7); };
             return r.twain.FilterMessage(&r.message);
         },
         {">PROCESSEVENT", ">NATIVE", ">ENDXFER"},
         5},
        {"disable", [](Rig& r) { return r.twain.DisableSource(); }, {">DISABLEDS"}, 4},
        {"close source", [](Rig& r) { return r.twain.CloseSource(); }, {"CLOSEDS"}, 3},
        {"close manager", [](Rig& r) { return r.twain.CloseManager(); }, {"CLOSEDSM"}, 2},
        {"unload", [](Rig& r) { return r.twain.UnloadManager(); }, {}, 1},
    };
    Rig rig;
    EXPECT_EQ(rig.twain.State(), 1);
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        rig.manager.ClearCalls();
        EXPECT_TRUE(s.step(rig));
        EXPECT_EQ(rig.manager.Calls(), s.calls);
        EXPECT_EQ(rig.twain.State(), s.state);
    }
    EXPECT_EQ(rig.twain.states, (std::vector<int>{2, 3, 4, 5, 6, 7, 5, 4, 3, 2, 1}));
    EXPECT_EQ(rig.manager.loads, 1);
    EXPECT_EQ(rig.manager.unloads, 1);
    EXPECT_EQ(rig.twain.images.size(), 1u);
    EXPECT_TRUE(rig.twain.errors.empty());
}

TEST(CTwain, EnablingAsksForTheNativeMechanismAndShowsTheSourcesOwnWindow) {
    const struct {
        TW_UINT16 answer;
        int state;
    } cases[] = {{TWRC_SUCCESS, 5}, {TWRC_CHECKSTATUS, 5}, {TWRC_CANCEL, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        Rig rig;
        rig.manager.answers["ENABLEDS"] = {c.answer};
        EXPECT_EQ(rig.twain.Acquire(rig.window), c.state == 5);
        EXPECT_EQ(rig.twain.State(), c.state);
        ASSERT_EQ(rig.manager.capabilities.size(), 1u);
        EXPECT_EQ(rig.manager.capabilities[0].ItemType, TWTY_UINT16);
        EXPECT_EQ(TW_UINT32{rig.manager.capabilities[0].Item}, TWSX_NATIVE);
        EXPECT_EQ(rig.manager.userInterface.ShowUI, 1);
        EXPECT_EQ(TW_HANDLE{rig.manager.userInterface.hParent}, rig.window);
    }
}

// A failure at each step is reported once, with the step's code, and the connection goes
// back to where the command found it.
TEST(CTwain, AcquireFailuresReportAndGoBack) {
    const struct {
        const char* name;
        int startState;
        std::function<void(Rig&)> fail;
        int error;
        Calls calls;
    } cases[] = {
        {"no manager", 1, [](Rig& r) { r.manager.loadable = false; }, 0, {}},
        {"open manager",
         1,
         [](Rig& r) { r.manager.answers["OPENDSM"] = {TWRC_FAILURE}; },
         0,
         {"OPENDSM"}},
        {"open source",
         1,
         [](Rig& r) { r.manager.answers["OPENDS"] = {TWRC_FAILURE}; },
         1,
         {"OPENDSM", "OPENDS", "CLOSEDSM"}},
        {"negotiation",
         1,
         [](Rig& r) { r.twain.negotiate = false; },
         1,
         {"OPENDSM", "OPENDS", "CLOSEDS", "CLOSEDSM"}},
        {"enable",
         1,
         [](Rig& r) { r.manager.answers["ENABLEDS"] = {TWRC_FAILURE}; },
         2,
         {"OPENDSM", "OPENDS", ">CAPABILITY", ">ENABLEDS", "CLOSEDS", "CLOSEDSM"}},
        {"enable from an open manager",
         3,
         [](Rig& r) { r.manager.answers["ENABLEDS"] = {TWRC_FAILURE}; },
         2,
         {"OPENDS", ">CAPABILITY", ">ENABLEDS", "CLOSEDS"}},
        {"no container memory",
         1,
         [](Rig& r) {
             r.twain.containerFailures = 1;
             r.messages.retries = 0;
         },
         2,
         {"OPENDSM", "OPENDS", "CLOSEDS", "CLOSEDSM"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        if (c.startState == 3) {
            ASSERT_TRUE(rig.twain.OpenManager(rig.window));
        }
        rig.manager.ClearCalls();
        c.fail(rig);
        EXPECT_FALSE(rig.twain.Acquire(rig.window));
        EXPECT_EQ(rig.twain.errors, std::vector<int>{c.error});
        EXPECT_EQ(rig.twain.State(), c.startState);
        EXPECT_EQ(rig.manager.Calls(), c.calls);
        // The condition code was asked for after each failed call.
        if (rig.twain.LastReturnCode() == TWRC_FAILURE) {
            EXPECT_EQ(rig.twain.LastConditionCode(), TWCC_BUMMER);
        }
    }
}

TEST(CTwain, ContainerMemoryIsAskedForAgainUntilItComesOrTheUserCancels) {
    const struct {
        int failures;
        int retries;
        bool enabled;
        std::size_t asked;
    } cases[] = {{0, 0, true, 0}, {2, 5, true, 2}, {3, 1, false, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failures);
        Rig rig;
        rig.twain.containerFailures = c.failures;
        rig.messages.retries = c.retries;
        EXPECT_EQ(rig.twain.Acquire(rig.window), c.enabled);
        EXPECT_EQ(rig.messages.retryAsked.size(), c.asked);
        for (const std::string& text : rig.messages.retryAsked) {
            EXPECT_EQ(text, "Internal error while preparing for TWAIN acquire.");
        }
        EXPECT_EQ(rig.twain.errors.empty(), c.enabled);
    }
}

TEST(CTwain, SelectSourceShowsTheDialogAndReturnsToTheStateItFound) {
    const struct {
        const char* name;
        bool managerOpen;
        TW_UINT16 answer;
        bool selected;
        std::vector<int> errors;
        Calls calls;
    } cases[] = {
        {"chosen",
         false,
         TWRC_SUCCESS,
         true,
         {},
         {"OPENDSM", "GETDEFAULT", "USERSELECT", "CLOSEDSM"}},
        {"cancelled",
         false,
         TWRC_CANCEL,
         false,
         {},
         {"OPENDSM", "GETDEFAULT", "USERSELECT", "CLOSEDSM"}},
        {"failed",
         false,
         TWRC_FAILURE,
         false,
         {TWCC_NODS},
         {"OPENDSM", "GETDEFAULT", "USERSELECT", "CLOSEDSM"}},
        {"chosen with the manager open",
         true,
         TWRC_SUCCESS,
         true,
         {},
         {"GETDEFAULT", "USERSELECT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.manager.condition = TWCC_NODS;
        if (c.managerOpen) {
            ASSERT_TRUE(rig.twain.OpenManager(rig.window));
        }
        const int before = rig.twain.State();
        rig.manager.ClearCalls();
        rig.manager.answers["USERSELECT"] = {c.answer};
        EXPECT_EQ(rig.twain.SelectSource(rig.window), c.selected);
        EXPECT_EQ(rig.twain.errors, c.errors);
        EXPECT_EQ(rig.manager.Calls(), c.calls);
        EXPECT_EQ(rig.twain.State(), before);
    }
}

TEST(CTwain, MessagesReachTheSourceOnlyWhileItIsEnabled) {
    Rig rig;
    EXPECT_FALSE(rig.twain.FilterMessage(&rig.message));
    ASSERT_TRUE(rig.twain.OpenManager(rig.window));
    ASSERT_TRUE(rig.twain.OpenSource());
    EXPECT_FALSE(rig.twain.FilterMessage(&rig.message));
    EXPECT_EQ(rig.manager.Calls(), (Calls{"OPENDSM", "OPENDS"}));

    rig.Enabled();
    EXPECT_FALSE(rig.twain.FilterMessage(&rig.message)); // not the source's
    rig.manager.answers["PROCESSEVENT"] = {TWRC_DSEVENT};
    EXPECT_TRUE(rig.twain.FilterMessage(&rig.message)); // the source's, with nothing to say
    EXPECT_EQ(rig.manager.Calls(), (Calls{">PROCESSEVENT", ">PROCESSEVENT"}));
    EXPECT_EQ(rig.manager.events, (std::vector<TW_MEMREF>{&rig.message, &rig.message}));
    EXPECT_EQ(rig.twain.State(), 5);
}

TEST(CTwain, TheSourcesCloseRequestClosesIt) {
    Rig rig;
    rig.Enabled();
    rig.manager.answers["PROCESSEVENT"] = {TWRC_DSEVENT};
    rig.manager.eventMessages = {MSG_CLOSEDSREQ};
    EXPECT_TRUE(rig.twain.FilterMessage(&rig.message));
    EXPECT_EQ(rig.manager.Calls(), (Calls{">PROCESSEVENT", ">DISABLEDS", "CLOSEDS"}));
    EXPECT_EQ(rig.twain.State(), 3);
}

// Each transfer ends with ENDXFER; the loop goes on while the source says images remain.
TEST(CTwain, TheTransferLoopTakesEveryPendingImage) {
    const struct {
        const char* name;
        std::deque<TW_UINT16> transfers; // the native transfer's answers
        std::deque<TW_UINT16> pending;
        std::size_t images;
        Calls calls;
        std::vector<int> errors;
    } cases[] = {
        {"one", {TWRC_XFERDONE}, {0}, 1, {">NATIVE", ">ENDXFER"}, {}},
        {"three",
         {TWRC_XFERDONE, TWRC_XFERDONE, TWRC_XFERDONE},
         {2, kUnknownTransferCount, 0},
         3,
         {">NATIVE", ">ENDXFER", ">NATIVE", ">ENDXFER", ">NATIVE", ">ENDXFER"},
         {}},
        {"cancelled", {TWRC_CANCEL}, {0}, 0, {">NATIVE", ">ENDXFER"}, {}},
        {"cancelled with more pending",
         {TWRC_CANCEL},
         {3},
         0,
         {">NATIVE", ">ENDXFER", ">RESET"},
         {}},
        {"second of three jams",
         {TWRC_XFERDONE, TWRC_FAILURE},
         {2},
         1,
         {">NATIVE", ">ENDXFER", ">NATIVE", ">RESET"},
         {TWCC_PAPERJAM}},
        {"success is no image", {TWRC_SUCCESS}, {0}, 0, {">NATIVE", ">ENDXFER"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.Enabled();
        rig.manager.condition = TWCC_PAPERJAM;
        rig.manager.answers["NATIVE"] = c.transfers;
        rig.manager.pendingCounts = c.pending;
        EXPECT_TRUE(rig.Ready());
        Calls calls = rig.manager.Calls();
        calls.erase(calls.begin()); // the process-event call
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(rig.twain.images.size(), c.images);
        for (const PackedBitmap& image : rig.twain.images) {
            EXPECT_EQ(image.Width(), 4);
            EXPECT_EQ(image.Height(), 3);
        }
        EXPECT_EQ(rig.twain.errors, c.errors);
        EXPECT_EQ(rig.twain.State(), 5);
    }
}

// A source that refuses to end or reset transfers, or to close, does not hold the program
// in a loop: each refused step is left behind.
TEST(CTwain, RefusedStepsDownStillArrive) {
    Rig rig;
    rig.Enabled();
    rig.manager.answers["ENDXFER"] = {TWRC_FAILURE, TWRC_FAILURE};
    rig.manager.answers["RESET"] = {TWRC_FAILURE};
    EXPECT_TRUE(rig.Ready());
    EXPECT_EQ(rig.twain.State(), 5);
    EXPECT_EQ(rig.twain.images.size(), 1u);

    rig.manager.ClearCalls();
    rig.manager.answers["DISABLEDS"] = {TWRC_FAILURE};
    rig.manager.answers["CLOSEDS"] = {TWRC_FAILURE};
    rig.manager.answers["CLOSEDSM"] = {TWRC_FAILURE};
    rig.twain.DropToState(1, rig.window);
    EXPECT_EQ(rig.twain.State(), 1);
    EXPECT_EQ(rig.manager.Calls(), (Calls{">DISABLEDS", "CLOSEDS", "CLOSEDSM"}));
    EXPECT_EQ(rig.manager.unloads, 1);
}

// A message that arrives while a call into the source runs (a source with an event loop of
// its own) is not offered to the source, and an announcement inside a transfer starts no
// second loop.
TEST(CTwain, NoCallsWithinCalls) {
    Rig rig;
    rig.Enabled();
    rig.manager.pendingCounts = {0};
    bool offered = true;
    rig.manager.during["NATIVE"] = [&] { offered = rig.twain.FilterMessage(&rig.message); };
    EXPECT_TRUE(rig.Ready());
    EXPECT_FALSE(offered);
    EXPECT_EQ(rig.manager.Calls(), (Calls{">PROCESSEVENT", ">NATIVE", ">ENDXFER"}));
}

class CountingPump : public MessagePump {
public:
    bool ProcessPending() override {
        states.push_back(twain->State());
        return --waiting > 0;
    }
    CTwain* twain = nullptr;
    int waiting = 0;
    std::vector<int> states;
};

TEST(CTwain, ATransferLetsTheWaitingMessagesThroughBeforeTheImageIsHandedOn) {
    Rig rig;
    CountingPump pump;
    pump.twain = &rig.twain;
    pump.waiting = 3;
    rig.twain.SetMessagePump(&pump);
    rig.Enabled();
    rig.manager.pendingCounts = {0};
    EXPECT_TRUE(rig.Ready());
    EXPECT_EQ(pump.states, (std::vector<int>{5, 5, 5}));
    EXPECT_EQ(rig.twain.images.size(), 1u);

    // Nothing is pumped once the source is no longer enabled.
    pump.states.clear();
    pump.waiting = 3;
    ASSERT_TRUE(rig.twain.DisableSource());
    rig.twain.PumpMessages();
    EXPECT_TRUE(pump.states.empty());
}

TEST(CTwain, MemoryAndFileTransfers) {
    {
        SCOPED_TRACE("memory");
        Rig rig;
        rig.twain.SetTransferMechanism(TWSX_MEMORY);
        rig.Enabled();
        EXPECT_EQ(TW_UINT32{rig.manager.capabilities.back().Item}, TWSX_MEMORY);
        rig.manager.answers["MEMORY"] = {TWRC_SUCCESS, TWRC_SUCCESS, TWRC_XFERDONE};
        EXPECT_TRUE(rig.Ready());
        Calls calls = rig.manager.Calls();
        EXPECT_EQ(calls, (Calls{">PROCESSEVENT", ">IMAGEINFO", ">SETUPMEMXFER", ">MEMORY",
                                ">MEMORY", ">MEMORY", ">ENDXFER"}));
        EXPECT_EQ(rig.twain.rows, (std::vector<std::size_t>{32, 32, 32}));
        EXPECT_EQ(rig.twain.memoryDone, std::vector<bool>{true});
        EXPECT_EQ(rig.twain.State(), 5);
    }
    {
        SCOPED_TRACE("memory failing");
        Rig rig;
        rig.twain.SetTransferMechanism(TWSX_MEMORY);
        rig.Enabled();
        rig.manager.condition = TWCC_OPERATIONERROR;
        rig.manager.answers["MEMORY"] = {TWRC_SUCCESS, TWRC_FAILURE};
        EXPECT_TRUE(rig.Ready());
        EXPECT_EQ(rig.twain.memoryDone, std::vector<bool>{false});
        EXPECT_EQ(rig.twain.errors, std::vector<int>{TWCC_OPERATIONERROR});
        EXPECT_EQ(rig.twain.State(), 5);
    }
    {
        SCOPED_TRACE("file");
        Rig rig;
        rig.twain.SetTransferMechanism(TWSX_FILE);
        rig.Enabled();
        rig.manager.answers["FILE"] = {TWRC_XFERDONE};
        EXPECT_TRUE(rig.Ready());
        EXPECT_EQ(rig.manager.Calls(), (Calls{">PROCESSEVENT", ">SETUPFILEXFER",
                                              ">SETUPFILEXFER SET", ">FILE", ">ENDXFER"}));
        EXPECT_EQ(rig.twain.files, std::vector<std::string>{"TWAIN.TMP"});
        EXPECT_EQ(rig.twain.State(), 5);
    }
}

TEST(CTwain, DestructionBringsTheConnectionDown) {
    FakeSourceManager manager;
    SourceManagerLibrary::Scope library(&manager);
    {
        CTwain twain;
        int window = 0;
        ASSERT_TRUE(twain.Acquire(&window));
        manager.ClearCalls();
    }
    EXPECT_EQ(manager.Calls(), (Calls{">DISABLEDS", "CLOSEDS", "CLOSEDSM"}));
    EXPECT_EQ(manager.loads, manager.unloads);
}

TEST(CTwain, AvailabilityIsAskedOnceAndRemembered) {
    for (const bool loadable : {true, false}) {
        SCOPED_TRACE(loadable);
        FakeSourceManager manager;
        manager.loadable = loadable;
        SourceManagerLibrary::Scope library(&manager);
        EXPECT_EQ(CTwain::IsAvailable(), loadable);
        EXPECT_EQ(CTwain::IsAvailable(), loadable);
        EXPECT_EQ(manager.loads, 1);
        // The look leaves nothing loaded.
        EXPECT_EQ(manager.unloads, loadable ? 1 : 0);
        EXPECT_EQ(SourceManagerLibrary::Entry(), nullptr);
    }
    // With no loader at all there is no source manager.
    SourceManagerLibrary::Scope none(nullptr);
    EXPECT_FALSE(CTwain::IsAvailable());
}

} // namespace
