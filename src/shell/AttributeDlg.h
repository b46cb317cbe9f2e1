#pragma once

#include <QDialog>

#include <functional>

class QFormLayout;
class QLineEdit;

// What Define Attribute and Edit Attribute share: the Name and Value fields, and OK refused
// with "The attribute name must not be a duplicate." while the name is one the panel's list
// already holds (the dialog stays open, the name selected).
class AttributeDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kDuplicateMessage = "The attribute name must not be a duplicate.";

    // Whether a name is taken, asked on OK.
    using NameTaken = std::function<bool(const QString& name)>;

    ~AttributeDlg() override;

    void accept() override;
    QString Name() const;
    QString Value() const;

protected:
    AttributeDlg(const QString& title, const QString& name, const QString& value, NameTaken taken,
                 QWidget* parent);
    // The name that OK checks and gives; the fields as typed by default.
    virtual QString FinalName() const;
    // Whether the final name must be checked against the list.
    virtual bool NeedsCheck(const QString& name) const;
    QFormLayout* Form() const { return form_; }
    QLineEdit* NameField() const { return name_; }
    QLineEdit* ValueField() const { return value_; }

private:
    QFormLayout* form_;
    QLineEdit* name_;
    QLineEdit* value_;
    NameTaken taken_;
};
