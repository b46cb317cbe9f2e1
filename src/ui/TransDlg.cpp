#include "ui/TransDlg.h"
#include "platform_qt/DialogButtons.h"
#include "ui/NumberField.h"

#include "mapping/TransformAxisVw.h"
#include "mapping/TransformData.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

// One labelled number field in a row of the grid: the label is the field's buddy, which
// also gives the field its accessible name.
QLineEdit* AddField(QGridLayout& grid, int row, int column, const QString& label, double value) {
    auto* field = new QLineEdit(NumberFieldText(value));
    auto* caption = new QLabel(label);
    caption->setBuddy(field);
    grid.addWidget(caption, row, column);
    grid.addWidget(field, row, column + 1);
    return field;
}

} // namespace

TransDlg::TransDlg(TransformData& mapping, QWidget* parent)
    : QDialog(parent),
      rep_(static_cast<TransformAxisVw*>(mapping.CreateRep(TransformAxisVw::kKey).release())) {
    setWindowTitle(QStringLiteral("Axis Mapping"));

    auto* grid = new QGridLayout;
    xMin_ = AddField(*grid, 0, 0, QStringLiteral("X Min:"), rep_->xMin);
    xMax_ = AddField(*grid, 0, 2, QStringLiteral("X Max:"), rep_->xMax);
    logX_ = new QCheckBox(QStringLiteral("X Logarithmic"));
    logX_->setChecked(rep_->logX != 0);
    grid->addWidget(logX_, 0, 4);
    yMin_ = AddField(*grid, 1, 0, QStringLiteral("Y Min:"), rep_->yMin);
    yMax_ = AddField(*grid, 1, 2, QStringLiteral("Y Max:"), rep_->yMax);
    logY_ = new QCheckBox(QStringLiteral("Y Logarithmic"));
    logY_->setChecked(rep_->logY != 0);
    grid->addWidget(logY_, 1, 4);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    AddOkCancel(*this, *layout);

    // Row by row, each axis's limits before its scale.
    setTabOrder(xMin_, xMax_);
    setTabOrder(xMax_, logX_);
    setTabOrder(logX_, yMin_);
    setTabOrder(yMin_, yMax_);
    setTabOrder(yMax_, logY_);
}

TransDlg::~TransDlg() = default;

void TransDlg::accept() {
    const std::optional<double> xMin = ReadNumberField(*xMin_);
    if (!xMin) {
        return;
    }
    const std::optional<double> xMax = ReadNumberField(*xMax_);
    if (!xMax) {
        return;
    }
    const std::optional<double> yMin = ReadNumberField(*yMin_);
    if (!yMin) {
        return;
    }
    const std::optional<double> yMax = ReadNumberField(*yMax_);
    if (!yMax) {
        return;
    }
    const bool logX = logX_->isChecked();
    const bool logY = logY_->isChecked();

    // A logarithmic axis has no place for 0 or below; the first such limit takes the focus.
    QLineEdit* offending = nullptr;
    if (logX && *xMin <= 0) {
        offending = xMin_;
    } else if (logX && *xMax <= 0) {
        offending = xMax_;
    } else if (logY && *yMin <= 0) {
        offending = yMin_;
    } else if (logY && *yMax <= 0) {
        offending = yMax_;
    }
    if (offending != nullptr) {
        ShowDialogMessage(this,
                          QStringLiteral("For logarithmic scales, the limits must not be zero."));
        offending->setFocus();
        offending->selectAll();
        return;
    }

    rep_->xMin = *xMin;
    rep_->xMax = *xMax;
    rep_->yMin = *yMin;
    rep_->yMax = *yMax;
    rep_->logX = logX ? 1 : 0;
    rep_->logY = logY ? 1 : 0;
    QDialog::accept();
}

std::unique_ptr<AttributeRep> TransDlg::TakeRepresentation() {
    if (result() != QDialog::Accepted) {
        return nullptr;
    }
    return std::move(rep_);
}
