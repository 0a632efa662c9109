// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/stockreduction.h"

#include "core/context.h"
#include "movements/documentnumbers.h"
#include "movements/movementrules.h"
#include "movements/productlist.h"
#include "storage/database.h"
#include "ui/dialogservice.h"

#include <cmath>

namespace
{

void tell(AppContext& context, QWidget* owner, const QString& text)
{
    context.dialogs().message(owner, text, QStringLiteral("提示"));
}

double quantityOf(const StockReduction& reduction)
{
    return reduction.comparison == StockComparison::WholeNumbers ? double(reduction.wholeQuantity)
                                                                 : reduction.quantity;
}

} // namespace

bool stockAllows(double stock, const StockReduction& reduction)
{
    return !(stock - quantityOf(reduction) < -kQuantityTolerance);
}

QString stockFloorText(const StockReduction& reduction)
{
    return QString::number(quantityOf(reduction) - kQuantityTolerance, 'g', 17);
}

QString reducedStockText(double stock, const StockReduction& reduction)
{
    const double left = snappedQuantity(stock - quantityOf(reduction));
    // A sale writes a whole stock left in plain decimal, all of its digits.
    if (reduction.comparison == StockComparison::WholeNumbers && left == std::trunc(left) &&
        std::fabs(left) < 9.0e15)
        return QString::number(qint64(left));
    return numberText(left);
}

StockReductionOutcome reduceStockAndRecord(AppContext& context, QWidget* owner, ReportList* list,
                                           StockReduction& reduction)
{
    Database& db = context.database();
    const QString failed = QStringLiteral("操作失败");

    for (int tries = 1;; ++tries) {
        // A write transaction from the start: no other writer can change the lot between the
        // read of its stock and the update.
        Transaction transaction(db, TransactionMode::Immediate);
        if (!transaction.isActive()) {
            tell(context, owner, failed);
            return StockReductionOutcome::Refused;
        }

        const int handle = db.OpenTable(
            QStringLiteral("select * from 总数据库模块 where 入库单号=? "), {reduction.lot});
        // A lot deleted since the list was filled has no row: its stock reads as 0. A stock
        // below 1 that is not 0 (0.5) is no empty lot: no accepted quantity fits in it, and
        // the comparison says so.
        const double stock = handle ? db.readReal(handle, QStringLiteral("产品库存")) : 0.0;
        if (handle)
            db.CloseTable(handle);
        if (isNoQuantity(stock)) {
            transaction.rollback();
            tell(context, owner, failed);
            return StockReductionOutcome::EmptyStock;
        }

        if (!stockAllows(stock, reduction)) {
            transaction.rollback();
            tell(context, owner, QStringLiteral("现有库存不足"));
            return StockReductionOutcome::NotEnough;
        }

        // The statement itself checks that the lot is still there with enough stock; no row
        // changed means it is not (a lot deleted or lowered meanwhile): nothing is written.
        const QString newStock = reducedStockText(stock, reduction);
        if (!db.ExecuteSql(QStringLiteral("update 总数据库模块 set 产品库存=? where 入库单号=? "
                                          "and 产品库存>=? "),
                           {newStock, reduction.lot, stockFloorText(reduction)})) {
            transaction.rollback();
            tell(context, owner, failed);
            return StockReductionOutcome::Refused;
        }
        if (db.rowsAffected() == 0) {
            transaction.rollback();
            tell(context, owner, QStringLiteral("现有库存不足"));
            return StockReductionOutcome::NotEnough;
        }
        const bool inserted = db.ExecuteSql(reduction.insertSql, reduction.insertParams);
        // The document number is already in the file: undo everything and run the whole
        // movement again under the next number, as a server that aborts the transaction on a
        // failed statement needs.
        if (!inserted && db.lastFailure() == StatementFailure::DuplicateKey &&
            !reduction.numberPrefix.isEmpty() && !reduction.insertParams.isEmpty() &&
            tries < kMaxDocumentNumberTries) {
            transaction.rollback();
            reduction.insertParams[0] = DocumentNumbers::of(context).make(reduction.numberPrefix);
            continue;
        }
        if (!inserted) {
            transaction.rollback();
            tell(context, owner, failed);
            return StockReductionOutcome::Refused;
        }
        // A commit that fails has already been rolled back. When the link broke after COMMIT
        // was sent, the document's number tells whether the server stored the movement; it is
        // never run a second time.
        if (!transaction.commit()) {
            const DocumentLookup lookup =
                db.lastFailure() == StatementFailure::CommitUnknown
                    ? lookUpDocument(db, reduction.insertSql,
                                     reduction.insertParams.value(0).toString())
                    : DocumentLookup::Missing;
            if (lookup == DocumentLookup::Unknown) {
                tell(context, owner, kCommitUnconfirmed);
                return StockReductionOutcome::Unconfirmed;
            }
            if (lookup == DocumentLookup::Missing) {
                tell(context, owner, failed);
                return StockReductionOutcome::Refused;
            }
        }
        break;
    }

    fillProductList(db, list);
    context.refreshMainWindow();
    tell(context, owner, QStringLiteral("操作成功"));
    return StockReductionOutcome::Done;
}
