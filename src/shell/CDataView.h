#pragma once

#include "core/Observer.h"

#include <QTableView>

class CPlumeDoc;
class CPreferences;
class DataListModel;

// The data list beside the image: the current set of its document, one row per point
// (X, Y and the attribute values) and per set attribute. It follows the set manager and
// never keeps the focus: a click hands it to the image view.
class CDataView : public QTableView, public Observer {
    Q_OBJECT

public:
    CDataView(CPlumeDoc* document, const CPreferences* preferences, QWidget* parent = nullptr);
    ~CDataView() override;

    // Registers with the document's set manager and fills the list.
    void OnInitialUpdate();
    // Lets go of the set manager (before the document's database goes away).
    void Detach();
    void Update(Observer* subject, void* hint) override;
    // Makes the list again now.
    void Rebuild();
    // Makes the list again once control is back in the event loop: the changes of one
    // step (a point added, then the step committed) cost one rebuild, not one each.
    void ScheduleRebuild();

    // The widget that takes the focus after a click.
    void SetFocusTarget(QWidget* target) { focusTarget_ = target; }
    DataListModel* Model() const { return model_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void PassFocus();

    CPlumeDoc* document_;
    const CPreferences* preferences_;
    DataListModel* model_;
    Observer* subject_ = nullptr;
    QWidget* focusTarget_ = nullptr;
    bool rebuildPending_ = false;
};
