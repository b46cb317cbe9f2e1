#pragma once

#include "platform/MessageService.h"

#include <ostream>

// Messages of the command line: each on one line of standard error, its line breaks
// written as spaces. Nobody is there to answer a prompt, so changes are never saved and nothing is
// retried.
class HeadlessMessages : public MessageService {
public:
    explicit HeadlessMessages(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text) override;
    Answer AskSaveChanges(const std::string&) override { return Answer::No; }
    bool AskRetry(const std::string& text) override {
        ShowMessage(text);
        return false;
    }

private:
    std::ostream& err_;
};
