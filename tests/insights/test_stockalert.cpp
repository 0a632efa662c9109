// SPDX-License-Identifier: GPL-3.0-or-later
// The low-stock alert as the operator meets it: minimums set in the alert window (threshold,
// fractions, several lots of one product, 0 for no alert), the main window's button and the red
// stock in its list, a sale through the sales window that brings a product under its minimum,
// and who may change what. Run as test_stockalert_server over a PostgreSQL server.
#include "app/mainwindow.h"
#include "insights/stockalert.h"
#include "insights/stockalertwindow.h"
#include "movements/windows.h"
#include "printing/printsession.h"
#include "tests/movements/windowdriver.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace
{

const QString kTitle = QStringLiteral("设置最低库存");

QColor stockColour(ReportList* list, int row, int column)
{
    return list->reportModel()->index(row, column).data(Qt::ForegroundRole).value<QColor>();
}

// The cells of a row, separated by '|'.
QString rowCells(ReportList* list, int row)
{
    QStringList cells;
    for (int column = 0; column < list->columnCount(); ++column)
        cells.append(list->cellText(row, column));
    return cells.join(QLatin1Char('|'));
}

void doubleClickRow(ReportList* list, int row)
{
    const QPoint centre = list->visualRect(list->reportModel()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class TestStockAlert : public QObject
{
    Q_OBJECT
private slots:
    void parseMinimum_data();
    void parseMinimum();
    void alertFromMinimumToSale();
    void whoMayChangeMinimums();
};

void TestStockAlert::parseMinimum_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("minimum"); // -1: refused
    const std::pair<const char*, double> cases[] = {
        {"6", 6},    {"7.5", 7.5}, {" 12 ", 12}, {".5", 0.5}, {"0", 0}, // 0: no alert
        {"7,5", -1}, {"-3", -1},   {"abc", -1},  {"", -1},    {"5个", -1}};
    for (const auto& [text, minimum] : cases)
        QTest::newRow(*text ? text : "empty") << QString::fromUtf8(text) << minimum;
}

void TestStockAlert::parseMinimum()
{
    QFETCH(QString, text);
    QFETCH(double, minimum);
    const std::optional<double> parsed = ::parseMinimum(text);
    QCOMPARE(parsed.has_value(), minimum >= 0);
    if (parsed)
        QCOMPARE(*parsed, minimum);
}

void TestStockAlert::alertFromMinimumToSale()
{
    TestEnvironment env;
    // P1 in two lots (5.5 together; the later lot names it), P2 and P3 in one each.
    for (const char* lot : {"01|P1|旧螺丝|3", "02|P1|螺丝|2.5", "03|P2|螺母|10", "04|P3|垫圈|1"}) {
        const QStringList f = QString::fromUtf8(lot).split(QLatin1Char('|'));
        env.addStock(QStringLiteral("rk201803%1000000").arg(f[0]), f[1], f[2], f[3]);
    }
    auto shell = std::make_unique<MainWindow>(env.context());
    shell->show();
    shell->refreshTitleAndStock();
    auto* button = shell->findChild<QPushButton*>(QStringLiteral("按钮_预警"));
    auto* stock = shell->findChild<ReportList*>(QStringLiteral("超级列表框主"));
    QCOMPARE(button->text(), QStringLiteral("库存预警"));
    // The same size as the buttons above it, at the same spacing under "打印总数据".
    auto* print = shell->findChild<QPushButton*>(QStringLiteral("按钮_打印"));
    QCOMPARE(button->size(), print->size());
    QCOMPARE(button->x(), print->x());
    QCOMPARE(button->y() - print->y(), 44);

    QTest::mouseClick(button, Qt::LeftButton);
    auto* window = shell->findChild<StockAlertWindow*>();
    QVERIFY(window);
    ReportList* list = window->list();
    auto* status = window->findChild<QLabel*>(QStringLiteral("标签_状态"));
    QCOMPARE(list->rowCount(), 3);
    QCOMPARE(rowCells(list, 0), QStringLiteral("P1|螺丝|5.5|0|"));
    QCOMPARE(status->text(), QStringLiteral("共有 0 种商品低于最低库存"));

    // A minimum above the summed stock: P1 is short of 0.5, red, first.
    env.dialogs().answerInput(QStringLiteral("6"));
    doubleClickRow(list, 0);
    QCOMPARE(env.dialogs().last().title, kTitle);
    QCOMPARE(env.dialogs().last().initialText, QStringLiteral("0"));
    QCOMPARE(env.value(QStringLiteral("select 最低库存 from 库存预警 where 产品ID=? "),
                       {QStringLiteral("P1")}),
             QStringLiteral("6"));
    QCOMPARE(rowCells(list, 0), QStringLiteral("P1|螺丝|5.5|6|0.5"));
    QCOMPARE(stockColour(list, 0, 2), QColor(Qt::red));
    QCOMPARE(stockColour(list, 1, 2), QColor());
    QCOMPARE(status->text(), QStringLiteral("共有 1 种商品低于最低库存"));
    QCOMPARE(button->text(), QStringLiteral("库存预警 (1)"));
    QCOMPARE(button->palette().color(QPalette::ButtonText), QColor(Qt::red));
    // Both lots of P1 show their stock in red in the main window's list; nothing else changes.
    for (int row = 0; row < stock->rowCount(); ++row) {
        const bool low = stock->cellText(row, 2) == QLatin1String("P1");
        QCOMPARE(stockColour(stock, row, 4), low ? QColor(Qt::red) : QColor());
        QCOMPARE(stockColour(stock, row, 3), QColor());
    }

    // A minimum equal to the stock is no alert; a wrong number is refused and nothing stored.
    const int p2 = 1;
    QCOMPARE(list->cellText(p2, 0), QStringLiteral("P2"));
    list->setCurrentRow(p2);
    env.dialogs().answerInput(QStringLiteral("7,5"));
    env.dialogs().answerMessage();
    auto* set = window->findChild<QPushButton*>(QStringLiteral("按钮_设置最低库存"));
    QTest::mouseClick(set, Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, QStringLiteral("最低库存有误"));
    QCOMPARE(env.count(QStringLiteral("库存预警")), 1);
    env.dialogs().answerInput(QStringLiteral("10"));
    QTest::mouseClick(set, Qt::LeftButton);
    QCOMPARE(env.count(QStringLiteral("库存预警")), 2);
    QCOMPARE(button->text(), QStringLiteral("库存预警 (1)"));

    // A sale of one 螺母 brings P2 under its minimum: the button counts it at once.
    OpenWindow sales(openSalesWindow(env.context()));
    auto* products = sales.control<ReportList>(QStringLiteral("超级列表框_销售"));
    clickRow(products, 2);
    env.dialogs().answerInput(QStringLiteral("1"));
    env.dialogs().answerMessage();
    QTest::mouseClick(sales.control<QPushButton>(QStringLiteral("按钮_销售")), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, QStringLiteral("操作成功"));
    QCOMPARE(button->text(), QStringLiteral("库存预警 (2)"));
    window->reload();
    QCOMPARE(rowCells(list, 1), QStringLiteral("P2|螺母|9|10|1"));
    QCOMPARE(status->text(), QStringLiteral("共有 2 种商品低于最低库存"));

    // 0: no alert, the minimum is gone.
    list->setCurrentRow(0);
    env.dialogs().answerInput(QStringLiteral("0"));
    QTest::mouseClick(set, Qt::LeftButton);
    QCOMPARE(env.count(QStringLiteral("库存预警")), 1);
    QCOMPARE(button->text(), QStringLiteral("库存预警 (1)"));
    QCOMPARE(readLowStockProducts(env.db()), QSet<QString>{QStringLiteral("P2")});

    // "打印" hands the list to printing.
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮_打印")), Qt::LeftButton);
    QCOMPARE(PrintSession::of(env.context()).source(), list);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->windowTitle() == QLatin1String("超级列表框打印预览设置"))
            top->close();
    }
    processDeferredDeletes();
    QCOMPARE(env.dialogs().pending(), 0);
    QCOMPARE(env.fatalErrors(), QStringList());
}

