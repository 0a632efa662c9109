// SPDX-License-Identifier: GPL-3.0-or-later
#include "labels/labellots.h"

#include "storage/database.h"

#include <cmath>

namespace
{

QList<StockLot> readLots(Database& db, const QString& sql, const QString& value)
{
    QList<StockLot> lots;
    const int handle = db.OpenTable(sql, {value});
    if (!handle)
        return lots;
    for (; !db.IsEOF(handle); db.MoveNext(handle)) {
        StockLot lot;
        lot.label.lot = db.readText(handle, QStringLiteral("入库单号"));
        lot.label.id = db.readText(handle, QStringLiteral("产品ID"));
        lot.label.name = db.readText(handle, QStringLiteral("产品名称"));
        lot.label.unit = db.readText(handle, QStringLiteral("产品单位"));
        lot.stock = db.readReal(handle, QStringLiteral("产品库存"));
        lots.append(lot);
    }
    db.CloseTable(handle);
    return lots;
}

} // namespace

std::optional<StockLot> loadStockLot(Database& db, const QString& lot)
{
    const QList<StockLot> lots =
        readLots(db, QStringLiteral("select * from 总数据库模块 where 入库单号=? "), lot);
    if (lots.isEmpty())
        return std::nullopt;
    return lots.first();
}

QList<StockLot> loadLotsOfProduct(Database& db, const QString& productId)
{
    // The lots in the order they were stored, as the stock list shows them: compared as an
    // expression, the file reads them in that order rather than in the order of the index on
    // (产品ID, 产品库存), which would put the lot with the smallest stock first.
    return readLots(db, QStringLiteral("select * from 总数据库模块 where 产品ID||''=? "),
                    productId);
}

int copiesOfStock(double stock)
{
    if (!std::isfinite(stock) || stock < 1 || std::floor(stock) != stock)
        return 0;
    return stock >= kMaxCopies ? kMaxCopies : int(stock);
}
