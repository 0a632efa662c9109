// SPDX-License-Identifier: GPL-3.0-or-later
#include "insights/salesstatistics.h"

#include "movements/movementrules.h"
#include "storage/database.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace
{

// Days since 0000-03-01 of the proleptic Gregorian calendar, as the SQL below counts them.
constexpr qint64 kJulianDayOfDayZero = 1721120;

// The opening of a query over the rows of another with their column 日期 (a date text such as
// 2018-3-5 or 2018-03-05) read into 日序 (20180305) and 日数 (days since 0000-03-01), both NULL
// for a text that is no date: "with a ..., b ..., c ..." for a query on c to follow. Only replace,
// substr, length, cast, case and integer arithmetic: both databases run it. Each step is worked
// out once per row of the one before (materialized): the expressions are long, and the rows are
// few (one per date text).
QString withParsedDates(const QString& query)
{
    const QString t = QStringLiteral("a.日期");
    QString digitsRemoved = t;
    for (char digit = '0'; digit <= '9'; ++digit)
        digitsRemoved = QStringLiteral("replace(%1,'%2','')").arg(digitsRemoved).arg(digit);
    // Four digits, "-", one or two digits, "-", one or two digits.
    const QString readable =
        QStringLiteral("length(%1) between 8 and 10 and substr(%1,5,1) = '-' and %2 = '--' and "
                       "((substr(%1,7,1) = '-' and length(%1) <= 9) or "
                       "(substr(%1,8,1) = '-' and length(%1) >= 9))")
            .arg(t, digitsRemoved);
    const QString month = QStringLiteral("case when substr(%1,7,1) = '-' then substr(%1,6,1) "
                                         "else substr(%1,6,2) end")
                              .arg(t);
    const QString day = QStringLiteral("case when substr(%1,7,1) = '-' then substr(%1,8) "
                                       "else substr(%1,9) end")
                            .arg(t);
    const QString split = QStringLiteral("select a.*, case when %1 then cast(substr(%2,1,4) as "
                                         "integer) end as y, case when %1 then cast(%3 as "
                                         "integer) end as m, case when %1 then cast(%4 as "
                                         "integer) end as d from a")
                              .arg(readable, t, month, day);

    // A real day of a real month; the count of days as in the civil calendar algorithms
    // (March-based years, so that the leap day ends the year).
    const QString valid = QStringLiteral(
        "b.y >= 1 and b.m between 1 and 12 and b.d between 1 and case when b.m = 2 then case "
        "when (b.y % 4 = 0 and b.y % 100 <> 0) or b.y % 400 = 0 then 29 else 28 end "
        "when b.m in (4, 6, 9, 11) then 30 else 31 end");
    const QString marchYear = QStringLiteral("(b.y - case when b.m <= 2 then 1 else 0 end)");
    const QString yearOfEra = QStringLiteral("(%1 % 400)").arg(marchYear);
    const QString dayOfYear = QStringLiteral("((153 * ((b.m + 9) % 12) + 2) / 5 + b.d - 1)");
    const QString days = QStringLiteral("(%1 / 400) * 146097 + %2 * 365 + %2 / 4 - %2 / 100 + %3")
                             .arg(marchYear, yearOfEra, dayOfYear);
    const QString numbered =
        QStringLiteral("select b.*, case when %1 then b.y * 10000 + b.m * 100 + b.d end as 日序, "
                       "case when %1 then %2 end as 日数 from b")
            .arg(valid, days);
    return QStringLiteral("with a as materialized (%1), b as materialized (%2), "
                          "c as materialized (%3) ")
        .arg(query, split, numbered);
}

// The period of a row of withParsedDates, as periodKey numbers it (NULL for no date).
QString periodSql(Grouping grouping)
{
    switch (grouping) {
    case Grouping::Day:
        return QStringLiteral("c.日序");
    case Grouping::Week:
        return QStringLiteral("(c.日数 + 2) / 7"); // day 0 is a Wednesday: weeks start on Monday
    case Grouping::Month:
        return QStringLiteral("c.日序 / 100");
    case Grouping::Year:
        return QStringLiteral("c.日序 / 10000");
    }
    return {};
}

QString dayNumber(const QDate& day)
{
    return QString::number(day.year() * 10000 + day.month() * 100 + day.day());
}

struct Range {
    QDate from;
    QDate to;
};

// The periods that a range touches, in order.
QList<qint64> periodsOf(const Range& range, Grouping grouping)
{
    QList<qint64> keys;
    if (!range.from.isValid() || !range.to.isValid())
        return keys;
    for (QDate day = periodStart(range.from, grouping); day <= range.to;
         day = shiftPeriods(day, grouping, 1))
        keys.append(periodKey(day, grouping));
    return keys;
}

} // namespace

