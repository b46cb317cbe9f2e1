#include "shell/DocumentManager.h"

#include "document/CPlumeDoc.h"
#include "shell/CChildFrame.h"
#include "shell/CDataView.h"
#include "view/CPlumeView.h"

#include <algorithm>
#include <filesystem>

class DocumentManager::Views : public DocumentViews {
public:
    Views(DocumentManager::Host& host) : host_(host) {}

    void UpdateAllViews(int hint) override {
        for (CChildFrame* frame : frames) {
            if (frame->View() == nullptr) {
                continue; // the window is being destroyed
            }
            frame->View()->OnUpdate(hint);
            // The set manager tells of added points but not of removed ones (an undone
            // point, say): after every committed change the list is made again, once
            // together with the set manager's own notices of the same step.
            frame->DataList()->ScheduleRebuild();
        }
    }
    void UpdateOtherViews(const void* sender, int hint) override {
        for (CChildFrame* frame : frames) {
            if (frame->View() != sender && frame->View() != nullptr) {
                frame->View()->OnUpdate(hint);
            }
        }
    }
    void SetTitle(const std::string& title) override {
        const QString text = QString::fromStdString(title);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            frames[i]->setWindowTitle(
                frames.size() == 1 ? text : QStringLiteral("%1:%2").arg(text).arg(i + 1));
        }
        if (host_.titleChanged) {
            host_.titleChanged();
        }
    }
    void SetStatusPane(int pane, const std::string& text) override {
        if (host_.setStatusPane) {
            host_.setStatusPane(pane, text);
        }
    }

    std::vector<CChildFrame*> frames;

private:
    DocumentManager::Host& host_;
};

// A document lives until the last of its windows is destroyed, even after it counts as
// closed: the windows' views use it until then.
struct DocumentManager::Open {
    std::unique_ptr<Views> views;
    std::unique_ptr<CPlumeDoc> document;
    std::vector<CChildFrame*> closingFrames;
    bool closed = false;
};

DocumentManager::DocumentManager(DocumentServices services, Host host)
    : services_(services), host_(std::move(host)) {}

DocumentManager::~DocumentManager() = default;

DocumentManager::Open* DocumentManager::Add(std::unique_ptr<Open> open) {
    open_.push_back(std::move(open));
    return open_.back().get();
}

void DocumentManager::ShowWindow(Open& open) {
    CChildFrame* frame = host_.makeWindow(open.document.get());
    open.views->frames.push_back(frame);
    frame->OnInitialUpdate();
    open.document->SetModified(open.document->IsModified()); // the title
    if (host_.activateWindow) {
        host_.activateWindow(frame);
    }
}

CPlumeDoc* DocumentManager::NewDocument() {
    auto open = std::make_unique<Open>();
    open->views = std::make_unique<Views>(host_);
    DocumentServices services = services_;
    services.views = open->views.get();
    open->document = std::make_unique<CPlumeDoc>(services);
    if (!open->document->NewDocument()) {
        return nullptr;
    }
    open->document->UpdateTitle(std::string());
    Open* added = Add(std::move(open));
    ShowWindow(*added);
    return added->document.get();
}

CPlumeDoc* DocumentManager::FindByPath(const std::string& path) const {
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(path, error);
    for (const auto& open : open_) {
        const std::string& other = open->document->Path();
        if (open->closed || other.empty()) {
            continue;
        }
        std::error_code otherError;
        if (std::filesystem::weakly_canonical(other, otherError) == canonical && !error &&
            !otherError) {
            return open->document.get();
        }
    }
    return nullptr;
}

CPlumeDoc* DocumentManager::OpenFile(const std::string& path) {
    if (CPlumeDoc* existing = FindByPath(path)) {
        const std::vector<CChildFrame*> windows = Windows(existing);
        if (!windows.empty() && host_.activateWindow) {
            host_.activateWindow(windows.front());
        }
        return existing;
    }
    PdfPageChoice page;
    if (host_.choosePdfPage && !host_.choosePdfPage(path, page)) {
        return nullptr; // cancelled: nothing to say
    }
    auto open = std::make_unique<Open>();
    open->views = std::make_unique<Views>(host_);
    DocumentServices services = services_;
    services.views = open->views.get();
    open->document = std::make_unique<CPlumeDoc>(services);
    if (!open->document->OpenDocument(path, page)) {
        return nullptr; // the document showed its message; no window is left behind
    }
    Open* added = Add(std::move(open));
    ShowWindow(*added);
    return added->document.get();
}

bool DocumentManager::CanClose(CPlumeDoc* document) {
    return document == nullptr || document->SaveModified();
}

void DocumentManager::WindowClosing(CChildFrame* frame) {
    for (const auto& open : open_) {
        auto& frames = open->views->frames;
        const auto found = std::find(frames.begin(), frames.end(), frame);
        if (found == frames.end()) {
            continue;
        }
        frames.erase(found);
        open->closingFrames.push_back(frame);
        open->closed = frames.empty();
        return;
    }
}

void DocumentManager::WindowClosed(CChildFrame* frame) {
    WindowClosing(frame); // destroyed without a close first
    for (auto it = open_.begin(); it != open_.end(); ++it) {
        auto& closing = (*it)->closingFrames;
        const auto found = std::find(closing.begin(), closing.end(), frame);
        if (found == closing.end()) {
            continue;
        }
        closing.erase(found);
        if ((*it)->closed && closing.empty()) {
            (*it)->document->ReleaseContents();
            open_.erase(it);
        }
        return;
    }
}

bool DocumentManager::CanCloseAll() {
    for (const auto& open : open_) {
        if (!open->closed && !open->document->SaveModified()) {
            return false;
        }
    }
    return true;
}

std::vector<CPlumeDoc*> DocumentManager::Documents() const {
    std::vector<CPlumeDoc*> documents;
    for (const auto& open : open_) {
        if (!open->closed) {
            documents.push_back(open->document.get());
        }
    }
    return documents;
}

std::vector<CChildFrame*> DocumentManager::Windows(const CPlumeDoc* document) const {
    for (const auto& open : open_) {
        if (open->document.get() == document) {
            return open->views->frames;
        }
    }
    return {};
}
