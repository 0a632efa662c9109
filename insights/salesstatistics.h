// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Database;

// Sales and returns summed per day, week, month or year of their stored date texts (2018-3-5).
// The dates are read and grouped by the database itself, in SQL that the file and the server
// both understand; unit prices and returned quantities are read by their leading number, as the
// lists read them.

enum class Grouping { Day, Week, Month, Year };

struct StatisticsRequest {
    QDate from; // first day, included
    QDate to;   // last day, included
    Grouping grouping = Grouping::Month;
    QString productId; // empty: every product
};

// The figures of one period (or of the unreadable dates, or of the whole range).
struct PeriodFigures {
    QString label;
    double orders = 0;           // sale documents
    double quantity = 0;         // Σ 销售数量
    double amount = 0;           // Σ 销售数量 × unit price
    double returnedQuantity = 0; // Σ 退货数量 of the returns dated in the period
    double returnedAmount = 0;   // those quantities at the unit price of the sale they return
    double net() const { return amount - returnedAmount; }
    bool isEmpty() const { return orders == 0 && returnedQuantity == 0 && returnedAmount == 0; }
    void add(const PeriodFigures& other);
};

struct SalesStatistics {
    // Every period that the range touches, in order, also those without sales.
    QList<PeriodFigures> periods;
    // The documents whose date cannot be read ("日期无法识别"), whatever the range; nothing when
    // there are none.
    std::optional<PeriodFigures> unreadable;
    // Everything above.
    PeriodFigures totals;
    // The net amount of the same number of periods just before the range (the previous month for
    // one month, the previous 31 days for 31 days), aligned with periods.
    QList<double> previousNet;
    bool ok = true; // false when the database refused a query
};

// Reads the figures of the request: one aggregate query for the sales and one for the returns,
// which also cover the previous periods.
SalesStatistics readSalesStatistics(Database& db, const StatisticsRequest& request);

// A product's figures over the range.
struct ProductFigures {
    QString productId;
    QString productName;
    double amount = 0;
    double returnedAmount = 0;
    double net() const { return amount - returnedAmount; }
};
// The products with the highest net amount over the range (documents with an unreadable date
// left out), highest first, at most count.
QList<ProductFigures> readTopProducts(Database& db, const StatisticsRequest& request,
                                      int count = 10);

// The period a day belongs to: its number (comparable, in order) and its label ("2018-3-5",
// "2018年第10周", "2018年3月", "2018年").
qint64 periodKey(const QDate& day, Grouping grouping);
QString periodLabel(qint64 key, Grouping grouping);
// The first day of the period of day, and the first day n periods later (n may be negative).
QDate periodStart(const QDate& day, Grouping grouping);
QDate shiftPeriods(const QDate& day, Grouping grouping, int n);

// The label of the documents whose date cannot be read, and of the totals row.
inline const QString kUnreadableDateLabel = QStringLiteral("日期无法识别");
inline const QString kTotalsLabel = QStringLiteral("合计");

// The table rows: 期间, 销售单数, 销售数量, 销售金额, 退货数量, 退货金额, 净销售额; the periods,
// the unreadable dates when there are any, then the totals.
QStringList statisticsColumnTitles();
std::vector<QStringList> statisticsRows(const SalesStatistics& statistics);
// A money amount as the table shows it: two decimals ("1234.50"), "." as the decimal point.
QString amountText(double amount);
