// SPDX-License-Identifier: GPL-3.0-or-later
// The sales statistics over a seeded database with known totals (every grouping across month and
// year ends, returns, unreadable dates, a product filter, empty ranges, previous periods, the best
// products), then its window: menu, print, charts as PNG and PDF. Also run over the server.
#include "app/mainwindow.h"
#include "insights/chartview.h"
#include "insights/salesstatistics.h"
#include "insights/statisticswindow.h"
#include "printing/printsession.h"
#include "printing/printsettingswindow.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(Grouping)

namespace
{

using Rows = QList<QStringList>;

// Sales (number, product, quantity, unit price as typed, date text) and returns (number, sale,
// product, quantity as typed, date text). Net per month: 2017-12 20, 2018-1 17.5, 2018-2 70
// (a return of 2.5), 2018-3 -19 (a return of 25); unreadable dates 10.
void seed(TestEnvironment& env)
{
    const QStringList sales = {
        "xs1|A|2|10|2017-12-31", // a Sunday
        "xs2|A|1|10元|2018-1-1", // the Monday after; the price's leading number
        "xs3|B|3|2.5|2018-1-31", "xs4|B|4|2.5|2018-2-1", "xs5|A|5|12.5|2018-2-28",
        "xs6|A|1||2018-3-1",    // no price: counts, amounts to 0
        "xs7|B|2|3|2018-03-05", // leading zeros read as well
        "xs8|A|1|10|昨天",      // no date
        "xs9|A|1|10|2018-2-30", // no such day
    };
    for (const QString& sale : sales) {
        const QStringList f = sale.split(QLatin1Char('|'));
        QVERIFY(env.db().ExecuteSql(
            QStringLiteral(
                "insert into 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,"
                "产品单位,销售单价,销售时间,销售人员)values(?,?,?,?,?,'个',?,?,'admin')"),
            {f[0], QStringLiteral("rk1"), f[1],
             QString::fromUtf8(f[1] == QLatin1String("A") ? "甲" : "乙"), f[2], f[3], f[4]}));
    }
    const QStringList returns = {
        "th1|xs5|A|2|2018-3-1",   // 2 × 12.5, dated in March
        "th2|xs3|B|1|2018-2-1",   // 1 × 2.5
        "th3|xs1|A|1件|2018/1/2", // unreadable date: 1 × 10
    };
    for (const QString& item : returns) {
        const QStringList f = item.split(QLatin1Char('|'));
        QVERIFY(env.db().ExecuteSql(
            QStringLiteral("insert into 退货管理模块(退货单号,销售单号,入库单号,产品ID,产品名称,"
                           "退货数量,产品单位,退货原因,是否影响二次销售,退货时间,操作人员,备注)"
                           "values(?,?,'rk1',?,'x',?,'个','坏','不影响',?,'admin','无')"),
            {f[0], f[1], f[2], f[3], f[4]}));
    }
}

// A table row: 期间, 销售单数, 销售数量, 销售金额, 退货数量, 退货金额, 净销售额.
QStringList row(const char* label, int orders, double quantity, double amount, double returned,
                double returnedAmount)
{
    return {QString::fromUtf8(label),           QString::number(orders),
            QString::number(quantity),          amountText(amount),
            QString::number(returned),          amountText(returnedAmount),
            amountText(amount - returnedAmount)};
}

const QStringList kUnreadable = row("日期无法识别", 2, 2, 20, 1, 10);

} // namespace

class TestStatistics : public QObject
{
    Q_OBJECT
private slots:
    void table_data();
    void table();
    void previousPeriodsAndTopProducts();
    void periodsAcrossBoundaries();
    void window();
};

