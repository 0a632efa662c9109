// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class Database;
class ReportRows;
struct ReportColumn;

// The seven kinds of document that can name a stock lot, in the order the history names them.
enum class LotDocumentKind { StockIn, Sale, StockOut, Lending, SalesReturn, LoanReturn, Problem };

// 入库, 销售, 出库, 借用, 退货, 归还 or 问题.
QString lotDocumentKindText(LotDocumentKind kind);

// One document of a lot as its history shows it.
struct LotDocument {
    LotDocumentKind kind = LotDocumentKind::StockIn;
    QString number;
    QString dateText; // the date text as stored (2018-3-5)
    QString quantityText;
    // The quantity read as the quantity boxes read it; with the return choice it decides the
    // effect.
    double quantity = 0;
    // 是否影响二次销售 of a return: only "不影响" puts the goods back into stock.
    QString resaleChoice;
    QString person; // who wrote the document
    QString remark;

    // Filled when the history is put in order.
    double effect = 0;  // on the lot's stock
    double balance = 0; // the lot's stock after this document, by the ledger
};

// What a document does to its lot's stock: a stock-in adds its quantity; a sale, a stock-out and
// a loan take it away; a return of sold or lent goods that does not affect resale ("不影响") puts
// it back, one that does ("影响") books it as problem goods and leaves the stock; a problem record
// leaves the stock.
double lotDocumentEffect(LotDocumentKind kind, double quantity, const QString& resaleChoice);

// The date of a stored date text: "2018-3-5", also "2018/3/5" or "2018年3月5日", with or without a
// time of day after it. Invalid when the text holds no such date.
QDate lotDocumentDate(const QString& text);

// The history's order: by date (documents without a readable date last); on one day the lot's
// stock-in first, as nothing can leave a lot before it exists; then by document number, its
// timestamp digits compared as a number (they grow with the time of day), then as text.
bool lotDocumentBefore(const LotDocument& a, const LotDocument& b);

// An effect as the history shows it: "+10", "-3", "0".
QString lotEffectText(double effect);

// The history of one stock lot (its 入库单号): every document of the seven document tables that
// names the lot, in date order, each with its effect on the lot's stock and the lot's stock after
// it by the ledger. The ledger's stock after the last document is the lot's stock in 总数据库模块
// unless the stock was changed behind the ledger's back; the history audits that identity.
class LotHistory
{
public:
    // The product of the lot, from its 总数据库模块 row; when the row is gone, from its documents
    // (the stock-in first).
    struct Product {
        QString id;
        QString name;
        QString unit;
    };

    // Reads the lot's stock row and its documents: one query per table, the lot bound as a
    // parameter. A table whose query fails adds no documents.
    static LotHistory load(Database& db, const QString& lot);

    // The history of the documents (in any order) and the lot's stock; no stock when the lot has
    // no 总数据库模块 row.
    LotHistory(QString lot, std::vector<LotDocument> documents, std::optional<double> stock,
               Product product = {});

    const QString& lot() const { return mLot; }
    const Product& product() const { return mProduct; }
    const std::vector<LotDocument>& documents() const { return mDocuments; }
    bool hasStockRow() const { return mStock.has_value(); }
    // The lot's 产品库存; a lot without a row reads as 0, as the movements read it.
    double stock() const { return mStock.value_or(0.0); }
    // The stock after the last document by the ledger (0 without documents).
    double ledgerStock() const;
    // Whether the ledger agrees with the stock within the quantity tolerance (1e-7).
    bool isBalanced() const;

    // "共有 N 条记录，当前库存 S", or "账实不符：台账 X，库存 S" when the ledger disagrees.
    QString statusText() const;

    // The history list: 序号, 类别, 单号, 日期, 数量, 影响, 经手人, 备注 and 结存 (the lot's stock
    // after the document).
    static QList<ReportColumn> listColumns();
    std::vector<QStringList> listRows() const;
    // The same rows packed for the list.
    ReportRows packedListRows() const;

private:
    QString mLot;
    std::vector<LotDocument> mDocuments;
    std::optional<double> mStock;
    Product mProduct;
};
