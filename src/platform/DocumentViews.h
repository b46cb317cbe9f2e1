#pragma once

#include <string>

class PlumeData;

// What a document asks of the windows that show it: redraw with an update hint (0 data
// changed, 1 image flipped, rotated or cropped, 2 image pasted, 3 current set chosen),
// show its title and the status-bar panes, and hand its sets and attributes to the bars.
class DocumentViews {
public:
    virtual ~DocumentViews() = default;
    virtual void UpdateAllViews(int hint) = 0;
    // Every view but the sender (a view whose tool has drawn its own change already).
    virtual void UpdateOtherViews(const void* /*sender*/, int hint) { UpdateAllViews(hint); }
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetStatusPane(int pane, const std::string& text) = 0;
    // The document's database for the data-set box and the attributes panel of the main
    // frame; null when the document lets go of it.
    virtual void AttachDatabase(PlumeData* /*database*/) {}
};
