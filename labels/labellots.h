// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "labels/labellayout.h"

#include <QList>
#include <QString>

#include <optional>

class Database;

// A stock lot of the master stock with what its label shows and its stock.
struct StockLot {
    LotLabel label;
    double stock = 0;
};

// The lot of a stock-in number; nothing when the master stock has no such lot (deleted since the
// list was filled) or the query fails.
std::optional<StockLot> loadStockLot(Database& db, const QString& lot);
// Every lot with the product ID, in the order the database returns them.
QList<StockLot> loadLotsOfProduct(Database& db, const QString& productId);

// The copies "按库存" gives for a stock: the stock when it is a whole number of at least 1 (at
// most kMaxCopies), 0 when it is not a whole number or below 1.
int copiesOfStock(double stock);
