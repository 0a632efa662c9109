// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile texts in every free-text box of every window: quotes, SQL fragments, LIKE wildcards,
// full-width and 4-byte characters, control characters, nothing, blanks and 10,000 characters.
// One driver pastes each text into the boxes of each window offscreen and presses its action:
// nothing may crash, nothing a database refused may be reported as done, what is stored must be
// the text exactly as the box held it, and the file must pass its integrity check.

#include "admin/lothistorywindow.h"
#include "admin/windows.h"
#include "app/loginwindow.h"
#include "movements/windows.h"
#include "printing/pagejumpdialog.h"
#include "printing/previewwindow.h"
#include "printing/printentry.h"
#include "printing/printsession.h"
#include "printing/printsettings.h"
#include "printing/printsettingsdialog.h"
#include "printing/printsettingswindow.h"
#include "returns/windows.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

namespace
{

const QString kDone = QStringLiteral("操作成功");

// Puts the text into a box as pasting does: typing filters do not apply to pasted text.
void paste(QWidget* box, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    if (auto* combo = qobject_cast<QComboBox*>(box))
        box = combo->lineEdit();
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->selectAll();
        line->paste();
        if (text.isEmpty())
            line->clear();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
        plain->selectAll();
        plain->paste();
        if (text.isEmpty())
            plain->clear();
    }
}

template <typename T> T* child(QWidget* window, const char* name)
{
    T* found = window ? window->findChild<T*>(QString::fromUtf8(name)) : nullptr;
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void click(QWidget* window, const char* button)
{
    QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
}

// Selects the row whose column holds the text; false when no row does.
bool selectRow(ReportList* list, int column, const QString& text)
{
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->cellText(row, column) == text) {
            list->setCurrentRow(row);
            return true;
        }
    }
    return false;
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT
private slots:
    void everyBoxTakesHostileText_data();
    void everyBoxTakesHostileText();

private:
    // The newest row of a table, its columns by name (display texts).
    QHash<QString, QString> newest(const QString& table);
    int count(const QString& table) { return mEnv->count(table); }
    // The last box's text after pressing the button with one OK answer queued.
    QString press(QWidget* window, const char* button);
    // Checks that a refused action left the tables as they were, or that a done one stored the
    // text in the column of the table's newest row.
    void checkOutcome(const QString& shown, const QStringList& refusals, const QString& table,
                      int rowsBefore, const QString& column, const QString& text);

    void stockIn(const QString& text);
    void productWindows(const QString& text);
    void returnsWindows(const QString& text);
    void viewsAndAccounts(const QString& text);
    void printing(const QString& text);

    std::unique_ptr<TestEnvironment> mEnv;
    QString mLot;  // the lot stocked in with the text in every box
    QString mSale; // and one sale of it
    QString mLoan; // and one loan
};

void TestHostileInput::everyBoxTakesHostileText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("single quotes") << QStringLiteral("O'Brien's 货品'");
    QTest::newRow("double quotes") << QStringLiteral("\"双引号\" 12\" 尺");
    QTest::newRow("sql fragment") << QStringLiteral("'; drop table 总数据库模块; --");
    QTest::newRow("like wildcards") << QStringLiteral("100%_折扣_%");
    QTest::newRow("brackets and backslash") << QStringLiteral("[总数据库模块] \\' \\% ]]");
    QTest::newRow("full width") << QStringLiteral("１２３ＡＢＣ　ｘｙｚ");
    QTest::newRow("emoji") << QStringLiteral("📦货品😀🚚");
    QTest::newRow("control characters")
        << QStringLiteral("a\tb\nc\rd") + QChar(0) + QStringLiteral("e\x01\x1b[0m\x7f");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
    QString longText;
    const QString pieces = QStringLiteral("'\"%_;[中Ａ１😀\t ");
    while (longText.size() < 10000)
        longText += pieces;
    longText.truncate(10000);
    QTest::newRow("10,000 characters") << longText;
}

