#include "shell/CChildFrame.h"

#include "shell/CDataView.h"
#include "view/CPlumeView.h"

#include <QSplitter>
#include <QVBoxLayout>

CChildFrame::CChildFrame(CPlumeDoc* document, CPreferences* preferences, QWidget* parent)
    : QWidget(parent), document_(document), splitter_(new QSplitter(Qt::Horizontal, this)),
      dataList_(new CDataView(document, preferences, splitter_)),
      view_(new CPlumeView(document, preferences, splitter_)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);
    splitter_->setChildrenCollapsible(true);
    splitter_->setCollapsible(0, true);
    splitter_->setCollapsible(1, false);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    dataList_->setMinimumWidth(10);
    view_->setMinimumSize(10, 10);
    splitter_->setSizes({kDataListWidth, 10000});
    dataList_->SetFocusTarget(view_);
    setFocusProxy(view_);
}

CChildFrame::~CChildFrame() {
    dataList_->Detach();
    // The view goes now, while its document still exists: going, it deactivates its tool
    // (which may stop a timer and write the status bar). Left to the base destructor, it
    // would go after the window's destroyed signal, which may already have closed the
    // document.
    delete view_;
    view_ = nullptr;
}

void CChildFrame::OnInitialUpdate() {
    dataList_->OnInitialUpdate();
    view_->OnInitialUpdate();
}
