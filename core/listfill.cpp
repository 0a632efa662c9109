// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/listfill.h"

#include "storage/database.h"

#include <charconv>

int fillListFromQuery(Database& db, ReportList* list, const QString& sql,
                      const QVariantList& params, const QStringList& fields)
{
    list->clear();
    const int handle = db.OpenTable(sql, params);
    if (handle == 0)
        return 0;
    // Texts go into the list as the database stored them (UTF-8), to be decoded when shown.
    ReportRows rows;
    int number = 1;
    char digits[16];
    while (!db.IsEOF(handle)) {
        rows.beginRow();
        const auto written = std::to_chars(digits, digits + sizeof digits, number++);
        rows.addCellUtf8(QByteArrayView(digits, written.ptr - digits));
        for (const QString& field : fields) {
            if (const std::optional<QByteArrayView> text = db.readTextBytes(handle, field))
                rows.addCellUtf8(*text);
            else
                rows.addCell(db.readDisplay(handle, field));
        }
        db.MoveNext(handle);
    }
    db.CloseTable(handle);
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
