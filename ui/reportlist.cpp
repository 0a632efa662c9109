// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/reportlist.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <utility>

int ReportRows::cellCount(int row) const
{
    if (row < 0 || row >= rowCount())
        return 0;
    const std::size_t end =
        std::size_t(row) + 1 < mRowStarts.size() ? mRowStarts[std::size_t(row) + 1] : mCells.size();
    return int(end - mRowStarts[std::size_t(row)]);
}

TextPool::Ref ReportRows::cellRef(int row, int column) const
{
    if (column < 0 || column >= cellCount(row))
        return 0;
    return mCells[mRowStarts[std::size_t(row)] + std::size_t(column)];
}

QString ReportRows::cell(int row, int column) const
{
    return mTexts.text(cellRef(row, column));
}

void ReportRows::beginRow()
{
    mRowStarts.push_back(quint32(mCells.size()));
}

void ReportRows::addCell(QStringView text)
{
    mCells.push_back(mTexts.add(text));
}

void ReportRows::addCellUtf8(QByteArrayView text)
{
    mCells.push_back(mTexts.addUtf8(text));
}

void ReportRows::addRow(const QStringList& cells)
{
    beginRow();
    for (const QString& text : cells)
        addCell(text);
}

void ReportRows::setCell(int row, int column, QStringView text)
{
    if (row < 0 || row >= rowCount() || column < 0)
        return;
    const int count = cellCount(row);
    const std::size_t start = mRowStarts[std::size_t(row)];
    const TextPool::Ref stored = mTexts.add(text);
    if (column < count) {
        mCells[start + std::size_t(column)] = stored;
        return;
    }
    // The row grows: its new cells go in after its last one, and the rows below move down.
    const int added = column + 1 - count;
    const auto end = mCells.begin() + std::ptrdiff_t(start) + count;
    const auto inserted = mCells.insert(end, std::size_t(added), TextPool::Ref(0));
    *(inserted + (added - 1)) = stored;
    for (std::size_t r = std::size_t(row) + 1; r < mRowStarts.size(); ++r)
        mRowStarts[r] += quint32(added);
}

void ReportRows::append(ReportRows&& other)
{
    if (mRowStarts.empty()) {
        *this = std::move(other);
        other.clear();
        return;
    }
    const quint32 first = quint32(mCells.size());
    for (const quint32 start : other.mRowStarts)
        mRowStarts.push_back(start + first);
    // The texts stay where they are; this takes over the blocks that hold them.
    const TextPool::Shift shift = mTexts.adopt(std::move(other.mTexts));
    for (const TextPool::Ref ref : other.mCells)
        mCells.push_back(TextPool::shifted(ref, shift));
    other.clear();
}

void ReportRows::clear()
{
    *this = ReportRows();
}

ReportListModel::ReportListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ReportListModel::setColumns(const QList<ReportColumn>& columns)
{
    beginResetModel();
    mColumns = columns;
    endResetModel();
}

void ReportListModel::clear()
{
    beginResetModel();
    mRows.clear();
    endResetModel();
}

int ReportListModel::appendRow(const QString& firstCell)
{
    const int row = mRows.rowCount();
    beginInsertRows({}, row, row);
    mRows.beginRow();
    mRows.addCell(firstCell);
    endInsertRows();
    return row;
}

void ReportListModel::appendRows(std::vector<QStringList> rows)
{
    ReportRows packed;
    for (const QStringList& row : rows)
        packed.addRow(row);
    appendPackedRows(std::move(packed));
}

void ReportListModel::appendPackedRows(ReportRows rows)
{
    if (rows.rowCount() == 0)
        return;
    const int first = mRows.rowCount();
    beginInsertRows({}, first, first + rows.rowCount() - 1);
    mRows.append(std::move(rows));
    endInsertRows();
}

void ReportListModel::setCell(int row, int column, const QString& text)
{
    if (row < 0 || row >= mRows.rowCount() || column < 0 || column >= int(mColumns.size()))
        return;
    if (column < mRows.cellCount(row) && mRows.cell(row, column) == text)
        return;
    mRows.setCell(row, column, text);
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

QString ReportListModel::cell(int row, int column) const
{
    return mRows.cell(row, column);
}

int ReportListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : mRows.rowCount();
}

int ReportListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(mColumns.size());
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return int(mColumns.at(index.column()).alignment | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (mCellColour) {
            const QColor colour = mCellColour(index.row(), index.column());
            if (colour.isValid())
                return colour;
        }
        return {};
    default:
        return {};
    }
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(mColumns.size()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return mColumns.at(section).title;
    case Qt::TextAlignmentRole:
        return int(mColumns.at(section).alignment | Qt::AlignVCenter);
    default:
        return {};
    }
}

ReportList::ReportList(QWidget* parent) : QTreeView(parent), mModel(new ReportListModel(this))
{
    setModel(mModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setTextElideMode(Qt::ElideRight);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    // A fixed floor for dragged columns: the default one is measured from the widest glyph of the
    // font and its fallbacks, which loads fonts the list never shows.
    header()->setMinimumSectionSize(20);

    // Made after setModel() created the selection model, so these run after it has dropped
    // the selection of removed rows.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ReportList::emitIfChanged);
    connect(mModel, &QAbstractItemModel::modelReset, this, &ReportList::emitIfChanged);
    connect(mModel, &QAbstractItemModel::rowsRemoved, this, &ReportList::emitIfChanged);
}

void ReportList::setColumns(const QList<ReportColumn>& columns)
{
    mModel->setColumns(columns);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns.at(i).width);
}

int ReportList::columnCount() const
{
    return mModel->columnCount();
}

QString ReportList::columnTitle(int column) const
{
    return mModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void ReportList::clear()
{
    mModel->clear();
}

int ReportList::appendRow(const QString& firstCell)
{
    return mModel->appendRow(firstCell);
}

void ReportList::appendRows(std::vector<QStringList> rows)
{
    mModel->appendRows(std::move(rows));
}

void ReportList::appendPackedRows(ReportRows rows)
{
    mModel->appendPackedRows(std::move(rows));
}

void ReportList::setCell(int row, int column, const QString& text)
{
    mModel->setCell(row, column, text);
}

QString ReportList::cellText(int row, int column) const
{
    return mModel->cell(row, column);
}

int ReportList::rowCount() const
{
    return mModel->rowCount();
}

int ReportList::currentRow() const
{
    // The selected row, not the view's current index: the view sets a current index of its
    // own (for instance when it takes the focus) without selecting anything.
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ReportList::setCurrentRow(int row)
{
    if (row < 0 || row >= rowCount()) {
        selectionModel()->clear();
    } else {
        const QModelIndex index = mModel->index(row, 0);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
        scrollTo(index);
    }
    emitIfChanged();
}

void ReportList::focusInEvent(QFocusEvent* event)
{
    // Taking the focus with nothing selected makes the first row the view's current index,
    // unselected. Drop it so that the first arrow key selects the first row.
    const bool hadCurrent = currentIndex().isValid();
    QTreeView::focusInEvent(event);
    if (!hadCurrent && currentRow() < 0 && currentIndex().isValid())
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
}

void ReportList::emitIfChanged()
{
    const int row = currentRow();
    if (row == mLastRow)
        return;
    mLastRow = row;
    emit currentRowChanged(row);
}
