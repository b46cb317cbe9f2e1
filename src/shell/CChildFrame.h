#pragma once

#include <QWidget>

class CDataView;
class CPlumeDoc;
class CPlumeView;
class CPreferences;
class QSplitter;

// One document window: a splitter with the data list (150 pixels, collapsible by dragging
// the split bar to the left edge and brought back by dragging it out) and the image view.
class CChildFrame : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDataListWidth = 150;

    CChildFrame(CPlumeDoc* document, CPreferences* preferences, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CPlumeView* View() const { return view_; }
    CDataView* DataList() const { return dataList_; }
    CPlumeDoc* Document() const { return document_; }
    QSplitter* Splitter() const { return splitter_; }
    // The document's views and lists attach to it.
    void OnInitialUpdate();

private:
    CPlumeDoc* document_;
    QSplitter* splitter_;
    CDataView* dataList_;
    CPlumeView* view_;
};
