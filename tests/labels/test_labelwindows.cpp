// SPDX-License-Identifier: GPL-3.0-or-later
// The label windows driven as an operator would: 工具 → 打印标签 with its checks, the label
// window printing to a PDF that a barcode reader reads back, the stock-in window's "打印标签",
// and the scanner boxes that take a code with the input method off.

#include "app/mainwindow.h"
#include "labels/labelentry.h"
#include "labels/labelwindow.h"
#include "movements/windows.h"
#include "returns/windows.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/inputbox.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// The label windows open now.
QList<LabelWindow*> labelWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<LabelWindow*> windows;
    const QList<QWidget*> widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        if (auto* window = qobject_cast<LabelWindow*>(widget))
            windows.append(window);
    }
    return windows;
}

template <typename T> T* control(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QString::fromUtf8(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QStringList comboItems(QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

// The printer dialog answered with a PDF file.
LabelWindow::DialogRunner printToFile(const QString& file)
{
    return [file](QDialog& dialog) {
        control<QCheckBox>(&dialog, "选择框_打印到文件")->setChecked(true);
        control<QLineEdit>(&dialog, "编辑框_文件名")->setText(file);
        return int(QDialog::Accepted);
    };
}

// What the reader reads on each page of a PDF, page by page.
QStringList readPdf(const QString& pdf, const QString& folder)
{
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"),
                                              QStringLiteral("-png"), pdf, folder + "/p"});
    render.waitForFinished(120000);
    QStringList symbols;
    const QStringList pages =
        QDir(folder).entryList({QStringLiteral("p-*.png")}, QDir::Files, QDir::Name);
    for (const QString& page : pages) {
        QProcess reader;
        reader.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), folder + '/' + page});
        reader.waitForFinished(120000);
        symbols.append(QString::fromUtf8(reader.readAllStandardOutput()).trimmed());
    }
    return symbols;
}

} // namespace

class TestLabelWindows : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void menuItemChecks();
    void printsCopiesToPdf();
    void offersEanOnlyForDigits();
    void refusedContentPrintsNothing_data();
    void refusedContentPrintsNothing();
    void copiesByStock_data();
    void copiesByStock();
    void allLotsOfTheProduct();
    void stockInOffersLabels();
    void scannerBoxesTakeCodesWithoutInputMethod_data();
    void scannerBoxesTakeCodesWithoutInputMethod();
};

void TestLabelWindows::cleanup()
{
    qDeleteAll(labelWindows());
}

void TestLabelWindows::menuItemChecks()
{
    TestEnvironment env{QString()};
    env.addStock(QStringLiteral("rk1"), QStringLiteral("A-1"), QStringLiteral("螺丝"),
                 QStringLiteral("5"));
    MainWindow main(env.context());
    QAction* item = control<QAction>(&main, "菜单_打印标签");
    QCOMPARE(item->text(), QStringLiteral("打印标签"));
    QCOMPARE(control<QMenu>(&main, "菜单_工具")->actions().first(), item);

    // Nobody logged in; then logged in with no lot selected; then a lot selected.
    env.dialogs().answerMessage();
    item->trigger();
    QCOMPARE(env.dialogs().last().text, QStringLiteral("请登录后操作"));
    QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));

    env.context().setSessionUser(QStringLiteral("仓管员"));
    env.dialogs().answerMessage();
    item->trigger();
    QCOMPARE(env.dialogs().last().text, QStringLiteral("请选择要打印标签的产品"));
    QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
    QVERIFY(labelWindows().isEmpty());

    auto* stockList = control<ReportList>(&main, "超级列表框主");
    stockList->setCurrentRow(0);
    const int boxes = int(env.dialogs().shown().size());
    item->trigger();
    QCOMPARE(env.dialogs().shown().size(), boxes);
    const QList<LabelWindow*> windows = labelWindows();
    QCOMPARE(windows.size(), 1);
    QCOMPARE(windows.first()->windowTitle(), QStringLiteral("标签打印"));
    QCOMPARE(windows.first()->parentWidget(), &main);
    QVERIFY(windows.first()->isVisible());
    QCOMPARE(windows.first()->job().lots.first().lot, QStringLiteral("rk1"));
}