void TestStockAlert::whoMayChangeMinimums()
{
    TestEnvironment env{QString()};
    env.addStock(QStringLiteral("rk1"), QStringLiteral("P1"), QStringLiteral("螺丝"),
                 QStringLiteral("1"));
    QVERIFY(storeMinimum(env.db(), QStringLiteral("P1"), 2));
    auto shell = std::make_unique<MainWindow>(env.context());
    QAction* menu = shell->findChild<QAction*>(QStringLiteral("菜单_库存预警"));

    // Nobody logged in: nothing opens.
    env.dialogs().answerMessage();
    menu->trigger();
    QCOMPARE(env.dialogs().last().text, QStringLiteral("请登录后操作"));
    QVERIFY(!shell->findChild<StockAlertWindow*>());

    // An operator sees the minimums but changes none.
    env.context().setSessionUser(QStringLiteral("zhang"));
    QCOMPARE(shell->findChild<QPushButton*>(QStringLiteral("按钮_预警"))->text(),
             QStringLiteral("库存预警 (1)"));
    menu->trigger();
    auto* window = shell->findChild<StockAlertWindow*>();
    QVERIFY(window);
    QCOMPARE(window->list()->cellText(0, 3), QStringLiteral("2"));
    QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("按钮_设置最低库存"))->isEnabled());
    env.dialogs().answerMessage();
    doubleClickRow(window->list(), 0);
    QCOMPARE(env.dialogs().last().text, QStringLiteral("此功能仅管理员可用"));
    QCOMPARE(env.value(QStringLiteral("select 最低库存 from 库存预警")), QStringLiteral("2"));
    // A second opening shows the same window again.
    menu->trigger();
    QCOMPARE(shell->findChildren<StockAlertWindow*>().size(), 1);
    QCOMPARE(env.dialogs().pending(), 0);
}

QTEST_MAIN(TestStockAlert)
#include "test_stockalert.moc"
