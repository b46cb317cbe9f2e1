#pragma once

#include <QIcon>

struct CommandRow;

// The icons of the commands and of the program: the desktop theme's where it has one,
// else none (the button then shows its text).
class ShellIcons {
public:
    static QIcon ForCommand(const CommandRow& row);
};
