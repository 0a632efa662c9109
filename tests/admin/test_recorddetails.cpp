// SPDX-License-Identifier: GPL-3.0-or-later
// The record details window: the administrator check on every tab change, the filling of each
// record tab with running numbers and its count, and the print items.
#include "admin/recorddetailswindow.h"
#include "printing/printrun.h"
#include "printing/printsession.h"
#include "printing/printsettingswindow.h"
#include "printing/reportbuilder.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{

struct Details {
    explicit Details(const QString& user = QStringLiteral("admin")) : env(user)
    {
        window = std::make_unique<RecordDetailsWindow>(env.context());
        window->show();
        tabs = window->findChild<QTabWidget*>(QStringLiteral("高级选择夹1"));
        status = window->findChild<QLabel*>(QStringLiteral("透明标签_状态"));
        if (!tabs || !status)
            qFatal("record details controls missing");
    }

    // Clicks the tab, as the operator does.
    void choose(int tab) const
    {
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    }
    void print(const QString& item) const
    {
        window->findChild<QAction*>(QStringLiteral("菜单_") + item)->trigger();
    }
    // Adds a document holding only its number (and, where given, one more field).
    void addRecord(const QString& table, const QString& numberField, const QString& number,
                   const QString& field = {}, const QString& value = {})
    {
        const bool extra = !field.isEmpty();
        const QString sql = QStringLiteral("insert into %1(%2%3)values(?%4)")
                                .arg(table, numberField, extra ? QStringLiteral(",") + field : "",
                                     extra ? QStringLiteral(",?") : "");
        QVERIFY(
            env.db().ExecuteSql(sql, extra ? QVariantList{number, value} : QVariantList{number}));
    }

    // The list the print items last handed to printing; closes the print settings windows they
    // opened (they have no owner) and gives how many there were.
    ReportList* printed() { return PrintSession::of(env.context()).source(); }
    static int closePrintSettings()
    {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<PrintSettingsWindow*>(widget) && widget->isVisible()) {
                widget->close();
                ++count;
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return count;
    }

    TestEnvironment env;
    std::unique_ptr<RecordDetailsWindow> window;
    QTabWidget* tabs = nullptr;
    QLabel* status = nullptr;
};

} // namespace

class TestRecordDetails : public QObject
{
    Q_OBJECT
private slots:
    void opensEmptyOnTheWelcomeTab();
    void recordTabFills_data();
    void recordTabFills();
    void emptyTableCountsZero();
    void welcomeTabClearsStatus();
    void otherUsersAreRefused_data();
    void otherUsersAreRefused();
    void printItemSwitchesAndFillsOnce();
    void printItemOfReturnsShowsItsHeader();
    void printAndExportAskEveryTime();
};

void TestRecordDetails::opensEmptyOnTheWelcomeTab()
{
    Details details;
    QCOMPARE(details.window->windowTitle(),
             QStringLiteral("出入库表单详细信息管理模块    （仅限管理员进入）"));
    QCOMPARE(details.tabs->count(), 8);
    const QStringList captions = {"欢迎页面", "入库表单", "出库表单", "销售表单",
                                  "退货表单", "借用表单", "归还表单", "问题表单"};
    for (int tab = 0; tab < 8; ++tab)
        QCOMPARE(details.tabs->tabText(tab), captions[tab]);
    QCOMPARE(details.tabs->currentIndex(), 0);
    QVERIFY(details.status->text().isEmpty());
    for (int tab = 1; tab <= RecordDetailsWindow::kRecordTabs; ++tab)
        QCOMPARE(details.window->list(tab)->rowCount(), 0);
    QVERIFY(details.env.dialogs().shown().isEmpty());

    const QString welcome = details.window->findChild<QLabel*>(QStringLiteral("透明标签1"))->text();
    QCOMPARE(welcome, QStringLiteral("尊敬的管理员您好\r\n\r\n"
                                     "感谢您使用Korlith-商品仓库管理系统\r\n\r\n"
                                     "为了您的仓库数据安全请妥善管理好您的admin账号密码\r\n\r\n"
                                     "admin的用户登录后才有最高权力的操作\r\n\r\n"
                                     "例如[删除产品，详单管理，用户管理]等\r\n\r\n"
                                     "例如本界面，其他用户是无权进入的\r\n\r\n"
                                     "其他用户登录只能进入[入库，销售]等日常处理的模块\r\n"));

    QStringList printItems;
    const auto* menu = details.window->findChild<QMenu*>(QStringLiteral("菜单_打印详单"));
    QVERIFY(menu);
    for (const QAction* action : menu->actions())
        printItems.append(action->text());
    QCOMPARE(printItems, captions.mid(1));
}

