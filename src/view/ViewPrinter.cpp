#include "view/ViewPrinter.h"

#include "platform_qt/QtDevice.h"
#include "view/CPlumeView.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

double ViewPrinter::PageScale(int w, int h, int pw, int ph, int dpiX, int dpiY) {
    const double width = pw - dpiX;
    const double height = ph - dpiY;
    if (w <= 0 || h <= 0 || !(width > 0.0) || !(height > 0.0)) {
        return 1.0;
    }
    return static_cast<double>(w) / h >= width / height ? width / w : height / h;
}

bool ViewPrinter::Render(CPlumeView& view, QPrinter& printer) {
    if (!view.HasDisplayImage()) {
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    // A PDF would otherwise keep the image as JPEG, blurring the thin lines of a plot.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const IPoint image = view.Geometry().ImageSize();
    const double scale = PageScale(image.x, image.y, page.width(), page.height(),
                                   printer.logicalDpiX(), printer.logicalDpiY());
    // The viewport is shifted so that the image lands in the middle of the printable area.
    const int offsetX = (page.width() - static_cast<int>(std::trunc(scale * image.x))) / 2;
    const int offsetY = (page.height() - static_cast<int>(std::trunc(scale * image.y))) / 2;
    QtDevice device(painter);
    device.SetClip(QRect(0, 0, page.width(), page.height()));
    device.SetOrigin(offsetX, offsetY);
    view.DrawScene(device, scale, true);
    return painter.end();
}

QPrinter& ViewPrinter::Printer() {
    // Made on first use (it needs the application object) and kept for the whole run.
    static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

bool ViewPrinter::PageSetup(QWidget* parent) {
    QPageSetupDialog dialog(&Printer(), parent);
    return dialog.exec() == QDialog::Accepted;
}

bool ViewPrinter::PrintWithDialog(CPlumeView& view) {
    QPrinter& printer = Printer();
    QPrintDialog dialog(&printer, &view);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    return Render(view, printer);
}

bool ViewPrinter::PrintDirect(CPlumeView& view) {
    if (QPrinterInfo::defaultPrinter().isNull()) {
        return PrintWithDialog(view);
    }
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    return Render(view, printer);
}

bool ViewPrinter::Preview(CPlumeView& view) {
    QPrintPreviewDialog dialog(&Printer(), &view);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&view](QPrinter* target) { Render(view, *target); });
    return dialog.exec() == QDialog::Accepted;
}
