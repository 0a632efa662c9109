// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The benchmark file of three years of a busy shop: 100,000 stock lots (each with its stock-in
// document), 1,000,000 sales, 200,000 stock-outs, 100,000 sales returns, 50,000 loans and their
// 50,000 returns, and the problem records of the returned goods that cannot be sold again. Every
// lot's stock equals its ledger. One lot (kBusiestLot) has a fiftieth of every kind of document.

#include <QString>

struct YearsData {
    static constexpr int kLots = 100000;
    static constexpr int kSales = 1000000;
    static constexpr int kStockOuts = 200000;
    static constexpr int kSalesReturns = 100000;
    static constexpr int kLoans = 50000;
};

// The lot with the most documents.
inline const QString kBusiestLot = QStringLiteral("rk20183500000");

// The file at path (a datalx.mdb), made when it is missing or was made by another version of the
// generator or the schema (a marker file beside it says which); made in one transaction with
// prepared statements, into a temporary file renamed into place. False on failure.
bool ensureYearsDatabase(const QString& path);

// The rows of every table of the file together; -1 when it cannot be read.
qint64 totalRows(const QString& path);
