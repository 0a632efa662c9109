// SPDX-License-Identifier: GPL-3.0-or-later
#include "returns/returnaction.h"

#include "core/context.h"
#include "core/listfill.h"
#include "movements/documentnumbers.h"
#include "movements/movementrules.h"
#include "storage/database.h"
#include "ui/dialogservice.h"
#include "ui/reportlist.h"

#include <cmath>

namespace
{

const QString kTitle = QStringLiteral("提示");
const QString kFailed = QStringLiteral("操作失败");
const QString kLotInsert =
    QStringLiteral("insert into 总数据库模块(入库单号,产品ID,产品名称,产品库存,产品单位,备注)"
                   "values(?,?,?,?,?,?)");

ReturnKind makeSalesKind()
{
    ReturnKind kind;
    kind.returnPrefix = QStringLiteral("th");
    kind.sourceTable = QStringLiteral("销售管理模块");
    kind.listFields = {
        QStringLiteral("销售单号"), QStringLiteral("入库单号"), QStringLiteral("产品ID"),
        QStringLiteral("产品名称"), QStringLiteral("销售数量"), QStringLiteral("产品单位"),
        QStringLiteral("销售单价"), QStringLiteral("销售时间"), QStringLiteral("销售人员"),
        QStringLiteral("退货记录"), QStringLiteral("备注")};
    kind.sourceSelect = QStringLiteral("select * from 销售管理模块 where 销售单号=? ");
    kind.sourceQuantityColumn = QStringLiteral("销售数量");
    kind.returnedColumn = QStringLiteral("退货记录");
    kind.returnedUpdate = QStringLiteral("update 销售管理模块 set 退货记录=? where 销售单号=? ");
    kind.unreadReturned = -1;
    kind.refuseUnreadReturned = true;
    kind.problemInsert = QStringLiteral(
        "insert into "
        "问题处理模块(问题单号,入库单号,销售单号,退货单号,产品ID,产品名称,问题数量,产品单位,"
        "问题原因,发现时间,录入人员,备注)values(?,?,?,?,?,?,?,?,?,?,?,?)");
    kind.problemReason = QStringLiteral("退货且无法再次销售");
    kind.documentInsert = QStringLiteral(
        "insert into "
        "退货管理模块(退货单号,销售单号,入库单号,产品ID,产品名称,退货数量,产品单位,退货原因,"
        "是否影响二次销售,退货时间,操作人员,备注)values(?,?,?,?,?,?,?,?,?,?,?,?)");
    kind.noSelectionMessage = QStringLiteral("请选择要退货的产品");
    kind.badQuantityMessage = QStringLiteral("退货数量有误");
    kind.tooManyMessage = QStringLiteral("退货数量大于购买数量请核对后处理");
    return kind;
}

ReturnKind makeLoansKind()
{
    ReturnKind kind;
    kind.returnPrefix = QStringLiteral("gh");
    kind.sourceTable = QStringLiteral("借用管理模块");
    kind.listFields = {
        QStringLiteral("借用单号"),     QStringLiteral("入库单号"), QStringLiteral("产品ID"),
        QStringLiteral("产品名称"),     QStringLiteral("借用数量"), QStringLiteral("产品单位"),
        QStringLiteral("借用人员单位"), QStringLiteral("借用时间"), QStringLiteral("审批人员"),
        QStringLiteral("归还记录"),     QStringLiteral("备注")};
    kind.sourceSelect = QStringLiteral("select * from 借用管理模块 where 借用单号=? ");
    kind.sourceQuantityColumn = QStringLiteral("借用数量");
    kind.returnedColumn = QStringLiteral("归还记录");
    kind.returnedUpdate = QStringLiteral("update 借用管理模块 set 归还记录=? where 借用单号=? ");
    kind.unreadReturned = 0;
    kind.refuseUnreadReturned = false;
    kind.problemInsert = QStringLiteral(
        "insert into "
        "问题处理模块(问题单号,入库单号,借用单号,归还单号,产品ID,产品名称,问题数量,产品单位,"
        "问题原因,发现时间,录入人员,备注)values(?,?,?,?,?,?,?,?,?,?,?,?)");
    kind.problemReason = QStringLiteral("归还且无法再次销售");
    kind.documentInsert = QStringLiteral(
        "insert into "
        "归还管理模块(归还单号,借用单号,入库单号,产品ID,产品名称,归还数量,产品单位,归还人员,"
        "是否影响二次销售,归还时间,接收人员,备注)values(?,?,?,?,?,?,?,?,?,?,?,?)");
    kind.noSelectionMessage = QStringLiteral("请选择要归还的产品");
    kind.badQuantityMessage = QStringLiteral("归还数量不能为空");
    kind.tooManyMessage = QStringLiteral("归还数量大于借用数量请核对后处理");
    return kind;
}

// The LIKE pattern of a text contained anywhere in a field.
QString containing(const QString& text)
{
    return QLatin1Char('%') + text + QLatin1Char('%');
}

// A lot as the return finds it: whether its master row exists, and its stock with its fraction
// (0 when the row is missing).
struct LotStock {
    bool exists = false;
    double stock = 0;
};

LotStock readLot(Database& db, const QString& lot)
{
    LotStock result;
    const int handle =
        db.OpenTable(QStringLiteral("select * from 总数据库模块 where 入库单号=? "), {lot});
    // A failed query has no record set to close (handle 0 would close every one of them).
    if (handle == 0)
        return result;
    if (!db.IsEOF(handle)) {
        result.exists = true;
        result.stock = db.readReal(handle, QStringLiteral("产品库存"));
    }
    db.CloseTable(handle);
    return result;
}

// One numeric field of the document being returned, with its fraction, or fallback when the
// document is missing.
double readSourceNumber(Database& db, const ReturnKind& kind, const QString& document,
                        const QString& column, double fallback)
{
    double value = fallback;
    const int handle = db.OpenTable(kind.sourceSelect, {document});
    if (handle == 0)
        return value;
    if (!db.IsEOF(handle))
        value = db.readReal(handle, column);
    db.CloseTable(handle);
    return value;
}

// How one run of the return's transaction ended.
enum class ReturnRun {
    Committed,
    Refused,     // a message was shown and everything rolled back
    ReturnTaken, // the file already holds the return number; rolled back
    ProblemTaken // the file already holds the problem number; rolled back
};

// One run of the return's transaction with the numbers in outcome: puts the goods back into
// stock or books them as problem goods, raises the running total and writes the return
// document. Every refusal is shown over owner.
ReturnRun runReturn(AppContext& context, QWidget* owner, const ReturnKind& kind,
                    const ReturnEntry& entry, const ReturnOutcome& numbers)
{
    Database& db = context.database();
    auto tell = [&](const QString& text) {
        context.dialogs().message(owner, text, kTitle);
    };
    const ReturnSelection& kept = entry.selection;
    const QString choice = choiceText(*entry.choice);
    const bool backIntoStock = *entry.choice == ReturnChoice::DoesNotAffect;

    // The stock is read, checked and written in one transaction that holds the write lock
    // from the start.
    Transaction transaction(db, TransactionMode::Immediate);
    if (!transaction.isActive()) {
        tell(kFailed);
        return ReturnRun::Refused;
    }

    // A lot that is no longer in the master stock comes back as a new row with stock 0;
    // a lot that exists, sold out or not, keeps its row.
    const LotStock lot = readLot(db, kept.lot);
    if (backIntoStock && !lot.exists) {
        const int inserted =
            db.ExecuteSql(kLotInsert, {kept.lot, kept.productId, kept.productName,
                                       QStringLiteral("0"), kept.unit, QStringLiteral("退货产品")});
        if (!inserted) {
            transaction.rollback();
            tell(QStringLiteral("产品入库失败"));
            return ReturnRun::Refused;
        }
    }

    // The document being returned: its quantity and what came back of it so far, fractions
    // included (1.5 returned of 3 leaves 1.5, not 2).
    const double quantityOut =
        readSourceNumber(db, kind, kept.document, kind.sourceQuantityColumn, 0);
    if (isNoQuantity(quantityOut)) {
        transaction.rollback();
        tell(kFailed);
        return ReturnRun::Refused;
    }
    const double returnedSoFar =
        readSourceNumber(db, kind, kept.document, kind.returnedColumn, kind.unreadReturned);
    if (kind.refuseUnreadReturned && std::trunc(returnedSoFar) == -1) {
        transaction.rollback();
        tell(kFailed);
        return ReturnRun::Refused;
    }

    // No more may come back than went out.
    const double quantity = leadingNumber(entry.quantityText);
    const double remaining = quantityOut - returnedSoFar;
    if (quantity - remaining > kQuantityTolerance) {
        transaction.rollback();
        tell(kind.tooManyMessage);
        return ReturnRun::Refused;
    }

    // Back into stock, or booked as problem goods.
    const QString today = todayText(context);
    const QString user = context.sessionUser();
    int written = 0;
    if (backIntoStock) {
        // No row changed: the lot went meanwhile, and the goods have nowhere to go.
        written =
            db.ExecuteSql(QStringLiteral("update 总数据库模块 set 产品库存=? where 入库单号=? "),
                          {quantityText(lot.stock + quantity), kept.lot}) &&
            db.rowsAffected() > 0;
    } else {
        written =
            db.ExecuteSql(kind.problemInsert,
                          {numbers.problemNumber, kept.lot, kept.document, numbers.returnNumber,
                           kept.productId, kept.productName, entry.quantityText, kept.unit,
                           kind.problemReason, today, user, entry.remark});
        if (!written && db.lastFailure() == StatementFailure::DuplicateKey) {
            transaction.rollback();
            return ReturnRun::ProblemTaken;
        }
    }
    // The document's running total of returned goods.
    if (written) {
        written = db.ExecuteSql(kind.returnedUpdate,
                                {quantityText(quantity + returnedSoFar), kept.document});
    }
    // The return document.
    if (written) {
        written = db.ExecuteSql(kind.documentInsert,
                                {numbers.returnNumber, kept.document, kept.lot, kept.productId,
                                 kept.productName, entry.quantityText, kept.unit, entry.detailText,
                                 choice, today, user, entry.remark});
        if (!written && db.lastFailure() == StatementFailure::DuplicateKey) {
            transaction.rollback();
            return ReturnRun::ReturnTaken;
        }
    }
    if (!written) {
        transaction.rollback();
        tell(kFailed);
        return ReturnRun::Refused;
    }

    // A commit that fails has rolled everything back. When the link broke after COMMIT was
    // sent, the return number tells whether the server stored the return; it is never run a
    // second time.
    if (!transaction.commit()) {
        const DocumentLookup lookup =
            db.lastFailure() == StatementFailure::CommitUnknown
                ? lookUpDocument(db, kind.documentInsert, numbers.returnNumber)
                : DocumentLookup::Missing;
        if (lookup == DocumentLookup::Stored)
            return ReturnRun::Committed;
        tell(lookup == DocumentLookup::Unknown ? kCommitUnconfirmed : kFailed);
        return ReturnRun::Refused;
    }
    return ReturnRun::Committed;
}

} // namespace

