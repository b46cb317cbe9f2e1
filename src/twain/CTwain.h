#pragma once

#include "twain/TwainProtocol.h"

#include <cstddef>

class MessagePump;
class MessageService;

// The application's side of the TWAIN protocol: the connection to the source manager and
// one data source, kept in the protocol's seven states, and the image transfer.
//
//   1 no connection, 2 source manager loaded, 3 source manager open, 4 source open,
//   5 source enabled, 6 transfer ready, 7 transferring
//
// Every call goes to the manager's entry point; a state changes only when its call
// succeeds (the table in Call). An operation that fails leaves the state where that call
// found it; the commands drop back to where they started.
//
// While the source is enabled the window owner passes every message through
// FilterMessage, which is how the source says that images are ready or that it wants to
// be closed. Windows are handed over as opaque handles (the window object itself).
class CTwain {
public:
    enum State {
        kPreSession = 1,
        kSourceManagerLoaded = 2,
        kSourceManagerOpen = 3,
        kSourceOpen = 4,
        kSourceEnabled = 5,
        kTransferReady = 6,
        kTransferring = 7,
    };

    // "1(PRE_SESSION)" … "7(TRANSFERRING)"; "" for a number that is no state.
    static const char* StateName(int state);

    CTwain();
    // Brings the connection down to state 1.
    virtual ~CTwain();
    CTwain(const CTwain&) = delete;
    CTwain& operator=(const CTwain&) = delete;

    // What the source's windows are parented by.
    void SetWindow(TW_HANDLE window) { window_ = window; }
    TW_HANDLE Window() const { return window_; }
    // The retry prompt of EnableSource; none answers Cancel.
    void SetMessages(MessageService* messages) { messages_ = messages; }
    // The queue PumpMessages empties; none: nothing is pumped.
    void SetMessagePump(MessagePump* pump) { pump_ = pump; }
    void SetShowUserInterface(bool show) { showUserInterface_ = show; }
    // TWSX_NATIVE, TWSX_FILE or TWSX_MEMORY.
    void SetTransferMechanism(TW_UINT16 mechanism) { transferMechanism_ = mechanism; }

    int State() const { return state_; }
    TW_UINT16 LastReturnCode() const { return lastReturnCode_; }
    // The condition code the last status call gave.
    TW_UINT16 LastConditionCode() const { return lastConditionCode_; }
    const TW_IDENTITY& ApplicationIdentity() const { return appIdentity_; }
    const TW_IDENTITY& SourceIdentity() const { return sourceIdentity_; }

    // The source manager can be loaded.
    static bool IsAvailable();

    bool LoadManager();                  // 1 -> 2
    bool OpenManager(TW_HANDLE window);  // (1 ->) 2 -> 3
    bool OpenSource();                   // 3 -> 4, the manager's default source
    bool EnableSource(TW_HANDLE window); // 4 -> 5
    // The way down; each first steps down to where it applies, and succeeds when the
    // connection ends below what it closes.
    bool DisableSource();  // 5 -> 4
    bool CloseSource();    // -> 3
    bool CloseManager();   // -> 2
    bool UnloadManager();  // -> 1
    bool EndTransfer();    // 7 or 6 -> 6 while transfers remain, else 5
    bool ResetTransfers(); // 6 -> 5
    // Steps down one state at a time until the state is at most `target`. A step the
    // manager refuses is abandoned rather than tried again, so this always arrives.
    void DropToState(int target, TW_HANDLE window);

    // The manager's selection dialog; true when a source was chosen. The state is back to
    // where it was afterwards.
    bool SelectSource(TW_HANDLE window);
    // Brings the connection up to state 5 (source enabled); failures are reported through
    // ReportError and the state goes back to where it was.
    bool Acquire(TW_HANDLE window);
    // Offers a window message to the enabled source; true when it was the source's. While
    // a call into the source runs (the source may run an event loop of its own inside it),
    // messages are not offered: the protocol has no calls within calls.
    bool FilterMessage(TW_MEMREF message);
    // Delivers the waiting messages while the state is above 4.
    void PumpMessages();

protected:
    // ---- callbacks, in slot order ----

    // After the source opened: true to go on.
    virtual bool NegotiateCapabilities();
    // Runs transfers while the source has images ready.
    virtual void TransferLoop();
    virtual void FileTransfer();
    virtual void MemoryTransfer();
    virtual void NativeTransfer();
    // The source asked to be closed.
    virtual void CloseSourceRequest();
    // A native transfer's image (NativeImage); the callee owns it. The default frees it.
    virtual void ImageReceived(TW_HANDLE bitmap);
    // Memory transfers: false refuses the image.
    virtual bool MemoryImageInfo(const TW_IMAGEINFO& info);
    virtual void MemoryRowsReceived(const TW_IMAGEMEMXFER& strip);
    virtual void MemoryTransferDone(bool succeeded);
    // The buffer the strips arrive in; false when none can be had. The default allocates
    // the preferred size, owned by the application and addressed by pointer.
    virtual bool MemoryAllocateBuffer(const TW_SETUPMEMXFER& setup, TW_MEMORY& buffer);
    virtual void MemoryReleaseBuffer(TW_MEMORY& buffer);
    // File transfers: may change the file the source writes; false refuses the image.
    virtual bool FileChoose(TW_SETUPFILEXFER& setup);
    virtual void FileReceived(const TW_SETUPFILEXFER& setup);
    virtual void StateChanged(int state);
    // A failure the user should hear of; the code says which step failed (0 opening the
    // manager, 1 opening the source, 2 enabling it) or is the source's condition code.
    virtual void ReportError(int code);

    // Movable memory for capability containers; null when it runs out.
    virtual void* AllocateContainer(std::size_t size);
    virtual void FreeContainer(void* container);

private:
    // One call into the manager; records the return code, asks for the condition code
    // after a failure, and moves the state as the call's success says.
    TW_UINT16 Call(bool toSource, TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message,
                   TW_MEMREF data);
    void UpdateState(TW_UINT32 group, TW_UINT16 argumentType, TW_UINT16 message, TW_MEMREF data,
                     TW_UINT16 returnCode);
    void SetState(int state);
    bool SetTransferMechanismCapability();
    // After a failed transfer: told, and what the source still holds is dropped.
    void TransferFailed();

    int state_ = kPreSession;
    TW_IDENTITY appIdentity_{};
    TW_IDENTITY sourceIdentity_{};
    TW_UINT16 lastReturnCode_ = twain::TWRC_SUCCESS;
    TW_UINT16 lastConditionCode_ = twain::TWCC_SUCCESS;
    int savedState_ = kPreSession;
    TW_HANDLE window_ = nullptr;
    TW_UINT16 transferMechanism_ = twain::TWSX_NATIVE;
    bool showUserInterface_ = true;
    TW_USERINTERFACE userInterface_{};
    TW_PENDINGXFERS pendingTransfers_{};
    MessageService* messages_ = nullptr;
    MessagePump* pump_ = nullptr;
    int callDepth_ = 0;
    bool inTransferLoop_ = false;
};