void PeriodFigures::add(const PeriodFigures& other)
{
    orders += other.orders;
    quantity += other.quantity;
    amount += other.amount;
    returnedQuantity += other.returnedQuantity;
    returnedAmount += other.returnedAmount;
}

qint64 periodKey(const QDate& day, Grouping grouping)
{
    switch (grouping) {
    case Grouping::Day:
        return day.year() * 10000 + day.month() * 100 + day.day();
    case Grouping::Week:
        return (day.toJulianDay() - kJulianDayOfDayZero + 2) / 7;
    case Grouping::Month:
        return day.year() * 100 + day.month();
    case Grouping::Year:
        return day.year();
    }
    return 0;
}

QString periodLabel(qint64 key, Grouping grouping)
{
    switch (grouping) {
    case Grouping::Day:
        return QStringLiteral("%1-%2-%3").arg(key / 10000).arg(key / 100 % 100).arg(key % 100);
    case Grouping::Week: {
        const QDate monday = QDate::fromJulianDay(key * 7 - 2 + kJulianDayOfDayZero);
        int year = 0;
        const int week = monday.weekNumber(&year);
        return QStringLiteral("%1年第%2周").arg(year).arg(week);
    }
    case Grouping::Month:
        return QStringLiteral("%1年%2月").arg(key / 100).arg(key % 100);
    case Grouping::Year:
        return QStringLiteral("%1年").arg(key);
    }
    return {};
}

QDate periodStart(const QDate& day, Grouping grouping)
{
    switch (grouping) {
    case Grouping::Day:
        return day;
    case Grouping::Week:
        return day.addDays(1 - day.dayOfWeek());
    case Grouping::Month:
        return QDate(day.year(), day.month(), 1);
    case Grouping::Year:
        return QDate(day.year(), 1, 1);
    }
    return day;
}

QDate shiftPeriods(const QDate& day, Grouping grouping, int n)
{
    switch (grouping) {
    case Grouping::Day:
        return day.addDays(n);
    case Grouping::Week:
        return day.addDays(7 * qint64(n));
    case Grouping::Month:
        return day.addMonths(n);
    case Grouping::Year:
        return day.addYears(n);
    }
    return day;
}

