// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "importing/importmapping.h"

#include <QSet>
#include <QString>

#include <memory>
#include <vector>

class AppContext;
class Transaction;

// Stores the importable rows of a preview as stock-ins, all in one transaction: each row becomes
// what the stock-in window stores for one, a document in 入库管理模块 with its own rk number,
// today's date text and the session user, and a new lot in 总数据库模块 under the same number.
// The numbers are made as the stock-in window makes them, one after the other, skipping numbers
// the data already holds. The work goes in steps, so that a window can show progress and offer
// to cancel between them; nothing is stored before commit().
class StockImport
{
public:
    StockImport(AppContext& context, const ImportPreview& preview);
    ~StockImport();
    StockImport(const StockImport&) = delete;
    StockImport& operator=(const StockImport&) = delete;

    // Reads the numbers in use and opens the transaction; false with failure() set.
    bool begin();
    // Stores up to `count` more rows; false with failure() set (the transaction is then rolled
    // back).
    bool storeNext(int count);
    bool isComplete() const { return mNext >= mRows.size(); }
    int stored() const { return int(mNext); }
    int total() const { return int(mRows.size()); }
    // Ends the transaction; false with failure() set when the commit fails.
    bool commit();
    // Undoes everything stored so far.
    void rollback();
    // "第 R 行导入失败：…" (R the row in the file), or the reason a step could not start.
    const QString& failure() const { return mFailure; }

    // begin(), every step, commit(): true when the whole preview is stored.
    bool run();

private:
    QString nextNumber();

    AppContext& mContext;
    std::vector<const PreviewRow*> mRows;
    std::size_t mNext = 0;
    QSet<QString> mNumbersInUse;
    QString mToday;
    std::unique_ptr<Transaction> mTransaction;
    QString mFailure;
};