void TestRecordDetails::recordTabFills_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("listName");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("numberField");
    QTest::addColumn<int>("columns");
    // One more column whose header may differ from its field.
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("status");

    QTest::newRow("stock-in") << 1 << "超级列表框_入库详单"
                              << "入库管理模块"
                              << "入库单号" << 9 << 7 << "入库人员"
                              << "入库人员"
                              << "共有 2 条入库信息";
    QTest::newRow("stock-out") << 2 << "超级列表框_出库详单"
                               << "出库管理模块"
                               << "出库单号" << 11 << 7 << "出库原因"
                               << "出库原因"
                               << "共有 2 条出库信息";
    QTest::newRow("sales") << 3 << "超级列表框_销售详单"
                           << "销售管理模块"
                           << "销售单号" << 12 << 7 << "销售单价"
                           << "销售单价"
                           << "共有 2 条销售信息";
    QTest::newRow("sales returns") << 4 << "超级列表框_退货详单"
                                   << "退货管理模块"
                                   << "退货单号" << 13 << 9 << "是否影响再次销售"
                                   << "是否影响二次销售"
                                   << "共有 2 条退货信息";
    QTest::newRow("loans") << 5 << "超级列表框_借用详单"
                           << "借用管理模块"
                           << "借用单号" << 12 << 7 << "借用人员"
                           << "借用人员单位"
                           << "共有 2 条借用信息";
    QTest::newRow("loan returns") << 6 << "超级列表框_归还详单"
                                  << "归还管理模块"
                                  << "归还单号" << 13 << 9 << "是否影响二次销售"
                                  << "是否影响二次销售"
                                  << "共有 2 条归还信息";
    QTest::newRow("problem goods") << 7 << "超级列表框_问题详单"
                                   << "问题处理模块"
                                   << "问题单号" << 15 << 13 << "录入人员"
                                   << "录入人员"
                                   << "共有 2 条问题产品信息";
}

void TestRecordDetails::recordTabFills()
{
    QFETCH(int, tab);
    QFETCH(QString, listName);
    QFETCH(QString, table);
    QFETCH(QString, numberField);
    QFETCH(int, columns);
    QFETCH(int, column);
    QFETCH(QString, header);
    QFETCH(QString, field);
    QFETCH(QString, status);

    Details details;
    details.addRecord(table, numberField, QStringLiteral("d1"), field, QStringLiteral("值一"));
    details.addRecord(table, numberField, QStringLiteral("d2"), field, QStringLiteral("值二"));
    ReportList* list = details.window->findChild<ReportList*>(listName);
    QVERIFY(list);
    QCOMPARE(list, details.window->list(tab));
    QCOMPARE(list->columnCount(), columns);
    QCOMPARE(list->columnTitle(0), QStringLiteral("序号"));
    QCOMPARE(list->columnTitle(1), numberField);
    QCOMPARE(list->columnTitle(column), header);

    // Chosen twice (away and back), the records show once each, numbered from 1.
    for (int round = 0; round < 2; ++round) {
        details.choose(tab);
        QCOMPARE(details.tabs->currentIndex(), tab);
        QCOMPARE(list->rowCount(), 2);
        QCOMPARE(list->cellText(0, 0), QStringLiteral("1"));
        QCOMPARE(list->cellText(1, 0), QStringLiteral("2"));
        QCOMPARE(list->cellText(0, 1), QStringLiteral("d1"));
        QCOMPARE(list->cellText(1, 1), QStringLiteral("d2"));
        QCOMPARE(list->cellText(1, column), QStringLiteral("值二"));
        QCOMPARE(details.status->text(), status);
        details.choose(tab == 1 ? 2 : 1);
    }
    // A new document shows once the tab is chosen again.
    details.addRecord(table, numberField, QStringLiteral("d3"));
    details.choose(tab);
    QCOMPARE(list->rowCount(), 3);
    QCOMPARE(list->cellText(2, 0), QStringLiteral("3"));
    QCOMPARE(details.status->text(), QString(status).replace(QStringLiteral("2"), "3"));
    QVERIFY(details.env.dialogs().shown().isEmpty());
}

