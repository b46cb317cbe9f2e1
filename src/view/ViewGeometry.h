#pragma once

#include "core/Geometry.h"

// The arithmetic of the image view, without a window: image, client and zoomed sizes,
// the centring offset, the scroll position and every zoom rule.
//
//   logical = client + scroll - centring offset
//   pixel   = logical / scale
//
// The zoom is bounded so that the zoomed image is at least one pixel on each side and at
// most kMaxDisplay on either (the drawing context's logical range); a zoom step that would
// leave those bounds does nothing.
class ViewGeometry {
public:
    static constexpr int kMaxDisplay = 1 << 28;

    void SetImageSize(int width, int height);
    void SetClientSize(int width, int height);
    IPoint ImageSize() const { return image_; }
    IPoint ClientSize() const { return client_; }

    double Scale() const { return scale_; }
    // Sets the scale as it is, if the bounds allow it; false (unchanged) otherwise.
    bool SetScale(double scale);
    double ZoomRate() const { return zoomRate_; }
    int ZoomType() const { return zoomType_; }
    // 1 fast (rate 1.4), 3 slow (1.05), anything else medium (1.2).
    void SetZoomType(int type);

    // trunc(image extent x scale + 0.5) per axis.
    IPoint DisplaySize() const;
    // Per axis max(0, client - display) / 2.
    IPoint CentringOffset() const;
    IPoint Scroll() const { return scroll_; }
    // Held within [0, display - client] per axis (0 when the image is smaller).
    void SetScroll(IPoint scroll);
    IPoint MaxScroll() const;

    IPoint ClientToLogical(IPoint client) const;
    IPoint LogicalToClient(IPoint logical) const;
    DPoint LogicalToPixel(IPoint logical) const;

    // The menu zooms about the window centre; false when the bound stops them.
    bool ZoomIn();
    bool ZoomOut();
    // The zoom tools: about the logical point under the cursor.
    bool ZoomInAt(IPoint logical);
    bool ZoomOutAt(IPoint logical);
    // Scale = the limiting side's client/image ratio, snapped down to a power of the zoom
    // rate: rate^trunc(log10(scale) / log10(rate) - 1).
    void FitToWindow();
    // Scale 1 about the window centre.
    void ActualPixels();

    // The bounds of the scale for the current image.
    double MinScale() const;
    double MaxScale() const;

private:
    bool Allowed(double scale) const;
    bool ZoomAbout(IPoint centre, double factor, bool divide);

    IPoint image_{10, 10};
    IPoint client_{10, 10};
    IPoint scroll_{0, 0};
    double scale_ = 1.0;
    double zoomRate_ = 1.2;
    int zoomType_ = 2;
};
