// SPDX-License-Identifier: GPL-3.0-or-later
// The stock-in window, driven offscreen through its control names and the scripted boxes.

#include "movements/windows.h"
#include "storage/newdatabase.h"
#include "tests/movements/windowdriver.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/geometry.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

const QString kScanPrompt =
    QStringLiteral("请扫描条形码或手动输入产品ID\r\n***产品ID为必填内容***\r\n"
                   "产品ID为以后查找货物的重要条件");

// The window's fields as one text, to compare the form at a glance.
QString form(const OpenWindow& window)
{
    return QStringList{window.control<QLineEdit>("编辑框_ID")->text(),
                       window.control<QLineEdit>("编辑框_名称")->text(),
                       window.control<QLineEdit>("编辑框_数量")->text(),
                       window.control<QComboBox>("组合框_单位")->currentText(),
                       window.control<QLineEdit>("编辑框_备注")->text()}
        .join('|');
}

QString row(TestEnvironment& env, const QString& sql, const QString& lot)
{
    const int handle = env.db().OpenTable(sql, {lot});
    QStringList cells;
    for (const QString& column : env.db().columnNames(handle))
        cells.append(env.db().readDisplay(handle, column));
    env.db().CloseTable(handle);
    return cells.join('|');
}

} // namespace

class TestStockInWindow : public QObject
{
    Q_OBJECT
private slots:
    void cancelledScanCloses_data();
    void cancelledScanCloses();
    void opensWithScannedId();
    void stockInWritesBothRows();
    void yesClearsAndRescans();
    void checksInOrder();
    void failedInsertWritesNothing();
};

void TestStockInWindow::cancelledScanCloses_data()
{
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::newRow("cancelled") << std::optional<QString>();
    QTest::newRow("empty") << std::optional<QString>(QString());
}

void TestStockInWindow::cancelledScanCloses()
{
    QFETCH(std::optional<QString>, answer);
    TestEnvironment env;
    QWidget mainWindow;
    env.context().setMainWindow(&mainWindow);
    env.dialogs().answerInput(answer);
    QVERIFY(!openStockInWindow(env.context()));
    const auto& scan = env.dialogs().last();
    QCOMPARE(scan.text, kScanPrompt);
    QCOMPARE(scan.title, "扫描窗口");
    QCOMPARE(scan.initialText, QString());
    QCOMPARE(scan.mode, InputMode::Scan);
    QCOMPARE(scan.owner, &mainWindow);
    QCOMPARE(env.dialogs().shown().size(), 1);
    processDeferredDeletes();
    QVERIFY(mainWindow.findChildren<QWidget*>().isEmpty());
}

void TestStockInWindow::opensWithScannedId()
{
    TestEnvironment env;
    QWidget mainWindow;
    env.context().setMainWindow(&mainWindow);
    env.dialogs().answerInput(" "); // blanks are a code
    OpenWindow window(openStockInWindow(env.context()));
    QVERIFY(window);
    QCOMPARE(window->parentWidget(), &mainWindow);
    QVERIFY(window->isWindow());
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), "入库信息管理");
    QCOMPARE(window->pos(), QPoint(50, 50));
    QCOMPARE(window->size(), QSize(259 - kFrameWidth, 295 - kFrameHeight));
    auto* id = window.control<QLineEdit>("编辑框_ID");
    QVERIFY(!id->isEnabled());
    QCOMPARE(id->geometry(), QRect(106, 22, 109, 21));
    const QStringList labels{"透明标签1=产 品 ID=编辑框_ID", "透明标签2=产品名称=编辑框_名称",
                             "透明标签3=入库数量=编辑框_数量", "透明标签4=产品单位=组合框_单位",
                             "透明标签6=备    注=编辑框_备注"};
    for (const QString& label : labels) {
        const QStringList parts = label.split('=');
        auto* caption = window.control<QLabel>(parts.at(0));
        QCOMPARE(caption->text(), parts.at(1));
        QCOMPARE(caption->buddy(), window.control<QWidget>(parts.at(2)));
    }
    QCOMPARE(window->focusWidget(), window.control<QLineEdit>("编辑框_名称"));
    auto* unit = window.control<QComboBox>("组合框_单位");
    QVERIFY(unit->isEditable());
    QStringList units;
    for (int i = 0; i < unit->count(); ++i)
        units.append(unit->itemText(i));
    QCOMPARE(units, kDeliveredUnits.split(','));
    QCOMPARE(form(window), " |||个|无");

    QTest::mouseClick(window.control<QPushButton>("按钮_取消"), Qt::LeftButton);
    processDeferredDeletes();
    QVERIFY(!window);
}

