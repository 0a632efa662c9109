// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

class Database;

// The minimum stock of each product (table 库存预警) against its stock summed over its lots.

// One product present in the stock, as the alert window lists it.
struct StockAlertRow {
    QString productId;
    QString productName; // of its latest lot (the greatest 入库单号)
    double stock = 0;    // the sum over its lots, fractions kept
    double minimum = 0;  // 0: no alert
    bool isLow() const { return minimum > 0 && stock < minimum; }
    // minimum − stock while below the minimum, else 0.
    double shortfall() const { return isLow() ? minimum - stock : 0; }
};

// Every product ID present in the stock with its name, stock and minimum, in one query: the
// products below their minimum first, each group by product ID. Empty when the query fails.
QList<StockAlertRow> readStockAlerts(Database& db);

// The product IDs whose stock is below their minimum, in one aggregate query (a product that
// has no lot is in no alert); nothing when the query fails.
std::optional<QSet<QString>> readLowStockProducts(Database& db);

// A minimum as typed: a whole or decimal number of at least 0 ("7", "7.5", " 12 "; never
// "7,5"); nothing for anything else.
std::optional<double> parseMinimum(const QString& text);

// Stores the product's minimum at once (0 removes it: no alert); one transaction. False when the
// database refuses.
bool storeMinimum(Database& db, const QString& productId, double minimum);

// The status line of the alert window: "共有 N 种商品低于最低库存".
QString lowStockStatus(int count);
// The caption of the main window's alert button: "库存预警", or "库存预警 (N)" for N > 0.
QString alertButtonCaption(int count);
