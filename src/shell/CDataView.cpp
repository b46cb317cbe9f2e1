#include "shell/CDataView.h"

#include "core/CPreferences.h"
#include "database/ExportOptions.h"
#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"
#include "shell/DataListModel.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>

CDataView::CDataView(CPlumeDoc* document, const CPreferences* preferences, QWidget* parent)
    : QTableView(parent), document_(document), preferences_(preferences),
      model_(new DataListModel(this)) {
    setModel(model_);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultSectionSize(fontMetrics().horizontalAdvance("0.123456") + 8);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setAccessibleName(tr("Data list"));
    setAccessibleDescription(tr("The points and attributes of the current data set"));
}

CDataView::~CDataView() {
    Detach();
}

void CDataView::OnInitialUpdate() {
    Detach();
    if (document_ != nullptr && document_->Database() != nullptr) {
        subject_ = &document_->Database()->SetManager();
        Observe(subject_);
    }
    Rebuild();
}

void CDataView::Detach() {
    rebuildPending_ = false; // the database may be going: no rebuild from it any more
    if (subject_ != nullptr) {
        subject_->Detach(this);
        subject_ = nullptr;
    }
}

void CDataView::Update(Observer*, void*) {
    ScheduleRebuild();
}

void CDataView::ScheduleRebuild() {
    if (rebuildPending_) {
        return;
    }
    rebuildPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (rebuildPending_) {
            Rebuild();
        }
    });
}

void CDataView::Rebuild() {
    rebuildPending_ = false;
    std::string text;
    if (document_ != nullptr && document_->Database() != nullptr) {
        ExportOptions options;
        // The list sorts by the preference, not by the document's own flag.
        options.sort = preferences_ != nullptr ? preferences_->sortData : 0;
        options.axis = ExportOptions::kSortByX;
        document_->Database()->SetManager().ExportCurrentSet(text, ",", options);
    }
    model_->Rebuild(text);
    // Every column as wide as its longest value, so that no number is cut short
    // ("5.55112e-15" is wider than the usual "0.123456").
    const int narrowest = horizontalHeader()->defaultSectionSize();
    for (int column = 0; column < model_->columnCount(); ++column) {
        const int needed = fontMetrics().horizontalAdvance(model_->LongestText(column)) + 8;
        setColumnWidth(column, std::max(narrowest, needed));
    }
}

void CDataView::PassFocus() {
    if (focusTarget_ != nullptr) {
        focusTarget_->setFocus(Qt::OtherFocusReason);
    }
}

void CDataView::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CDataView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    PassFocus();
}

void CDataView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    PassFocus();
}
