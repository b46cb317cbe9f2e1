#include "shell/ShellIcons.h"

#include "document/CommandTable.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QSvgRenderer>

#include <algorithm>
#include <array>
#include <iterator>
#include <span>

namespace {

constexpr std::array<int, 4> kCommandSizes{16, 24, 32, 48};
constexpr std::array<int, 7> kApplicationSizes{16, 24, 32, 48, 64, 128, 256};

// One accent a family of commands, mid-tones that keep their hue on light and dark bars.
// The lines are dark (#2b2b2b) and surfaces white.
constexpr const char* kFiles = "#1c96a6";   // files, clipboard, help
constexpr const char* kView = "#8a5ad6";    // zoom, scroll and saved views
constexpr const char* kMapping = "#2f6fd6"; // mapping region and digitizing
constexpr const char* kData = "#2e9d55";    // data sets
constexpr const char* kImage = "#e07b20";   // operations on the image

struct Drawing {
    int id;
    const char* accent;
    bool mirrored;      // drawn left to right reversed: the partner of another drawing
    const char* shared; // one of the shared shapes below, drawn first
    // SVG elements on the 24-unit grid, inside a group whose defaults are a 2-unit dark
    // round stroke and no fill; "currentColor" is the family's accent. Level and upright
    // strokes lie on whole units, so that at 24 and 48 px they cover whole pixels. Nothing
    // comes nearer than 2 units to a corner, leaving room for the rim.
    const char* body;
};

// Shapes shared by several drawings, drawn before the rest.
// The page of the file commands: 14 by 18 with its corner folded.
constexpr const char* kPage =
    R"svg(<path fill="#fff" d="M5 3h9l5 5v13H5z"/><path d="M14 3v5h5"/>)svg";
// A magnifier whose lens is centred on (10, 10).
constexpr const char* kLens =
    R"svg(<circle fill="#fff" cx="10" cy="10" r="7"/><path d="M15 15l5 5"/>)svg";
// A smaller magnifier, lens on (14, 9), that leaves the lower left corner free.
constexpr const char* kSmallLens =
    R"svg(<circle fill="#fff" cx="14" cy="9" r="6"/><path d="M18.5 13.5l3 3"/>)svg";
constexpr const char* kNone = "";

// clang-format off
const Drawing kDrawings[] = {
    // Files
    {kFileNew, kFiles, false, kPage, R"svg(
<path stroke="currentColor" d="M12 11v8M8 15h8"/>)svg"},
    {kFileOpen, kFiles, false, kNone, R"svg(
<path fill="#fff" d="M3 19V5h6l2 2h8v4"/>
<path fill="#fff" stroke="currentColor" d="M3 19l3-8h15l-3 8z"/>)svg"},
    {kFileClose, kFiles, false, kPage, R"svg(
<path stroke="currentColor" d="M9 12l6 6M15 12l-6 6"/>)svg"},
    {kFileSave, kFiles, false, kNone, R"svg(
<path fill="#fff" d="M4 4h13l3 3v13H4z"/>
<path d="M8 4v5h7V4"/>
<path stroke="currentColor" d="M7 20v-6h10v6"/>)svg"},
    {kFileSaveAs, kFiles, false, kNone, R"svg(
<path fill="#fff" d="M3 3h11l3 3v11H3z"/>
<path d="M7 3v4h6V3"/>
<path fill="#fff" stroke="currentColor" d="M12 21v-3l6-6 3 3-6 6z"/>)svg"},
    {kScannerAcquire, kFiles, false, kNone, R"svg(
<path d="M4 12L18 5"/>
<path fill="#fff" d="M3 13h18v7H3z"/>
<path stroke="currentColor" d="M6 17h7"/>
<circle fill="currentColor" stroke="none" cx="17" cy="17" r="1.5"/>)svg"},
    {kPrint, kFiles, false, kNone, R"svg(
<path fill="#fff" d="M7 9V3h10v6"/>
<path fill="#fff" d="M7 17H4V9h16v8h-3"/>
<path fill="#fff" d="M7 14h10v7H7z"/>
<path stroke="currentColor" d="M10 18h4"/>
<circle fill="currentColor" stroke="none" cx="17" cy="12" r="1"/>)svg"},
    {kPrintPreview, kFiles, false, kNone, R"svg(
<path fill="#fff" d="M4 3h9l4 4v14H4z"/>
<path d="M13 3v4h4M7 8h3"/>
<circle fill="#fff" stroke="currentColor" cx="13" cy="14" r="4"/>
<path stroke="currentColor" d="M16 17l4 4"/>)svg"},
    {kPrintSetup, kFiles, false, kNone, R"svg(
<path fill="#fff" d="M4 4h8l3 3v13H4z"/>
<path d="M12 4v3h3"/>
<path stroke="currentColor" d="M20 4v16M18 6l2-2 2 2M18 18l2 2 2-2"/>)svg"},
    {kAppExit, kFiles, false, kNone, R"svg(
<path d="M14 8V4H5v16h9v-4"/>
<path stroke="currentColor" d="M10 12h11M17 8l4 4-4 4"/>)svg"},
    // Edit
    {kUndo, kFiles, false, kNone, R"svg(
<path stroke="currentColor" d="M9 13L4 8l5-5M4 8h10a6 6 0 0 1 0 12h-4"/>)svg"},
    {kRedo, kFiles, true, kNone, R"svg(
<path stroke="currentColor" d="M9 13L4 8l5-5M4 8h10a6 6 0 0 1 0 12h-4"/>)svg"},
    {kCut, kFiles, false, kNone, R"svg(
<path d="M9 14.5L17 3M15 14.5L7 3"/>
<circle stroke="currentColor" cx="7" cy="17" r="3"/>
<circle stroke="currentColor" cx="17" cy="17" r="3"/>)svg"},
    {kCopy, kFiles, false, kNone, R"svg(
<rect fill="#fff" x="4" y="3" width="11" height="14" rx="1"/>
<rect fill="#fff" x="9" y="7" width="11" height="14" rx="1"/>
<path stroke="currentColor" d="M12 12h5M12 16h5"/>)svg"},
    {kPaste, kFiles, false, kNone, R"svg(
<path fill="#fff" d="M8 5H5v16h14V5h-3"/>
<rect fill="#fff" x="8" y="3" width="8" height="4" rx="1"/>
<path stroke="currentColor" d="M9 12h6M9 16h6"/>)svg"},
    {kOptions, kFiles, false, kNone, R"svg(
<path d="M4 7h16M4 17h16"/>
<circle fill="#fff" stroke="currentColor" cx="9" cy="7" r="2.5"/>
<circle fill="#fff" stroke="currentColor" cx="15" cy="17" r="2.5"/>)svg"},
    // Data sets
    {kNewDataSet, kData, false, kNone, R"svg(
<path d="M8 6h12M8 12h12M8 18h3"/>
<circle fill="currentColor" stroke="none" cx="4" cy="6" r="1.5"/>
<circle fill="currentColor" stroke="none" cx="4" cy="12" r="1.5"/>
<circle fill="currentColor" stroke="none" cx="4" cy="18" r="1.5"/>
<path stroke="currentColor" d="M18 14v7M14.5 17.5h7"/>)svg"},
    {kClearCurrentSet, kData, false, kNone, R"svg(
<path fill="#fff" d="M8 11l5-5 5 5-5 5z"/>
<path fill="currentColor" d="M4 15l4-4 5 5-4 4z"/>
<path d="M13 20h7"/>)svg"},
    {kDeleteCurrentSet, kData, false, kNone, R"svg(
<path d="M4 6h16M9 6V3h6v3"/>
<path fill="#fff" d="M6 6l1 15h10l1-15"/>
<path stroke="currentColor" d="M10 10v7M14 10v7"/>)svg"},
    {kSortData, kData, false, kNone, R"svg(
<path d="M6 4v16M3 17l3 3 3-3"/>
<path stroke="currentColor" d="M12 6h4M12 12h6M12 18h8"/>)svg"},
    {kAttributes, kData, false, kNone, R"svg(
<path fill="#fff" stroke="currentColor" d="M3 3h8l10 10-8 8L3 11z"/>
<circle fill="#2b2b2b" stroke="none" cx="7.5" cy="7.5" r="1.5"/>)svg"},
    // View
    {kZoomIn, kView, false, kLens, R"svg(
<path stroke="currentColor" d="M10 7v6M7 10h6"/>)svg"},
    {kZoomOut, kView, false, kLens, R"svg(
<path stroke="currentColor" d="M7 10h6"/>)svg"},
    {kZoomInRecenter, kView, false, kSmallLens, R"svg(
<path stroke="currentColor" d="M14 6v6M11 9h6"/>
<path d="M6 13v8M2 17h8"/>
<circle fill="#fff" cx="6" cy="17" r="2.5"/>)svg"},
    {kZoomOutRecenter, kView, false, kSmallLens, R"svg(
<path stroke="currentColor" d="M11 9h6"/>
<path d="M6 13v8M2 17h8"/>
<circle fill="#fff" cx="6" cy="17" r="2.5"/>)svg"},
    {kFitToWindow, kView, false, kNone, R"svg(
<path stroke="currentColor" d="M4 8V4h4M4 4l5 5M20 8V4h-4M20 4l-5 5M4 16v4h4M4 20l5-5M20 16v4h-4M20 20l-5-5"/>)svg"},
    {kActualPixels, kView, false, kNone, R"svg(
<path d="M4 7l2-2v14M16 7l2-2v14"/>
<circle fill="currentColor" stroke="none" cx="12" cy="9" r="1.5"/>
<circle fill="currentColor" stroke="none" cx="12" cy="15" r="1.5"/>)svg"},
    {kRefresh, kView, false, kNone, R"svg(
<path stroke="currentColor" d="M20 12a8 8 0 1 1-2.34-5.66M20 4v5h-5"/>)svg"},
    {kPan, kView, false, kNone, R"svg(
<path fill="#fff" d="M7 14V6.5a1.5 1.5 0 0 1 3 0V5a1.5 1.5 0 0 1 3 0v.5a1.5 1.5 0 0 1 3 0V8a1.5 1.5 0 0 1 3 0v7a6 6 0 0 1-6 6h-1.5a5 5 0 0 1-4-2l-4-5.5a1.5 1.5 0 0 1 2.4-1.8L7 14z"/>
<path d="M10 6.5V12M13 5.5V12M16 8v4"/>)svg"},
    {kSaveView, kView, false, kNone, R"svg(
<rect fill="#fff" x="3" y="5" width="18" height="14" rx="1"/>
<path fill="currentColor" stroke="currentColor" d="M13 5v8l2.5-2 2.5 2V5"/>)svg"},
    {kNextSavedView, kView, false, kNone, R"svg(
<path stroke="currentColor" d="M5 12h13M13 7l5 5-5 5"/>)svg"},
    {kPreviousSavedView, kView, true, kNone, R"svg(
<path stroke="currentColor" d="M5 12h13M13 7l5 5-5 5"/>)svg"},
    {kSwapViews, kView, false, kNone, R"svg(
<path stroke="currentColor" d="M4 8h15M16 5l3 3-3 3"/>
<path d="M20 16H5M8 13l-3 3 3 3"/>)svg"},
    // Mapping and digitizing
    {kDefineMappingRegion, kMapping, false, kNone, R"svg(
<path stroke-linecap="butt" d="M8 5h3M13 5h3M8 19h3M13 19h3M5 8v3M5 13v3M19 8v3M19 13v3"/>
<path fill="currentColor" stroke="none" d="M3 3h4v4H3zM17 3h4v4h-4zM3 17h4v4H3zM17 17h4v4h-4z"/>)svg"},
    {kRotateMappingRegion, kMapping, false, kNone, R"svg(
<path fill="#fff" d="M4 20h10v-7H4z"/>
<path stroke="currentColor" d="M18 15A14.87 14.87 0 0 0 9 6M13 4L9 6l2 4"/>)svg"},
    {kAxisMapping, kMapping, false, kNone, R"svg(
<path d="M7 4v13h13M5 6l2-2 2 2M18 15l2 2-2 2"/>
<path stroke="currentColor" d="M3 9h4M3 13h4M11 17v4M15 17v4"/>)svg"},
    {kCollectPoints, kMapping, false, kNone, R"svg(
<path d="M12 3v5M12 16v5M3 12h5M16 12h5"/>
<circle fill="currentColor" stroke="none" cx="12" cy="12" r="3"/>)svg"},
    {kCollectLines, kMapping, false, kNone, R"svg(
<path d="M5 18L18 6"/>
<path stroke="currentColor" d="M14 18A9 9 0 0 0 11.6 11.9"/>
<path fill="currentColor" stroke="none" d="M3 16h4v4H3zM16 4h4v4h-4z"/>)svg"},
    {kCollectAngles, kMapping, false, kNone, R"svg(
<path d="M20 19H5L15 5"/>
<path stroke="currentColor" d="M12 19A8 8 0 0 0 9.1 13.3"/>
<path fill="currentColor" stroke="none" d="M3 17h4v4H3zM18 17h4v4h-4zM13 3h4v4h-4z"/>)svg"},
    // Image
    {kFlipHorizontal, kImage, false, kNone, R"svg(
<path stroke-linecap="butt" d="M12 2v4M12 9v6M12 18v4"/>
<path fill="currentColor" stroke="currentColor" d="M9 6v12L3 12z"/>
<path fill="#fff" d="M15 6v12l6-6z"/>)svg"},
    {kFlipVertical, kImage, false, kNone, R"svg(
<path stroke-linecap="butt" d="M2 12h4M9 12h6M18 12h4"/>
<path fill="currentColor" stroke="currentColor" d="M6 9h12L12 3z"/>
<path fill="#fff" d="M6 15h12l-6 6z"/>)svg"},
    {kRotateClockwise, kImage, false, kNone, R"svg(
<rect fill="#fff" x="3" y="12" width="9" height="9" rx="1"/>
<path fill="currentColor" stroke="none" d="M5 19l2.5-3.5 2.5 3.5z"/>
<path stroke="currentColor" d="M11 5a8 8 0 0 1 8 8M16 10l3 3 3-3"/>)svg"},
    {kRotateCounterClockwise, kImage, true, kNone, R"svg(
<rect fill="#fff" x="3" y="12" width="9" height="9" rx="1"/>
<path fill="currentColor" stroke="none" d="M5 19l2.5-3.5 2.5 3.5z"/>
<path stroke="currentColor" d="M11 5a8 8 0 0 1 8 8M16 10l3 3 3-3"/>)svg"},
    {kRotate180, kImage, false, kNone, R"svg(
<rect fill="#fff" x="7.5" y="11" width="9" height="9" rx="1"/>
<path fill="currentColor" stroke="none" d="M9.5 18l2.5-3.5 2.5 3.5z"/>
<path stroke="currentColor" d="M4 13a8 8 0 0 1 16 0M17 10l3 3 3-3"/>)svg"},
    {kCrop, kImage, false, kNone, R"svg(
<path d="M7 3v14h14"/>
<path stroke="currentColor" d="M3 7h14v14"/>)svg"},
    {kImageInfo, kImage, false, kNone, R"svg(
<rect fill="#fff" x="3" y="4" width="15" height="12" rx="1"/>
<path d="M6 13l3-3 3 3"/>
<circle fill="currentColor" stroke="none" cx="17" cy="17" r="5"/>
<path stroke="#fff" d="M17 16v3"/>
<circle fill="#fff" stroke="none" cx="17" cy="13.5" r="1"/>)svg"},
    // Help
    {kContextHelp, kFiles, false, kNone, R"svg(
<path fill="#fff" d="M4 3v14l3.5-3.5 2.5 5.5 2-1-2.5-5.5H14z"/>
<path stroke="currentColor" d="M15.5 6.5a2.5 2.5 0 1 1 3.5 2.3c-.7.3-1 .9-1 1.7v.5"/>
<circle fill="currentColor" stroke="none" cx="18" cy="15" r="1.25"/>)svg"},
    {kAppAbout, kFiles, false, kNone, R"svg(
<circle fill="#fff" stroke="currentColor" cx="12" cy="12" r="9"/>
<path d="M12 11v6"/>
<circle fill="#2b2b2b" stroke="none" cx="12" cy="7.5" r="1.25"/>)svg"},
};

// A curve through digitized points on a pair of axes, on a pale tile with round corners.
constexpr const char* kApplicationBody = R"svg(
<rect fill="#eef3fb" stroke="#2f6fd6" stroke-width="1" x="2.5" y="2.5" width="19" height="19" rx="4"/>
<path d="M6 5v13h13"/>
<path stroke="#2f6fd6" d="M7.5 16c3.5-.5 4.5-8 11-9"/>
<circle fill="#2e9d55" stroke="#fff" stroke-width=".75" cx="9.4" cy="15" r="1.5"/>
<circle fill="#2e9d55" stroke="#fff" stroke-width=".75" cx="11.9" cy="11.7" r="1.5"/>
<circle fill="#2e9d55" stroke="#fff" stroke-width=".75" cx="15.2" cy="8.3" r="1.5"/>)svg";

