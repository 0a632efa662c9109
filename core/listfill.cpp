// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/listfill.h"

#include "storage/database.h"
#include "storage/recordset.h"

#include <charconv>
#include <vector>

namespace
{

// A number cell's display text (FieldValue::forDisplay's: "%.13g" for double precision, "%.6g"
// for single, whole numbers as they are) written as UTF-8 into buffer, without a QString; empty
// for every other cell.
QByteArrayView numberDisplay(const RecordSet::Cell& cell, char* buffer, std::size_t size)
{
    std::to_chars_result written{buffer, std::errc()};
    if (cell.stored == RecordSet::Stored::Real && cell.kind == FieldKind::Double)
        written = std::to_chars(buffer, buffer + size, cell.real, std::chars_format::general, 13);
    else if (cell.stored == RecordSet::Stored::Real && cell.kind == FieldKind::Single)
        written = std::to_chars(buffer, buffer + size, cell.real, std::chars_format::general, 6);
    else if (cell.stored == RecordSet::Stored::Integer &&
             (cell.kind == FieldKind::LongInteger || cell.kind == FieldKind::ShortInteger ||
              cell.kind == FieldKind::Byte))
        written = std::to_chars(buffer, buffer + size, cell.integer);
    if (written.ec != std::errc())
        return {};
    return QByteArrayView(buffer, written.ptr - buffer);
}

} // namespace

int fillListFromQuery(Database& db, ReportList* list, const QString& sql,
                      const QVariantList& params, const QStringList& fields)
{
    list->clear();
    // The rows are read as the database hands them over, without a copy of the whole result;
    // texts go into the list as the database stored them (UTF-8), to be decoded when shown.
    ReportRows rows;
    std::vector<int> columns;
    int number = 1;
    char digits[16];
    const bool read = db.forEachRow(sql, params, [&](const RecordSet& set) {
        if (columns.empty()) {
            for (const QString& field : fields)
                columns.push_back(set.findColumn(field));
        }
        rows.beginRow();
        const auto written = std::to_chars(digits, digits + sizeof digits, number++);
        rows.addCellUtf8(QByteArrayView(digits, written.ptr - digits));
        for (const int column : columns) {
            const RecordSet::Cell* cell = column >= 0 ? set.currentCell(column) : nullptr;
            if (cell && cell->stored == RecordSet::Stored::Text) {
                rows.addCellUtf8(QByteArrayView(cell->bytes, qsizetype(cell->length)));
                continue;
            }
            char number[32];
            if (const QByteArrayView shown =
                    cell ? numberDisplay(*cell, number, sizeof number) : QByteArrayView();
                !shown.isEmpty())
                rows.addCellUtf8(shown);
            else
                rows.addCell(cell ? set.currentDisplay(column) : QString());
        }
    });
    // A query that fails, even after some rows, leaves the list empty.
    if (!read)
        return 0;
    const int count = rows.rowCount();
    list->appendPackedRows(std::move(rows));
    return count;
}

QList<ReportColumn> numberedColumns(const QList<ReportColumn>& columns)
{
    QList<ReportColumn> all;
    all.reserve(columns.size() + 1);
    all.append(ReportColumn{QStringLiteral("序号"), 50});
    all.append(columns);
    return all;
}
