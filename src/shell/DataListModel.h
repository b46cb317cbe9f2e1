#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <string>
#include <vector>

// The rows of the data list: the current set's text form split into comma-separated
// fields, without the set's name line and without lines whose first field is empty. The
// column count only ever grows, so columns of attributes removed later stay (empty).
class DataListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit DataListModel(QObject* parent = nullptr);

    // Replaces the rows with those of the text (lines separated by line feeds, fields by
    // commas); the first line is the set's name.
    void Rebuild(const std::string& text);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const std::vector<std::vector<QString>>& Rows() const { return rows_; }
    // The longest text of the column (in characters), which the list makes room for; empty
    // for a column without text.
    QString LongestText(int column) const;

private:
    std::vector<std::vector<QString>> rows_;
    std::vector<QString> longest_;
    int columns_ = 2;
};
