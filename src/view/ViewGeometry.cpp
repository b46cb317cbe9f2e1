#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

int Trunc(double v) {
    if (!(v > -2147483648.0)) {
        return -2147483647 - 1;
    }
    if (v >= 2147483647.0) {
        return 2147483647;
    }
    return static_cast<int>(v);
}

} // namespace

void ViewGeometry::SetImageSize(int width, int height) {
    image_ = IPoint{std::max(1, width), std::max(1, height)};
    if (!Allowed(scale_)) {
        scale_ = std::clamp(scale_, MinScale(), MaxScale());
    }
    SetScroll(scroll_);
}

void ViewGeometry::SetClientSize(int width, int height) {
    client_ = IPoint{std::max(0, width), std::max(0, height)};
    SetScroll(scroll_);
}

double ViewGeometry::MinScale() const {
    // The shorter side keeps one displayed pixel: trunc(side x scale + 0.5) >= 1.
    return 0.5 / std::min(image_.x, image_.y);
}

double ViewGeometry::MaxScale() const {
    return (kMaxDisplay - 0.5) / std::max(image_.x, image_.y);
}

bool ViewGeometry::Allowed(double scale) const {
    return std::isfinite(scale) && scale >= MinScale() && scale <= MaxScale();
}

bool ViewGeometry::SetScale(double scale) {
    if (!Allowed(scale)) {
        return false;
    }
    scale_ = scale;
    SetScroll(scroll_);
    return true;
}

void ViewGeometry::SetZoomType(int type) {
    zoomType_ = type;
    zoomRate_ = type == 1 ? 1.4 : type == 3 ? 1.05 : 1.2;
}

IPoint ViewGeometry::DisplaySize() const {
    return IPoint{Trunc(image_.x * scale_ + 0.5), Trunc(image_.y * scale_ + 0.5)};
}

IPoint ViewGeometry::CentringOffset() const {
    const IPoint display = DisplaySize();
    return IPoint{std::max(0, client_.x - display.x) / 2, std::max(0, client_.y - display.y) / 2};
}

IPoint ViewGeometry::MaxScroll() const {
    const IPoint display = DisplaySize();
    return IPoint{std::max(0, display.x - client_.x), std::max(0, display.y - client_.y)};
}

void ViewGeometry::SetScroll(IPoint scroll) {
    const IPoint most = MaxScroll();
    scroll_ = IPoint{std::clamp(scroll.x, 0, most.x), std::clamp(scroll.y, 0, most.y)};
}

IPoint ViewGeometry::ClientToLogical(IPoint client) const {
    const IPoint offset = CentringOffset();
    return IPoint{client.x + scroll_.x - offset.x, client.y + scroll_.y - offset.y};
}

IPoint ViewGeometry::LogicalToClient(IPoint logical) const {
    const IPoint offset = CentringOffset();
    return IPoint{logical.x - scroll_.x + offset.x, logical.y - scroll_.y + offset.y};
}

DPoint ViewGeometry::LogicalToPixel(IPoint logical) const {
    return DPoint{logical.x / scale_, logical.y / scale_};
}

// The menu zoom: c = scroll + client / 2; after the scale change the scroll moves by
// trunc(c x rate) - c (or trunc(c / rate) - c), keeping the image point at the centre.
bool ViewGeometry::ZoomAbout(IPoint centre, double factor, bool divide) {
    const double scale = divide ? scale_ / factor : scale_ * factor;
    if (!Allowed(scale)) {
        return false;
    }
    const auto moved = [&](int c) { return Trunc(divide ? c / factor : c * factor); };
    const IPoint scroll{scroll_.x + moved(centre.x) - centre.x,
                        scroll_.y + moved(centre.y) - centre.y};
    scale_ = scale;
    SetScroll(scroll);
    return true;
}

bool ViewGeometry::ZoomIn() {
    return ZoomAbout(IPoint{scroll_.x + client_.x / 2, scroll_.y + client_.y / 2}, zoomRate_,
                     false);
}

bool ViewGeometry::ZoomOut() {
    return ZoomAbout(IPoint{scroll_.x + client_.x / 2, scroll_.y + client_.y / 2}, zoomRate_, true);
}

// New scroll = trunc(L x rate) - (L - scroll): the image point under the cursor stays.
bool ViewGeometry::ZoomInAt(IPoint logical) {
    return ZoomAbout(logical, zoomRate_, false);
}

bool ViewGeometry::ZoomOutAt(IPoint logical) {
    return ZoomAbout(logical, zoomRate_, true);
}

void ViewGeometry::FitToWindow() {
    const double cx = client_.x;
    const double cy = client_.y;
    const double w = image_.x;
    const double h = image_.y;
    if (!(cx > 0.0) || !(cy > 0.0)) {
        return;
    }
    double scale = w / h >= cx / cy ? cx / w : cy / h;
    const double n = std::trunc(std::log10(scale) / std::log10(zoomRate_) - 1.0);
    scale = std::pow(zoomRate_, n);
    scale_ = std::clamp(scale, MinScale(), MaxScale());
    SetScroll(scroll_);
}

void ViewGeometry::ActualPixels() {
    const IPoint offset = CentringOffset();
    const double r = 1.0 / scale_;
    if (!Allowed(1.0)) {
        return;
    }
    const IPoint c{scroll_.x + client_.x / 2 - offset.x, scroll_.y + client_.y / 2 - offset.y};
    scale_ = 1.0;
    SetScroll(IPoint{scroll_.x + Trunc(c.x * r) - c.x, scroll_.y + Trunc(c.y * r) - c.y});
}
