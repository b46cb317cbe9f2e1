#pragma once

#include "twain/SourceManagerLibrary.h"
#include "twain/TwainProtocol.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A source manager that records every call and answers as a test scripts it. Calls are
// recorded by their message's name ("OPENDSM", "ENABLEDS", "NATIVE", …), a call meant for
// the source with a leading ">" (">ENABLEDS"). Unscripted calls succeed, except that a
// process-event call says the message was not the source's and a native transfer hands
// over a 4 × 3 picture with XFERDONE.
class FakeSourceManager : public SourceManagerLibrary::Loader {
public:
    FakeSourceManager();
    ~FakeSourceManager() override;
    FakeSourceManager(const FakeSourceManager&) = delete;
    FakeSourceManager& operator=(const FakeSourceManager&) = delete;

    DSMENTRYPROC Load() override;
    void Unload() override { ++unloads; }

    // The call names without the status calls.
    std::vector<std::string> Calls() const;
    void ClearCalls() { calls.clear(); }

    bool loadable = true;
    int loads = 0;
    int unloads = 0;
    std::vector<std::string> calls;
    // Return codes by call name, used up in order.
    std::map<std::string, std::deque<TW_UINT16>> answers;
    // The condition code a status call gives.
    TW_UINT16 condition = twain::TWCC_BUMMER;
    // The message each DSEVENT process-event answer carries, in order.
    std::deque<TW_UINT16> eventMessages;
    // The pending counts ENDXFER gives, in order; 0 once used up.
    std::deque<TW_UINT16> pendingCounts;
    // Runs inside a call, by call name, before it answers.
    std::map<std::string, std::function<void()>> during;
    // What the calls carried.
    TW_IDENTITY origin{};
    TW_HANDLE parent = nullptr;
    TW_USERINTERFACE userInterface{};
    std::vector<TW_ONEVALUE> capabilities;
    std::vector<TW_MEMREF> events;
    // Native transfers hand over a block whose header describes no bitmap.
    bool brokenImages = false;

private:
    static TW_UINT16 Entry(pTW_IDENTITY origin, pTW_IDENTITY dest, TW_UINT32 group,
                           TW_UINT16 argumentType, TW_UINT16 message, TW_MEMREF data);
    TW_UINT16 Answer(pTW_IDENTITY dest, TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message,
                     TW_MEMREF data);

    static FakeSourceManager* current_;
    FakeSourceManager* previous_;
};
