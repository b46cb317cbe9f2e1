#pragma once

class CPlumeView;
class QPrinter;
class QWidget;

// Printing of an image view: one page, the image as large as the page less an inch each
// way, centred, with grid, region and data sets but no tool feedback. The view's own zoom
// is not touched.
class ViewPrinter {
public:
    // The page of the view on an open printer (or PDF file); false when nothing printed.
    static bool Render(CPlumeView& view, QPrinter& printer);
    // The print dialog, then Render.
    static bool PrintWithDialog(CPlumeView& view);
    // The default printer without a dialog; with no printer installed, the dialog (which
    // offers printing to a PDF file).
    static bool PrintDirect(CPlumeView& view);
    static bool Preview(CPlumeView& view);
    // File > Print Setup: the page and printer that Print and Print Preview then use.
    static bool PageSetup(QWidget* parent);
    // The printer settings the program keeps while it runs.
    static QPrinter& Printer();

    // The scale that fits an image of w x h into a printable area of pw x ph device pixels
    // less one inch (dpiX, dpiY) each way.
    static double PageScale(int w, int h, int pw, int ph, int dpiX, int dpiY);
};
