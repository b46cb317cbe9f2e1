#pragma once

#include "history/RepresentationTask.h"

// A change of the grid settings from the grid dialog.
class RegGridTask : public RepresentationTask {
public:
    RegGridTask(PlumeData* database, std::unique_ptr<AttributeRep> change);
};
