#include "shell/DataSetsBox.h"

#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"

#include <QKeyEvent>

DataSetsBox::DataSetsBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setFixedWidth(150);
    setAccessibleName(tr("Data set"));
    setToolTip(tr("Select Data Set"));
    setEnabled(false);
    connect(this, QOverload<int>::of(&QComboBox::activated), this, &DataSetsBox::Chosen);
}

DataSetsBox::~DataSetsBox() {
    Detach();
}

void DataSetsBox::Detach() {
    if (subject_ != nullptr) {
        subject_->Detach(this);
        subject_ = nullptr;
    }
}

void DataSetsBox::SetDocument(CPlumeDoc* document) {
    Detach();
    document_ = document;
    if (document_ != nullptr && document_->Database() != nullptr) {
        subject_ = &document_->Database()->SetManager();
        Observe(subject_);
    }
    setEnabled(subject_ != nullptr);
    Rebuild();
}

void DataSetsBox::Update(Observer*, void*) {
    Rebuild();
}

void DataSetsBox::Rebuild() {
    rebuilding_ = true;
    clear();
    if (document_ != nullptr && document_->Database() != nullptr) {
        std::vector<std::pair<std::string, std::int32_t>> sets;
        const std::int32_t current = document_->Database()->SetManager().ListSets(sets);
        for (const auto& [name, index] : sets) {
            addItem(QString::fromStdString(name), index);
        }
        setCurrentIndex(findData(current));
    }
    rebuilding_ = false;
}

void DataSetsBox::Chosen(int row) {
    if (rebuilding_ || document_ == nullptr || row < 0) {
        return;
    }
    document_->SelectDataSet(itemData(row).toInt());
}

void DataSetsBox::keyPressEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        QComboBox::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        Rebuild();
    }
    QComboBox::keyPressEvent(event);
}
