#pragma once

#include <QDialog>

#include <string>

class PdfDocument;
class QLabel;
class QListWidget;
class QSpinBox;
class QTimer;
struct PdfPageChoice;

// "Open PDF Page": which page of a PDF of several pages becomes the image, with a preview of
// every page, and the resolution in dots per inch with the pixel size it gives. The previews
// are drawn one at a time after the dialog is up, so a long paper opens the dialog at once.
class PdfPageDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kThumbnailSide = 120; // pixels along a preview's longer side
    static constexpr int kMinimumDpi = 36;
    static constexpr int kMaximumDpi = 1200;

    PdfPageDlg(const PdfDocument& pdf, double dpi, QWidget* parent = nullptr);
    ~PdfPageDlg() override;

    int Page() const;
    double Dpi() const;
    // The pages whose previews are drawn so far.
    int PreviewsDrawn() const { return drawn_; }

    // Before a PDF file opens in the windows: a PDF of several pages asks for its page and
    // resolution (the resolution starting at, and stored back to, `dpi`); one of a single
    // page takes page 1 at `dpi`; a file that is no readable PDF is left to the document to
    // refuse. False when the person cancelled.
    static bool Choose(QWidget* parent, const std::string& path, int& dpi, PdfPageChoice& choice);

private:
    void DrawNextPreview();
    void ShowSize();

    const PdfDocument& pdf_;
    QListWidget* pages_;
    QSpinBox* dpi_;
    QLabel* size_;
    QTimer* previews_;
    int drawn_ = 0;
};
