#pragma once

#include "history/RepresentationTask.h"

// A mapping change (dialogs, Define Mapping Full Sized, the mapping tools). The snapshot is
// a complete memento, so undo restores limits, log flags, mode and region alike.
class TransTask : public RepresentationTask {
public:
    TransTask(PlumeData* database, std::unique_ptr<AttributeRep> change);
};