// A page with the same small plot.
constexpr const char* kDocumentBody = R"svg(
<path fill="#fff" d="M5 2h10l5 5v15H5z"/>
<path d="M15 2v5h5"/>
<path d="M8 9v10h9"/>
<path stroke="#2f6fd6" d="M10 17c2-1 3-5 6-6"/>
<circle fill="#2e9d55" stroke="none" cx="11" cy="16" r="1.5"/>
<circle fill="#2e9d55" stroke="none" cx="16" cy="11" r="1.5"/>)svg";
// clang-format on

QByteArray Svg(const char* accent, bool mirrored, const char* shared, const char* body) {
    QByteArray svg(R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" )svg"
                   R"svg(viewBox="0 0 24 24"><g fill="none" stroke="#2b2b2b" stroke-width="2" )svg"
                   R"svg(stroke-linecap="round" stroke-linejoin="round" color=")svg");
    svg += accent;
    svg += mirrored ? R"svg("><g transform="matrix(-1 0 0 1 24 0)">)svg" : R"svg("><g>)svg";
    svg += shared;
    svg += body;
    svg += "</g></g></svg>";
    return svg;
}

// The rim is the drawing's own shape, copied eight times one unit out in a ring and
// whitened, under the drawing. Two-thirds opaque: enough to outline a dark line on a dark
// bar, and hardly there where a light bar shows through it.
constexpr std::array<QPointF, 8> kRimSteps{
    QPointF(1, 0),  QPointF(0.7071, 0.7071),   QPointF(0, 1),  QPointF(-0.7071, 0.7071),
    QPointF(-1, 0), QPointF(-0.7071, -0.7071), QPointF(0, -1), QPointF(0.7071, -0.7071)};
