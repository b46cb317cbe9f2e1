#include "FakePlatform.h"
#include "FakeSourceManager.h"
#include "FrameRig.h"
#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"
#include "image/ImageStore.h"
#include "shell/FrameTwain.h"
#include "twain/NativeImage.h"
#include "twain/SourceManagerLibrary.h"

#include "SeededBitmap.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace twain;

namespace {

using Calls = std::vector<std::string>;

// A main window over the scripted source manager.
struct ScannerRig {
    // Lets the main window's queue run: the source's announcements travel with whatever
    // message comes next, and the posted close runs after the transfer.
    void Settle() {
        for (int round = 0; round < 5; ++round) {
            QCoreApplication::postEvent(rig.frame.get(), new QEvent(QEvent::User));
            QCoreApplication::processEvents();
        }
    }
    void Announce(TW_UINT16 message) {
        manager.answers["PROCESSEVENT"] = {TWRC_DSEVENT};
        manager.eventMessages = {message};
        Settle();
    }
    int State() { return rig.frame->Scanner().State(); }
    // The calls but the messages offered to the source, which every event of the window
    // system makes while a source is enabled.
    Calls Steps() const {
        Calls steps;
        for (const std::string& call : manager.Calls()) {
            if (call != ">PROCESSEVENT") {
                steps.push_back(call);
            }
        }
        return steps;
    }
    std::size_t Documents() { return rig.frame->Documents().Documents().size(); }

