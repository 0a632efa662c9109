// SPDX-License-Identifier: GPL-3.0-or-later
// The label windows driven as an operator would: 工具 → 打印标签 with its checks, the label
// window printing to a PDF that a barcode reader reads back, the stock-in window's "打印标签",
// and the scanner boxes that take a code with the input method off.

#include "app/mainwindow.h"
#include "labels/labelentry.h"
#include "labels/labelwindow.h"
#include "movements/windows.h"
#include "returns/windows.h"
#include "tests/labels/barcodereader.h"
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

// The printer dialog answered with a PDF file.
LabelWindow::DialogRunner printToFile(const QString& file)
{
    return [file](QDialog& dialog) {
        control<QCheckBox>(&dialog, "选择框_打印到文件")->setChecked(true);
        control<QLineEdit>(&dialog, "编辑框_文件名")->setText(file);
        return int(QDialog::Accepted);
    };
}

} // namespace

class TestLabelWindows : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { qDeleteAll(labelWindows()); }
    void menuOpensWindowThatPrints();
    void windowChecksContent_data();
    void windowChecksContent();
    void stockInOffersLabels();
    void scannerBoxesTakeCodesWithoutInputMethod_data();
    void scannerBoxesTakeCodesWithoutInputMethod();
};

void TestLabelWindows::menuOpensWindowThatPrints()
{
    TestEnvironment env{QString()};
    const QString name = QStringLiteral("不锈钢螺丝 M6×20");
    env.addStock(QStringLiteral("rk1"), QStringLiteral("AB-12-x"), name, "40");
    env.addStock(QStringLiteral("rk2"), QStringLiteral("Q-2"), QStringLiteral("锤子"), "3");
    env.addStock(QStringLiteral("rk3"), QStringLiteral("AB-12-x"), name, "3");
    MainWindow main(env.context());
    QAction* item = control<QAction>(&main, "菜单_打印标签");
    QCOMPARE(item->text(), QStringLiteral("打印标签"));
    QCOMPARE(control<QMenu>(&main, "菜单_工具")->actions().first(), item);

    // Nobody logged in; then logged in with no lot selected; then a lot selected.
    for (const char* text : {"请登录后操作", "请选择要打印标签的产品"}) {
        env.dialogs().answerMessage();
        item->trigger();
        QCOMPARE(env.dialogs().last().text, QString::fromUtf8(text));
        QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
        env.context().setSessionUser(QStringLiteral("仓管员"));
    }
    QVERIFY(labelWindows().isEmpty());
    control<ReportList>(&main, "超级列表框主")->setCurrentRow(0);
    item->trigger();
    QCOMPARE(env.dialogs().shown().size(), 2);
    QCOMPARE(labelWindows().size(), 1);
    QPointer<LabelWindow> window = labelWindows().first();
    QCOMPARE(window->windowTitle(), QStringLiteral("标签打印"));
    QCOMPARE(window->parentWidget(), &main);
    QVERIFY(window->isVisible());
    QCOMPARE(window->job().lots.first().lot, QStringLiteral("rk1"));

    // The defaults: 产品ID as Code 128 on 50×30 mm, one copy of the one lot.
    QCOMPARE(control<QComboBox>(window, "组合框_条码内容")->currentText(), "产品ID");
    QCOMPARE(control<QComboBox>(window, "组合框_条码类型")->currentText(), "Code 128");
    QCOMPARE(control<QComboBox>(window, "组合框_标签尺寸")->currentText(), "50×30 mm");
    QCOMPARE(control<QSpinBox>(window, "编辑框_份数")->value(), 1);
    QVERIFY(!control<QWidget>(window, "编辑框_宽度")->isEnabled());

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("标签.pdf"));
    window->setDialogRunner(printToFile(pdf));
    control<QComboBox>(window, "组合框_标签尺寸")->setCurrentText(QStringLiteral("60×40 mm"));
    control<QCheckBox>(window, "选择框_产品单位")->setChecked(false);
    control<QSpinBox>(window, "编辑框_份数")->setValue(3);
    QTest::mouseClick(control<QPushButton>(window, "按钮_打印"), Qt::LeftButton);
    QCOMPARE(env.dialogs().shown().size(), 2);
    QCOMPARE(readPdf(pdf), QStringList(3, QStringLiteral("CODE-128:AB-12-x")));

    // The choices are kept: the next window opens with them and the file.
    QTest::mouseClick(control<QPushButton>(window, "按钮_关闭"), Qt::LeftButton);
    QVERIFY(labelWindows().isEmpty() && !window);
    auto* next = qobject_cast<LabelWindow*>(openLabelWindow(env.context(), "rk3"));
    QCOMPARE(control<QComboBox>(next, "组合框_标签尺寸")->currentText(), "60×40 mm");
    QVERIFY(!control<QCheckBox>(next, "选择框_产品单位")->isChecked());
    QCOMPARE(control<QSpinBox>(next, "编辑框_份数")->value(), 1);
    LabelPrintDialog dialog(env.context(), {QString(), true, pdf});
    QVERIFY(control<QCheckBox>(&dialog, "选择框_打印到文件")->isChecked());

    // Every lot of the product, by lot number.
    control<QComboBox>(next, "组合框_条码内容")->setCurrentText(QStringLiteral("入库单号"));
    control<QSpinBox>(next, "编辑框_份数")->setValue(2);
    control<QCheckBox>(next, "选择框_全部同类批次")->setChecked(true);
    next->setDialogRunner(printToFile(pdf));
    QVERIFY(next->print());
    QCOMPARE(readPdf(pdf),
             (QStringList{"CODE-128:rk1", "CODE-128:rk1", "CODE-128:rk3", "CODE-128:rk3"}));
}

