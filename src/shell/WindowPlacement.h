#pragma once

#include <optional>
#include <string>

class QWidget;

// The main window's placement as the settings keep it: the string value "WindowPos",
// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" — flags (2: restore to maximised), show command
// (1 normal, 2 minimised, 3 maximised), minimised x and y, maximised x and y, and the
// normal rectangle's left, top, right and bottom.
struct WindowPlacement {
    static constexpr unsigned kRestoreToMaximised = 2;
    static constexpr unsigned kShowNormal = 1;
    static constexpr unsigned kShowMaximised = 3;

    unsigned flags = 0;
    unsigned showCommand = kShowNormal;
    int minX = -1;
    int minY = -1;
    int maxX = -1;
    int maxY = -1;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // Nothing unless the text is exactly ten numbers separated by commas.
    static std::optional<WindowPlacement> Parse(const std::string& text);
    std::string Format() const;

    // The placement of a window now (flags 2 when it is maximised).
    static WindowPlacement Of(const QWidget& window);
    // Applies it: the normal rectangle, moved onto the primary screen when it lies on no
    // available screen, then maximised when the flags say so. Returns whether it maximised.
    bool ApplyTo(QWidget& window) const;
};
