#include "ui/ImageInfoDlg.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The text box shows every line whole up to this many average characters; a longer line
// (a deep folder) scrolls sideways.
constexpr int kMaxShownCharacters = 80;

} // namespace

ImageInfoDlg::ImageInfoDlg(const std::string& text, QWidget* parent)
    : QDialog(parent), text_(new QPlainTextEdit) {
    setWindowTitle(QStringLiteral("Image Information"));

    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.endsWith(QLatin1Char('\n'))) {
        shown.chop(1);
    }
    text_->setPlainText(shown);
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setFocusPolicy(Qt::StrongFocus);
    text_->setTabChangesFocus(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setAccessibleName(QStringLiteral("Image Information"));

    // Large enough for every line and no scroll bar at the default font.
    const QFontMetrics metrics(text_->font());
    int widest = 0;
    for (const QString& line : shown.split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    widest = std::min(widest, kMaxShownCharacters * metrics.averageCharWidth());
    const int frame =
        2 * (text_->frameWidth() + static_cast<int>(text_->document()->documentMargin()));
    const int lines = static_cast<int>(shown.count(QLatin1Char('\n'))) + 1;
    text_->setMinimumSize(widest + frame + metrics.averageCharWidth(),
                          lines * metrics.lineSpacing() + frame + metrics.descent());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
}

ImageInfoDlg::~ImageInfoDlg() = default;

QString ImageInfoDlg::Text() const {
    return text_->toPlainText();
}