void TestStatistics::table_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<Grouping>("grouping");
    QTest::addColumn<QString>("product");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("months across the year end")
        << QDate(2017, 12, 1) << QDate(2018, 3, 31) << Grouping::Month << QString()
        << Rows{row("2017年12月", 1, 2, 20, 0, 0),
                row("2018年1月", 2, 4, 17.5, 0, 0),
                row("2018年2月", 2, 9, 72.5, 1, 2.5),
                row("2018年3月", 2, 3, 6, 2, 25),
                kUnreadable,
                row("合计", 9, 20, 136, 4, 37.5)};
    QTest::newRow("years") << QDate(2017, 1, 1) << QDate(2018, 12, 31) << Grouping::Year
                           << QString()
                           << Rows{row("2017年", 1, 2, 20, 0, 0), row("2018年", 6, 16, 96, 3, 27.5),
                                   kUnreadable, row("合计", 9, 20, 136, 4, 37.5)};
    QTest::newRow("weeks across the year end")
        << QDate(2017, 12, 25) << QDate(2018, 1, 7) << Grouping::Week << QString()
        << Rows{row("2017年第52周", 1, 2, 20, 0, 0), row("2018年第1周", 1, 1, 10, 0, 0),
                kUnreadable, row("合计", 4, 5, 50, 1, 10)};
    QTest::newRow("days across the month end")
        << QDate(2018, 2, 27) << QDate(2018, 3, 2) << Grouping::Day << QString()
        << Rows{row("2018-2-27", 0, 0, 0, 0, 0),
                row("2018-2-28", 1, 5, 62.5, 0, 0),
                row("2018-3-1", 1, 1, 0, 2, 25),
                row("2018-3-2", 0, 0, 0, 0, 0),
                kUnreadable,
                row("合计", 4, 8, 82.5, 3, 35)};
    QTest::newRow("one product") << QDate(2018, 1, 1) << QDate(2018, 3, 31) << Grouping::Month
                                 << QStringLiteral("B")
                                 << Rows{row("2018年1月", 1, 3, 7.5, 0, 0),
                                         row("2018年2月", 1, 4, 10, 1, 2.5),
                                         row("2018年3月", 1, 2, 6, 0, 0),
                                         row("合计", 3, 9, 23.5, 1, 2.5)};
    QTest::newRow("a range without sales")
        << QDate(2019, 1, 1) << QDate(2019, 1, 31) << Grouping::Month << QString()
        << Rows{row("2019年1月", 0, 0, 0, 0, 0), kUnreadable, row("合计", 2, 2, 20, 1, 10)};
    QTest::newRow("an end before the start")
        << QDate(2018, 3, 31) << QDate(2018, 3, 1) << Grouping::Day << QStringLiteral("B")
        << Rows{row("合计", 0, 0, 0, 0, 0)};
}

void TestStatistics::table()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(Grouping, grouping);
    QFETCH(QString, product);
    QFETCH(Rows, rows);
    TestEnvironment env;
    seed(env);
    const SalesStatistics statistics = readSalesStatistics(env.db(), {from, to, grouping, product});
    QVERIFY(statistics.ok);
    const std::vector<QStringList> shown = statisticsRows(statistics);
    QCOMPARE(Rows(shown.begin(), shown.end()), rows);
    QCOMPARE(env.fatalErrors(), QStringList());
}

void TestStatistics::previousPeriodsAndTopProducts()
{
    TestEnvironment env;
    seed(env);
    const auto previous = [&env](QDate from, QDate to, Grouping grouping) {
        return readSalesStatistics(env.db(), {from, to, grouping, {}}).previousNet;
    };
    // March against February; five days against the five before, across the month end; two
    // years against the two before.
    QCOMPARE(previous(QDate(2018, 3, 1), QDate(2018, 3, 31), Grouping::Month), QList<double>{70});
    const SalesStatistics days =
        readSalesStatistics(env.db(), {QDate(2018, 3, 1), QDate(2018, 3, 5), Grouping::Day, {}});
    QCOMPARE(days.previousNet, (QList<double>{0, 0, 0, 0, 62.5}));
    QCOMPARE(days.periods.first().net(), -25.0);
    QCOMPARE(days.periods.last().net(), 6.0);
    QCOMPARE(previous(QDate(2019, 1, 1), QDate(2020, 12, 31), Grouping::Year),
             (QList<double>{20, 68.5}));

    const StatisticsRequest quarter{QDate(2018, 1, 1), QDate(2018, 3, 31), Grouping::Month, {}};
    const QList<ProductFigures> top = readTopProducts(env.db(), quarter);
    QCOMPARE(top.size(), 2);
    QCOMPARE(top.at(0).productId, QStringLiteral("A"));
    QCOMPARE(top.at(0).productName, QStringLiteral("甲"));
    QCOMPARE(top.at(0).net(), 72.5 - 25);
    QCOMPARE(top.at(1).productId, QStringLiteral("B"));
    QCOMPARE(top.at(1).net(), 23.5 - 2.5);
    QCOMPARE(readTopProducts(env.db(), quarter, 1).size(), 1);
    StatisticsRequest oneProduct = quarter;
    oneProduct.productId = QStringLiteral("B");
    QCOMPARE(readTopProducts(env.db(), oneProduct).size(), 1);
}