const QColor kRim(255, 255, 255, 170);

QImage RenderedWithRim(QSvgRenderer& renderer, int size) {
    const qreal unit = size / 24.0;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const QPointF& step : kRimSteps) {
        renderer.render(&painter, QRectF(step * unit, QSizeF(size, size)));
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), kRim);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}

QIcon IconFrom(const QByteArray& svg, std::span<const int> sizes) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        return QIcon();
    }
    QIcon icon;
    for (int size : sizes) {
        icon.addPixmap(QPixmap::fromImage(RenderedWithRim(renderer, size)));
    }
    return icon;
}

} // namespace

QIcon ShellIcons::ForCommand(const CommandRow& row) {
    const QByteArray svg = CommandSvg(row.id);
    if (!svg.isEmpty()) {
        return IconFrom(svg, kCommandSizes);
    }
    const QString name = QString::fromUtf8(row.icon);
    return name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
}

QIcon ShellIcons::Application() {
    return IconFrom(ApplicationSvg(), kApplicationSizes);
}

QIcon ShellIcons::Document() {
    return IconFrom(DocumentSvg(), kApplicationSizes);
}

QByteArray ShellIcons::CommandSvg(int id) {
    const auto drawing = std::find_if(std::begin(kDrawings), std::end(kDrawings),
                                      [id](const Drawing& d) { return d.id == id; });
    return drawing != std::end(kDrawings)
               ? Svg(drawing->accent, drawing->mirrored, drawing->shared, drawing->body)
               : QByteArray();
}

QByteArray ShellIcons::ApplicationSvg() {
    return Svg(kMapping, false, kNone, kApplicationBody);
}

QByteArray ShellIcons::DocumentSvg() {
    return Svg(kMapping, false, kNone, kDocumentBody);
}