void TestLabelWindows::printsCopiesToPdf()
{
    TestEnvironment env;
    env.addStock(QStringLiteral("rk201835972"), QStringLiteral("AB-12-x"),
                 QStringLiteral("不锈钢螺丝 M6×20"), QStringLiteral("40"));
    QPointer<QWidget> opened = openLabelWindow(env.context(), QStringLiteral("rk201835972"), 3);
    auto* window = qobject_cast<LabelWindow*>(opened.data());
    QVERIFY(window);
    // The defaults: 产品ID as Code 128 on 50×30 mm, the copies given.
    QCOMPARE(control<QComboBox>(window, "组合框_条码内容")->currentText(), "产品ID");
    QCOMPARE(control<QComboBox>(window, "组合框_条码类型")->currentText(), "Code 128");
    QCOMPARE(control<QComboBox>(window, "组合框_标签尺寸")->currentText(), "50×30 mm");
    QCOMPARE(control<QSpinBox>(window, "编辑框_份数")->value(), 3);
    QVERIFY(!control<QWidget>(window, "编辑框_宽度")->isEnabled());

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("标签.pdf"));
    window->setDialogRunner(printToFile(pdf));
    control<QComboBox>(window, "组合框_标签尺寸")->setCurrentText(QStringLiteral("60×40 mm"));
    control<QCheckBox>(window, "选择框_产品单位")->setChecked(false);
    QTest::mouseClick(control<QPushButton>(window, "按钮_打印"), Qt::LeftButton);
    QCOMPARE(env.dialogs().shown().size(), 0);
    QCOMPARE(readPdf(pdf, dir.path()), QStringList(3, QStringLiteral("CODE-128:AB-12-x")));

    // The choices are kept: the next window opens with them and the file.
    QTest::mouseClick(control<QPushButton>(window, "按钮_关闭"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!opened);
    auto* next = qobject_cast<LabelWindow*>(openLabelWindow(env.context(), "rk201835972"));
    QCOMPARE(control<QComboBox>(next, "组合框_标签尺寸")->currentText(), "60×40 mm");
    QVERIFY(!control<QCheckBox>(next, "选择框_产品单位")->isChecked());
    QCOMPARE(control<QSpinBox>(next, "编辑框_份数")->value(), 1);
    LabelPrintDialog dialog(env.context(), {QString(), true, pdf});
    QVERIFY(control<QCheckBox>(&dialog, "选择框_打印到文件")->isChecked());
}

void TestLabelWindows::offersEanOnlyForDigits()
{
    TestEnvironment env;
    env.addStock(QStringLiteral("rk9"), QStringLiteral("690123456789"), QStringLiteral("饮料"),
                 QStringLiteral("6"));
    auto* window = qobject_cast<LabelWindow*>(openLabelWindow(env.context(), "rk9"));
    auto* symbology = control<QComboBox>(window, "组合框_条码类型");
    QCOMPARE(comboItems(symbology), (QStringList{"Code 128", "EAN-13", "QR Code"}));
    symbology->setCurrentText(QStringLiteral("EAN-13"));
    // The lot number is no EAN content: the choice falls back to Code 128.
    control<QComboBox>(window, "组合框_条码内容")->setCurrentText(QStringLiteral("入库单号"));
    QCOMPARE(comboItems(symbology), (QStringList{"Code 128", "QR Code"}));
    QCOMPARE(symbology->currentText(), "Code 128");
    QCOMPARE(window->job().options.symbology, Symbology::Code128);
}

void TestLabelWindows::refusedContentPrintsNothing_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("message");
    QTest::newRow("Chinese in Code 128") << "螺丝-01"
                                         << "Code 128"
                                         << "该内容无法生成条码";
    QTest::newRow("wrong check digit") << "6901234567891"
                                       << "EAN-13"
                                       << "条码校验位不正确";
}