void TestLabelWindows::windowChecksContent_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("stock");
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("byStock");
    QTest::addColumn<int>("copies");

    const auto row = [](const char* name, const QString& id, const QString& stock,
                        const QString& symbology, const QString& message, bool byStock,
                        int copies) {
        QTest::newRow(name) << id << stock << symbology << message << byStock << copies;
    };
    row("whole stock", "B7", "12", "Code 128", {}, true, 12);
    row("part of a unit", "B7", "7.5", "Code 128", {}, false, 1);
    row("negative stock", "B7", "-3", "Code 128", {}, false, 1);
    row("empty lot", "B7", "0", "Code 128", {}, false, 1);
    row("more than the most", "B7", "2500", "Code 128", {}, true, 1000);
    row("EAN of 12 digits", "690123456789", "6", "EAN-13", {}, true, 6);
    row("Chinese in Code 128", "螺丝-01", "5", "Code 128", "该内容无法生成条码", true, 5);
    row("wrong check digit", "6901234567891", "5", "EAN-13", "条码校验位不正确", true, 5);
}

void TestLabelWindows::windowChecksContent()
{
    QFETCH(QString, id);
    QFETCH(QString, stock);
    QFETCH(QString, symbology);
    QFETCH(QString, message);
    QFETCH(bool, byStock);
    QFETCH(int, copies);
    TestEnvironment env;
    env.addStock(QStringLiteral("rk1"), id, QStringLiteral("螺丝"), stock);
    auto* window = qobject_cast<LabelWindow*>(openLabelWindow(env.context(), "rk1"));
    auto* symbologies = control<QComboBox>(window, "组合框_条码类型");
    symbologies->setCurrentText(symbology);
    QCOMPARE(symbologies->currentText(), symbology);
    QCOMPARE(control<QLabel>(window, "标签_条码问题")->text(), message);

    // "按库存" gives a copy for each unit of a whole stock, up to the most.
    auto* byStockButton = control<QPushButton>(window, "按钮_按库存");
    QCOMPARE(byStockButton->isEnabled(), byStock);
    QTest::mouseClick(byStockButton, Qt::LeftButton);
    QCOMPARE(control<QSpinBox>(window, "编辑框_份数")->value(), copies);

    // A refused content is said and nothing printed: the printer dialog is not shown.
    if (!message.isEmpty()) {
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

    // EAN-13 is offered for digits only: with the lot number the choice falls back to Code 128.
    control<QComboBox>(window, "组合框_条码内容")->setCurrentText(QStringLiteral("入库单号"));
    QCOMPARE(symbologies->count(), 2);
    QVERIFY(symbologies->findText("QR Code") >= 0);
    QCOMPARE(symbologies->currentText(), "Code 128");
    QCOMPARE(window->job().options.symbology, Symbology::Code128);
}

void TestLabelWindows::stockInOffersLabels()
{
    TestEnvironment env;
    QWidget mainWindow;
    env.context().setMainWindow(&mainWindow);
    env.dialogs().answerInput(QStringLiteral("P-100"));
    std::unique_ptr<QWidget> stockIn(openStockInWindow(env.context()));
    QVERIFY(stockIn);
    auto* labels = control<QPushButton>(stockIn.get(), "按钮_打印标签");
    QCOMPARE(labels->text(), QStringLiteral("打印标签"));
    QVERIFY(!labels->isEnabled());
    // Beside the window's buttons, inside the window, over none of its controls.
    QVERIFY(stockIn->rect().contains(labels->geometry()));
    const QList<QWidget*> controls = stockIn->findChildren<QWidget*>();
    for (QWidget* other : controls) {
        if (other != labels && other->parentWidget() == stockIn.get())
            QVERIFY2(!other->geometry().intersects(labels->geometry()),
                     qPrintable(other->objectName()));
    }

    control<QLineEdit>(stockIn.get(), "编辑框_名称")->setText(QStringLiteral("螺母"));
    control<QLineEdit>(stockIn.get(), "编辑框_数量")->setText(QStringLiteral("3"));
    env.dialogs().answerMessage(MessageAnswer::Yes);
    env.dialogs().answerInput(QStringLiteral("P-101"));
    QTest::mouseClick(control<QPushButton>(stockIn.get(), "按钮_添加"), Qt::LeftButton);
    QCOMPARE(env.dialogs().shown().at(1).text, QStringLiteral("产品入库成功是否继续添加"));
    QVERIFY(stockIn->isVisible() && labels->isEnabled());

    // The label window for the lot just stored, as many copies as came in.
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
}

void TestLabelWindows::scannerBoxesTakeCodesWithoutInputMethod_data()
{
    QTest::addColumn<int>("window");
    const char* names[] = {"产品销售管理", "出库", "借用", "退货", "归还"};
    for (int i = 0; i < 5; ++i)
        QTest::newRow(names[i]) << i;
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
    // The scan button's box asks for a scanner's code; the real scan box takes it with the input
    // method off, a text box keeps it.
    env.dialogs().answerInput(std::nullopt);
    QTest::mouseClick(control<QPushButton>(opened.get(), "按钮_扫描"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().title, QStringLiteral("扫描窗口"));
    QCOMPARE(env.dialogs().last().mode, InputMode::Scan);
    for (const InputMode mode : {InputMode::Scan, InputMode::Text}) {
        InputRequest request;
        request.mode = mode;
        QCOMPARE(InputBox(request).editBox()->testAttribute(Qt::WA_InputMethodEnabled),
                 mode == InputMode::Text);
    }
}

QTEST_MAIN(TestLabelWindows)
#include "test_labelwindows.moc"
