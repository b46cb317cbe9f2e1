#include "shell/DataListModel.h"

#include <algorithm>
#include <string_view>

DataListModel::DataListModel(QObject* parent) : QAbstractTableModel(parent) {}

void DataListModel::Rebuild(const std::string& text) {
    std::vector<std::vector<QString>> rows;
    std::vector<QString> longest;
    int widest = 0;
    std::string_view rest = text;
    bool first = true;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        std::vector<QString> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = line.find(',', start);
            const std::string_view field = line.substr(start, comma - start);
            fields.push_back(QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())));
            if (comma == std::string_view::npos) {
                break;
            }
            start = comma + 1;
        }
        widest = std::max(widest, static_cast<int>(fields.size()));
        if (first) {
            first = false; // the set's name
            continue;
        }
        if (!fields.front().isEmpty()) {
            if (longest.size() < fields.size()) {
                longest.resize(fields.size());
            }
            for (std::size_t i = 0; i < fields.size(); ++i) {
                if (fields[i].size() > longest[i].size()) {
                    longest[i] = fields[i];
                }
            }
            rows.push_back(std::move(fields));
        }
    }
    beginResetModel();
    rows_ = std::move(rows);
    longest_ = std::move(longest);
    columns_ = std::max(columns_, widest);
    endResetModel();
}

QString DataListModel::LongestText(int column) const {
    return column >= 0 && column < static_cast<int>(longest_.size())
               ? longest_[static_cast<std::size_t>(column)]
               : QString();
}

int DataListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DataListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant DataListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) {
        return QVariant();
    }
    const std::vector<QString>& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return index.column() < static_cast<int>(row.size())
                   ? row[static_cast<std::size_t>(index.column())]
                   : QString();
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(index.column() == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                       : Qt::AlignRight | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant DataListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return QStringLiteral(" ");
    }
    if (orientation == Qt::Horizontal && role == Qt::AccessibleTextRole) {
        return tr("Column %1").arg(section + 1);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