void TestLabelWindows::refusedContentPrintsNothing()
{
    QFETCH(QString, id);
    QFETCH(QString, symbology);
    QFETCH(QString, message);
    TestEnvironment env;
    env.addStock(QStringLiteral("rk5"), id, QStringLiteral("螺丝"), QStringLiteral("5"));
    auto* window = qobject_cast<LabelWindow*>(openLabelWindow(env.context(), "rk5"));
    control<QComboBox>(window, "组合框_条码类型")->setCurrentText(symbology);
    QCOMPARE(control<QLabel>(window, "标签_条码问题")->text(), message);
    bool asked = false;
    window->setDialogRunner([&asked](QDialog&) {
        asked = true;
        return int(QDialog::Accepted);
    });
    env.dialogs().answerMessage();
    QTest::mouseClick(control<QPushButton>(window, "按钮_打印"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, message);
    QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
    QVERIFY(!asked);
}

void TestLabelWindows::copiesByStock_data()
{
    QTest::addColumn<QString>("stock");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<int>("copies");
    QTest::newRow("whole stock") << "12" << true << 12;
    QTest::newRow("part of a unit") << "7.5" << false << 1;
    QTest::newRow("empty lot") << "0" << false << 1;
    QTest::newRow("more than the most") << "2500" << true << 1000;
}

void TestLabelWindows::copiesByStock()
{
    QFETCH(QString, stock);
    QFETCH(bool, offered);
    QFETCH(int, copies);
    TestEnvironment env;
    env.addStock(QStringLiteral("rk7"), QStringLiteral("B7"), QStringLiteral("垫圈"), stock);
    auto* window = qobject_cast<LabelWindow*>(openLabelWindow(env.context(), "rk7"));
    auto* byStock = control<QPushButton>(window, "按钮_按库存");
    QCOMPARE(byStock->isEnabled(), offered);
    QTest::mouseClick(byStock, Qt::LeftButton);
    QCOMPARE(control<QSpinBox>(window, "编辑框_份数")->value(), copies);
}

void TestLabelWindows::allLotsOfTheProduct()
{
    TestEnvironment env;
    env.addStock(QStringLiteral("rk1"), QStringLiteral("P-1"), QStringLiteral("扳手"), "3");
    env.addStock(QStringLiteral("rk2"), QStringLiteral("Q-2"), QStringLiteral("锤子"), "3");
    env.addStock(QStringLiteral("rk3"), QStringLiteral("P-1"), QStringLiteral("扳手"), "3");
    auto* window = qobject_cast<LabelWindow*>(openLabelWindow(env.context(), "rk3"));
    control<QComboBox>(window, "组合框_条码内容")->setCurrentText(QStringLiteral("入库单号"));
    control<QSpinBox>(window, "编辑框_份数")->setValue(2);
    control<QCheckBox>(window, "选择框_全部同类批次")->setChecked(true);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("all.pdf"));
    window->setDialogRunner(printToFile(pdf));
    QVERIFY(window->print());
    QCOMPARE(readPdf(pdf, dir.path()),
             (QStringList{"CODE-128:rk1", "CODE-128:rk1", "CODE-128:rk3", "CODE-128:rk3"}));
}