    FakeSourceManager manager;
    SourceManagerLibrary::Scope library{&manager};
    FrameRig rig;
};

TEST(ScannerCommands, EnabledExactlyWhenTheSourceManagerLoads) {
    const struct {
        const char* name;
        bool installed;
        bool loadable;
    } cases[] = {
        {"none installed", false, false}, {"not loadable", true, false}, {"loadable", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSourceManager manager;
        manager.loadable = c.loadable;
        SourceManagerLibrary::Scope library(c.installed ? &manager : nullptr);
        FrameRig rig;
        const bool enabled = c.installed && c.loadable;
        EXPECT_EQ(rig.Enabled(kScannerSelectSource), enabled);
        EXPECT_EQ(rig.Enabled(kScannerAcquire), enabled);
        // Asked once, whatever the answer.
        EXPECT_EQ(manager.loads, c.installed ? 1 : 0);
        // A disabled command does nothing when run anyway.
        if (!enabled) {
            rig.frame->RunCommand(kScannerAcquire);
            EXPECT_TRUE(manager.calls.empty());
            EXPECT_TRUE(rig.platform.messages.shown.empty());
        }
    }
}

TEST(ScannerCommands, SelectSourceLeavesTheManagerOpenAndRemembersASelection) {
    const struct {
        const char* name;
        std::function<void(FakeSourceManager&)> script;
        bool selected;
        int state;
        std::vector<std::string> messages;
    } cases[] = {
        {"chosen", [](FakeSourceManager&) {}, true, 3, {}},
        {"cancelled",
         [](FakeSourceManager& m) { m.answers["USERSELECT"] = {TWRC_CANCEL}; },
         false,
         3,
         {}},
        {"manager fails to open",
         [](FakeSourceManager& m) { m.answers["OPENDSM"] = {TWRC_FAILURE}; },
         false,
         1,
         {"A TWAIN error occurred."}},
        {"no manager",
         [](FakeSourceManager& m) { m.loadable = false; },
         false,
         1,
         {"A TWAIN error occurred."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScannerRig s;
        ASSERT_TRUE(s.rig.Enabled(kScannerSelectSource));
        c.script(s.manager);
        s.rig.frame->RunCommand(kScannerSelectSource);
        EXPECT_EQ(s.rig.frame->Scanner().SourceSelected(), c.selected);
        EXPECT_EQ(s.State(), c.state);
        EXPECT_EQ(s.rig.platform.messages.shown, c.messages);
        // The manager's windows hang off the main window.
        if (!s.manager.calls.empty()) {
            EXPECT_EQ(s.manager.parent, static_cast<TW_HANDLE>(s.rig.frame.get()));
        }
    }
}

TEST(ScannerCommands, AcquireChoosesASourceFirstAndStopsQuietlyWhenThatIsCancelled) {
    ScannerRig s;
    s.manager.answers["USERSELECT"] = {TWRC_CANCEL};
    s.rig.frame->RunCommand(kScannerAcquire);
    EXPECT_EQ(s.Steps(), (Calls{"OPENDSM", "GETDEFAULT", "USERSELECT"}));
    EXPECT_TRUE(s.rig.platform.messages.shown.empty());
    EXPECT_EQ(s.State(), 3);

    // With a choice made, the next Acquire asks no more and enables the source.
    s.manager.ClearCalls();
    s.rig.frame->RunCommand(kScannerAcquire);
    EXPECT_EQ(s.Steps(), (Calls{"GETDEFAULT", "USERSELECT", "OPENDS", ">CAPABILITY", ">ENABLEDS"}));
    EXPECT_EQ(s.State(), 5);
    s.manager.ClearCalls();
    s.rig.frame->RunCommand(kScannerAcquire);
    EXPECT_EQ(s.Steps(), Calls{});
    EXPECT_EQ(s.State(), 5);
}

// One message per failure, and the connection back where the command found it: the source
// manager stays open after the selection the first Acquire ran.
TEST(ScannerCommands, AcquireFailuresShowOneMessageAndGoBack) {
    const char* const steps[] = {"OPENDS", "ENABLEDS"};
    for (const char* step : steps) {
        SCOPED_TRACE(step);
        ScannerRig s;
        s.manager.answers[step] = {TWRC_FAILURE};
        s.rig.frame->RunCommand(kScannerAcquire);
        EXPECT_EQ(s.rig.platform.messages.shown,
                  std::vector<std::string>{"A TWAIN error occurred."});
        EXPECT_EQ(s.State(), 3);
        EXPECT_EQ(s.Documents(), 0u);
        // The next attempt works from there.
        s.rig.platform.messages.shown.clear();
        s.rig.frame->RunCommand(kScannerAcquire);
        EXPECT_TRUE(s.rig.platform.messages.shown.empty());
        EXPECT_EQ(s.State(), 5);
    }
}

TEST(ScannerCommands, EachImageBecomesADocumentAndTheSourceClosesAfterTheBatch) {
    const struct {
        const char* name;
        std::deque<TW_UINT16> pending;
        std::deque<TW_UINT16> transfers;
        std::size_t documents;
        int state; // after the batch and the posted close
    } cases[] = {
        {"one image", {0}, {}, 1, 3},
        {"three images", {2, 1, 0}, {}, 3, 3},
        {"a feeder of unknown length", {kUnknownTransferCount, kUnknownTransferCount, 0}, {}, 3, 3},
        {"cancelled", {0}, {TWRC_CANCEL}, 0, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScannerRig s;
        s.rig.frame->RunCommand(kScannerAcquire);
        ASSERT_EQ(s.State(), 5);
        s.manager.pendingCounts = c.pending;
        s.manager.answers["NATIVE"] = c.transfers;
        s.Announce(MSG_XFERREADY);
        EXPECT_EQ(s.Documents(), c.documents);
        EXPECT_EQ(s.State(), c.state);
        EXPECT_TRUE(s.rig.platform.messages.shown.empty());
        for (CPlumeDoc* document : s.rig.frame->Documents().Documents()) {
            EXPECT_EQ(document->GetImageSize(), (std::pair<int, int>{4, 3}));
            // The paste is no step to undo, but the document is unsaved.
            EXPECT_FALSE(document->Database()->CanUndo());
            EXPECT_TRUE(document->IsModified());
        }
    }
}

// The close posted after a transfer meets a transfer still pending only when a source
// delivers images while an earlier close waits; it is refused with a message and the
// connection stays as it is until the next close.
TEST(ScannerCommands, ACloseDuringATransferIsRefused) {
    ScannerRig s;
    s.rig.frame->RunCommand(kScannerAcquire);
    s.manager.pendingCounts = {1, 0};
    std::vector<int> statesSeen;
    s.manager.during["NATIVE"] = [&] {
        statesSeen.push_back(s.State());
        s.rig.frame->RunCommand(kScannerClose);
        statesSeen.push_back(s.State());
    };
    s.Announce(MSG_XFERREADY);
    EXPECT_EQ(statesSeen, (std::vector<int>{6, 6, 6, 6}));
    EXPECT_EQ(s.rig.platform.messages.shown,
              (std::vector<std::string>{"Unable to close TWAIN source!",
                                        "Unable to close TWAIN source!"}));
    EXPECT_EQ(s.Documents(), 2u);
    EXPECT_EQ(s.State(), 3);
}

TEST(ScannerCommands, TheSourcesCloseRequestAndFailedTransfers) {
    {
        SCOPED_TRACE("close request");
        ScannerRig s;
        s.rig.frame->RunCommand(kScannerAcquire);
        s.manager.ClearCalls();
        s.Announce(MSG_CLOSEDSREQ);
        EXPECT_EQ(s.State(), 3);
        EXPECT_EQ(s.Documents(), 0u);
        EXPECT_TRUE(s.rig.platform.messages.shown.empty());
    }
    {
        SCOPED_TRACE("jammed");
        ScannerRig s;
        s.rig.frame->RunCommand(kScannerAcquire);
        s.manager.condition = TWCC_PAPERJAM;
        s.manager.answers["NATIVE"] = {TWRC_FAILURE};
        s.Announce(MSG_XFERREADY);
        EXPECT_EQ(s.rig.platform.messages.shown,
                  std::vector<std::string>{"A TWAIN error occurred."});
        EXPECT_EQ(s.Documents(), 0u);
        EXPECT_EQ(s.State(), 5); // the source stays up for another try
    }
}

// A scanned page has no file behind it: the save dialog offers no bitmap copy and Image
// Information names no file.
TEST(ScannerCommands, AScannedDocumentHasNoImagePath) {
    ScannerRig s;
    s.rig.frame->RunCommand(kScannerAcquire);
    s.Announce(MSG_XFERREADY);
    ASSERT_EQ(s.Documents(), 1u);
    CPlumeDoc* document = s.rig.frame->Documents().Documents().front();
    EXPECT_EQ(document->Database()->ImagePath(), "");
    const std::string info = document->ImageInformationText();
    EXPECT_EQ(info.substr(0, info.find("File Format")), "File Path: \r\nFile Name: \r\n");
    EXPECT_NE(info.find("Image Width: 4\r\nImage Height: 3\r\n"), std::string::npos);

    s.rig.platform.savePrompt.script.ok = false;
    EXPECT_FALSE(document->SaveWithPrompt(document->Path(), true));
    ASSERT_EQ(s.rig.platform.savePrompt.shown.size(), 1u);
    EXPECT_EQ(s.rig.platform.savePrompt.shown[0].filter, 1); // an image that was replaced
    EXPECT_FALSE(s.rig.platform.savePrompt.shown[0].saveCopyEnabled);
}

TEST(ScannerCommands, ClosingTheMainWindowBringsTheConnectionDown) {
    ScannerRig s;
    s.rig.frame->RunCommand(kScannerAcquire);
    ASSERT_EQ(s.State(), 5);
    s.manager.ClearCalls();
    s.rig.frame.reset();
    EXPECT_EQ(s.Steps(), (Calls{">DISABLEDS", "CLOSEDS", "CLOSEDSM"}));
    EXPECT_EQ(s.manager.loads, 2); // the availability look, then the use
    EXPECT_EQ(s.manager.unloads, 2);
}

// An image that cannot become a document is told of and freed.
TEST(ScannerCommands, AnImageWithoutADocumentIsToldOf) {
    const struct {
        const char* name;
        bool validImage;
    } cases[] = {{"no document", true}, {"no picture", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSourceManager manager;
        SourceManagerLibrary::Scope library(&manager);
        FakeMessages messages;
        QWidget window;
        int asked = 0;
        FrameTwain::Host host;
        host.messages = &messages;
        host.newDocument = [&]() -> CPlumeDoc* {
            ++asked;
            return nullptr;
        };
        FrameTwain twain(&window, host);
        manager.brokenImages = !c.validImage;
        ASSERT_TRUE(twain.OpenManager(&window));
        ASSERT_TRUE(twain.Acquire(&window));
        manager.answers["PROCESSEVENT"] = {TWRC_DSEVENT};
        manager.eventMessages = {MSG_XFERREADY};
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&window, &event);
        EXPECT_EQ(messages.shown, std::vector<std::string>{"Unable to open new document!"});
        EXPECT_EQ(asked, c.validImage ? 1 : 0);
        EXPECT_EQ(twain.State(), 5); // nothing received: no close is posted
    }
}

} // namespace
