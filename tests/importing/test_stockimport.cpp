// SPDX-License-Identifier: GPL-3.0-or-later
// Taking spreadsheet rows in as stock-ins: the menu command for the administrator (loading the
// module), the window's preview, problem rows exported and skipped, one transaction that stores
// everything or nothing (a failing row, a cancel), the rk numbers, and the round trip of the
// main window's own export in both formats.
#include "app/mainwindow.h"
#include "importing/importsource.h"
#include "importing/importwindow.h"
#include "importing/stockimport.h"
#include "movements/movementrules.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kTitle = QStringLiteral("导入入库");

void writeUtf8(const QString& path, const QString& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

// The lots as "产品ID|产品名称|产品库存|产品单位|备注", ordered by ID.
QStringList lots(TestEnvironment& env)
{
    Database& db = env.db();
    QStringList result;
    const int handle = db.OpenTable(QStringLiteral(
        "select 产品ID,产品名称,产品库存,产品单位,备注 from 总数据库模块 order by 产品ID"));
    while (handle && !db.IsEOF(handle)) {
        QStringList cells;
        for (const char* column : {"产品ID", "产品名称", "产品库存", "产品单位", "备注"})
            cells.append(db.readDisplay(handle, QString::fromUtf8(column)));
        result.append(cells.join(QLatin1Char('|')));
        db.MoveNext(handle);
    }
    db.CloseTable(handle);
    return result;
}

PreviewRow previewRow(int fileRow, const QString& id, const QString& quantity)
{
    PreviewRow row;
    row.fileRow = fileRow;
    row.values = {id, QStringLiteral("螺丝"), quantity, QStringLiteral("个"), QStringLiteral("无")};
    return row;
}

} // namespace

class TestStockImport : public QObject
{
    Q_OBJECT
private slots:
    void menuIsForTheAdministrator();
    void previewExportSkipAndImport();
    void allOrNothing();
    void numbersSkipThoseInUse();
    void roundTrip_data();
    void roundTrip();
};

void TestStockImport::menuIsForTheAdministrator()
{
    TestEnvironment env(QStringLiteral("张三"));
    MainWindow window(env.context());
    env.context().setMainWindow(&window);
    QAction* menu = window.findChild<QAction*>(QStringLiteral("菜单_导入入库"));
    env.dialogs().answerMessage();
    menu->trigger();
    QCOMPARE(env.dialogs().texts(), QStringList{QStringLiteral("此功能仅管理员可用")});
    QVERIFY(!window.findChild<ImportWindow*>());

    // The administrator's press loads the module from the program's module folder.
    env.context().setSessionUser(QStringLiteral("admin"));
    menu->trigger();
    auto* importWindow = window.findChild<ImportWindow*>();
    QVERIFY(importWindow);
    QCOMPARE(importWindow->windowTitle(), kTitle);
    QVERIFY(importWindow->isVisible());
    // A second press raises the same window.
    menu->trigger();
    QCOMPARE(window.findChildren<ImportWindow*>().size(), 1);
    QCOMPARE(env.dialogs().shown().size(), 1);
}