void TestRecordDetails::emptyTableCountsZero()
{
    Details details;
    details.choose(7);
    QCOMPARE(details.window->list(7)->rowCount(), 0);
    QCOMPARE(details.status->text(), QStringLiteral("共有 0 条问题产品信息"));
}

void TestRecordDetails::welcomeTabClearsStatus()
{
    Details details;
    details.addRecord(QStringLiteral("销售管理模块"), QStringLiteral("销售单号"),
                      QStringLiteral("xs1"));
    details.choose(3);
    QCOMPARE(details.status->text(), QStringLiteral("共有 1 条销售信息"));
    details.choose(0);
    QVERIFY(details.status->text().isEmpty());
    // The list keeps what it was filled with.
    QCOMPARE(details.window->list(3)->rowCount(), 1);
}

void TestRecordDetails::otherUsersAreRefused_data()
{
    QTest::addColumn<QString>("user");
    QTest::newRow("plain user") << "zhang";
    QTest::newRow("Admin") << "Admin";
    QTest::newRow("nobody") << "";
}

void TestRecordDetails::otherUsersAreRefused()
{
    QFETCH(QString, user);
    Details details;
    details.addRecord(QStringLiteral("入库管理模块"), QStringLiteral("入库单号"),
                      QStringLiteral("rk1"));
    details.addRecord(QStringLiteral("出库管理模块"), QStringLiteral("出库单号"),
                      QStringLiteral("ck1"));
    details.choose(1);
    QCOMPARE(details.status->text(), QStringLiteral("共有 1 条入库信息"));

    // The administrator logged out while the window stayed open.
    details.env.context().setSessionUser(user);
    details.env.dialogs().answerMessage();
    details.choose(2);
    const ScriptedDialogs& dialogs = details.env.dialogs();
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("本页面仅管理员可操作")});
    QCOMPARE(dialogs.last().title, QStringLiteral("提示"));
    QCOMPARE(dialogs.last().buttons, MessageButtons::Ok);
    QCOMPARE(details.window->list(2)->rowCount(), 0);
    QCOMPARE(details.status->text(), QStringLiteral("共有 1 条入库信息"));

    // The welcome tab does not clear the status line for them either.
    details.env.dialogs().answerMessage();
    details.choose(0);
    QCOMPARE(details.status->text(), QStringLiteral("共有 1 条入库信息"));
    QCOMPARE(dialogs.shown().size(), 2);
}

