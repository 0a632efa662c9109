#include "core/listfill.h"

#include "storage/database.h"

#include <vector>

int fillListFromQuery(Database& db, ReportList* list, const QString& sql,
                      const QVariantList& params, const QStringList& fields)
{
    list->clear();
    const int handle = db.OpenTable(sql, params);
    if (handle == 0)
        return 0;
    std::vector<QStringList> rows;
    int number = 1;
    while (!db.IsEOF(handle)) {
        QStringList row;
        row.reserve(fields.size() + 1);
        row.append(QString::number(number++));
        for (const QString& field : fields)
            row.append(db.readDisplay(handle, field));
        rows.push_back(std::move(row));
        db.MoveNext(handle);
    }
    db.CloseTable(handle);
    const int count = int(rows.size());
    list->appendRows(std::move(rows));
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
