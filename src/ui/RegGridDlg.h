#pragma once

#include <QDialog>

#include <memory>

class AttributeRep;
class QCheckBox;
class QGridLayout;
class QLineEdit;
class RegGridData;
class RegGridVw;

// "Regular Grid Snap": for each axis a check box that turns its grid on, the origin and step
// of its lines, and whether the lines are drawn. An axis's origin, step and show box are
// enabled only while its check box is checked. It edits a "ViewDialogRegGrid" copy of the
// grid and never the grid itself; whoever opened it hands the copy on after OK.
class RegGridDlg : public QDialog {
    Q_OBJECT

public:
    explicit RegGridDlg(RegGridData& grid, QWidget* parent = nullptr);
    ~RegGridDlg() override;

    // Takes the fields, those of an unchecked axis too; a field that is not a number, or a
    // step of 0 on either axis, is reported and the dialog stays open.
    void accept() override;

    // The copy holding the values entered, once OK closed the dialog; null before that,
    // after Cancel, and once taken.
    std::unique_ptr<AttributeRep> TakeRepresentation();

private:
    // The controls of one axis's row.
    struct Row {
        QCheckBox* snap;
        QLineEdit* origin;
        QLineEdit* step;
        QCheckBox* show;
    };

    Row AddRow(QGridLayout& table, int row, const QString& axis, double origin, double step,
               bool snap, bool show);
    static void EnableRow(const Row& row);

    std::unique_ptr<RegGridVw> rep_;
    Row x_{};
    Row y_{};
};