void TestStatistics::periodsAcrossBoundaries()
{
    // Every day of a leap year and the years around it falls in the period that the database
    // puts it in: the seeded sale of each day comes back under the label computed here.
    TestEnvironment env;
    const QDate first(2015, 12, 20);
    const QDate last(2016, 3, 10);
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        QVERIFY(env.db().ExecuteSql(
            QStringLiteral("insert into 销售管理模块(销售单号,产品ID,销售数量,销售单价,销售时间)"
                           "values(?,?,?,?,?)"),
            {QStringLiteral("xs%1").arg(day.toJulianDay()), QStringLiteral("A"),
             QStringLiteral("1"), QStringLiteral("1"),
             QStringLiteral("%1-%2-%3").arg(day.year()).arg(day.month()).arg(day.day())}));
    }
    for (Grouping grouping : {Grouping::Day, Grouping::Week, Grouping::Month, Grouping::Year}) {
        const SalesStatistics statistics =
            readSalesStatistics(env.db(), {first, last, grouping, {}});
        QVERIFY(!statistics.unreadable);
        QHash<QString, double> expected;
        for (QDate day = first; day <= last; day = day.addDays(1))
            expected[periodLabel(periodKey(day, grouping), grouping)] += 1;
        QCOMPARE(statistics.periods.size(), expected.size());
        for (const PeriodFigures& figures : statistics.periods)
            QCOMPARE(figures.orders, expected.value(figures.label));
    }
}

void TestStatistics::window()
{
    TestEnvironment env;
    seed(env);
    env.context().setSessionUser(QStringLiteral("zhang"));
    auto shell = std::make_unique<MainWindow>(env.context());
    QAction* menu = shell->findChild<QAction*>(QStringLiteral("菜单_销售统计"));
    QVERIFY(menu);
    env.dialogs().answerMessage();
    menu->trigger();
    QCOMPARE(env.dialogs().texts(), QStringList{QStringLiteral("此功能仅管理员可用")});
    QVERIFY(!shell->findChild<StatisticsWindow*>());

    env.context().setSessionUser(QStringLiteral("admin"));
    menu->trigger();
    auto* window = shell->findChild<StatisticsWindow*>();
    QVERIFY(window);
    // This month (the clock's March 2018), by day, compared with the month before.
    QCOMPARE(window->findChild<QDateEdit*>(QStringLiteral("日期框_开始"))->date(),
             QDate(2018, 3, 1));
    QCOMPARE(window->findChild<QDateEdit*>(QStringLiteral("日期框_结束"))->date(),
             QDate(2018, 3, 31));
    QVERIFY(window->findChild<QRadioButton*>(QStringLiteral("单选框_按日"))->isChecked());
    QVERIFY(window->findChild<QCheckBox*>(QStringLiteral("选择框_与上期比较"))->isChecked());
    QCOMPARE(window->table()->rowCount(), 31 + 2);

    window->findChild<QDateEdit*>(QStringLiteral("日期框_开始"))->setDate(QDate(2017, 12, 1));
    QTest::mouseClick(window->findChild<QRadioButton*>(QStringLiteral("单选框_按月")),
                      Qt::LeftButton);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮_统计")), Qt::LeftButton);
    QCOMPARE(window->table()->rowCount(), 6);
    QCOMPARE(window->table()->cellText(5, 6), QStringLiteral("98.50"));
    QCOMPARE(window->table()->columnTitle(6), QStringLiteral("净销售额"));

    // The charts come from the chart library; both save as PNG and as PDF.
    QTemporaryDir dir;
    auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("选择夹_统计"));
    for (int tab : {0, 1}) {
        tabs->setCurrentIndex(tab);
        for (const auto& [suffix, magic] : {std::pair{"png", "\x89PNG"}, {"pdf", "%PDF"}}) {
            const QString path = dir.filePath(QStringLiteral("chart%1.%2").arg(tab).arg(suffix));
            env.dialogs().answerSaveFile(path);
            env.dialogs().answerMessage();
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮_保存图表")),
                              Qt::LeftButton);
            QCOMPARE(env.dialogs().last().text, QStringLiteral("图表已保存"));
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly) && file.read(8).startsWith(magic),
                     qPrintable(path));
        }
    }
    QCOMPARE(window->topProducts().size(), 2);
    QVERIFY(!QImage(dir.filePath(QStringLiteral("chart0.png"))).isNull());

    // "打印" opens the print settings over the table.
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮_打印")), Qt::LeftButton);
    QCOMPARE(PrintSession::of(env.context()).source(), window->table());
    int settingsWindows = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (qobject_cast<PrintSettingsWindow*>(top) && top->isVisible()) {
            top->close();
            ++settingsWindows;
        }
    }
    QCOMPARE(settingsWindows, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(env.dialogs().pending(), 0);
    QCOMPARE(env.fatalErrors(), QStringList());
}

QTEST_MAIN(TestStatistics)
#include "test_statistics.moc"
