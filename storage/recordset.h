// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/fieldvalue.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// One query result held in memory, standing on its current row: the snapshot both backends
// hand to the database service. Cells are small and kept in fixed-size blocks; texts, byte arrays
// and date-times are kept as their stored bytes in blocks of their own and turned into values
// only when a field is read. Blocks never move and are reused by the allocator from one query to
// the next, so a snapshot costs little more than the query.
class RecordSet
{
public:
    enum class Stored : quint8 { Null, Integer, Real, Text, Bytes, DateTime };
    struct Cell {
        Stored stored = Stored::Null;
        FieldKind kind = FieldKind::Text;
        quint32 length = 0;
        union {
            qint64 integer = 0;
            double real;
            const char* bytes;
        };
    };

    // The columns, in order, each with the kind its type gives (none: each value's own kind).
    void addColumn(const QString& name, std::optional<FieldKind> kind);
    std::size_t columnCount() const { return mNames.size(); }
    const std::vector<QString>& names() const { return mNames; }
    FieldKind columnKind(int column) const
    {
        const std::optional<FieldKind>& kind = mKinds[std::size_t(column)];
        return kind ? *kind : FieldKind::Text;
    }
    const std::optional<FieldKind>& declaredKind(int column) const
    {
        return mKinds[std::size_t(column)];
    }

    // Filling, row by row and column by column: one call per cell, then endRow().
    void appendNull(FieldKind kind) { pushCell(Cell{Stored::Null, kind, 0, {0}}); }
    void appendInteger(FieldKind kind, qint64 value)
    {
        pushCell(Cell{Stored::Integer, kind, 0, {value}});
    }
    void appendReal(FieldKind kind, double value)
    {
        Cell cell{Stored::Real, kind, 0, {0}};
        cell.real = value;
        pushCell(cell);
    }
    // A text, or a date-time in its text form.
    void appendText(FieldKind kind, const char* data, std::size_t size);
    // The same, without a copy: the bytes stay where they are, in memory the record set keeps
    // (see keep()).
    void appendKeptText(FieldKind kind, const char* data, std::size_t size)
    {
        Cell cell{kind == FieldKind::DateTime ? Stored::DateTime : Stored::Text, kind, 0, {0}};
        cell.length = quint32(size);
        cell.bytes = data;
        pushCell(cell);
    }
    // Keeps a block of memory (a whole query result) for as long as the record set lives.
    void keep(std::shared_ptr<void> owner) { mKept = std::move(owner); }
    void appendBytes(const char* data, std::size_t size);
    void endRow() { ++mRowCount; }

    std::size_t rowCount() const { return mRowCount; }
    std::size_t position() const { return mPosition; }
    void moveNext()
    {
        if (mPosition < mRowCount)
            ++mPosition;
    }

    int findColumn(const QString& name) const;
    const Cell* currentCell(int column) const
    {
        if (mPosition >= mRowCount)
            return nullptr;
        const std::size_t index = mPosition * mNames.size() + std::size_t(column);
        return &mCellBlocks[index / kCellsPerBlock][index % kCellsPerBlock];
    }
    static QString cellText(const Cell& cell)
    {
        return QString::fromUtf8(cell.bytes, qsizetype(cell.length));
    }
    FieldValue currentValue(int column) const;
    // The current row's field as a list shows it (FieldValue::forDisplay), without building the
    // value for texts and double precision numbers.
    QString currentDisplay(int column) const;

    // Drops the rows but keeps the columns and the memory of the cells, for the next row of a
    // query read one row at a time.
    void clearRows();

private:
    static constexpr std::size_t kCellsPerBlock = 4096;
    static constexpr std::size_t kBytesPerBlock = 65536;

    void pushCell(const Cell& cell)
    {
        // Blocks kept by clearRows() are filled again.
        const std::size_t block = mCellCount / kCellsPerBlock;
        if (block == mCellBlocks.size())
            mCellBlocks.push_back(std::make_unique<Cell[]>(kCellsPerBlock));
        mCellBlocks[block][mCellCount % kCellsPerBlock] = cell;
        ++mCellCount;
    }
    const char* keepBytes(const char* data, std::size_t size);

    std::vector<QString> mNames;
    mutable std::vector<QString> mFoundBy; // per column: the text it was last found by
    std::vector<std::optional<FieldKind>> mKinds;
    QHash<QString, int> mColumnIndex;
    std::size_t mRowCount = 0;
    std::size_t mPosition = 0;

    std::vector<std::unique_ptr<Cell[]>> mCellBlocks;
    std::size_t mCellCount = 0;
    std::vector<std::unique_ptr<char[]>> mByteBlocks;
    std::size_t mBytesUsed = 0;
    std::vector<std::unique_ptr<char[]>> mLongValues;
    std::shared_ptr<void> mKept;
};

// Date-times stored as text ("2018-3-5", "2018-03-05 08:30:00" and the like) as a date-time;
// years outside 100 to 9999 are set to the nearer end. Invalid for anything else.
QDateTime parseDateTimeText(const QString& text);
