#include "movements/stockreduction.h"

#include "core/context.h"
#include "movements/movementrules.h"
#include "movements/productlist.h"
#include "storage/database.h"
#include "ui/dialogservice.h"

namespace
{

void tell(AppContext& context, QWidget* owner, const QString& text)
{
    context.dialogs().message(owner, text, QStringLiteral("提示"));
}

} // namespace

bool stockAllows(qint64 stock, const StockReduction& reduction)
{
    if (reduction.comparison == StockComparison::WholeNumbers)
        return stock >= reduction.wholeQuantity;
    return !(double(stock) - reduction.quantity < -kQuantityTolerance);
}

QString reducedStockText(qint64 stock, const StockReduction& reduction)
{
    if (reduction.comparison == StockComparison::WholeNumbers)
        return QString::number(stock - reduction.wholeQuantity); // both whole, stock >= quantity
    return numberText(double(stock) - reduction.quantity);
}

StockReductionOutcome reduceStockAndRecord(AppContext& context, QWidget* owner, ReportList* list,
                                           const StockReduction& reduction)
{
    Database& db = context.database();
    const QString failed = QStringLiteral("操作失败");

    // A write transaction from the start: no other writer can change the lot between the read
    // of its stock and the update.
    Transaction transaction(db, TransactionMode::Immediate);
    if (!transaction.isActive()) {
        tell(context, owner, failed);
        return StockReductionOutcome::Refused;
    }

    const int handle = db.OpenTable(QStringLiteral("select * from 总数据库模块 where 入库单号=? "),
                                    {reduction.lot});
    // A lot deleted since the list was filled has no row: its stock reads as 0.
    const qint64 stock = handle ? db.readNumber(handle, QStringLiteral("产品库存")) : 0;
    if (handle)
        db.CloseTable(handle);
    if (stock == 0) {
        transaction.rollback();
        tell(context, owner, failed);
        return StockReductionOutcome::EmptyStock;
    }

    if (!stockAllows(stock, reduction)) {
        tell(context, owner, QStringLiteral("现有库存不足"));
        transaction.rollback();
        return StockReductionOutcome::NotEnough;
    }

    const QString newStock = reducedStockText(stock, reduction);
    const bool written =
        db.ExecuteSql(QStringLiteral("update 总数据库模块 set 产品库存=? where 入库单号=? "),
                      {newStock, reduction.lot}) &&
        db.ExecuteSql(reduction.insertSql, reduction.insertParams);
    // A commit that fails has already been rolled back.
    if (!written || !transaction.commit()) {
        tell(context, owner, failed);
        transaction.rollback();
        return StockReductionOutcome::Refused;
    }

    fillProductList(db, list);
    context.refreshMainWindow();
    tell(context, owner, QStringLiteral("操作成功"));
    return StockReductionOutcome::Done;
}
