#include "ui/PixelMappingDlg.h"
#include "platform_qt/DialogButtons.h"
#include "ui/NumberField.h"

#include "mapping/TransformData.h"
#include "mapping/TransformPpiVw.h"
#include "ui/TransDlg.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <utility>

CImageMapping::CImageMapping(TransformData& mapping, QWidget* parent)
    : QDialog(parent),
      rep_(static_cast<TransformPpiVw*>(mapping.CreateRep(TransformPpiVw::kKey).release())) {
    setWindowTitle(QStringLiteral("Pixel Mapping"));

    // Each label is its field's buddy, which gives the field its accessible name.
    auto* form = new QFormLayout;
    aspectRatio_ = new QLineEdit(NumberFieldText(rep_->aspectRatio));
    pointsPerLength_ = new QLineEdit(NumberFieldText(rep_->pointsPerLength));
    xOrigin_ = new QLineEdit(NumberFieldText(rep_->xOrigin));
    yOrigin_ = new QLineEdit(NumberFieldText(rep_->yOrigin));
    form->addRow(QStringLiteral("Aspect Ratio (w/h):"), aspectRatio_);
    form->addRow(QStringLiteral("Points Per Length (h):"), pointsPerLength_);
    form->addRow(QStringLiteral("X Origin:"), xOrigin_);
    form->addRow(QStringLiteral("Y Origin:"), yOrigin_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    AddOkCancel(*this, *layout);
}

CImageMapping::~CImageMapping() = default;

void CImageMapping::accept() {
    const std::optional<double> aspectRatio = ReadNumberField(*aspectRatio_);
    if (!aspectRatio) {
        return;
    }
    const std::optional<double> pointsPerLength = ReadNumberField(*pointsPerLength_);
    if (!pointsPerLength) {
        return;
    }
    const std::optional<double> xOrigin = ReadNumberField(*xOrigin_);
    if (!xOrigin) {
        return;
    }
    const std::optional<double> yOrigin = ReadNumberField(*yOrigin_);
    if (!yOrigin) {
        return;
    }
    if (*pointsPerLength == 0) {
        ShowDialogMessage(this, QStringLiteral("The points per length must not be zero."));
        pointsPerLength_->setFocus();
        pointsPerLength_->selectAll();
        return;
    }

    rep_->aspectRatio = *aspectRatio;
    rep_->pointsPerLength = *pointsPerLength;
    rep_->xOrigin = *xOrigin;
    rep_->yOrigin = *yOrigin;
    QDialog::accept();
}

std::unique_ptr<AttributeRep> CImageMapping::TakeRepresentation() {
    if (result() != QDialog::Accepted) {
        return nullptr;
    }
    return std::move(rep_);
}
