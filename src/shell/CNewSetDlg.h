#pragma once

#include <QDialog>

class QLineEdit;

// "New Data Set": the name of the set to start, proposed by the caller and shown selected so
// that typing replaces it. A name that is empty or only blanks is refused, since an empty
// name marks a deleted set.
class CNewSetDlg : public QDialog {
    Q_OBJECT

public:
    explicit CNewSetDlg(const QString& name, QWidget* parent = nullptr);
    ~CNewSetDlg() override;

    void accept() override;

    // The name as typed.
    QString Name() const;

private:
    QLineEdit* name_;
};
