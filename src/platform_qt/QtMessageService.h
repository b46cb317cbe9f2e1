#pragma once

#include "platform/MessageService.h"

#include <QPointer>
#include <QWidget>

// Modal message boxes titled with the program's name, over a parent window (none when the
// parent is null or has gone). Texts are shown as plain text, so a file name holding "<"
// never turns a message into markup.
class QtMessageService : public MessageService {
public:
    explicit QtMessageService(QWidget* parent);

    // An information box with OK.
    void ShowMessage(const std::string& text) override;
    // A warning box with Yes (the default), No and Cancel; Escape or closing the box is
    // Cancel.
    Answer AskSaveChanges(const std::string& documentTitle) override;
    // A warning box with Retry (the default) and Cancel; Escape is Cancel.
    bool AskRetry(const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};