void TestStockInWindow::stockInWritesBothRows()
{
    TestEnvironment env("仓管员");
    env.dialogs().answerInput("ID-1");
    OpenWindow window(openStockInWindow(env.context()));
    QVERIFY(window);
    auto* name = window.control<QLineEdit>("编辑框_名称");
    auto* quantity = window.control<QLineEdit>("编辑框_数量");
    auto* unit = window.control<QComboBox>("组合框_单位");
    auto* remark = window.control<QLineEdit>("编辑框_备注");
    auto* add = window.control<QPushButton>("按钮_添加");

    // Enter walks name, quantity, unit, remark, the add button; there it adds.
    typeText(name, "螺丝");
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(window->focusWidget(), quantity);
    QTest::keyClicks(quantity, "1x.0"); // the integer filter drops "x" and "."
    QCOMPARE(quantity->text(), "10");
    QTest::keyClick(quantity, Qt::Key_Return);
    QCOMPARE(window->focusWidget(), unit);
    QTest::keyClick(unit, Qt::Key_Return);
    QCOMPARE(window->focusWidget(), remark);
    QTest::keyClick(remark, Qt::Key_Return);
    QCOMPARE(window->focusWidget(), add);
    env.dialogs().answerMessage(MessageAnswer::No);
    QTest::keyClick(add, Qt::Key_Return);

    const auto& question = env.dialogs().last();
    QCOMPARE(question.text, "产品入库成功是否继续添加");
    QCOMPARE(question.title, "提示");
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(row(env, "select * from 入库管理模块 where 入库单号=? ", "rk201835972"),
             "rk201835972|ID-1|螺丝|10|个|2018-3-5|仓管员|无");
    QCOMPARE(row(env, "select * from 总数据库模块 where 入库单号=? ", "rk201835972"),
             "rk201835972|ID-1|螺丝|10|个|无");
    QCOMPARE(env.value("select typeof(产品库存) from 总数据库模块"), "real");
    QCOMPARE(env.refreshCount(), 1);
    // No closes the window.
    processDeferredDeletes();
    QVERIFY(!window);
}

