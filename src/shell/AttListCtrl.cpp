#include "shell/AttListCtrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QStyleOption>
#include <QTimer>

namespace {

// Item data: the attribute's own name and its active flag, apart from the texts shown.
constexpr int kNameRole = Qt::UserRole;
constexpr int kActiveRole = Qt::UserRole + 1;
// No column gets narrower than this, in pixels.
constexpr int kMinimumColumn = 20;

// Names in order ignoring case; names equal but for case in their exact order, so the
// order is total.
class NameItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override {
        const int order = text().compare(other.text(), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : text() < other.text();
    }
};

// The check marks of this program: a box, with a tick when the attribute is active, drawn
// in the text colour so that it shows in light and dark themes.
class CheckMarkStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_IndicatorItemViewItemCheck) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QRectF box = QRectF(option->rect).adjusted(1.5, 1.5, -1.5, -1.5);
        const QColor ink = option->palette.color(QPalette::Text);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(ink, 1.0));
        painter->setBrush(option->palette.color(QPalette::Base));
        painter->drawRoundedRect(box, 2, 2);
        if (option->state & State_On) {
            painter->setPen(
                QPen(QColor(0, 128, 0), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            const double w = box.width();
            const double h = box.height();
            const QPointF tick[] = {box.topLeft() + QPointF(0.2 * w, 0.55 * h),
                                    box.topLeft() + QPointF(0.42 * w, 0.78 * h),
                                    box.topLeft() + QPointF(0.82 * w, 0.22 * h)};
            painter->drawPolyline(tick, 3);
        }
        painter->restore();
    }
};

} // namespace

AttListCtrl::AttListCtrl(QWidget* parent) : QTableWidget(0, 2, parent) {
    auto* style = new CheckMarkStyle;
    style->setParent(this);
    setStyle(style);
    setHorizontalHeaderLabels({tr("Name"), tr("Value")});
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setAccessibleName(tr("Attributes"));
    setAccessibleDescription(
        tr("Space switches the selected attribute on or off, Enter edits it, Delete deletes it"));
    connect(this, &QTableWidget::itemChanged, this, &AttListCtrl::ItemChanged);
}

AttListCtrl::~AttListCtrl() = default;

void AttListCtrl::Fill(const std::vector<Entry>& entries) {
    filling_ = true;
    const QString selected = SelectedRow() >= 0 ? At(SelectedRow()).name.c_str() : QString();
    setSortingEnabled(false);
    clearContents();
    setRowCount(static_cast<int>(entries.size()));
    int row = 0;
    for (const Entry& entry : entries) {
        const QString name = QString::fromStdString(entry.name);
        auto* nameItem = new NameItem(name);
        nameItem->setData(kNameRole, name);
        nameItem->setData(kActiveRole, entry.active);
        nameItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable |
                           Qt::ItemIsUserCheckable);
        nameItem->setCheckState(entry.active ? Qt::Checked : Qt::Unchecked);
        auto* valueItem = new QTableWidgetItem(QString::fromStdString(entry.value));
        valueItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, 0, nameItem);
        setItem(row, 1, valueItem);
        ++row;
    }
    sortItems(0, Qt::AscendingOrder);
    const int again = RowOf(selected);
    if (again >= 0) {
        setCurrentCell(again, 0);
    }
    filling_ = false;
}

AttListCtrl::Entry AttListCtrl::At(int row) const {
    Entry entry;
    const QTableWidgetItem* name = item(row, 0);
    const QTableWidgetItem* value = item(row, 1);
    if (name == nullptr || value == nullptr) {
        return entry;
    }
    entry.name = name->data(kNameRole).toString().toStdString();
    entry.value = value->text().toStdString();
    entry.active = name->data(kActiveRole).toBool();
    return entry;
}

int AttListCtrl::RowOf(const QString& name) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (const QTableWidgetItem* cell = item(row, 0);
            cell != nullptr && cell->data(kNameRole).toString() == name) {
            return row;
        }
    }
    return -1;
}

int AttListCtrl::SelectedRow() const {
    const QList<QTableWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : items.front()->row();
}

QRect AttListCtrl::CheckMarkRect(int row) const {
    const QRect cell = visualRect(model()->index(row, 0));
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int width = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
    return QRect(cell.left(), cell.top(), 2 * margin + width, cell.height());
}

bool AttListCtrl::OnCheckMark(const QPoint& point, int& row) const {
    const QModelIndex index = indexAt(point);
    row = index.row();
    return index.isValid() && index.column() == 0 && CheckMarkRect(row).contains(point);
}

void AttListCtrl::Toggle(int row) {
    if (QTableWidgetItem* name = item(row, 0)) {
        name->setCheckState(name->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

// Every change of a check mark (the mouse, Space, an assistive tool) asks for the
// attribute's new flag; the task is run after this signal has returned, because filling
// the list again deletes the item that sent it.
void AttListCtrl::ItemChanged(QTableWidgetItem* changed) {
    if (filling_ || changed == nullptr || changed->column() != 0) {
        return;
    }
    const bool active = changed->checkState() == Qt::Checked;
    if (active == changed->data(kActiveRole).toBool()) {
        return; // a label edited in place: the text shown only
    }
    const Entry entry = At(changed->row());
    QTimer::singleShot(0, this, [this, entry, active] {
        emit activeToggled(QString::fromStdString(entry.name), QString::fromStdString(entry.value),
                           active);
    });
}

void AttListCtrl::mousePressEvent(QMouseEvent* event) {
    int row = -1;
    pressOnCheckMark_ =
        event->button() == Qt::LeftButton && OnCheckMark(event->position().toPoint(), row);
    if (pressOnCheckMark_) {
        // At once, on the press; the row is selected as a click would select it.
        setCurrentCell(row, 0);
        Toggle(row);
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void AttListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (pressOnCheckMark_) {
        pressOnCheckMark_ = false; // the press did it all
        event->accept();
        return;
    }
    QTableWidget::mouseReleaseEvent(event);
}

void AttListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    int row = -1;
    if (event->button() != Qt::LeftButton) {
        QTableWidget::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    if (OnCheckMark(event->position().toPoint(), row)) {
        // Its first click toggled the check mark already; nothing more, and the release
        // that follows is the double click's own.
        pressOnCheckMark_ = true;
        return;
    }
    if (row >= 0) {
        const Entry entry = At(row);
        emit editRequested(QString::fromStdString(entry.name), QString::fromStdString(entry.value));
    }
}

void AttListCtrl::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    QHeaderView* header = horizontalHeader();
    if (!nameWidthSet_ && width() > 0) {
        header->resizeSection(0, std::max(kMinimumColumn, width() / 2 - 3));
        nameWidthSet_ = true;
    }
    header->resizeSection(
        1, std::max(kMinimumColumn, viewport()->width() - header->sectionSize(0) - 5));
}

void AttListCtrl::keyPressEvent(QKeyEvent* event) {
    const int row = SelectedRow();
    if (state() != QAbstractItemView::EditingState && row >= 0) {
        switch (event->key()) {
        case Qt::Key_Space:
            Toggle(row);
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            const Entry entry = At(row);
            emit editRequested(QString::fromStdString(entry.name),
                               QString::fromStdString(entry.value));
            event->accept();
            return;
        }
        case Qt::Key_Delete:
            emit deleteRequested(QString::fromStdString(At(row).name));
            event->accept();
            return;
        case Qt::Key_F2:
            editItem(item(row, 0));
            event->accept();
            return;
        default:
            break;
        }
    }
    QTableWidget::keyPressEvent(event);
}
