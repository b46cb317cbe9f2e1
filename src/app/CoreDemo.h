#pragma once

#include <ostream>

// Walks a newcomer through the digitizing core: an example mapping region over a graph,
// a few clicked pixel positions mapped to graph values, and the data set in its text form.
int RunCoreDemo(std::ostream& out);
