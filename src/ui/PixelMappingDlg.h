#pragma once

#include <QDialog>

#include <memory>

class AttributeRep;
class QLineEdit;
class TransformData;
class TransformPpiVw;

// "Pixel Mapping": a linear scale given as the aspect ratio (w/h), the pixels per graph
// unit along the height, and the graph value of the region's bottom-left corner. It edits a
// "ViewPPITransformData" copy of the mapping and never the mapping itself; whoever opened
// it hands the copy on after OK.
class CImageMapping : public QDialog {
    Q_OBJECT

public:
    explicit CImageMapping(TransformData& mapping, QWidget* parent = nullptr);
    ~CImageMapping() override;

    // Takes the fields; a field that is not a number is reported and the dialog stays
    // open. So is a points-per-length of 0, which would make every graph extent infinite.
    void accept() override;

    // The copy holding the values entered, once OK closed the dialog; null before that,
    // after Cancel, and once taken.
    std::unique_ptr<AttributeRep> TakeRepresentation();

private:
    std::unique_ptr<TransformPpiVw> rep_;
    QLineEdit* aspectRatio_;
    QLineEdit* pointsPerLength_;
    QLineEdit* xOrigin_;
    QLineEdit* yOrigin_;
};
