// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantList>

class AppContext;
class ReportList;
class QWidget;

// How a movement takes its quantity out of the lot's stock. Both compare with the 1e-7
// tolerance (for a whole stock and a whole quantity that is exactly stock >= quantity); they
// differ in how a whole stock left is written.
enum class StockComparison {
    WholeNumbers, // sales: a whole quantity; a whole stock left is written in plain decimal
    Tolerant,     // stock-out, lending: the stock left in the "%.13g" form
};

// One movement that takes goods out of a stock lot: the lot, the quantity, and the document
// INSERT that records it (every parameter a text).
struct StockReduction {
    QString lot; // 入库单号 of the selected lot
    StockComparison comparison = StockComparison::Tolerant;
    double quantity = 0.0;    // Tolerant
    qint64 wholeQuantity = 0; // WholeNumbers
    QString insertSql;
    // The first parameter is the document number.
    QVariantList insertParams;
    // The prefix of that number ("xs", "ck", "jy"). When the file already holds the number, the
    // movement is run again from the start under the next number made for this prefix; without a
    // prefix such a clash is a failure like any other.
    QString numberPrefix;
};

enum class StockReductionOutcome {
    Done,       // stock lowered and document recorded; "操作成功" shown
    EmptyStock, // the lot's stock is 0 within 1e-7 (or the lot is gone); "操作失败" shown
    NotEnough,  // stock below the quantity; "现有库存不足" shown
    Refused,    // the database refused a step; "操作失败" shown
    // the link to the server broke after COMMIT was sent and the server could not be asked
    // whether the document is stored; kCommitUnconfirmed shown, nothing retried
    Unconfirmed,
};

// Lowers the lot's stock and records the document in one write transaction, or changes
// nothing. Shows the outcome to the operator over the owner window, always after the transaction
// has ended: a box waiting for the operator never keeps other writers (another counter, another
// program) waiting for the write lock. On success refills the product list with every lot and
// refreshes the main window. When the document number had to move on, reduction.insertParams
// holds the number stored.
StockReductionOutcome reduceStockAndRecord(AppContext& context, QWidget* owner, ReportList* list,
                                           StockReduction& reduction);

// Whether the lot's stock allows the movement's quantity: stock - quantity not below -1e-7.
bool stockAllows(double stock, const StockReduction& reduction);
// The least stock the lowering's statement accepts (产品库存 >= it): the quantity less the
// tolerance, with all its digits.
QString stockFloorText(const StockReduction& reduction);
// The lot's stock after the movement, as written into 产品库存 (95, 7.5, 0.9; never -5e-08).
QString reducedStockText(double stock, const StockReduction& reduction);
