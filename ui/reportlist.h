#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTreeView>

#include <vector>

struct ReportColumn {
    QString title;
    int width = 100;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// The rows of a report list: a vector of rows of cell texts.
class ReportListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ReportListModel(QObject* parent = nullptr);

    void setColumns(const QList<ReportColumn>& columns);
    const QList<ReportColumn>& columns() const { return mColumns; }
    void clear();
    int appendRow(const QString& firstCell);
    void appendRows(std::vector<QStringList> rows);
    void setCell(int row, int column, const QString& text);
    QString cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<ReportColumn> mColumns;
    std::vector<QStringList> mRows;
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
    // Appends whole rows at once (the fast way to fill a long list).
    void appendRows(std::vector<QStringList> rows);
    void setCell(int row, int column, const QString& text);
    QString cellText(int row, int column) const;
    int rowCount() const;

    int currentRow() const;
    void setCurrentRow(int row);

    ReportListModel* reportModel() const { return mModel; }

signals:
    void currentRowChanged(int row);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    ReportListModel* mModel = nullptr;
    int mLastRow = -1;
    void emitIfChanged();
};
