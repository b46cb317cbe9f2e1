#include "shell/AboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Text that can be selected and copied.
QLabel* TextLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

} // namespace

AboutDlg::AboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Corvane Tracery"));

    auto* text = new QVBoxLayout;
    QLabel* version = TextLabel(VersionLine());
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    text->addWidget(version);
    text->addWidget(TextLabel(Credits()));

    auto* body = new QHBoxLayout;
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        auto* picture = new QLabel;
        picture->setPixmap(icon.pixmap(side, side));
        picture->setAccessibleName(QStringLiteral("Corvane Tracery icon"));
        body->addWidget(picture, 0, Qt::AlignTop);
    }
    body->addLayout(text);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ok->setFocus();
}

AboutDlg::~AboutDlg() = default;

QString AboutDlg::VersionLine() {
    return QStringLiteral("Corvane Tracery Version 2.0");
}

QString AboutDlg::Credits() {
    return QStringLiteral("TIFF images are read with libtiff (libtiff licence).\n"
                          "Image copies in documents are compressed with zlib (zlib licence).\n"
                          "JPEG-compressed TIFF images are decoded by libjpeg through libtiff\n"
                          "(Independent JPEG Group licence). This software is based in part\n"
                          "on the work of the Independent JPEG Group.\n"
                          "The windows are built with Qt %1 (GNU LGPL version 3).")
        .arg(QString::fromLatin1(qVersion()));
}
