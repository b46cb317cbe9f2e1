#pragma once

#include <cstdint>

// Where a holder stands in the object table of the save or load that is running: the
// table's session number and the holder's 1-based position. A mark from any other session
// is stale and means "not in the table". Kept in the holder itself, so that finding a
// holder costs no lookup at all, however many records a document holds.
struct ArchiveMark {
    std::uint64_t archiveSession = 0;
    std::int32_t archivePosition = 0;
};
