#include "ui/PdfPageDlg.h"

#include "image/PdfDocument.h"
#include "image/PdfPageChoice.h"
#include "platform_qt/DialogButtons.h"
#include "platform_qt/QtClipboard.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>

namespace {

// A blank page of the preview's size, until the page's own preview is drawn.
QIcon BlankPreview() {
    QPixmap blank(PdfPageDlg::kThumbnailSide, PdfPageDlg::kThumbnailSide);
    blank.fill(Qt::transparent);
    QPainter painter(&blank);
    painter.setPen(QColor(160, 160, 160));
    painter.setBrush(Qt::white);
    const int side = PdfPageDlg::kThumbnailSide;
    painter.drawRect(side / 2 - side * 35 / 100, 0, side * 70 / 100 - 1, side - 1);
    return QIcon(blank);
}

bool StartsAsPdf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char head[1024] = {};
    file.read(head, sizeof head);
    return PdfDocument::IsPdf(
        reinterpret_cast<const std::uint8_t*>(head),
        static_cast<std::size_t>(std::max<std::streamsize>(0, file.gcount())));
}

} // namespace

PdfPageDlg::PdfPageDlg(const PdfDocument& pdf, double dpi, QWidget* parent)
    : QDialog(parent), pdf_(pdf), pages_(new QListWidget), dpi_(new QSpinBox), size_(new QLabel),
      previews_(new QTimer(this)) {
    setWindowTitle(tr("Open PDF Page"));
    pages_->setViewMode(QListView::IconMode);
    pages_->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
    pages_->setMovement(QListView::Static);
    pages_->setResizeMode(QListView::Adjust);
    pages_->setWrapping(true);
    pages_->setSpacing(8);
    pages_->setUniformItemSizes(true);
    pages_->setSelectionMode(QAbstractItemView::SingleSelection);
    pages_->setMinimumSize(4 * (kThumbnailSide + 24), 2 * (kThumbnailSide + 40));
    pages_->setAccessibleName(tr("Pages"));
    const QIcon blank = BlankPreview();
    for (int page = 1; page <= pdf_.PageCount(); ++page) {
        auto* item = new QListWidgetItem(blank, tr("Page %1").arg(page), pages_);
        item->setData(Qt::UserRole, page);
    }
    pages_->setCurrentRow(0);

    dpi_->setRange(kMinimumDpi, kMaximumDpi);
    dpi_->setSingleStep(25);
    dpi_->setSuffix(tr(" dpi"));
    dpi_->setValue(std::clamp(static_cast<int>(std::lround(dpi)), kMinimumDpi, kMaximumDpi));

    auto* pagesLabel = new QLabel(tr("&Page:"));
    pagesLabel->setBuddy(pages_);
    auto* form = new QFormLayout;
    form->addRow(tr("&Resolution:"), dpi_);
    form->addRow(tr("Image size:"), size_);
    size_->setAccessibleName(tr("Image size"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pagesLabel);
    layout->addWidget(pages_, 1);
    layout->addLayout(form);
    AddOkCancel(*this, *layout);

    connect(pages_, &QListWidget::currentRowChanged, this, &PdfPageDlg::ShowSize);
    connect(pages_, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(dpi_, &QSpinBox::valueChanged, this, &PdfPageDlg::ShowSize);
    connect(previews_, &QTimer::timeout, this, &PdfPageDlg::DrawNextPreview);
    ShowSize();
    pages_->setFocus();
    previews_->start(0);
}

PdfPageDlg::~PdfPageDlg() = default;

int PdfPageDlg::Page() const {
    return std::max(0, pages_->currentRow()) + 1;
}

double PdfPageDlg::Dpi() const {
    return dpi_->value();
}

void PdfPageDlg::DrawNextPreview() {
    if (drawn_ >= pages_->count()) {
        previews_->stop();
        return;
    }
    PackedBitmap preview;
    QListWidgetItem* item = pages_->item(drawn_);
    ++drawn_;
    if (pdf_.RenderThumbnail(drawn_, kThumbnailSide, preview)) {
        const QImage image = PackedBitmapToImage(preview.Data(), preview.TotalSize());
        if (!image.isNull()) {
            item->setIcon(QIcon(QPixmap::fromImage(image)));
        }
    }
}

void PdfPageDlg::ShowSize() {
    int width = 0;
    int height = 0;
    if (pdf_.PixelSize(Page(), Dpi(), width, height)) {
        size_->setText(tr("%1 \u00D7 %2 pixels").arg(width).arg(height));
    } else {
        size_->setText(tr("too large at this resolution"));
    }
    if (auto* buttons = findChild<QDialogButtonBox*>()) {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(width > 0 && height > 0);
    }
}

bool PdfPageDlg::Choose(QWidget* parent, const std::string& path, int& dpi, PdfPageChoice& choice) {
    choice = PdfPageChoice{};
    choice.dpi = std::clamp(dpi, kMinimumDpi, kMaximumDpi);
    if (!StartsAsPdf(path)) {
        return true;
    }
    const std::unique_ptr<PdfDocument> pdf = PdfDocument::OpenFile(path);
    if (pdf == nullptr || pdf->PageCount() <= 1) {
        return true; // a single page needs no choice; a broken file gets its message later
    }
    PdfPageDlg dialog(*pdf, choice.dpi, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    choice.page = dialog.Page();
    choice.dpi = dialog.Dpi();
    dpi = static_cast<int>(choice.dpi);
    return true;
}