void TestStockImport::previewExportSkipAndImport()
{
    TestEnvironment env;
    int refreshed = 0;
    env.context().setMainWindowHooks([&refreshed] { ++refreshed; }, {});
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("货品.csv"));
    writeUtf8(path, QStringLiteral("盘点表\n货号,品名,数量,单位\nA1,螺丝,10,盒\nA2,,5,\n"
                                   "A3,垫片,2.5,\nA4,钉子,很多,个\n"));
    ImportWindow window(env.context());
    QAbstractItemModel* model = window.findChild<QTableView*>(QStringLiteral("列表_预览"))->model();
    new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 &window);
    env.dialogs().answerOpenFile(path);
    window.findChild<QPushButton*>(QStringLiteral("按钮_选择文件"))->click();
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("标签_状态"))->text(),
             QStringLiteral("共 4 行，可导入 2 行，有问题 2 行"));
    const ImportPreview& preview = window.preview();
    QCOMPARE(preview.rows[1].fileRow, 4);
    QCOMPARE(preview.rows[1].problem, QStringLiteral("产品名称为空"));
    QCOMPARE(preview.rows[3].problem, QStringLiteral("入库数量不是数字"));
    const QString defaultUnit = loadDefaultUnits(env.db()).value(0);
    QCOMPARE(preview.rows[2].values[std::size_t(ImportField::Unit)], defaultUnit);
    QCOMPARE(model->index(1, 6).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    auto* importButton = window.findChild<QPushButton*>(QStringLiteral("按钮_导入"));
    QVERIFY(!importButton->isEnabled());

    // The problem rows go to a file that reads back with its titles mapped (a CSV file: the
    // workbook writer cannot run beside the module linked into a test, see exportstock.cpp).
    const QString problems = folder.filePath(QStringLiteral("问题行.csv"));
    env.dialogs().answerSaveFile(problems);
    env.dialogs().answerMessage();
    window.findChild<QPushButton*>(QStringLiteral("按钮_导出问题行"))->click();
    QCOMPARE(env.dialogs().last().text, QStringLiteral("已导出 2 行问题行到 ") + problems);
    ImportSource exported;
    QString failure;
    QVERIFY2(exported.open(problems, failure), qPrintable(failure));
    const ReadOutcome outcome = exported.read();
    QVERIFY(outcome.ok());
    const ColumnMapping mapping = autoMapping(outcome.sheet, detectTitleRow(outcome.sheet));
    const ImportPreview again = buildPreview(outcome.sheet, 0, mapping, defaultUnit);
    QCOMPARE(again.total(), 2);
    QCOMPARE(again.rows[1].values[std::size_t(ImportField::Quantity)], QStringLiteral("很多"));
    QCOMPARE(outcome.sheet.rows[1].cells[5].text, QStringLiteral("产品名称为空"));

    window.findChild<QCheckBox*>(QStringLiteral("选择框_跳过"))->setChecked(true);
    QVERIFY(importButton->isEnabled());
    env.dialogs().answerMessage();
    importButton->click();
    QCOMPARE(env.dialogs().last().text, QStringLiteral("导入成功，共 2 条"));
    QCOMPARE(env.dialogs().last().title, kTitle);
    QCOMPARE(refreshed, 1);
    QCOMPARE(lots(env),
             QStringList({QStringLiteral("A1|螺丝|10|盒|无"),
                          QStringLiteral("A3|垫片|2.5|") + defaultUnit + QStringLiteral("|无")}));
    // Each lot with its document under its own number, today's date and the session user.
    QCOMPARE(env.value(QStringLiteral(
                 "select count(*) from 入库管理模块 d, 总数据库模块 m where d.入库单号 = "
                 "m.入库单号 and d.产品ID = m.产品ID and d.入库时间 = "
                 "'2018-3-5' and d.入库人员 = 'admin' and d.入库单号 like 'rk%'")),
             QStringLiteral("2"));
    QCOMPARE(env.value(QStringLiteral("select count(distinct 入库单号) from 入库管理模块")),
             QStringLiteral("2"));
    // The preview is gone: a second press cannot take the rows in twice.
    QVERIFY(!importButton->isEnabled());
}

void TestStockImport::allOrNothing()
{
    TestEnvironment env;
    ImportPreview preview;
    // Past the checks, the database refuses a quantity that is no number.
    preview.rows = {previewRow(2, "A1", "1"), previewRow(3, "A2", "2"), previewRow(7, "A3", "x3")};
    const auto nothingStored = [&env] {
        return env.count(QStringLiteral("总数据库模块")) == 0 &&
               env.count(QStringLiteral("入库管理模块")) == 0;
    };
    StockImport failing(env.context(), preview);
    QVERIFY(!failing.run());
    QVERIFY2(failing.failure().startsWith(QStringLiteral("第 7 行导入失败：")),
             qPrintable(failing.failure()));
    QVERIFY(nothingStored());

    // Cancelled before the commit: nothing stored, and the data can be written again.
    preview.rows.pop_back();
    preview.importable = 2;
    StockImport cancelled(env.context(), preview);
    QVERIFY(cancelled.begin());
    QVERIFY(cancelled.storeNext(1));
    cancelled.rollback();
    QVERIFY(nothingStored());

    // The same through the window: its progress offers to cancel between steps.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.csv"));
    writeUtf8(path, QStringLiteral("产品ID,产品名称,入库数量\nA1,螺丝,1\nA2,螺母,2\n"));
    ImportWindow window(env.context());
    QVERIFY(window.loadFile(path));
    window.progressObserver = [](const QString& label) {
        return label == QStringLiteral("正在导入…");
    };
    env.dialogs().answerMessage();
    window.findChild<QPushButton*>(QStringLiteral("按钮_导入"))->click();
    QCOMPARE(env.dialogs().last().text, QStringLiteral("导入已取消，没有写入任何数据"));
    QVERIFY(nothingStored());

    StockImport stored(env.context(), preview);
    QVERIFY2(stored.run(), qPrintable(stored.failure()));
    QCOMPARE(env.count(QStringLiteral("总数据库模块")), 2);

    // A file that cannot be read says why.
    writeUtf8(path, QStringLiteral("产品ID,产品名称\n\"A1,螺丝\n"));
    env.dialogs().answerMessage();
    QVERIFY(!window.loadFile(path));
    QCOMPARE(env.dialogs().last().text, QStringLiteral("文件无法读取：第 2 行的引号没有闭合"));
}

