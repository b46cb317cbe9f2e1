#include "ui/RegGridDlg.h"
#include "platform_qt/DialogButtons.h"
#include "ui/NumberField.h"

#include "mapping/RegGridData.h"
#include "mapping/RegGridVw.h"
#include "ui/TransDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <utility>

namespace {

// Grid columns; row 0 holds the column headings.
constexpr int kSnapColumn = 0;
constexpr int kOriginColumn = 1;
constexpr int kStepColumn = 2;
constexpr int kShowColumn = 3;

} // namespace

RegGridDlg::RegGridDlg(RegGridData& grid, QWidget* parent)
    : QDialog(parent), rep_(static_cast<RegGridVw*>(grid.CreateRep(RegGridVw::kKey).release())) {
    setWindowTitle(QStringLiteral("Regular Grid Snap"));

    // The headings name two fields each, so they are no buddies; every field carries its
    // own accessible name instead.
    auto* layout = new QVBoxLayout(this);
    auto* table = new QGridLayout;
    layout->addLayout(table);
    table->addWidget(new QLabel(QStringLiteral("Origin")), 0, kOriginColumn);
    table->addWidget(new QLabel(QStringLiteral("Step")), 0, kStepColumn);
    x_ = AddRow(*table, 1, QStringLiteral("X"), rep_->originX, rep_->stepX, rep_->snapX != 0,
                rep_->showX != 0);
    y_ = AddRow(*table, 2, QStringLiteral("Y"), rep_->originY, rep_->stepY, rep_->snapY != 0,
                rep_->showY != 0);

    AddOkCancel(*this, *layout);
}

RegGridDlg::~RegGridDlg() = default;

RegGridDlg::Row RegGridDlg::AddRow(QGridLayout& table, int row, const QString& axis, double origin,
                                   double step, bool snap, bool show) {
    Row controls{new QCheckBox(axis + QStringLiteral(":"), this),
                 new QLineEdit(NumberFieldText(origin), this),
                 new QLineEdit(NumberFieldText(step), this),
                 new QCheckBox(QStringLiteral("Show ") + axis, this)};
    controls.origin->setAccessibleName(axis + QStringLiteral(" Origin"));
    controls.step->setAccessibleName(axis + QStringLiteral(" Step"));
    controls.snap->setChecked(snap);
    controls.show->setChecked(show);
    table.addWidget(controls.snap, row, kSnapColumn);
    table.addWidget(controls.origin, row, kOriginColumn);
    table.addWidget(controls.step, row, kStepColumn);
    table.addWidget(controls.show, row, kShowColumn);
    EnableRow(controls);
    connect(controls.snap, &QCheckBox::toggled, this, [controls] { EnableRow(controls); });
    return controls;
}

void RegGridDlg::EnableRow(const Row& row) {
    const bool on = row.snap->isChecked();
    row.origin->setEnabled(on);
    row.step->setEnabled(on);
    row.show->setEnabled(on);
}

void RegGridDlg::accept() {
    // A field of an unchecked axis is disabled: its check box takes the focus instead, so
    // that the axis can be turned on to mend it.
    const auto read = [](const Row& row, QLineEdit& field) {
        return ReadNumberField(field, field.isEnabled() ? nullptr : row.snap);
    };
    const std::optional<double> originX = read(x_, *x_.origin);
    if (!originX) {
        return;
    }
    const std::optional<double> stepX = read(x_, *x_.step);
    if (!stepX) {
        return;
    }
    const std::optional<double> originY = read(y_, *y_.origin);
    if (!originY) {
        return;
    }
    const std::optional<double> stepY = read(y_, *y_.step);
    if (!stepY) {
        return;
    }
    for (const auto& [row, step] : {std::pair{&x_, *stepX}, std::pair{&y_, *stepY}}) {
        if (step == 0) {
            ShowDialogMessage(this, QStringLiteral("The grid step must not be zero."));
            QWidget* focus = row->step->isEnabled() ? static_cast<QWidget*>(row->step) : row->snap;
            focus->setFocus();
            row->step->selectAll();
            return;
        }
    }

    rep_->snapX = x_.snap->isChecked() ? 1 : 0;
    rep_->originX = *originX;
    rep_->stepX = *stepX;
    rep_->showX = x_.show->isChecked() ? 1 : 0;
    rep_->snapY = y_.snap->isChecked() ? 1 : 0;
    rep_->originY = *originY;
    rep_->stepY = *stepY;
    rep_->showY = y_.show->isChecked() ? 1 : 0;
    QDialog::accept();
}

std::unique_ptr<AttributeRep> RegGridDlg::TakeRepresentation() {
    if (result() != QDialog::Accepted) {
        return nullptr;
    }
    return std::move(rep_);
}