SalesStatistics readSalesStatistics(Database& db, const StatisticsRequest& request)
{
    SalesStatistics result;
    const Grouping grouping = request.grouping;
    const QList<qint64> current = periodsOf({request.from, request.to}, grouping);
    const int n = int(current.size());
    // The same number of periods just before: the previous month of a month, the 31 days before
    // 31 days.
    const Range previousRange{shiftPeriods(request.from, grouping, -n),
                              shiftPeriods(request.to, grouping, -n)};
    const QList<qint64> previous = n > 0 ? periodsOf(previousRange, grouping) : QList<qint64>();

    QHash<qint64, int> currentIndex;
    for (int i = 0; i < n; ++i) {
        currentIndex.insert(current.at(i), i);
        PeriodFigures figures;
        figures.label = periodLabel(current.at(i), grouping);
        result.periods.append(figures);
    }
    QHash<qint64, int> previousIndex;
    for (int i = 0; i < previous.size() && i < n; ++i)
        previousIndex.insert(previous.at(i), i);
    result.previousNet = QList<double>(n, 0.0);
    PeriodFigures unreadable;
    unreadable.label = kUnreadableDateLabel;

    // Where the figures of a row of period key go: a period of the range, the unreadable dates,
    // or the net of a previous period (nothing else is asked for).
    const auto place = [&](qint64 key, const PeriodFigures& figures) {
        if (key == 0) {
            unreadable.add(figures);
        } else if (const auto it = currentIndex.constFind(key); it != currentIndex.cend()) {
            result.periods[*it].add(figures);
        } else if (const auto before = previousIndex.constFind(key);
                   before != previousIndex.cend()) {
            result.previousNet[*before] += figures.net();
        }
    };

    const bool filtered = !request.productId.isEmpty();
    const QString period = periodSql(grouping);
    // The rows of the range, the previous periods and those without a readable date.
    const QString inRanges =
        QStringLiteral("c.日序 is null or c.日序 between cast(? as integer) and cast(? as integer) "
                       "or c.日序 between cast(? as integer) and cast(? as integer)");
    QVariantList params;
    if (filtered)
        params.append(request.productId);
    if (n > 0) {
        params << dayNumber(request.from) << dayNumber(request.to) << dayNumber(previousRange.from)
               << dayNumber(previousRange.to);
    } else {
        // An empty range: only the documents without a readable date.
        params << QStringLiteral("0") << QStringLiteral("-1") << QStringLiteral("0")
               << QStringLiteral("-1");
    }

    // Sales, first by date text and price text (a few thousand groups, read from an index on
    // the file), then by period.
    const QString sales =
        QStringLiteral("%2select coalesce(%1, 0) as 期间, c.单价 as 单价, "
                       "cast(sum(c.单数) as double precision) as 单数, "
                       "cast(coalesce(sum(c.数量), 0) as double precision) as 数量 from c "
                       "where %3 group by 1, 2")
            .arg(period,
                 withParsedDates(
                     QStringLiteral("select 销售时间 as 日期, 销售单价 as 单价, "
                                    "count(*) as 单数, sum(销售数量) as 数量 from "
                                    "销售管理模块 %1group by 销售时间, 销售单价")
                         .arg(filtered ? QStringLiteral("where 产品ID = ? ") : QString())),
                 inRanges);
    int h = db.OpenTable(sales, params);
    if (!h)
        result.ok = false;
    for (; h && !db.IsEOF(h); db.MoveNext(h)) {
        PeriodFigures figures;
        figures.orders = db.readReal(h, QStringLiteral("单数"));
        figures.quantity = db.readReal(h, QStringLiteral("数量"));
        figures.amount = figures.quantity * leadingNumber(db.readText(h, QStringLiteral("单价")));
        place(qint64(db.readReal(h, QStringLiteral("期间"))), figures);
    }
    db.CloseTable(h);

    // Returns by their own date, at the price of the sale they return.
    const QString returns =
        QStringLiteral("%2select coalesce(%1, 0) as 期间, c.单价 as 单价, "
                       "c.退货数量 as 退货数量, cast(sum(c.单数) as double precision) as 单数 "
                       "from c where %3 group by 1, 2, 3")
            .arg(period,
                 withParsedDates(
                     QStringLiteral("select r.退货时间 as 日期, s.销售单价 as 单价, "
                                    "r.退货数量 as 退货数量, count(*) as 单数 from 退货管理模块 r "
                                    "left join 销售管理模块 s on s.销售单号 = r.销售单号 "
                                    "%1group by r.退货时间, s.销售单价, r.退货数量")
                         .arg(filtered ? QStringLiteral("where r.产品ID = ? ") : QString())),
                 inRanges);
    h = db.OpenTable(returns, params);
    if (!h)
        result.ok = false;
    for (; h && !db.IsEOF(h); db.MoveNext(h)) {
        PeriodFigures figures;
        figures.returnedQuantity = db.readReal(h, QStringLiteral("单数")) *
                                   leadingNumber(db.readText(h, QStringLiteral("退货数量")));
        figures.returnedAmount =
            figures.returnedQuantity * leadingNumber(db.readText(h, QStringLiteral("单价")));
        place(qint64(db.readReal(h, QStringLiteral("期间"))), figures);
    }
    db.CloseTable(h);

    if (!unreadable.isEmpty())
        result.unreadable = unreadable;
    result.totals.label = kTotalsLabel;
    for (const PeriodFigures& figures : std::as_const(result.periods))
        result.totals.add(figures);
    if (result.unreadable)
        result.totals.add(*result.unreadable);
    return result;
}

