#pragma once

#include "platform_qt/QtMessagePump.h"
#include "twain/CTwain.h"

#include <QObject>

#include <functional>

class CPlumeDoc;
class MessageService;
class QWidget;

// The main window's scanner connection: the commands File > Scanner Select Source...,
// File > Scanner Acquire... and the close the window posts to itself after a transfer, and
// the answers to the protocol's callbacks (each image becomes a new document through the
// paste path; failures are told). While a source is enabled it sees every message of the
// user-interface thread first, through an event filter on the application.
class FrameTwain : public QObject, public CTwain {
public:
    struct Host {
        // A new, empty document in a window of its own; null when none could be made.
        std::function<CPlumeDoc*()> newDocument;
        // Runs CloseScannerSource once the current message is done.
        std::function<void()> postClose;
        MessageService* messages = nullptr;
    };

    FrameTwain(QWidget* window, Host host);
    // Brings the connection down to state 1.
    ~FrameTwain() override;

    bool SourceSelected() const { return sourceSelected_; }

    // 32817: the source manager's selection dialog.
    void SelectScannerSource();
    // 32818: the selection first if no source has been chosen yet, then the source is
    // enabled; its images arrive later, through the message filter.
    void AcquireFromScanner();
    // 32821: closes the source unless a transfer is still pending.
    void CloseScannerSource();
    // The main window's destruction.
    void Shutdown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    void TransferLoop() override;
    void ImageReceived(TW_HANDLE bitmap) override;
    void ReportError(int code) override;

private:
    Host host_;
    QtMessagePump pump_;
    bool sourceSelected_ = false;
    int imagesThisBatch_ = 0;
};
