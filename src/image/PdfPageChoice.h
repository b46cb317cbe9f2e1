#pragma once

// Which page of a PDF becomes the image, and at what resolution. Pages count from 1; the
// resolution is in dots per inch (a page of 8.5 x 11 inches at 150 dpi is 1275 x 1650
// pixels). Other formats ignore it.
struct PdfPageChoice {
    static constexpr int kDefaultPage = 1;
    static constexpr double kDefaultDpi = 150;

    int page = kDefaultPage;
    double dpi = kDefaultDpi;
};
