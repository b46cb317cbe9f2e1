#include "history/TransTask.h"

TransTask::TransTask(PlumeData* database, std::unique_ptr<AttributeRep> change)
    : RepresentationTask(database, "AttTransform", "ViewMementoTransformData", std::move(change),
                         "Transformation") {}
