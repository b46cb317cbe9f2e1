#include "history/RegGridTask.h"

RegGridTask::RegGridTask(PlumeData* database, std::unique_ptr<AttributeRep> change)
    : RepresentationTask(database, "AttRegGrid", "ViewDialogRegGrid", std::move(change),
                         "Regular Grid") {}