void TestHostileInput::everyBoxTakesHostileText()
{
    QFETCH(QString, text);
    mEnv = std::make_unique<TestEnvironment>();
    QWidget mainWindow; // the owner of every window, as in the program
    mEnv->context().setMainWindow(&mainWindow);
    mEnv->addStock(QStringLiteral("rk-base"), QStringLiteral("6900"), QStringLiteral("基准货品"),
                   QStringLiteral("100"));

    stockIn(text);
    productWindows(text);
    returnsWindows(text);
    viewsAndAccounts(text);
    printing(text);

    QCOMPARE(mEnv->dialogs().pending(), 0);
    QCOMPARE(mEnv->fatalErrors(), QStringList());
    QCOMPARE(mEnv->value(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != &mainWindow && window->testAttribute(Qt::WA_DeleteOnClose))
            window->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    mEnv.reset();
}

QHash<QString, QString> TestHostileInput::newest(const QString& table)
{
    QHash<QString, QString> row;
    Database& db = mEnv->db();
    const int handle = db.OpenTable(QStringLiteral("select * from %1 where rowid=(select "
                                                   "max(rowid) from %1)")
                                        .arg(table));
    if (handle && !db.IsEOF(handle)) {
        for (const QString& column : db.columnNames(handle))
            row.insert(column, db.readDisplay(handle, column));
    }
    db.CloseTable(handle);
    return row;
}

QString TestHostileInput::press(QWidget* window, const char* button)
{
    const qsizetype before = mEnv->dialogs().shown().size();
    mEnv->dialogs().answerMessage(MessageAnswer::Ok);
    click(window, button);
    const auto& shown = mEnv->dialogs().shown();
    return shown.size() > before ? shown.last().text : QStringLiteral("<no box>");
}

void TestHostileInput::checkOutcome(const QString& shown, const QStringList& refusals,
                                    const QString& table, int rowsBefore, const QString& column,
                                    const QString& text)
{
    if (shown == kDone || shown == QStringLiteral("产品入库成功是否继续添加")) {
        QCOMPARE(count(table), rowsBefore + 1);
        QCOMPARE(newest(table).value(column), text);
    } else {
        QVERIFY2(refusals.contains(shown), qPrintable(shown));
        QCOMPARE(count(table), rowsBefore);
    }
}

void TestHostileInput::stockIn(const QString& text)
{
    // The scan box: an empty code closes the window unseen.
    mEnv->dialogs().answerInput(text);
    QPointer<QWidget> window = openStockInWindow(mEnv->context());
    if (text.isEmpty()) {
        QVERIFY(!window);
        mEnv->dialogs().answerInput(QStringLiteral("6901"));
        window = openStockInWindow(mEnv->context());
    }
    const QString id = text.isEmpty() ? QStringLiteral("6901") : text;
    QVERIFY(window);
    paste(child<QLineEdit>(window, "编辑框_名称"), text);
    paste(child<QLineEdit>(window, "编辑框_数量"), QStringLiteral("5"));
    paste(child<QComboBox>(window, "组合框_单位"), text);
    paste(child<QLineEdit>(window, "编辑框_备注"), text);
    if (text.isEmpty()) {
        QCOMPARE(press(window, "按钮_添加"), QStringLiteral("产品名称不能为空"));
        paste(child<QLineEdit>(window, "编辑框_名称"), QStringLiteral("空名"));
    }
    mEnv->dialogs().answerMessage(MessageAnswer::No);
    click(window, "按钮_添加");
    QCOMPARE(mEnv->dialogs().last().text, QStringLiteral("产品入库成功是否继续添加"));
    const QHash<QString, QString> document = newest(QStringLiteral("入库管理模块"));
    mLot = document.value(QStringLiteral("入库单号"));
    const QHash<QString, QString> lot = newest(QStringLiteral("总数据库模块"));
    QCOMPARE(lot.value(QStringLiteral("入库单号")), mLot);
    for (const auto* row : {&document, &lot}) {
        QCOMPARE(row->value(QStringLiteral("产品ID")), id);
        QCOMPARE(row->value(QStringLiteral("产品名称")),
                 text.isEmpty() ? QStringLiteral("空名") : text);
        QCOMPARE(row->value(QStringLiteral("产品单位")), text);
        QCOMPARE(row->value(QStringLiteral("备注")), text);
    }

    // The text as the quantity: refused, or stored as typed.
    mEnv->dialogs().answerInput(QStringLiteral("6902"));
    window = openStockInWindow(mEnv->context());
    paste(child<QLineEdit>(window, "编辑框_名称"), QStringLiteral("数量"));
    paste(child<QLineEdit>(window, "编辑框_数量"), text);
    const int before = count(QStringLiteral("入库管理模块"));
    mEnv->dialogs().answerMessage(MessageAnswer::No); // any box: "继续添加" is a question
    click(window, "按钮_添加");
    const QString shown = mEnv->dialogs().last().text;
    checkOutcome(shown, {QStringLiteral("产品数量输入错误"), QStringLiteral("产品入库失败")},
                 QStringLiteral("入库管理模块"), before, QStringLiteral("入库数量"), text);
    if (window)
        window->close();
    mEnv->dialogs().clear();
}

void TestHostileInput::productWindows(const QString& text)
{
    // Search and scan find the lot by its name and its ID, whatever they hold.
    std::unique_ptr<QWidget> sales(openSalesWindow(mEnv->context()));
    auto* list = child<ReportList>(sales.get(), "超级列表框_销售");
    paste(child<QLineEdit>(sales.get(), "编辑框_查找"), text);
    click(sales.get(), "按钮_查找xs");
    QVERIFY(selectRow(list, 1, mLot));
    mEnv->dialogs().answerInput(text);
    click(sales.get(), "按钮_扫描");
    QVERIFY(selectRow(list, 1, mLot));

    // A sale of the lot with the text as its price; then the text as the quantity.
    paste(child<QLineEdit>(sales.get(), "编辑框_单价"), text);
    mEnv->dialogs().answerInput(QStringLiteral("1"));
    QCOMPARE(press(sales.get(), "按钮_销售"), kDone);
    const QHash<QString, QString> sale = newest(QStringLiteral("销售管理模块"));
    mSale = sale.value(QStringLiteral("销售单号"));
    QCOMPARE(sale.value(QStringLiteral("入库单号")), mLot);
    QCOMPARE(sale.value(QStringLiteral("产品单位")), text);
    QCOMPARE(sale.value(QStringLiteral("销售单价")), text);
    QVERIFY(selectRow(list, 1, mLot));
    mEnv->dialogs().answerInput(text);
    int before = count(QStringLiteral("销售管理模块"));
    checkOutcome(press(sales.get(), "按钮_销售"),
                 {QStringLiteral("出售数量有误"), QStringLiteral("现有库存不足")},
                 QStringLiteral("销售管理模块"), before, QStringLiteral("销售数量"), text);

    // Stock-out: reason and remark; then the quantity.
    std::unique_ptr<QWidget> stockOut(openStockOutWindow(mEnv->context()));
    list = child<ReportList>(stockOut.get(), "超级列表框_出库");
    QVERIFY(selectRow(list, 1, mLot));
    paste(child<QLineEdit>(stockOut.get(), "编辑框_数量"), QStringLiteral("1"));
    paste(child<QLineEdit>(stockOut.get(), "编辑框_原因"), text);
    paste(child<QLineEdit>(stockOut.get(), "编辑框_备注"), text);
    QCOMPARE(press(stockOut.get(), "按钮_出库"), kDone);
    const QHash<QString, QString> out = newest(QStringLiteral("出库管理模块"));
    QCOMPARE(out.value(QStringLiteral("产品名称")),
             newest(QStringLiteral("入库管理模块")).value(QStringLiteral("产品名称")));
    QCOMPARE(out.value(QStringLiteral("出库原因")), text);
    QCOMPARE(out.value(QStringLiteral("备注")), text);
    QVERIFY(selectRow(list, 1, mLot));
    paste(child<QLineEdit>(stockOut.get(), "编辑框_数量"), text);
    before = count(QStringLiteral("出库管理模块"));
    checkOutcome(press(stockOut.get(), "按钮_出库"),
                 {QStringLiteral("出库数量有误"), QStringLiteral("现有库存不足")},
                 QStringLiteral("出库管理模块"), before, QStringLiteral("出库数量"), text);

    // Lending: the borrower and the remark; then the quantity.
    std::unique_ptr<QWidget> lending(openBorrowingWindow(mEnv->context()));
    list = child<ReportList>(lending.get(), "超级列表框_借用");
    QVERIFY(selectRow(list, 1, mLot));
    paste(child<QLineEdit>(lending.get(), "编辑框_人员"), text);
    paste(child<QLineEdit>(lending.get(), "编辑框_数量"), QStringLiteral("1"));
    paste(child<QLineEdit>(lending.get(), "编辑框_备注"), text);
    QCOMPARE(press(lending.get(), "按钮_借用"), kDone);
    const QHash<QString, QString> loan = newest(QStringLiteral("借用管理模块"));
    mLoan = loan.value(QStringLiteral("借用单号"));
    QCOMPARE(loan.value(QStringLiteral("借用人员单位")), text);
    QCOMPARE(loan.value(QStringLiteral("备注")), text);
    QVERIFY(selectRow(list, 1, mLot));
    paste(child<QLineEdit>(lending.get(), "编辑框_数量"), text);
    before = count(QStringLiteral("借用管理模块"));
    checkOutcome(press(lending.get(), "按钮_借用"),
                 {QStringLiteral("借用数量有误"), QStringLiteral("现有库存不足")},
                 QStringLiteral("借用管理模块"), before, QStringLiteral("借用数量"), text);
    // The lot's stock is what came in less what went out.
    QCOMPARE(
        mEnv->value(
            QStringLiteral("select 5 - (select total(销售数量) from 销售管理模块 where 入库单号=?1)"
                           " - (select total(出库数量) from 出库管理模块 where 入库单号=?1)"
                           " - (select total(借用数量) from 借用管理模块 where 入库单号=?1)"
                           " - (select 产品库存 from 总数据库模块 where 入库单号=?1)"),
            {mLot}),
        QStringLiteral("0"));
}

void TestHostileInput::returnsWindows(const QString& text)
{
    struct Kind {
        QWidget* (*open)(AppContext&);
        const char* list;
        const char* find;
        const char* quantity;
        const char* detail;
        const char* action;
        QString document;
        QString table;
        QString detailColumn;
        QString quantityColumn;
        QString badQuantity;
        QString tooMany;
    };
    const Kind kinds[] = {
        {openSalesReturnsWindow, "超级列表框_退货", "按钮_查找th", "编辑框_退货数量", "编辑框_原因",
         "按钮_退货", mSale, QStringLiteral("退货管理模块"), QStringLiteral("退货原因"),
         QStringLiteral("退货数量"), QStringLiteral("退货数量有误"),
         QStringLiteral("退货数量大于购买数量请核对后处理")},
        {openLoanReturnsWindow, "超级列表框_归还", "按钮_查找gh", "编辑框_归还数量",
         "编辑框_归还人员", "按钮_归还", mLoan, QStringLiteral("归还管理模块"),
         QStringLiteral("归还人员"), QStringLiteral("归还数量"), QStringLiteral("归还数量不能为空"),
         QStringLiteral("归还数量大于借用数量请核对后处理")}};
    for (const Kind& kind : kinds) {
        std::unique_ptr<QWidget> window(kind.open(mEnv->context()));
        auto* list = child<ReportList>(window.get(), kind.list);
        paste(child<QLineEdit>(window.get(), "编辑框_查找"), text);
        click(window.get(), kind.find);
        QVERIFY(selectRow(list, 1, kind.document));
        mEnv->dialogs().answerInput(text);
        click(window.get(), "按钮_扫描");
        QVERIFY(selectRow(list, 1, kind.document));

        // Not sellable again: the remark also goes into the problem record.
        child<QRadioButton>(window.get(), "单选框_影响")->setChecked(true);
        paste(child<QLineEdit>(window.get(), kind.quantity), QStringLiteral("1"));
        paste(child<QLineEdit>(window.get(), kind.detail), text);
        paste(child<QLineEdit>(window.get(), "编辑框_备注"), text);
        QCOMPARE(press(window.get(), kind.action), kDone);
        const QHash<QString, QString> returned = newest(kind.table);
        QCOMPARE(returned.value(kind.detailColumn), text);
        QCOMPARE(returned.value(QStringLiteral("备注")), text);
        QCOMPARE(newest(QStringLiteral("问题处理模块")).value(QStringLiteral("备注")), text);

        QVERIFY(selectRow(list, 1, kind.document));
        paste(child<QLineEdit>(window.get(), kind.quantity), text);
        const int before = count(kind.table);
        checkOutcome(press(window.get(), kind.action), {kind.badQuantity, kind.tooMany}, kind.table,
                     before, kind.quantityColumn, text);
    }
}

void TestHostileInput::viewsAndAccounts(const QString& text)
{
    // The lists and read-only boxes that show the stored texts.
    std::unique_ptr<QWidget> problems(openProblemGoodsWindow(mEnv->context()));
    std::unique_ptr<QWidget> details(openRecordDetailsWindow(mEnv->context()));
    QPointer<QWidget> history = openLotHistoryWindow(mEnv->context(), mLot);
    QVERIFY(history);
    QCOMPARE(child<QLineEdit>(history, "编辑框_产品名称")->text(),
             text.isEmpty() ? QStringLiteral("空名") : text);
    delete history.data();

    // An account named with the text, its password the text; a new password; a login.
    QPointer<QWidget> login = new LoginWindow(mEnv->context());
    QPointer<QWidget> accounts = openAccountWindow(mEnv->context(), login);
    paste(child<QLineEdit>(accounts, "编辑框_用户名"), text);
    paste(child<QLineEdit>(accounts, "编辑框_密码1"), text);
    paste(child<QLineEdit>(accounts, "编辑框_密码2"), text);
    const int before = count(QStringLiteral("用户登录模块"));
    const QString registered = press(accounts, "按钮_注册");
    checkOutcome(registered == QStringLiteral("用户注册成功") ? kDone : registered,
                 {QStringLiteral("用户名不能为空"), QStringLiteral("用户名中存在违禁字符"),
                  QStringLiteral("密码中存在违禁字符")},
                 QStringLiteral("用户登录模块"), before, QStringLiteral("用户名"), text);
    if (registered == QStringLiteral("用户注册成功")) {
        click(accounts, "按钮_显示");
        auto* names = child<QListWidget>(accounts, "列表框1");
        const QList<QListWidgetItem*> found = names->findItems(text, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        names->setCurrentItem(found.first());
        mEnv->dialogs().answerInput(text);
        const QString changed = press(accounts, "按钮_修改密码");
        QVERIFY2(changed == QStringLiteral("密码修改成功，新密码为") + text ||
                     changed == QStringLiteral("密码中存在违禁字符"),
                 qPrintable(changed));

        paste(child<QLineEdit>(login, "编辑框_用户名"), text);
        paste(child<QLineEdit>(login, "编辑框_密码"), text);
        const QString loggedIn = press(login, "按钮_登录");
        if (loggedIn == QStringLiteral("登录成功"))
            QCOMPARE(mEnv->context().sessionUser(), text);
        else
            QVERIFY2(loggedIn.contains(QStringLiteral("违禁")), qPrintable(loggedIn));
        mEnv->context().setSessionUser(QStringLiteral("admin"));
    }
    delete accounts.data();
    delete login.data();
}

void TestHostileInput::printing(const QString& text)
{
    // A list holding the text, printed with the text as title, date line, remarks, rows per
    // page, font size, computed column name and formula.
    QWidget sourceWindow;
    auto* source = new ReportList(&sourceWindow);
    source->setColumns({{QStringLiteral("产品名称"), 100}, {QStringLiteral("产品库存"), 60}});
    source->appendRows({{text, QStringLiteral("7.5")}, {QStringLiteral("螺丝"), text}});
    PrintSession::of(mEnv->context()).setSource(&sourceWindow, source);
    PrintSettingsWindow window(mEnv->context());
    window.show();
    for (const char* box : {"标题", "日期", "行数", "字体大小"})
        paste(child<QLineEdit>(&window, box), text);
    auto* remarks = child<QPlainTextEdit>(&window, "备注");
    paste(remarks, text);
    window.setDialogRunner([&text](QDialog& dialog) {
        paste(child<QLineEdit>(&dialog, "新列名编辑框"), text);
        paste(child<QLineEdit>(&dialog, "公式编辑框"), text);
        QTest::mouseClick(child<QPushButton>(&dialog, "确定"), Qt::LeftButton);
        return dialog.result();
    });
    if (text.isEmpty())
        mEnv->dialogs().answerMessage(); // "自定义列标题或者公式填写错误！"
    click(&window, "添加");
    click(&window, "打印预览");

    // The layout is saved as typed.
    mEnv->context().settings().sync();
    QSettings reread(mEnv->context().settings().fileName(), QSettings::IniFormat);
    const std::optional<SavedPrintSettings> saved = readSavedPrintSettings(reread);
    QVERIFY(saved);
    QCOMPARE(saved->title, text);
    QCOMPARE(saved->rowsPerPage, text);
    QCOMPARE(saved->fontSize, text);
    QCOMPARE(saved->remarks, remarks->toPlainText());

    // The preview shows the report; its settings dialog takes the text as the file name, and the
    // page jump box the text as a page.
    PreviewWindow* preview = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<PreviewWindow*>(widget))
            preview = found;
    }
    QVERIFY(preview);
    const ReportTable& report = preview->report();
    QStringList cells;
    for (int r = 1; r <= report.rowCount(); ++r) {
        for (int c = 1; c <= report.columnCount(); ++c)
            cells.append(report.text(r, c));
    }
    QVERIFY(cells.contains(text));
    preview->setDialogRunner([&text](QDialog& dialog) {
        if (auto* jump = qobject_cast<PageJumpDialog*>(&dialog)) {
            paste(jump->pageBox(), text);
            return int(QDialog::Accepted);
        }
        child<QCheckBox>(&dialog, "选择框_打印到文件")->setChecked(true);
        paste(child<QLineEdit>(&dialog, "编辑框_文件名"), text);
        QTest::mouseClick(child<QPushButton>(&dialog, "按钮_确认"), Qt::LeftButton);
        return dialog.result();
    });
    preview->printSettings();
    QCOMPARE(preview->report().printSettings().fileName, text);
    preview->jumpToPage();
    QVERIFY(preview->page() >= 0 && preview->page() < preview->pageCount());
    preview->close();
}

QTEST_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