QList<ProductFigures> readTopProducts(Database& db, const StatisticsRequest& request, int count)
{
    QList<ProductFigures> top;
    if (!request.from.isValid() || !request.to.isValid() || request.from > request.to)
        return top;
    const bool filtered = !request.productId.isEmpty();
    // The date texts of a column that fall in the range, read once per distinct text.
    // The date texts of a column that fall in the range, read once per distinct text.
    const auto withDates = [](const QString& column, const QString& table) {
        return withParsedDates(
            QStringLiteral("select %1 as 日期 from %2 group by %1").arg(column, table));
    };
    const QString datesInRange = QStringLiteral(
        "(select c.日期 from c where c.日序 between cast(? as integer) and cast(? as integer))");
    QVariantList params{dayNumber(request.from), dayNumber(request.to)};
    if (filtered)
        params.append(request.productId);

    QHash<QString, ProductFigures> products;
    const QString sales =
        QStringLiteral("%1select 产品ID as 产品ID, max(产品名称) as 产品名称, 销售单价 as 单价, "
                       "cast(coalesce(sum(销售数量), 0) as double precision) as 数量 "
                       "from 销售管理模块 where 销售时间 in %2 %3group by 产品ID, 销售单价")
            .arg(withDates(QStringLiteral("销售时间"), QStringLiteral("销售管理模块")),
                 datesInRange, filtered ? QStringLiteral("and 产品ID = ? ") : QString());
    int h = db.OpenTable(sales, params);
    for (; h && !db.IsEOF(h); db.MoveNext(h)) {
        const QString id = db.readText(h, QStringLiteral("产品ID"));
        ProductFigures& product = products[id];
        product.productId = id;
        if (product.productName.isEmpty())
            product.productName = db.readText(h, QStringLiteral("产品名称"));
        product.amount += db.readReal(h, QStringLiteral("数量")) *
                          leadingNumber(db.readText(h, QStringLiteral("单价")));
    }
    db.CloseTable(h);

    const QString returns =
        QStringLiteral(
            "%1select r.产品ID as 产品ID, max(r.产品名称) as 产品名称, s.销售单价 as 单价, "
            "r.退货数量 as 退货数量, cast(count(*) as double precision) as 单数 "
            "from 退货管理模块 r left join 销售管理模块 s on s.销售单号 = r.销售单号 "
            "where r.退货时间 in %2 %3group by r.产品ID, s.销售单价, r.退货数量")
            .arg(withDates(QStringLiteral("退货时间"), QStringLiteral("退货管理模块")),
                 datesInRange, filtered ? QStringLiteral("and r.产品ID = ? ") : QString());
    h = db.OpenTable(returns, params);
    for (; h && !db.IsEOF(h); db.MoveNext(h)) {
        const QString id = db.readText(h, QStringLiteral("产品ID"));
        ProductFigures& product = products[id];
        product.productId = id;
        if (product.productName.isEmpty())
            product.productName = db.readText(h, QStringLiteral("产品名称"));
        product.returnedAmount += db.readReal(h, QStringLiteral("单数")) *
                                  leadingNumber(db.readText(h, QStringLiteral("退货数量"))) *
                                  leadingNumber(db.readText(h, QStringLiteral("单价")));
    }
    db.CloseTable(h);

    top = products.values();
    std::sort(top.begin(), top.end(), [](const ProductFigures& a, const ProductFigures& b) {
        if (a.net() != b.net())
            return a.net() > b.net();
        return a.productId < b.productId;
    });
    if (top.size() > count)
        top.resize(count);
    return top;
}

QStringList statisticsColumnTitles()
{
    return {QStringLiteral("期间"),     QStringLiteral("销售单数"), QStringLiteral("销售数量"),
            QStringLiteral("销售金额"), QStringLiteral("退货数量"), QStringLiteral("退货金额"),
            QStringLiteral("净销售额")};
}

QString amountText(double amount)
{
    if (std::fabs(amount) < 0.005)
        amount = 0;
    return QString::number(amount, 'f', 2);
}

std::vector<QStringList> statisticsRows(const SalesStatistics& statistics)
{
    std::vector<QStringList> rows;
    const auto add = [&rows](const PeriodFigures& figures) {
        rows.push_back({figures.label, numberText(figures.orders), numberText(figures.quantity),
                        amountText(figures.amount), numberText(figures.returnedQuantity),
                        amountText(figures.returnedAmount), amountText(figures.net())});
    };
    for (const PeriodFigures& figures : statistics.periods)
        add(figures);
    if (statistics.unreadable)
        add(*statistics.unreadable);
    add(statistics.totals);
    return rows;
}
