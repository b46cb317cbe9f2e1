#pragma once

#include <QTableWidget>

#include <string>
#include <vector>

// The attributes panel's list: one row per attribute with its name and value, sorted by
// name (ignoring case), grid lines, whole rows selected, and a check mark per row for the
// attribute's active flag. The list only shows and asks: a toggled check mark, a request
// to edit and a request to delete come out as signals with the attribute's own name, and
// the attribute changes only when the panel's task has been performed and the list filled
// again.
//
// Mouse and keys: a press on a row's check mark toggles it; a double click elsewhere on a
// row, or Enter, asks to edit it; Space toggles the selected row's check mark; Delete asks
// to delete it; F2 edits the name label in place, which changes only the text shown.
class AttListCtrl : public QTableWidget {
    Q_OBJECT

public:
    struct Entry {
        std::string name;
        std::string value;
        bool active = false;
    };

    explicit AttListCtrl(QWidget* parent = nullptr);
    ~AttListCtrl() override;

    // Every row goes; one row per entry, sorted.
    void Fill(const std::vector<Entry>& entries);
    // The attribute of a row, as the panel gave it (an edited label does not change it).
    Entry At(int row) const;
    // The row of the attribute with exactly that name; -1 when none.
    int RowOf(const QString& name) const;
    // The row selected; -1 when none.
    int SelectedRow() const;
    // Where a row's check mark is, in viewport coordinates.
    QRect CheckMarkRect(int row) const;

signals:
    void activeToggled(const QString& name, const QString& value, bool active);
    void editRequested(const QString& name, const QString& value);
    void deleteRequested(const QString& name);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // "Name" starts at half the width less 3; "Value" takes what "Name" leaves less 5.
    void resizeEvent(QResizeEvent* event) override;

private:
    void ItemChanged(QTableWidgetItem* item);
    void Toggle(int row);
    bool OnCheckMark(const QPoint& point, int& row) const;

    bool filling_ = false;
    bool pressOnCheckMark_ = false;
    bool nameWidthSet_ = false;
};
