#include "ui/NumberField.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QWidget>

#include <cmath>

void ShowDialogMessage(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(), text);
}

QString NumberFieldText(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

std::optional<double> ReadNumberField(QLineEdit& field, QWidget* focusOnError) {
    bool ok = false;
    const double value = field.text().toDouble(&ok);
    if (ok && std::isfinite(value)) {
        return value;
    }
    ShowDialogMessage(field.window(), QStringLiteral("Please enter a number."));
    QWidget* focus = focusOnError != nullptr ? focusOnError : &field;
    focus->setFocus();
    field.selectAll();
    return std::nullopt;
}
