// SPDX-License-Identifier: GPL-3.0-or-later
#include "insights/stockalert.h"

#include "storage/database.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

QList<StockAlertRow> readStockAlerts(Database& db)
{
    // The minimum table holds at most one row per product, so the join never counts a lot twice.
    static const QString sql =
        QStringLiteral("select s.产品ID as 产品ID, "
                       "(select x.产品名称 from 总数据库模块 x where x.产品ID = s.产品ID "
                       "order by x.入库单号 desc limit 1) as 产品名称, "
                       "cast(sum(s.产品库存) as double precision) as 现有库存, "
                       "cast(coalesce(max(w.最低库存), 0) as double precision) as 最低库存 "
                       "from 总数据库模块 s left join 库存预警 w on w.产品ID = s.产品ID "
                       "where s.产品ID is not null group by s.产品ID");
    QList<StockAlertRow> rows;
    const int h = db.OpenTable(sql);
    if (!h)
        return rows;
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        StockAlertRow row;
        row.productId = db.readText(h, QStringLiteral("产品ID"));
        row.productName = db.readText(h, QStringLiteral("产品名称"));
        row.stock = db.readReal(h, QStringLiteral("现有库存"));
        row.minimum = db.readReal(h, QStringLiteral("最低库存"));
        rows.append(row);
    }
    db.CloseTable(h);
    std::stable_sort(rows.begin(), rows.end(), [](const StockAlertRow& a, const StockAlertRow& b) {
        if (a.isLow() != b.isLow())
            return a.isLow();
        return a.productId < b.productId;
    });
    return rows;
}

std::optional<QSet<QString>> readLowStockProducts(Database& db)
{
    // Driven by the few minimums; each sums its product's lots through the index on 产品ID. A
    // product without lots sums to NULL, which is below nothing.
    static const QString sql = QStringLiteral(
        "select w.产品ID as 产品ID from 库存预警 w where w.最低库存 > 0 and "
        "(select sum(s.产品库存) from 总数据库模块 s where s.产品ID = w.产品ID) < w.最低库存");
    const int h = db.OpenTable(sql);
    if (!h)
        return std::nullopt;
    QSet<QString> products;
    for (; !db.IsEOF(h); db.MoveNext(h))
        products.insert(db.readText(h, QStringLiteral("产品ID")));
    db.CloseTable(h);
    return products;
}

std::optional<double> parseMinimum(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*(\d+(\.\d*)?|\.\d+)\s*$)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok); // QString::toDouble ignores the locale
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool storeMinimum(Database& db, const QString& productId, double minimum)
{
    Transaction transaction(db, TransactionMode::Immediate);
    if (!transaction.isActive())
        return false;
    if (!db.ExecuteSql(QStringLiteral("delete from 库存预警 where 产品ID=? "), {productId}))
        return false;
    if (minimum > 0 &&
        !db.ExecuteSql(QStringLiteral("insert into 库存预警(产品ID,最低库存)values(?,?)"),
                       {productId, numberText(minimum)}))
        return false;
    return transaction.commit();
}

QString lowStockStatus(int count)
{
    return QStringLiteral("共有 %1 种商品低于最低库存").arg(count);
}

QString alertButtonCaption(int count)
{
    return count > 0 ? QStringLiteral("库存预警 (%1)").arg(count) : QStringLiteral("库存预警");
}
