#include "shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <vector>

std::optional<WindowPlacement> WindowPlacement::Parse(const std::string& text) {
    std::vector<long long> numbers;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string field =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (field.empty()) {
            return std::nullopt;
        }
        char* end = nullptr;
        const long long value = std::strtoll(field.c_str(), &end, 10);
        if (end == nullptr || *end != '\0' || value < -2147483648LL || value > 4294967295LL) {
            return std::nullopt;
        }
        numbers.push_back(value);
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (numbers.size() != 10) {
        return std::nullopt;
    }
    WindowPlacement p;
    p.flags = static_cast<unsigned>(numbers[0]);
    p.showCommand = static_cast<unsigned>(numbers[1]);
    p.minX = static_cast<int>(numbers[2]);
    p.minY = static_cast<int>(numbers[3]);
    p.maxX = static_cast<int>(numbers[4]);
    p.maxY = static_cast<int>(numbers[5]);
    p.left = static_cast<int>(numbers[6]);
    p.top = static_cast<int>(numbers[7]);
    p.right = static_cast<int>(numbers[8]);
    p.bottom = static_cast<int>(numbers[9]);
    return p;
}

std::string WindowPlacement::Format() const {
    char text[160];
    std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", flags, showCommand, minX,
                  minY, maxX, maxY, left, top, right, bottom);
    return text;
}

WindowPlacement WindowPlacement::Of(const QWidget& window) {
    WindowPlacement p;
    const QRect normal =
        window.isMaximized() || window.isMinimized() ? window.normalGeometry() : window.geometry();
    p.flags = window.isMaximized() ? kRestoreToMaximised : 0;
    p.showCommand = window.isMaximized() ? kShowMaximised : kShowNormal;
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    return p;
}

bool WindowPlacement::ApplyTo(QWidget& window) const {
    QRect rect(left, top, right - left, bottom - top);
    if (rect.width() > 0 && rect.height() > 0) {
        bool visible = false;
        for (const QScreen* screen : QGuiApplication::screens()) {
            visible = visible || screen->availableGeometry().intersects(rect);
        }
        if (!visible && QGuiApplication::primaryScreen() != nullptr) {
            const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
            rect.setSize(rect.size().boundedTo(area.size()));
            rect.moveTopLeft(area.topLeft());
        }
        window.setGeometry(rect);
    }
    const bool maximise = (flags & kRestoreToMaximised) != 0 || showCommand == kShowMaximised;
    return maximise;
}
