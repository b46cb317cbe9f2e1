#pragma once

// What the text form of the data is asked for: sorting within a run, and by which axis.
struct ExportOptions {
    static constexpr int kSortByX = 0;
    static constexpr int kSortByY = 1;

    int sort = 0; // non-zero: items of one kind are ordered by their sort key
    int axis = kSortByX;
};
