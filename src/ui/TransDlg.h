#pragma once

#include <QDialog>

#include <memory>
#include <optional>

class AttributeRep;
class QCheckBox;
class QLineEdit;
class TransformAxisVw;
class TransformData;

// "Axis Mapping": the graph values at the mapping region's edges, each axis linear or
// logarithmic. It edits a "ViewAxisTransformData" copy of the mapping and never the mapping
// itself; whoever opened it hands the copy on after OK.
class TransDlg : public QDialog {
    Q_OBJECT

public:
    explicit TransDlg(TransformData& mapping, QWidget* parent = nullptr);
    ~TransDlg() override;

    // Takes the fields; a field that is not a number, or a limit that is not positive on a
    // logarithmic axis, is reported and the dialog stays open.
    void accept() override;

    // The copy holding the values entered, once OK closed the dialog; null before that,
    // after Cancel, and once taken.
    std::unique_ptr<AttributeRep> TakeRepresentation();

private:
    std::unique_ptr<TransformAxisVw> rep_;
    QLineEdit* xMin_;
    QLineEdit* xMax_;
    QLineEdit* yMin_;
    QLineEdit* yMax_;
    QCheckBox* logX_;
    QCheckBox* logY_;
};
