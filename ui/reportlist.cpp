#include "ui/reportlist.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <iterator>
#include <utility>

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
    std::vector<QStringList>().swap(mRows);
    endResetModel();
}

int ReportListModel::appendRow(const QString& firstCell)
{
    const int row = int(mRows.size());
    beginInsertRows({}, row, row);
    mRows.push_back(QStringList{firstCell});
    endInsertRows();
    return row;
}

void ReportListModel::appendRows(std::vector<QStringList> rows)
{
    if (rows.empty())
        return;
    const int first = int(mRows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    if (mRows.empty())
        mRows = std::move(rows);
    else
        mRows.insert(mRows.end(), std::make_move_iterator(rows.begin()),
                     std::make_move_iterator(rows.end()));
    endInsertRows();
}

void ReportListModel::setCell(int row, int column, const QString& text)
{
    if (row < 0 || row >= int(mRows.size()) || column < 0 || column >= int(mColumns.size()))
        return;
    QStringList& cells = mRows[std::size_t(row)];
    while (cells.size() <= column)
        cells.append(QString());
    if (cells.at(column) == text)
        return;
    cells[column] = text;
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

QString ReportListModel::cell(int row, int column) const
{
    if (row < 0 || row >= int(mRows.size()) || column < 0)
        return {};
    const QStringList& cells = mRows[std::size_t(row)];
    return column < cells.size() ? cells.at(column) : QString();
}

int ReportListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(mRows.size());
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
