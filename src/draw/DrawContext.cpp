#include "draw/DrawContext.h"

DrawContext::DrawContext(Device* device, double zoom)
    : dc(device), scale(zoom), mode(device != nullptr ? kNothingSelected : kNoDevice) {}

DrawContext::DrawContext(const DrawContext& other) {
    *this = other;
}

DrawContext& DrawContext::operator=(const DrawContext& other) {
    if (this == &other) {
        return *this;
    }
    dc = other.dc;
    scale = other.scale;
    mode = other.mode;
    pen = other.mode != kNothingSelected ? other.pen : Pen{};
    previousPen = other.previousPen;
    previousRasterOp = other.previousRasterOp;
    colour = other.colour;
    antsX = other.antsX;
    antsY = other.antsY;
    antsPattern = other.antsPattern;
    marker = other.marker;
    currentSetMarker = other.currentSetMarker;
    otherSetMarker = other.otherSetMarker;
    return *this;
}

// Pixel positions come from files too. Beyond this bound (and for NaN) the conversion to
// int, and the arithmetic of the draw routines on its result, would be undefined; no device
// is that large, so clamping changes no visible pixel.
constexpr double kLogicalLimit = 1 << 28;

int DrawContext::ToLogical(double pixel) const {
    const double logical = pixel * scale + 0.5;
    if (!(logical > -kLogicalLimit)) {
        return -static_cast<int>(kLogicalLimit);
    }
    if (logical > kLogicalLimit) {
        return static_cast<int>(kLogicalLimit);
    }
    return static_cast<int>(logical);
}

// The device's own pen and raster operation are saved once, when the context first
// selects something, so that RestorePen always returns the device to its earlier state.
void DrawContext::SaveDeviceState() {
    if (mode == kNothingSelected) {
        previousPen = dc->SelectPen(pen);
        previousRasterOp = dc->SetRasterOp(RasterOp::Copy);
    }
}

void DrawContext::SelectPen(const Pen& selected) {
    if (dc == nullptr) {
        return;
    }
    SaveDeviceState();
    pen = selected;
    dc->SelectPen(pen);
    dc->SetRasterOp(RasterOp::Copy);
    colour = pen.colour;
    mode = kNormalPen;
}

void DrawContext::SelectFeedbackPen(PenStyle style, Colour penColour) {
    if (dc == nullptr) {
        return;
    }
    SaveDeviceState();
    pen = Pen{penColour, 1, style};
    dc->SelectPen(pen);
    dc->SetRasterOp(RasterOp::NotXorPen);
    colour = penColour;
    mode = kFeedbackPen;
}

void DrawContext::SelectAnts(std::uint8_t pattern) {
    if (dc == nullptr) {
        return;
    }
    SaveDeviceState();
    pen = Pen{kBlack, 1, PenStyle::Solid};
    dc->SelectPen(pen);
    dc->SetRasterOp(RasterOp::Copy);
    antsPattern = pattern;
    mode = kMarchingAnts;
}

void DrawContext::RestorePen() {
    if (dc == nullptr) {
        return;
    }
    if (mode != kNothingSelected) {
        dc->SelectPen(previousPen);
        dc->SetRasterOp(previousRasterOp);
    }
    pen = Pen{};
    mode = kNothingSelected;
}

void DrawContext::MoveTo(int x, int y) {
    if (dc == nullptr) {
        return;
    }
    if (mode == kMarchingAnts) {
        antsX = x;
        antsY = y;
        return;
    }
    dc->MoveTo(x, y);
}

// A marching-ants run goes from the recorded point towards the target, both ends included:
// vertical when the target lies straight above or below, otherwise horizontal at the
// target's y.
void DrawContext::LineTo(int x, int y) {
    if (dc == nullptr) {
        return;
    }
    if (mode != kMarchingAnts) {
        dc->LineTo(x, y);
        return;
    }
    if (x == antsX) {
        const int step = y >= antsY ? 1 : -1;
        for (int row = antsY;; row += step) {
            AntsPixel(x, row);
            if (row == y) {
                break;
            }
        }
    } else {
        const int step = x >= antsX ? 1 : -1;
        for (int column = antsX;; column += step) {
            AntsPixel(column, y);
            if (column == x) {
                break;
            }
        }
    }
}

void DrawContext::AntsPixel(int x, int y) {
    AdvanceAnts(antsPattern);
    dc->SetPixel(x, y, AntsColour(antsPattern));
}

void DrawContext::AdvanceAnts(std::uint8_t& pattern) {
    pattern = static_cast<std::uint8_t>(pattern << 1);
    if (pattern == 0) {
        pattern = 1;
    }
}

Colour DrawContext::AntsColour(std::uint8_t pattern) {
    return (pattern & 7) != 0 ? kWhite : kBlack;
}

void DrawContext::PlusMarker(DrawContext& context, double pixelX, double pixelY) {
    if (context.dc == nullptr) {
        return;
    }
    const int x = context.ToLogical(pixelX);
    const int y = context.ToLogical(pixelY);
    context.dc->MoveTo(x + 5, y);
    context.dc->LineTo(x - 6, y);
    context.dc->MoveTo(x, y + 5);
    context.dc->LineTo(x, y - 6);
}

void DrawContext::DashedPlusMarker(DrawContext& context, double pixelX, double pixelY) {
    if (context.dc == nullptr) {
        return;
    }
    const int x = context.ToLogical(pixelX);
    const int y = context.ToLogical(pixelY);
    Device& device = *context.dc;
    device.SetPixel(x, y, context.colour);
    for (int i = 1; i <= 5; ++i) {
        const Colour c = (i % 2 == 1) ? context.colour : kWhite;
        device.SetPixel(x + i, y, c);
        device.SetPixel(x - i, y, c);
        device.SetPixel(x, y + i, c);
        device.SetPixel(x, y - i, c);
    }
}
