#pragma once

#include <QString>

#include <optional>

class QLineEdit;
class QWidget;

// What the number fields of the mapping and grid dialogs share.

// A message box with an OK button over the dialog, titled with the application's name.
void ShowDialogMessage(QWidget* parent, const QString& text);

// The number fields of the mapping dialogs. A value is shown in the shortest form that
// reads back as the same double, with "." as the decimal point whatever the locale, and
// read the same way.
QString NumberFieldText(double value);
// The field's value. Text that is not a finite number shows "Please enter a number.", then
// puts the focus on `focusOnError` (the field itself when null) with the field's text
// selected, and gives nothing.
std::optional<double> ReadNumberField(QLineEdit& field, QWidget* focusOnError = nullptr);