void TestStockInWindow::yesClearsAndRescans()
{
    TestEnvironment env;
    env.dialogs().answerInput("ID-1");
    OpenWindow window(openStockInWindow(env.context()));
    QVERIFY(window);
    typeText(window.control<QLineEdit>("编辑框_名称"), "螺丝");
    QTest::keyClicks(window.control<QLineEdit>("编辑框_数量"), "5");
    auto* unit = window.control<QComboBox>("组合框_单位");
    unit->setCurrentIndex(2);
    typeText(window.control<QLineEdit>("编辑框_备注"), "新到");

    // Yes: the second scan box opens over a hidden, cleared form.
    QString formDuringScan;
    bool visibleDuringScan = true;
    env.dialogs().onShown = [&](const ScriptedDialogs::Shown& box) {
        if (box.isInput) {
            formDuringScan = form(window);
            visibleDuringScan = window->isVisible();
        }
    };
    env.dialogs().answerMessage(MessageAnswer::Yes);
    env.dialogs().answerInput("ID-2");
    QTest::mouseClick(window.control<QPushButton>("按钮_添加"), Qt::LeftButton);
    QVERIFY(!visibleDuringScan);
    QCOMPARE(formDuringScan, "|||个|");
    QCOMPARE(env.dialogs().last().text, kScanPrompt);
    QVERIFY(window->isVisible());
    QCOMPARE(form(window), "ID-2|||个|");

    // The next stock-in has a new number; its empty remark is stored empty.
    typeText(window.control<QLineEdit>("编辑框_名称"), "螺母");
    QTest::keyClicks(window.control<QLineEdit>("编辑框_数量"), "3");
    unit->setEditText("盒"); // a unit typed, not picked
    env.dialogs().answerMessage(MessageAnswer::Yes);
    env.dialogs().answerInput(std::nullopt);
    QTest::mouseClick(window.control<QPushButton>("按钮_添加"), Qt::LeftButton);
    QCOMPARE(row(env, "select * from 总数据库模块 where 入库单号=? ", "rk201835973"),
             "rk201835973|ID-2|螺母|3|盒|");
    QCOMPARE(env.count("入库管理模块"), 2);
    QCOMPARE(env.count("总数据库模块"), 2);
    // The cancelled scan closed the window.
    processDeferredDeletes();
    QVERIFY(!window);
    QCOMPARE(env.dialogs().pending(), 0);
}

void TestStockInWindow::checksInOrder()
{
    TestEnvironment env;
    env.dialogs().answerInput("ID-1");
    OpenWindow window(openStockInWindow(env.context()));
    auto* name = window.control<QLineEdit>("编辑框_名称");
    auto* quantity = window.control<QLineEdit>("编辑框_数量");
    auto* add = window.control<QPushButton>("按钮_添加");

    // Name and quantity both wrong: only the name is reported.
    env.dialogs().answerMessage();
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "产品名称不能为空");
    QCOMPARE(env.dialogs().last().title, "信息：");

    typeText(name, "螺丝");
    for (const char* pasted : {"", "0.5", "abc", "-3"}) {
        quantity->setText(pasted);
        env.dialogs().answerMessage();
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(env.dialogs().last().text, "产品数量输入错误");
        QCOMPARE(env.dialogs().last().title, "信息：");
    }
    QCOMPARE(env.count("入库管理模块"), 0);

    // A pasted 1.5 is stored as it stands.
    quantity->setText("1.5");
    env.dialogs().answerMessage(MessageAnswer::No);
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(env.value("select 入库数量 from 入库管理模块"), "1.5");
    QCOMPARE(env.value("select 产品库存 from 总数据库模块"), "1.5");
}

void TestStockInWindow::failedInsertWritesNothing()
{
    TestEnvironment env;
    // The database refuses the master INSERT (for another reason than its number).
    QVERIFY(env.refuseWrites("before insert on 总数据库模块"));
    env.dialogs().answerInput("ID-1");
    OpenWindow window(openStockInWindow(env.context()));
    typeText(window.control<QLineEdit>("编辑框_名称"), "螺丝");
    QTest::keyClicks(window.control<QLineEdit>("编辑框_数量"), "10");
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_添加"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "产品入库失败");
    QCOMPARE(env.dialogs().last().title, "提示");
    QCOMPARE(env.count("入库管理模块"), 0); // the first INSERT is rolled back
    QCOMPARE(env.count("总数据库模块"), 0);
    QVERIFY(!env.db().inTransaction());
    QVERIFY(window->isVisible());
    QCOMPARE(form(window), "ID-1|螺丝|10|个|无");

    // The retry uses the same number; once the database takes it, it is stored.
    QVERIFY(env.allowWrites());
    env.dialogs().answerMessage(MessageAnswer::No);
    QTest::mouseClick(window.control<QPushButton>("按钮_添加"), Qt::LeftButton);
    QCOMPARE(env.value("select 入库单号 from 入库管理模块"), "rk201835972");
}

QTEST_MAIN(TestStockInWindow)
#include "tst_stockinwindow.moc"
