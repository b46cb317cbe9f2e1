#include "scanner/QtScannerDialogs.h"

#include "scanner/ScanProgressDlg.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QComboBox* Choices(const std::vector<std::string>& values, const std::string& current) {
    auto* box = new QComboBox;
    for (const std::string& value : values) {
        box->addItem(QString::fromStdString(value));
    }
    box->setCurrentText(QString::fromStdString(current));
    return box;
}

} // namespace

std::optional<std::size_t> QtScannerDialogs::ChooseDevice(TW_HANDLE parent,
                                                          const std::vector<Device>& devices,
                                                          std::size_t current) {
    QDialog dialog(Widget(parent));
    dialog.setObjectName("SelectSource");
    dialog.setWindowTitle(QObject::tr("Select Source"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QObject::tr("&Sources:"));
    layout->addWidget(label);
    auto* list = new QTreeWidget;
    label->setBuddy(list);
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QObject::tr("Name"), QObject::tr("Vendor"), QObject::tr("Model")});
    for (const Device& device : devices) {
        list->addTopLevelItem(new QTreeWidgetItem(
            QStringList{QString::fromStdString(device.name), QString::fromStdString(device.vendor),
                        QString::fromStdString(device.model)}));
    }
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (current < devices.size()) {
        list->setCurrentItem(list->topLevelItem(static_cast<int>(current)));
    }
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox;
    QPushButton* select = buttons->addButton(QObject::tr("Select"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    select->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    const auto updateSelect = [list, select] {
        select->setEnabled(list->currentItem() != nullptr);
    };
    QObject::connect(list, &QTreeWidget::currentItemChanged, &dialog, updateSelect);
    updateSelect();
    layout->addWidget(buttons);
    dialog.resize(520, 300);
    if (dialog.exec() != QDialog::Accepted || list->currentItem() == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(list->indexOfTopLevelItem(list->currentItem()));
}

bool QtScannerDialogs::AskScan(TW_HANDLE parent, const std::string& device,
                               ScanSettings& settings) {
    QDialog dialog(Widget(parent));
    dialog.setObjectName("Scan");
    dialog.setWindowTitle(QObject::tr("Scan from %1").arg(QString::fromStdString(device)));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    QComboBox* mode = nullptr;
    if (!settings.modes.empty()) {
        mode = Choices(settings.modes, settings.mode);
        mode->setObjectName("mode");
        form->addRow(QObject::tr("&Mode:"), mode);
    }
    QComboBox* resolution = nullptr;
    if (!settings.resolutions.empty()) {
        resolution = new QComboBox;
        resolution->setObjectName("resolution");
        for (int dpi : settings.resolutions) {
            resolution->addItem(QObject::tr("%1 dpi").arg(dpi), dpi);
        }
        resolution->setCurrentIndex(resolution->findData(settings.resolution));
        form->addRow(QObject::tr("&Resolution:"), resolution);
    }
    QComboBox* source = nullptr;
    if (!settings.sources.empty()) {
        source = Choices(settings.sources, settings.source);
        source->setObjectName("source");
        form->addRow(QObject::tr("&Page source:"), source);
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox;
    QPushButton* scan = buttons->addButton(QObject::tr("&Scan"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    scan->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (mode != nullptr) {
        settings.mode = mode->currentText().toStdString();
    }
    if (resolution != nullptr) {
        settings.resolution = resolution->currentData().toInt();
    }
    if (source != nullptr) {
        settings.source = source->currentText().toStdString();
    }
    return true;
}

std::unique_ptr<ScannerDialogs::Progress> QtScannerDialogs::ShowProgress(TW_HANDLE parent) {
    return std::make_unique<ScanProgressDlg>(Widget(parent));
}
