#pragma once

class BusyIndicator;
class Clipboard;
class CPreferences;
class DocumentViews;
class MessageService;
class RecentFiles;
class SaveNamePrompt;

// The platform services a document talks to. Any of them may be null: a document without
// views draws nothing, one without a clipboard copies nothing, and so on.
struct DocumentServices {
    MessageService* messages = nullptr;
    SaveNamePrompt* savePrompt = nullptr;
    Clipboard* clipboard = nullptr;
    BusyIndicator* busy = nullptr;
    RecentFiles* recentFiles = nullptr;
    DocumentViews* views = nullptr;
    const CPreferences* preferences = nullptr;
};