void TestStockImport::numbersSkipThoseInUse()
{
    TestEnvironment env;
    // The number the fixed clock gives first is taken already.
    env.addStock(QStringLiteral("rk201835972"), QStringLiteral("OLD"), QStringLiteral("旧"), "1");
    ImportPreview preview;
    for (int r = 0; r < 3; ++r)
        preview.rows.push_back(previewRow(r + 2, QStringLiteral("N%1").arg(r), "4"));
    StockImport import(env.context(), preview);
    QVERIFY2(import.run(), qPrintable(import.failure()));
    QCOMPARE(env.count(QStringLiteral("总数据库模块")), 4);
    QCOMPARE(env.value(QStringLiteral("select count(distinct 入库单号) from 总数据库模块")),
             QStringLiteral("4"));
    QCOMPARE(env.value(QStringLiteral("select 产品ID from 总数据库模块 where 入库单号 = "
                                      "'rk201835972'")),
             QStringLiteral("OLD"));
}

void TestStockImport::roundTrip_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("Excel workbook") << "库存总数据.xlsx";
    QTest::newRow("CSV file") << "库存总数据.csv";
}

void TestStockImport::roundTrip()
{
    QFETCH(QString, fileName);
    TestEnvironment env;
    env.addStock(QStringLiteral("rk1"), QStringLiteral("0012"), QStringLiteral("螺丝 M4"),
                 QStringLiteral("120"), QStringLiteral("盒"), QStringLiteral("含逗号,和\"引号\""));
    env.addStock(QStringLiteral("rk2"), QStringLiteral("=1+2"), QStringLiteral("六角螺母"),
                 QStringLiteral("7.5"));
    env.addStock(QStringLiteral("rk3"), QStringLiteral("-5"), QStringLiteral("垫片"),
                 QStringLiteral("3"), QStringLiteral("个"), QStringLiteral("@备注"));
    const QStringList before = lots(env);

    // "打印总数据" with everything a report can add: serial column, statistics row, remarks;
    // written by a program of its own (see exportstock.cpp).
    QTemporaryDir folder;
    const QString path = folder.filePath(fileName);
    QProcess exporter;
    exporter.setProcessChannelMode(QProcess::ForwardedChannels);
    exporter.start(QCoreApplication::applicationDirPath() +
                       QStringLiteral("/tarnel-test-exportstock"),
                   {env.context().databasePath(), path});
    QVERIFY(exporter.waitForFinished(120000));
    QCOMPARE(exporter.exitCode(), 0);
    QVERIFY(QFile::exists(path));

    QVERIFY(env.db().ExecuteSql(QStringLiteral("delete from 总数据库模块")));
    QVERIFY(env.db().ExecuteSql(QStringLiteral("delete from 入库管理模块")));
    ImportWindow window(env.context());
    QVERIFY(window.loadFile(path));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("标签_状态"))->text(),
             QStringLiteral("共 3 行，可导入 3 行，有问题 0 行"));
    env.dialogs().answerMessage();
    window.findChild<QPushButton*>(QStringLiteral("按钮_导入"))->click();
    QCOMPARE(env.dialogs().last().text, QStringLiteral("导入成功，共 3 条"));
    QCOMPARE(lots(env), before);
}

QTEST_MAIN(TestStockImport)
#include "test_stockimport.moc"