void TestRecordDetails::printItemSwitchesAndFillsOnce()
{
    Details details;
    details.addRecord(QStringLiteral("入库管理模块"), QStringLiteral("入库单号"),
                      QStringLiteral("rk1"));
    details.print(QStringLiteral("入库表单"));
    QCOMPARE(details.tabs->currentIndex(), 1);
    QCOMPARE(details.window->list(1)->rowCount(), 1);
    QCOMPARE(details.status->text(), QStringLiteral("共有 1 条入库信息"));
    QCOMPARE(details.printed(), details.window->list(1));
    QCOMPARE(Details::closePrintSettings(), 1);

    // Chosen again while its tab is current, the list is printed as it stands: no new query.
    details.addRecord(QStringLiteral("入库管理模块"), QStringLiteral("入库单号"),
                      QStringLiteral("rk2"));
    details.print(QStringLiteral("入库表单"));
    QCOMPARE(details.window->list(1)->rowCount(), 1);
    QCOMPARE(details.status->text(), QStringLiteral("共有 1 条入库信息"));
    QCOMPARE(Details::closePrintSettings(), 1);

    // For another user the print item is refused: no switch, no print settings.
    details.env.context().setSessionUser(QStringLiteral("zhang"));
    details.env.dialogs().answerMessage();
    details.print(QStringLiteral("出库表单"));
    QCOMPARE(details.tabs->currentIndex(), 1);
    QCOMPARE(details.env.dialogs().texts(), QStringList{QStringLiteral("本页面仅管理员可操作")});
    QCOMPARE(details.status->text(), QStringLiteral("共有 1 条入库信息"));
    QCOMPARE(Details::closePrintSettings(), 0);
}

// Left open after the administrator logs out, the window's print item, the print settings'
// preview and the print or export of the report ask for the administrator every time.
void TestRecordDetails::printAndExportAskEveryTime()
{
    Details details;
    details.addRecord(QStringLiteral("入库管理模块"), QStringLiteral("入库单号"),
                      QStringLiteral("rk1"));
    details.print(QStringLiteral("入库表单"));
    QCOMPARE(details.tabs->currentIndex(), 1);
    PrintSession& session = PrintSession::of(details.env.context());
    PrintRequest request;
    request.source = session.source();
    request.columns = {0, 1};
    request.permission = session.permission();
    std::unique_ptr<ReportTable> report = buildReport(request);
    QVERIFY(report);
    QTemporaryDir folder;
    report->printSettings().printToFile = true;
    report->printSettings().fileName = folder.filePath(QStringLiteral("详单.csv"));
    PrintRun run(details.env.context(), details.window.get(), *report);
    QVERIFY(run.run());
    QVERIFY(QFile::remove(report->printSettings().fileName));
    QVERIFY(details.env.dialogs().shown().isEmpty());

    PrintSettingsWindow* settings = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<PrintSettingsWindow*>(widget); found && found->isVisible())
            settings = found;
    }
    QVERIFY(settings);
    for (const QString& user : {QString(), QStringLiteral("zhang")}) {
        details.env.context().setSessionUser(user);
        details.env.dialogs().clear();
        for (int i = 0; i < 3; ++i)
            details.env.dialogs().answerMessage();
        details.print(QStringLiteral("入库表单")); // the tab is current: no tab change asks
        QVERIFY(!settings->preview());
        QVERIFY(!run.run());
        QCOMPARE(details.env.dialogs().texts(),
                 QStringList(3, QStringLiteral("本页面仅管理员可操作")));
        for (const ScriptedDialogs::Shown& shown : details.env.dialogs().shown())
            QCOMPARE(shown.title, QStringLiteral("提示"));
        QVERIFY(QDir(folder.path()).isEmpty());
        QVERIFY(settings->isVisible());
    }
    QCOMPARE(Details::closePrintSettings(), 1);
}

void TestRecordDetails::printItemOfReturnsShowsItsHeader()
{
    Details details;
    details.addRecord(QStringLiteral("退货管理模块"), QStringLiteral("退货单号"),
                      QStringLiteral("th1"), QStringLiteral("是否影响二次销售"),
                      QStringLiteral("是"));
    details.print(QStringLiteral("退货表单"));
    QCOMPARE(details.tabs->currentIndex(), 4);
    ReportList* list = details.window->list(4);
    QCOMPARE(list->columnTitle(9), QStringLiteral("是否影响再次销售"));
    QCOMPARE(list->cellText(0, 9), QStringLiteral("是"));
    QCOMPARE(details.status->text(), QStringLiteral("共有 1 条退货信息"));
    QCOMPARE(details.printed(), list);
    QCOMPARE(Details::closePrintSettings(), 1);
}

QTEST_MAIN(TestRecordDetails)
#include "test_recorddetails.moc"