const ReturnKind& ReturnKind::sales()
{
    static const ReturnKind kind = makeSalesKind();
    return kind;
}

const ReturnKind& ReturnKind::loans()
{
    static const ReturnKind kind = makeLoansKind();
    return kind;
}

QString ReturnKind::listStatement() const
{
    return QStringLiteral("select * from ") + sourceTable;
}

QString ReturnKind::nameSearchStatement() const
{
    return QStringLiteral("select * from ") + sourceTable +
           QStringLiteral(" where 产品名称 like ? ");
}

QString ReturnKind::idSearchStatement() const
{
    return QStringLiteral("select * from ") + sourceTable + QStringLiteral(" where 产品ID like ? ");
}

QString choiceText(ReturnChoice choice)
{
    return choice == ReturnChoice::AffectsResale ? QStringLiteral("影响")
                                                 : QStringLiteral("不影响");
}

ReturnOutcome performReturn(AppContext& context, QWidget* owner, const ReturnKind& kind,
                            const ReturnEntry& entry, const std::function<void()>& refill)
{
    auto tell = [&](const QString& text) {
        context.dialogs().message(owner, text, kTitle);
    };

    // Both numbers are made before any check; a refused return still uses them up.
    ReturnOutcome outcome;
    DocumentNumbers& numbers = DocumentNumbers::of(context);
    outcome.returnNumber = numbers.make(kind.returnPrefix);
    outcome.problemNumber = numbers.make(QStringLiteral("wt"));

    // The checks that need no database.
    if (!entry.choice) {
        tell(QStringLiteral("是否影响再次销售？？？"));
        return outcome;
    }
    if (!entry.hasCurrentRow) {
        tell(kind.noSelectionMessage);
        return outcome;
    }
    if (!isAcceptedQuantity(leadingNumber(entry.quantityText))) {
        tell(kind.badQuantityMessage);
        return outcome;
    }

    // The stock is read, checked and written in one transaction. When a number turns out to be
    // in the file already, the whole transaction is undone and run again under the next number
    // of that kind, so that a server that aborts a transaction on a failed statement works the
    // same way.
    for (int tries = 1;; ++tries) {
        const ReturnRun run = runReturn(context, owner, kind, entry, outcome);
        if (run == ReturnRun::Refused)
            return outcome;
        if (run == ReturnRun::Committed)
            break;
        if (tries >= kMaxDocumentNumberTries) {
            tell(kFailed);
            return outcome;
        }
        if (run == ReturnRun::ReturnTaken)
            outcome.returnNumber = numbers.make(kind.returnPrefix);
        else
            outcome.problemNumber = numbers.make(QStringLiteral("wt"));
    }

    outcome.committed = true;
    if (refill)
        refill();
    context.refreshMainWindow();
    tell(QStringLiteral("操作成功"));
    return outcome;
}

void fillReturnsList(Database& db, ReportList* list, const ReturnKind& kind)
{
    fillListFromQuery(db, list, kind.listStatement(), {}, kind.listFields);
}

void searchReturnsList(Database& db, ReportList* list, const ReturnKind& kind, const QString& text)
{
    const QString pattern = containing(text);
    if (fillListFromQuery(db, list, kind.nameSearchStatement(), {pattern}, kind.listFields) > 0)
        return;
    fillListFromQuery(db, list, kind.idSearchStatement(), {pattern}, kind.listFields);
}

void scanReturnsList(Database& db, ReportList* list, const ReturnKind& kind, const QString& code)
{
    fillListFromQuery(db, list, kind.idSearchStatement(), {containing(code)}, kind.listFields);
}
