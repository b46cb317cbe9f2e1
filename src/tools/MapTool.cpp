#include "tools/MapTool.h"

#include "tools/Cursor.h"

Cursor* MapTool::IdleCursor() const {
    return ArrowCursor::Instance();
}
