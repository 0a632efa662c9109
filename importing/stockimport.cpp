// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/stockimport.h"

#include "core/context.h"
#include "movements/documentnumbers.h"
#include "movements/movementrules.h"
#include "storage/database.h"

StockImport::StockImport(AppContext& context, const ImportPreview& preview) : mContext(context)
{
    for (const PreviewRow& row : preview.rows) {
        if (row.problem.isEmpty())
            mRows.push_back(&row);
    }
}

StockImport::~StockImport() = default;

bool StockImport::begin()
{
    Database& db = mContext.database();
    // The numbers already stored: a new number must be new in both tables.
    for (const QString& table : {QStringLiteral("入库管理模块"), QStringLiteral("总数据库模块")}) {
        const int handle = db.OpenTable(QStringLiteral("select 入库单号 from %1").arg(table));
        if (handle == 0) {
            mFailure = QStringLiteral("读取入库单号失败：") + db.lastError();
            return false;
        }
        while (!db.IsEOF(handle)) {
            mNumbersInUse.insert(db.readText(handle, QStringLiteral("入库单号")));
            db.MoveNext(handle);
        }
        db.CloseTable(handle);
    }
    mToday = todayText(mContext);
    mTransaction = std::make_unique<Transaction>(db);
    if (!mTransaction->isActive()) {
        mTransaction.reset();
        mFailure = QStringLiteral("无法开始事务：") + db.lastError();
        return false;
    }
    return true;
}

QString StockImport::nextNumber()
{
    QString number;
    do {
        number = DocumentNumbers::of(mContext).make(QStringLiteral("rk"));
    } while (mNumbersInUse.contains(number));
    return number;
}

bool StockImport::storeNext(int count)
{
    if (!mTransaction)
        return false;
    Database& db = mContext.database();
    const QString user = mContext.sessionUser();
    const QString documentSql =
        QStringLiteral("insert into 入库管理模块(入库单号,产品ID,产品名称,入库数量,"
                       "产品单位,入库时间,入库人员,备注)values(?,?,?,?,?,?,?,?)");
    const QString lotSql =
        QStringLiteral("insert  into 总数据库模块(入库单号,产品ID,产品名称,产品库存,"
                       "产品单位,备注)values(?,?,?,?,?,?)");
    for (int done = 0; done < count && mNext < mRows.size(); ++done, ++mNext) {
        const PreviewRow& row = *mRows[mNext];
        const auto value = [&row](ImportField field) {
            return row.values[std::size_t(field)];
        };
        const QString number = nextNumber();
        const bool stored =
            db.ExecuteSql(documentSql, {number, value(ImportField::Id), value(ImportField::Name),
                                        value(ImportField::Quantity), value(ImportField::Unit),
                                        mToday, user, value(ImportField::Remark)}) &&
            db.ExecuteSql(lotSql, {number, value(ImportField::Id), value(ImportField::Name),
                                   value(ImportField::Quantity), value(ImportField::Unit),
                                   value(ImportField::Remark)});
        if (!stored) {
            const QString reason =
                db.lastError().isEmpty() ? QStringLiteral("数据库拒绝写入") : db.lastError();
            mFailure = QStringLiteral("第 %1 行导入失败：%2").arg(row.fileRow).arg(reason);
            rollback();
            return false;
        }
    }
    return true;
}

bool StockImport::commit()
{
    if (!mTransaction)
        return false;
    const bool committed = mTransaction->commit();
    if (!committed) {
        mFailure = QStringLiteral("导入失败：") + mContext.database().lastError();
        mTransaction->rollback();
    }
    mTransaction.reset();
    return committed;
}

void StockImport::rollback()
{
    if (mTransaction) {
        mTransaction->rollback();
        mTransaction.reset();
    }
}

bool StockImport::run()
{
    if (!begin())
        return false;
    while (!isComplete()) {
        if (!storeNext(1000))
            return false;
    }
    return commit();
}
