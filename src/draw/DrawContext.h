#pragma once

#include "platform/Device.h"

#include <cstdint>

// What every draw routine receives: the device, the zoom scale (image pixel * scale =
// logical unit), the pen state and the point-marker routines.
class DrawContext {
public:
    // mode values
    static constexpr int kNothingSelected = 0;
    static constexpr int kFeedbackPen = 1; // an inverting (not-xor) pen is selected
    static constexpr int kNormalPen = 2;
    static constexpr int kMarchingAnts = 3; // lines become black-and-white pixel runs
    static constexpr int kNoDevice = 4;

    using MarkerRoutine = void (*)(DrawContext& context, double pixelX, double pixelY);

    explicit DrawContext(Device* device = nullptr, double scale = 1.0);
    // A copy of a context that has nothing selected gets a fresh empty pen.
    DrawContext(const DrawContext& other);
    DrawContext& operator=(const DrawContext& other);
    ~DrawContext() = default;

    // Image pixel coordinate to logical: trunc(v * scale + 0.5), held within +-2^28 (NaN
    // goes to the lower bound).
    int ToLogical(double pixel) const;

    // Selects a pen of its own into the device (replacing any earlier one of the context)
    // and records its colour; mode 2.
    void SelectPen(const Pen& pen);
    // A one-pixel pen drawn not-xor, for rubber-band feedback (black unless a tool has a
    // colour of its own, as the crop outline has); mode 1.
    void SelectFeedbackPen(PenStyle style, Colour penColour = kBlack);
    // Marching-ants drawing with the given pattern byte; mode 3.
    void SelectAnts(std::uint8_t pattern);
    // Puts the device's previous pen and raster operation back; mode 0 (4 without device).
    void RestorePen();

    // Logical-unit drawing. In marching-ants mode MoveTo records the point and LineTo draws
    // a pixel run from it without advancing it.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    void DrawMarker(double pixelX, double pixelY) { marker(*this, pixelX, pixelY); }
    void UseCurrentSetMarker() { marker = currentSetMarker; }
    void UseOtherSetMarker() { marker = otherSetMarker; }

    // A plus of two 5-pixel arms' lines in the selected pen.
    static void PlusMarker(DrawContext& context, double pixelX, double pixelY);
    // A dotted plus: the centre and odd distances in the context's colour, even ones white.
    static void DashedPlusMarker(DrawContext& context, double pixelX, double pixelY);
    // Shifts the 8-bit pattern left by one; a pattern that becomes 0 starts again at 1.
    static void AdvanceAnts(std::uint8_t& pattern);
    // The colour of the pixel a pattern stands for: white when its low three bits are set.
    static Colour AntsColour(std::uint8_t pattern);

    Device* dc;
    double scale;
    int mode;
    Pen pen;
    Pen previousPen;
    RasterOp previousRasterOp = RasterOp::Copy;
    Colour colour = kBlack;
    int antsX = 0;
    int antsY = 0;
    std::uint8_t antsPattern = 0;
    MarkerRoutine marker = &PlusMarker;
    MarkerRoutine currentSetMarker = &PlusMarker;
    MarkerRoutine otherSetMarker = &DashedPlusMarker;

private:
    void SaveDeviceState();
    void AntsPixel(int x, int y);
};
