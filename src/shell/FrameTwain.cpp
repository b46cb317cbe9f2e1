#include "shell/FrameTwain.h"

#include "document/CPlumeDoc.h"
#include "image/ImageStore.h"
#include "platform/MessageService.h"
#include "twain/NativeImage.h"

#include <QCoreApplication>
#include <QWidget>

FrameTwain::FrameTwain(QWidget* window, Host host) : host_(std::move(host)) {
    SetWindow(window);
    SetShowUserInterface(true);
    SetTransferMechanism(twain::TWSX_NATIVE);
    SetMessages(host_.messages);
    SetMessagePump(&pump_);
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
    }
}

FrameTwain::~FrameTwain() {
    Shutdown();
}

void FrameTwain::Shutdown() {
    CloseManager();
    UnloadManager();
}

bool FrameTwain::eventFilter(QObject* watched, QEvent* event) {
    if (State() >= kSourceEnabled && FilterMessage(event)) {
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void FrameTwain::SelectScannerSource() {
    const int before = State();
    if (!OpenManager(Window())) {
        ReportError(0);
        DropToState(before, Window());
        return;
    }
    if (SelectSource(Window())) {
        sourceSelected_ = true;
    }
}

void FrameTwain::AcquireFromScanner() {
    if (!sourceSelected_) {
        SelectScannerSource();
        if (!sourceSelected_) {
            return;
        }
    }
    Acquire(Window());
}

void FrameTwain::CloseScannerSource() {
    if (State() < kTransferReady) {
        CloseSource();
    } else if (host_.messages != nullptr) {
        host_.messages->ShowMessage("Unable to close TWAIN source!");
    }
}

// One close for the whole batch, once its last image is in: a close that arrived between
// the images of a document feeder would find a transfer pending and be refused.
void FrameTwain::TransferLoop() {
    imagesThisBatch_ = 0;
    CTwain::TransferLoop();
    if (imagesThisBatch_ > 0 && host_.postClose) {
        host_.postClose();
    }
}

void FrameTwain::ImageReceived(TW_HANDLE bitmap) {
    ImageStore image;
    image.SetBitmap(NativeImage::Take(bitmap), 0);
    CPlumeDoc* document = image.HasImage() && host_.newDocument ? host_.newDocument() : nullptr;
    if (document == nullptr) {
        if (host_.messages != nullptr) {
            host_.messages->ShowMessage("Unable to open new document!");
        }
        return;
    }
    document->PasteImage(image);
    // A scanned page is where the document starts: nothing to undo back to.
    if (PlumeData* database = document->Database()) {
        database->ClearHistory();
    }
    ++imagesThisBatch_;
}

void FrameTwain::ReportError(int) {
    if (host_.messages != nullptr) {
        host_.messages->ShowMessage("A TWAIN error occurred.");
    }
}
