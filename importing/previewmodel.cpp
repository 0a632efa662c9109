// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/previewmodel.h"

#include <QColor>

namespace
{
// 行号, the five fields, 问题.
constexpr int kColumns = kImportFieldCount + 2;
} // namespace

PreviewModel::PreviewModel(QObject* parent) : QAbstractTableModel(parent) {}

void PreviewModel::setPreview(ImportPreview preview)
{
    beginResetModel();
    mPreview = std::move(preview);
    endResetModel();
}

int PreviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : mPreview.total();
}

int PreviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= mPreview.total() || index.column() >= kColumns)
        return {};
    const PreviewRow& row = mPreview.rows[std::size_t(index.row())];
    if (role == Qt::DisplayRole) {
        if (index.column() == 0)
            return QString::number(row.fileRow);
        if (index.column() <= kImportFieldCount)
            return row.values[std::size_t(index.column() - 1)];
        return row.problem;
    }
    if (role == Qt::ForegroundRole && !row.problem.isEmpty())
        return QColor(Qt::red);
    if (role == Qt::TextAlignmentRole && index.column() == 0)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumns)
        return {};
    if (section == 0)
        return QStringLiteral("行号");
    if (section <= kImportFieldCount)
        return importFieldTitle(ImportField(section - 1));
    return QStringLiteral("问题");
}
