#pragma once

#include <QByteArray>
#include <QIcon>

struct CommandRow;

// The icons of the commands, of the program and of its documents, drawn for Tracery as SVG
// on a 24-unit grid and rendered to pixmaps: 16, 24, 32 and 48 px for a command, 16 to
// 256 px for the program and its documents.
// Every drawn line has a light rim one unit wide, so that the dark strokes stay visible on a
// dark toolbar; on a light one the rim disappears into the background.
class ShellIcons {
public:
    // The command's own drawing; for a command without one, the desktop theme's icon of
    // the row's icon name (empty when the theme has none or the row names none).
    static QIcon ForCommand(const CommandRow& row);
    static QIcon Application();
    // The icon of a saved Tracery document.
    static QIcon Document();

    // The SVG text behind the icons; empty for a command without a drawing of its own.
    static QByteArray CommandSvg(int id);
    static QByteArray ApplicationSvg();
    static QByteArray DocumentSvg();
};
