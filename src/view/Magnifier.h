#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

class CPlumeView;
class QButtonGroup;
class QLabel;
class QRadioButton;

// A panel that shows the image around the pointer of one view enlarged, each image pixel a
// square of Zoom() x Zoom() screen pixels copied as it is (no smoothing), with a cross-hair
// on the image pixel a click would take: after the active tool's snapping, so a snapped
// point shows where it will land, or the raw pixel with Shift held. Below the picture it
// writes the graph position there.
//
// It reads the view's probe and the document's bitmap and draws into a picture of its own;
// it never touches the view's back buffer. While it is hidden it tells the view it wants no
// probe, so the view computes nothing for it.
class Magnifier : public QWidget {
    Q_OBJECT

public:
    // The picture is this many screen pixels each way: 21 image pixels at 8x, 42 at 4x
    // (with half a pixel at each side, so the probed pixel's square stays centred).
    static constexpr int kPictureSize = 168;
    // What the picture shows off the image, and all of it with no pointer over an image: a
    // grey that is neither light nor dark (0xRRGGBB).
    static constexpr QRgb kBackground = 0x808080;

    explicit Magnifier(QWidget* parent = nullptr);
    ~Magnifier() override;

    // Follows this view, or none. The view is told to announce its pointer only while the
    // panel is visible; a view no longer followed is told to stop.
    void SetView(CPlumeView* view);
    CPlumeView* View() const { return view_.data(); }

    // 4 or 8 screen pixels per image pixel; any other value is refused and the zoom kept.
    void SetZoom(int zoom);
    int Zoom() const { return zoom_; }

    // What is shown: kPictureSize x kPictureSize, RGB32.
    const QImage& Picture() const { return picture_; }
    // The graph position under the cross-hair ("12.5, 0.003"); empty with no pointer over an
    // image or where the mapping gives no graph position.
    QString PositionText() const { return positionText_; }

    // Reads the view's probe and draws the picture again (what the view's pointerMoved
    // does). Nothing is done while the panel is hidden.
    void Refresh();

signals:
    // The user or SetZoom chose another zoom (for remembering the choice).
    void zoomChanged(int zoom);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    class PictureArea;

    void ShowNothing();
    void Publish();

    QPointer<CPlumeView> view_;
    QMetaObject::Connection moved_;
    QMetaObject::Connection gone_;
    int zoom_ = 8;
    QImage picture_;
    QString positionText_;
    PictureArea* area_ = nullptr;
    QLabel* position_ = nullptr;
    QButtonGroup* zoomGroup_ = nullptr;
    QRadioButton* zoom4_ = nullptr;
    QRadioButton* zoom8_ = nullptr;
};
