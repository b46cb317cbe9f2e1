#include "shell/AttGenDlg.h"

#include "core/ApplicationState.h"
#include "database/DbAttMgrRep.h"
#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"
#include "history/AttributeActions.h"
#include "shell/AddAttDlg.h"
#include "shell/AttListCtrl.h"
#include "shell/EditAttDlg.h"

#include <QPushButton>
#include <QResizeEvent>

AttGenDlg::AttGenDlg(QWidget* parent)
    : QWidget(parent), list_(new AttListCtrl(this)),
      newButton_(new QPushButton(tr("New Attribute"), this)) {
    setAccessibleName(tr("Attributes"));
    newButton_->setAccessibleDescription(tr("Define an attribute that new points carry"));
    setTabOrder(list_, newButton_);
    connect(newButton_, &QPushButton::clicked, this, &AttGenDlg::NewAttribute);
    connect(list_, &AttListCtrl::activeToggled, this, &AttGenDlg::SetActive);
    connect(list_, &AttListCtrl::editRequested, this, &AttGenDlg::EditAttribute);
    connect(list_, &AttListCtrl::deleteRequested, this, &AttGenDlg::DeleteAttribute);
    setEnabled(false);
}

AttGenDlg::~AttGenDlg() {
    Detach();
}

QSize AttGenDlg::sizeHint() const {
    return QSize(220, 200);
}

void AttGenDlg::Detach() {
    if (subject_ != nullptr) {
        subject_->Detach(this);
        subject_ = nullptr;
    }
}

void AttGenDlg::SetDocument(CPlumeDoc* document) {
    Detach();
    document_ = document;
    if (document_ != nullptr && document_->Database() != nullptr) {
        subject_ = &document_->Database()->AttributeManager();
        Observe(subject_);
    }
    setEnabled(subject_ != nullptr);
    Rebuild();
}

void AttGenDlg::Update(Observer* subject, void*) {
    if (subject == subject_) {
        Rebuild();
    }
}

// Every item goes and every attribute is shown again, in the list's order. (Matching the
// old items by name ignoring case would drop one of two attributes whose names differ only
// in case, which the dialogs accept.)
void AttGenDlg::Rebuild() {
    std::vector<AttListCtrl::Entry> entries;
    if (subject_ != nullptr) {
        const SmartPtr<DbAttSetRep> all = subject_->CopyAll();
        for (std::int32_t i = 0; i < all->Count(); ++i) {
            const DbAttRep& attribute = *(*all)[i];
            entries.push_back(
                AttListCtrl::Entry{attribute.name, attribute.value, attribute.active != 0});
        }
    }
    list_->Fill(entries);
}

bool AttGenDlg::NameListed(const QString& name) const {
    return list_->RowOf(name) >= 0;
}

void AttGenDlg::Perform(std::unique_ptr<Task> task) {
    if (document_ == nullptr || document_->Database() == nullptr || task == nullptr) {
        return;
    }
    document_->Database()->Perform(std::move(task));
    document_->CommitTask();
}

void AttGenDlg::NewAttribute() {
    if (document_ == nullptr || document_->Database() == nullptr) {
        return;
    }
    ApplicationState& remembered = ApplicationState::Current();
    AddAttDlg dialog(
        QString::fromStdString(remembered.attributeName),
        QString::fromStdString(remembered.attributeValue), remembered.attributeOnlyCurrentSet,
        [this](const QString& name) { return NameListed(name); }, this);
    if (dialog.exec() != QDialog::Accepted || document_ == nullptr) {
        return;
    }
    remembered.attributeName = dialog.Name().toStdString();
    remembered.attributeValue = dialog.Value().toStdString();
    remembered.attributeOnlyCurrentSet = dialog.OnlyCurrentSet();
    Perform(attribute_actions::Define(document_->Database(), remembered.attributeName,
                                      remembered.attributeValue, dialog.OnlyCurrentSet()));
}

void AttGenDlg::EditAttribute(const QString& name, const QString& value) {
    if (document_ == nullptr || document_->Database() == nullptr) {
        return;
    }
    const int row = list_->RowOf(name);
    if (row < 0) {
        return;
    }
    const bool active = list_->At(row).active;
    EditAttDlg dialog(
        name, value, [this](const QString& taken) { return NameListed(taken); }, this);
    if (dialog.exec() != QDialog::Accepted || document_ == nullptr) {
        return;
    }
    ApplicationState& remembered = ApplicationState::Current();
    remembered.attributeName = dialog.Name().toStdString();
    remembered.attributeValue = dialog.Value().toStdString();
    Perform(attribute_actions::Edit(document_->Database(), name.toStdString(),
                                    remembered.attributeName, remembered.attributeValue,
                                    active ? 1 : 0));
}

void AttGenDlg::SetActive(const QString& name, const QString& value, bool active) {
    if (document_ == nullptr || document_->Database() == nullptr || !NameListed(name)) {
        return;
    }
    Perform(attribute_actions::SetActive(document_->Database(), name.toStdString(),
                                         value.toStdString(), active ? 1 : 0));
}

void AttGenDlg::DeleteAttribute(const QString& name) {
    if (document_ == nullptr || document_->Database() == nullptr || !NameListed(name)) {
        return;
    }
    Perform(attribute_actions::Delete(document_->Database(), name.toStdString()));
}

void AttGenDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int width = event->size().width();
    const int height = event->size().height();
    const int buttonHeight = newButton_->sizeHint().height();
    newButton_->setGeometry(0, height - buttonHeight, width, buttonHeight);
    list_->setGeometry(0, 0, width, std::max(0, height - buttonHeight - kGap));
}
