#pragma once

#include "document/DocumentServices.h"
#include "image/PdfPageChoice.h"
#include "platform/DocumentViews.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CChildFrame;
class CPlumeDoc;

// The open documents and their windows. Each document has its own DocumentViews, which
// forwards the document's updates, title and status texts to its windows; a file that is
// already open is brought to the front instead of being opened twice.
class DocumentManager {
public:
    // What the main window does for the manager.
    struct Host {
        // A new window for a document, shown in the window area.
        std::function<CChildFrame*(CPlumeDoc*)> makeWindow;
        std::function<void(CChildFrame*)> activateWindow;
        std::function<void(int pane, const std::string& text)> setStatusPane;
        std::function<void()> titleChanged;
        // Before a file opens: the page and resolution of a PDF (false: the person
        // cancelled, and nothing opens). Without it a PDF opens at page 1, 150 dpi.
        std::function<bool(const std::string& path, PdfPageChoice& choice)> choosePdfPage;
    };

    // `services` without views: each document gets its own.
    DocumentManager(DocumentServices services, Host host);
    ~DocumentManager();
    DocumentManager(const DocumentManager&) = delete;
    DocumentManager& operator=(const DocumentManager&) = delete;

    // File > New: an empty document in a new window.
    CPlumeDoc* NewDocument();
    // File > Open and the command line: an open document of the same file comes to the
    // front; a file that fails to open leaves no window. Null on failure.
    CPlumeDoc* OpenFile(const std::string& path);
    // Asks about unsaved changes; false when the user keeps the document open.
    bool CanClose(CPlumeDoc* document);
    // The window has been closed and will be destroyed soon: it no longer shows its
    // document, and a document without windows counts as closed at once (opening its file
    // again makes a new one).
    void WindowClosing(CChildFrame* frame);
    // The window is destroyed; a closed document goes with its last window.
    void WindowClosed(CChildFrame* frame);
    // Every document asked in turn (File > Exit, closing the main window).
    bool CanCloseAll();

    std::vector<CPlumeDoc*> Documents() const;
    std::vector<CChildFrame*> Windows(const CPlumeDoc* document) const;
    CPlumeDoc* FindByPath(const std::string& path) const;

private:
    struct Open;
    class Views;

    Open* Add(std::unique_ptr<Open> open);
    void ShowWindow(Open& open);

    DocumentServices services_;
    Host host_;
    std::vector<std::unique_ptr<Open>> open_;
};
