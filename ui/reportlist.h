// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QColor>
#include <QStringList>
#include <QStringView>
#include <QTreeView>

#include "ui/textpool.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

struct ReportColumn {
    QString title;
    int width = 100;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// Rows of cell texts: the texts packed in a TextPool, each cell an 8-byte reference to its text,
// kept in chunks (a long list never moves its cells to grow). A cell keeps the text as it was
// given, UTF-16 or UTF-8 (a list filled from the database keeps the stored bytes and decodes only
// the cells that are read). Rows may hold any number of cells.
class ReportRows
{
public:
    int rowCount() const { return int(mRowStarts.size()); }
    int cellCount(int row) const;
    // The text of a cell; an empty text outside the rows or past the row's last cell.
    QString cell(int row, int column) const;
    // The same as a reference into texts() (0, the empty text, outside).
    TextPool::Ref cellRef(int row, int column) const;
    const TextPool& texts() const { return mTexts; }

    // Starts a new row at the end; the cells added next belong to it.
    void beginRow();
    void addCell(QStringView text);
    void addCellUtf8(QByteArrayView text);
    // A row of the given cells.
    void addRow(const QStringList& cells);
    // Replaces a cell of an existing row; a shorter row first gets empty cells up to it.
    void setCell(int row, int column, QStringView text);
    // Moves the rows of other after these.
    void append(ReportRows&& other);
    void clear();

private:
    std::deque<quint32> mRowStarts; // index of each row's first cell in mCells
    std::deque<TextPool::Ref> mCells;
    TextPool mTexts;
};

// The text colour of a cell of a report list (an invalid colour: the list's own). Asked only for
// the cells being drawn, so that a long list costs nothing more to fill.
using CellColour = std::function<QColor(int row, int column)>;

// The rows of a report list.
class ReportListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ReportListModel(QObject* parent = nullptr);

    // The view draws the cells again when the rule's answers change (viewport()->update():
    // cheaper than announcing every cell of a long list as changed).
    void setCellColour(CellColour colour) { mCellColour = std::move(colour); }

    void setColumns(const QList<ReportColumn>& columns);
    const QList<ReportColumn>& columns() const { return mColumns; }
    void clear();
    int appendRow(const QString& firstCell);
    void appendRows(std::vector<QStringList> rows);
    void appendPackedRows(ReportRows rows);
    void setCell(int row, int column, const QString& text);
    QString cell(int row, int column) const;
    const ReportRows& rows() const { return mRows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<ReportColumn> mColumns;
    ReportRows mRows;
    CellColour mCellColour;
};

// The report-style list view: a header of titled columns over rows of texts, one row selected
// at a time. The current row is the selected row (-1 when none); currentRowChanged fires when it
// changes by mouse or keyboard, and when a clear or refill drops it (also on setCurrentRow).
class ReportList : public QTreeView
{
    Q_OBJECT
public:
    explicit ReportList(QWidget* parent = nullptr);

    void setColumns(const QList<ReportColumn>& columns);
    int columnCount() const;
    QString columnTitle(int column) const;

    void clear();
    // Appends a row whose first cell holds the text; returns its index.
    int appendRow(const QString& firstCell);
    // Appends whole rows at once (the fast ways to fill a long list).
    void appendRows(std::vector<QStringList> rows);
    void appendPackedRows(ReportRows rows);
    void setCell(int row, int column, const QString& text);
    QString cellText(int row, int column) const;
    int rowCount() const;

    int currentRow() const;
    void setCurrentRow(int row);

    ReportListModel* reportModel() const { return mModel; }
    void setCellColour(CellColour colour)
    {
        mModel->setCellColour(std::move(colour));
        viewport()->update();
    }

signals:
    void currentRowChanged(int row);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    ReportListModel* mModel = nullptr;
    int mLastRow = -1;
    void emitIfChanged();
};