void TestLabelWindows::stockInOffersLabels()
{
    TestEnvironment env;
    QWidget mainWindow;
    env.context().setMainWindow(&mainWindow);
    env.dialogs().answerInput(QStringLiteral("P-100"));
    QPointer<QWidget> stockIn = openStockInWindow(env.context());
    QVERIFY(stockIn);
    auto* labels = control<QPushButton>(stockIn, "按钮_打印标签");
    QCOMPARE(labels->text(), QStringLiteral("打印标签"));
    QVERIFY(!labels->isEnabled());
    // Beside the window's buttons, inside the window, over none of its controls.
    QVERIFY(stockIn->rect().contains(labels->geometry()));
    const QList<QWidget*> controls = stockIn->findChildren<QWidget*>();
    for (QWidget* other : controls) {
        if (other != labels && other->parentWidget() == stockIn.data())
            QVERIFY2(!other->geometry().intersects(labels->geometry()),
                     qPrintable(other->objectName()));
    }

    control<QLineEdit>(stockIn, "编辑框_名称")->setText(QStringLiteral("螺母"));
    control<QLineEdit>(stockIn, "编辑框_数量")->setText(QStringLiteral("3"));
    env.dialogs().answerMessage(MessageAnswer::Yes); // 产品入库成功是否继续添加
    env.dialogs().answerInput(QStringLiteral("P-101"));
    QTest::mouseClick(control<QPushButton>(stockIn, "按钮_添加"), Qt::LeftButton);
    QCOMPARE(env.dialogs().shown().at(1).text, QStringLiteral("产品入库成功是否继续添加"));
    QVERIFY(stockIn->isVisible());
    QVERIFY(labels->isEnabled());

    QTest::mouseClick(labels, Qt::LeftButton);
    const QList<LabelWindow*> windows = labelWindows();
    QCOMPARE(windows.size(), 1);
    const LabelJob job = windows.first()->job();
    QCOMPARE(job.options.copies, 3);
    QCOMPARE(job.lots.size(), 1);
    QCOMPARE(job.lots.first().id, QStringLiteral("P-100"));
    QCOMPARE(job.lots.first().name, QStringLiteral("螺母"));
    QCOMPARE(job.lots.first().lot,
             env.value(QStringLiteral("select 入库单号 from 总数据库模块 where 产品ID=? "),
                       {QStringLiteral("P-100")}));
    delete stockIn.data();
}

void TestLabelWindows::scannerBoxesTakeCodesWithoutInputMethod_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("产品销售管理") << 0;
    QTest::newRow("出库") << 1;
    QTest::newRow("借用") << 2;
    QTest::newRow("退货") << 3;
    QTest::newRow("归还") << 4;
}

void TestLabelWindows::scannerBoxesTakeCodesWithoutInputMethod()
{
    QFETCH(int, window);
    using Opener = QWidget* (*)(AppContext&);
    const Opener openers[] = {openSalesWindow, openStockOutWindow, openBorrowingWindow,
                              openSalesReturnsWindow, openLoanReturnsWindow};
    TestEnvironment env;
    std::unique_ptr<QWidget> opened(openers[window](env.context()));
    QVERIFY(opened);
    // The search box, found by its name; the other boxes keep the input method.
    auto* search = control<QLineEdit>(opened.get(), "编辑框_查找");
    QVERIFY(!search->testAttribute(Qt::WA_InputMethodEnabled));
    const QList<QLineEdit*> boxes = opened->findChildren<QLineEdit*>();
    for (QLineEdit* box : boxes) {
        if (box != search && box->objectName() != QLatin1String("编辑框_数量"))
            QVERIFY2(box->testAttribute(Qt::WA_InputMethodEnabled), qPrintable(box->objectName()));
    }
    // The scan button's box asks for a scanner's code.
    env.dialogs().answerInput(std::nullopt);
    QTest::mouseClick(control<QPushButton>(opened.get(), "按钮_扫描"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().title, QStringLiteral("扫描窗口"));
    QCOMPARE(env.dialogs().last().mode, InputMode::Scan);

    // The real scan box takes it with the input method off; a text box keeps it.
    InputRequest request;
    request.mode = InputMode::Scan;
    QVERIFY(!InputBox(request).editBox()->testAttribute(Qt::WA_InputMethodEnabled));
    request.mode = InputMode::Text;
    QVERIFY(InputBox(request).editBox()->testAttribute(Qt::WA_InputMethodEnabled));
}

QTEST_MAIN(TestLabelWindows)
#include "test_labelwindows.moc"
