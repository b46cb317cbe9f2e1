#include "shell/OptionsDlg.h"
#include "platform_qt/DialogButtons.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QCheckBox* AddCheckBox(QVBoxLayout& layout, const QString& text, bool checked) {
    auto* box = new QCheckBox(text);
    box->setChecked(checked);
    layout.addWidget(box);
    return box;
}

} // namespace

OptionsDlg::OptionsDlg(const CPreferences& preferences, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Options"));
    preferences_.CopySettingsFrom(preferences);

    auto* layout = new QVBoxLayout(this);
    sortData_ = AddCheckBox(*layout, QStringLiteral("Sort Data Points"), preferences.sortData != 0);
    saveCopy_ =
        AddCheckBox(*layout, QStringLiteral("Save Bitmap Copy"), preferences.saveReference == 0);
    reuseMapping_ = AddCheckBox(*layout, QStringLiteral("Reuse Mapping Data"),
                                preferences.reuseMappingData != 0);
    allowCaching_ =
        AddCheckBox(*layout, QStringLiteral("Allow Image Caching"), preferences.allowCaching != 0);

    AddOkCancel(*this, *layout);
}

OptionsDlg::~OptionsDlg() = default;

void OptionsDlg::accept() {
    preferences_.sortData = sortData_->isChecked() ? 1 : 0;
    preferences_.saveReference = saveCopy_->isChecked() ? 0 : 1;
    preferences_.reuseMappingData = reuseMapping_->isChecked() ? 1 : 0;
    preferences_.allowCaching = allowCaching_->isChecked() ? 1 : 0;
    QDialog::accept();
}
