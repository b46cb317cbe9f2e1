#pragma once

#include "core/Observer.h"

#include <QComboBox>

class CPlumeDoc;

// The data-set chooser of the Data Sets bar: every slot of the active document's set
// manager (a deleted set's placeholder as an empty entry), the current one selected.
// Choosing an entry makes it the current set.
class DataSetsBox : public QComboBox, public Observer {
    Q_OBJECT

public:
    explicit DataSetsBox(QWidget* parent = nullptr);
    ~DataSetsBox() override;

    // The document whose sets are shown; null shows none and disables the box.
    void SetDocument(CPlumeDoc* document);
    CPlumeDoc* Document() const { return document_; }
    void Update(Observer* subject, void* hint) override;
    void Rebuild();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Chosen(int row);
    void Detach();

    CPlumeDoc* document_ = nullptr;
    Observer* subject_ = nullptr;
    bool rebuilding_ = false;
};
