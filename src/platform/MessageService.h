#pragma once

#include <string>

// Message boxes. The GUI shows them in boxes; the command line writes them to standard
// error; tests record them and answer the prompts.
class MessageService {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~MessageService() = default;
    // A plain box with an OK button. The text may hold "\n" line breaks.
    virtual void ShowMessage(const std::string& text) = 0;
    // "Save changes to %1?" with Yes, No and Cancel.
    virtual Answer AskSaveChanges(const std::string& documentTitle) = 0;
    // A warning box with Retry and Cancel; true for Retry.
    virtual bool AskRetry(const std::string& text) = 0;
};
