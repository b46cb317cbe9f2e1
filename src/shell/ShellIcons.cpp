#include "shell/ShellIcons.h"

#include "document/CommandTable.h"

QIcon ShellIcons::ForCommand(const CommandRow& row) {
    const QString name = QString::fromUtf8(row.icon);
    return name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
}
