#pragma once

class QBoxLayout;
class QDialog;

// Ends a dialog's layout the same way everywhere: an OK (the default button) and Cancel
// row that accepts or rejects the dialog, and a size fixed to what the contents need, so
// no label is ever clipped.
void AddOkCancel(QDialog& dialog, QBoxLayout& layout);
