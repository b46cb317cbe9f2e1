#pragma once

#include "platform/Device.h"

#include <QRgb>

// Colour is 0x00BBGGRR; QRgb is 0xAARRGGBB. A Colour is always opaque.
constexpr QRgb ToQRgb(Colour colour) {
    return 0xFF000000u | (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

// The alpha channel is dropped.
constexpr Colour FromQRgb(QRgb rgb) {
    return (rgb >> 16 & 0xFFu) | (rgb & 0xFF00u) | (rgb & 0xFFu) << 16;
}
