#pragma once

#include <QString>
#include <QVariantList>

class AppContext;
class ReportList;
class QWidget;

// How a movement compares the lot's stock (cut to a whole number) with its quantity.
enum class StockComparison {
    WholeNumbers, // sales: stock >= quantity, both whole numbers
    Tolerant,     // stock-out, lending: stock - quantity not below -1e-7
};

// One movement that takes goods out of a stock lot: the lot, the quantity, and the document
// INSERT that records it (every parameter a text).
struct StockReduction {
    QString lot; // 入库单号 of the selected lot
    StockComparison comparison = StockComparison::Tolerant;
    double quantity = 0.0;    // Tolerant
    qint64 wholeQuantity = 0; // WholeNumbers
    QString insertSql;
    QVariantList insertParams;
};

enum class StockReductionOutcome {
    Done,       // stock lowered and document recorded; "操作成功" shown
    EmptyStock, // the lot's stock read as 0 (or the lot is gone); "操作失败" shown
    NotEnough,  // stock below the quantity; "现有库存不足" shown
    Refused,    // the database refused a step; "操作失败" shown
};

// Lowers the lot's stock and records the document in one write transaction, or changes
// nothing. Shows the outcome to the operator over the owner window; on success refills the
// product list with every lot and refreshes the main window.
StockReductionOutcome reduceStockAndRecord(AppContext& context, QWidget* owner, ReportList* list,
                                           const StockReduction& reduction);

// Whether the lot's stock (cut to a whole number) allows the movement's quantity.
bool stockAllows(qint64 stock, const StockReduction& reduction);
// The lot's stock after the movement, as written into 产品库存 (95, 7.5).
QString reducedStockText(qint64 stock, const StockReduction& reduction);
