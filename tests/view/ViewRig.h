#pragma once

// A document with a seeded image and a real image view of a fixed client size on it, driven
// by real mouse and key events. Shared by the view tests.

#include "BitmapPixels.h"
#include "FakePlatform.h"
#include "SeededBitmap.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "image/ImageStore.h"
#include "view/CPlumeView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <map>
#include <memory>
#include <string>
#include <vector>

// The windows that show a document: here, the views of one test.
class ViewList : public DocumentViews {
public:
    void UpdateAllViews(int hint) override {
        for (CPlumeView* view : views) {
            view->OnUpdate(hint);
        }
    }
    void UpdateOtherViews(const void* sender, int hint) override {
        for (CPlumeView* view : views) {
            if (view != sender) {
                view->OnUpdate(hint);
            }
        }
    }
    void SetTitle(const std::string&) override {}
    void SetStatusPane(int, const std::string&) override {}
    std::vector<CPlumeView*> views;
};

struct ViewRig {
    explicit ViewRig(int imageWidth = 100, int imageHeight = 50, IPoint client = {200, 100},
                     int bitCount = 24, int seed = 3) {
        preferences.pickTol = 3;
        DocumentServices services = platform.Services();
        services.views = &views;
        services.preferences = &preferences;
        document = std::make_unique<CPlumeDoc>(services);
        document->NewDocument();
        ImageStore image;
        image.SetBitmap(SeededBitmap(imageWidth, imageHeight, bitCount, seed),
                        ImageStore::kTypeBmp);
        document->Database()->ReplaceImage(std::move(image), 0);
        view = std::make_unique<CPlumeView>(document.get(), &preferences);
        views.views.push_back(view.get());
        view->setFrameShape(QFrame::NoFrame);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->resize(client.x, client.y);
        view->show();
        QObject::connect(view.get(), &CPlumeView::statusTextChanged,
                         [this](int pane, const QString& text) { panes[pane] = text; });
        view->OnInitialUpdate();
    }

    QRgb Screen(int x, int y) const { return view->BackBuffer().pixel(x, y) & 0xFFFFFF; }
    // The source image's colour at an image pixel, as 0xRRGGBB.
    QRgb Source(int x, int y) const {
        const PackedBitmap& bitmap = document->Database()->Image().GetPackedBitmap();
        return ToRgb(bitmap)[static_cast<std::size_t>(y * bitmap.Width() + x)];
    }
    // The client point over an image pixel while the whole image fits in the client area.
    QPoint Over(double x, double y) {
        const ToolEvent origin = view->MakeToolEvent(IPoint{0, 0});
        const double scale = view->Geometry().Scale();
        return QPoint(static_cast<int>(origin.client.x - origin.logical.x + x * scale + 0.5),
                      static_cast<int>(origin.client.y - origin.logical.y + y * scale + 0.5));
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent event(type, QPointF(at), view->viewport()->mapToGlobal(QPointF(at)), button,
                          type == QEvent::MouseMove && !pressed ? Qt::NoButton : buttons,
                          modifiers);
        if (type == QEvent::MouseButtonPress) {
            pressed = true;
        } else if (type == QEvent::MouseButtonRelease) {
            pressed = false;
        }
        QApplication::sendEvent(view->viewport(), &event);
    }
    void Move(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Mouse(QEvent::MouseMove, at, modifiers);
    }
    // Press, a move on the way, a move to the end, release.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Mouse(QEvent::MouseButtonPress, from, modifiers);
        Mouse(QEvent::MouseMove, (from + to) / 2, modifiers);
        Mouse(QEvent::MouseMove, to, modifiers);
        Mouse(QEvent::MouseButtonRelease, to, modifiers);
    }
    void Click(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Mouse(QEvent::MouseButtonPress, at, modifiers);
        Mouse(QEvent::MouseButtonRelease, at, modifiers);
    }
    void Key(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(type, key, modifiers);
        QApplication::sendEvent(view.get(), &event);
    }
    void Press(int key) {
        Key(QEvent::KeyPress, key);
        Key(QEvent::KeyRelease, key);
    }

    ApplicationState::Scope state;
    FakePlatform platform;
    CPreferences preferences;
    ViewList views;
    // Before the view: a view that goes still writes its panes.
    std::map<int, QString> panes;
    std::unique_ptr<CPlumeDoc> document;
    std::unique_ptr<CPlumeView> view;
    bool pressed = false;
};
