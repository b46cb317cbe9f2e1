#pragma once

#include <QDialog>

#include <string>

class QPlainTextEdit;

// "Image Information": the document's image information text, read-only but focusable and
// selectable from the keyboard so that it can be read line by line and copied.
class ImageInfoDlg : public QDialog {
    Q_OBJECT

public:
    // `text` is the image information text, its lines ended by CR LF.
    explicit ImageInfoDlg(const std::string& text, QWidget* parent = nullptr);
    ~ImageInfoDlg() override;

    // The text as shown: one line per line of the information.
    QString Text() const;

private:
    QPlainTextEdit* text_;
};
