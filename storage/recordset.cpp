// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/recordset.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstring>

void RecordSet::addColumn(const QString& name, std::optional<FieldKind> kind)
{
    if (!mColumnIndex.contains(name))
        mColumnIndex.insert(name, int(mNames.size()));
    mNames.push_back(name);
    mFoundBy.emplace_back();
    mKinds.push_back(kind);
}

void RecordSet::appendText(FieldKind kind, const char* data, std::size_t size)
{
    Cell cell{kind == FieldKind::DateTime ? Stored::DateTime : Stored::Text, kind, 0, {0}};
    cell.length = quint32(size);
    cell.bytes = keepBytes(data, size);
    pushCell(cell);
}

void RecordSet::appendBytes(const char* data, std::size_t size)
{
    Cell cell{Stored::Bytes, FieldKind::Bytes, 0, {0}};
    cell.length = quint32(size);
    cell.bytes = keepBytes(data, size);
    pushCell(cell);
}

const char* RecordSet::keepBytes(const char* data, std::size_t size)
{
    static const char empty = 0;
    if (size == 0)
        return &empty;
    if (size > kBytesPerBlock / 4) {
        // A long value gets a block of its own.
        mLongValues.push_back(std::make_unique_for_overwrite<char[]>(size));
        std::memcpy(mLongValues.back().get(), data, size);
        return mLongValues.back().get();
    }
    // Blocks are not cleared first: every byte of them is written before it is read.
    if (mByteBlocks.empty() || mBytesUsed + size > kBytesPerBlock) {
        mByteBlocks.push_back(std::make_unique_for_overwrite<char[]>(kBytesPerBlock));
        mBytesUsed = 0;
    }
    char* target = mByteBlocks.back().get() + mBytesUsed;
    std::memcpy(target, data, size);
    mBytesUsed += size;
    return target;
}

int RecordSet::findColumn(const QString& name) const
{
    // A list fill asks for the same columns with the same texts on every row. Each column keeps
    // the text it was last found by; a text sharing that text's characters (not a copy of them)
    // is the same name, without comparing. Holding it keeps those characters unchanged.
    const qsizetype size = name.size();
    if (size > 0) {
        for (std::size_t i = 0; i < mFoundBy.size(); ++i) {
            if (mFoundBy[i].constData() == name.constData() && mFoundBy[i].size() == size)
                return int(i);
        }
    }
    int found = -1;
    // A few columns are found faster by comparing than by hashing; names of one table often
    // share their first characters, so the last one is compared first.
    if (mNames.size() <= 16) {
        for (std::size_t i = 0; i < mNames.size() && found < 0; ++i) {
            const QString& candidate = mNames[i];
            if (candidate.size() == size &&
                (size == 0 || candidate.at(size - 1) == name.at(size - 1)) && candidate == name)
                found = int(i);
        }
    } else {
        found = mColumnIndex.value(name, -1);
    }
    if (found >= 0)
        mFoundBy[std::size_t(found)] = name;
    return found;
}

FieldValue RecordSet::currentValue(int column) const
{
    const Cell* cell = currentCell(column);
    if (!cell)
        return FieldValue::emptyOf(columnKind(column));
    switch (cell->stored) {
    case Stored::Null:
        return FieldValue::emptyOf(cell->kind);
    case Stored::Text:
        return FieldValue::text(cellText(*cell));
    case Stored::Integer:
        return cell->kind == FieldKind::Boolean ? FieldValue::boolean(cell->integer != 0)
                                                : FieldValue::integer(cell->kind, cell->integer);
    case Stored::Real:
        return FieldValue::real(cell->kind, cell->real);
    case Stored::DateTime:
        return FieldValue::dateTime(parseDateTimeText(cellText(*cell)));
    case Stored::Bytes:
        return FieldValue::bytes(QByteArray(cell->bytes, qsizetype(cell->length)));
    }
    return {};
}

QString RecordSet::currentDisplay(int column) const
{
    const Cell* cell = currentCell(column);
    if (cell && cell->stored == Stored::Text)
        return cellText(*cell);
    if (cell && cell->stored == Stored::Real && cell->kind == FieldKind::Double)
        return numberText(cell->real);
    return currentValue(column).forDisplay();
}

void RecordSet::clearRows()
{
    if (mCellBlocks.size() > 1)
        mCellBlocks.resize(1);
    mCellCount = 0;
    mByteBlocks.clear();
    mBytesUsed = 0;
    mLongValues.clear();
    mKept.reset();
    mRowCount = 0;
    mPosition = 0;
}

QDateTime parseDateTimeText(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*(-?\d+)[-/](\d{1,2})[-/](\d{1,2})(?:[ T](\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    int year = std::clamp(match.captured(1).toInt(), 100, 9999);
    const QDate date(year, match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}
