#pragma once

#include "core/Observer.h"

#include <QWidget>

#include <memory>

class AttListCtrl;
class CPlumeDoc;
class DbAttMgrRep;
class QPushButton;
class Task;

// The attributes panel: the active document's attributes in a list with a check mark each,
// and a "New Attribute" button below it. It observes the document's attribute manager and
// fills the list again on every change; every action it offers becomes a task on the
// document's history, so it can be undone.
//
// Layout: the button keeps its height and spans the whole width at the bottom; the list
// fills the rest less a 5-pixel gap; "Value" takes the width that "Name" leaves.
class AttGenDlg : public QWidget, public Observer {
    Q_OBJECT

public:
    static constexpr int kGap = 5;

    explicit AttGenDlg(QWidget* parent = nullptr);
    ~AttGenDlg() override;

    // The document whose attributes are shown; null shows none, and New Attribute then does
    // nothing. The panel lets go of the previous document's manager.
    void SetDocument(CPlumeDoc* document);
    CPlumeDoc* Document() const { return document_; }
    void Update(Observer* subject, void* hint) override;
    void Rebuild();

    // The actions, as the button and the list ask for them.
    void NewAttribute();
    void EditAttribute(const QString& name, const QString& value);
    void SetActive(const QString& name, const QString& value, bool active);
    void DeleteAttribute(const QString& name);

    AttListCtrl* List() const { return list_; }
    QPushButton* NewButton() const { return newButton_; }
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Detach();
    void Perform(std::unique_ptr<Task> task);
    bool NameListed(const QString& name) const;

    AttListCtrl* list_;
    QPushButton* newButton_;
    CPlumeDoc* document_ = nullptr;
    DbAttMgrRep* subject_ = nullptr;
};
