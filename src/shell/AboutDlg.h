#pragma once

#include <QDialog>

// The About box: the product and version line, and the libraries the program is built on
// with their licences.
class AboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit AboutDlg(QWidget* parent = nullptr);
    ~AboutDlg() override;

    // The version line as shown.
    static QString VersionLine();
    // One paragraph per library: what it does here, and its licence.
    static QString Credits();
};
