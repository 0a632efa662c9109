// SPDX-License-Identifier: GPL-3.0-or-later
// The application shell: main window, icon strip dispatch, login and logout, the stock list,
// product deletion, closing and quitting, the password digest and the fatal error box.
#include "admin/accountwindow.h"
#include "admin/recorddetailswindow.h"
#include "app/aboutwindow.h"
#include "app/application.h"
#include "app/iconstrip.h"
#include "app/login.h"
#include "app/loginwindow.h"
#include "app/mainwindow.h"
#include "core/context.h"
#include "core/passworddigest.h"
#include "printing/printsession.h"
#include "printing/printsettingswindow.h"
#include "storage/database.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace
{

const QString kLoggedInTitle = kProgramTitle + QStringLiteral("  - 登录用户 : ");

// A program directory with its database, and the main window over it.
struct Shell {
    explicit Shell(const QString& user = QString()) : env(user) {}

    MainWindow& open()
    {
        window = std::make_unique<MainWindow>(env.context());
        window->show();
        return *window;
    }

    template <typename T> T* child(const QString& name) const
    {
        T* widget = window->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QListWidget* strip() const { return child<QListWidget>(QStringLiteral("菜单项")); }
    ReportList* stockList() const { return child<ReportList>(QStringLiteral("超级列表框主")); }
    QPushButton* button(const QString& name) const { return child<QPushButton>(name); }
    void trigger(const QString& action) const { child<QAction>(action)->trigger(); }

    // A single left click on the icon at the position (the strip's viewport receives it).
    void clickIcon(int position, Qt::MouseButton button = Qt::LeftButton) const
    {
        const QRect rect = strip()->visualItemRect(strip()->item(position));
        QTest::mouseClick(strip()->viewport(), button, {}, rect.center());
    }

    QList<LoginWindow*> loginWindows() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window->findChildren<LoginWindow*>();
    }
    LoginWindow* loginWindow() const
    {
        const QList<LoginWindow*> windows = loginWindows();
        return windows.size() == 1 ? windows.first() : nullptr;
    }

    TestEnvironment env;
    std::unique_ptr<MainWindow> window;
};

QLineEdit* box(LoginWindow* login, const QString& name)
{
    return login->findChild<QLineEdit*>(name);
}

void click(QWidget* window, const QString& button)
{
    QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
}

// Opens the login window from its icon, types the name and password and presses "登录", with one
// message box answered.
LoginWindow* logIn(Shell& shell, const QString& user, const QString& password)
{
    shell.clickIcon(0);
    LoginWindow* login = shell.loginWindow();
    if (!login)
        return nullptr;
    box(login, QStringLiteral("编辑框_用户名"))->setText(user);
    box(login, QStringLiteral("编辑框_密码"))->setText(password);
    shell.env.dialogs().answerMessage();
    click(login, QStringLiteral("按钮_登录"));
    return login;
}

// The print settings windows open now (they have no owner), closed and counted.
int closePrintSettings()
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

// The boxes shown so far had these texts, and the last one this title and icon.
void expectBoxes(const ScriptedDialogs& dialogs, const QStringList& texts, const QString& title,
                 MessageIcon icon = MessageIcon::None)
{
    QCOMPARE(dialogs.texts(), texts);
    QCOMPARE(dialogs.last().title, title);
    QCOMPARE(dialogs.last().icon, icon);
}

} // namespace

class TestApp : public QObject
{
    Q_OBJECT
private slots:
    void startUpShowsTitleAndNoStock();
    void menuStripAndColumnsInOrder();
    void failedDatabaseOpenIsReported_data();
    void failedDatabaseOpenIsReported();
    void destroyingMainWindowClosesDatabase();

    void iconDispatch_data();
    void iconDispatch();
    void workingIconsOpenTheirWindows_data();
    void workingIconsOpenTheirWindows();
    void detailsIconOpensRecordDetails();
    void iconStripIgnoresOtherClicksAndKeys();
    void clickBesideIconsSelectsNothing();
    void loginIconRaisesTheOpenWindow();

    void loginChecksRunInOrder_data();
    void loginChecksRunInOrder();
    void enterMovesToPasswordThenLogsIn();
    void wrongPasswordKeepsWindowOpen();
    void loginSucceeds_data();
    void loginSucceeds();
    void logoutEmptiesSessionAndCaption();
    void userSettingsNeedsAdministrator();

    void refreshNumbersRowsAndShowsStock();
    void guardedCommandsAskForLogin_data();
    void guardedCommandsAskForLogin();

    void deleteProductWithoutSelectionDoesNothing();
    void deleteProductAsksFirst();
    void deleteProductFailureLeavesList();

    void closeBoxAsks();
    void quitAsksNothing();
    void aboutWindowIsModelessAndOwned();

    void passwordDigest_data();
    void passwordDigest();
    void fatalDataErrorBox();
    void applicationSpeaksChinese();
};

void TestApp::startUpShowsTitleAndNoStock()
{
    Shell shell;
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    MainWindow& window = shell.open();
    QCOMPARE(window.windowTitle(), QStringLiteral("<<Tarnel>>商品仓库管理系统V2.12"));
    QCOMPARE(shell.stockList()->rowCount(), 0);
    QVERIFY(!shell.button(QStringLiteral("按钮_删除"))->isEnabled());
    QVERIFY(shell.env.db().isOpen());
    QCOMPARE(shell.strip()->count(), 9);
    QCOMPARE(shell.strip()->item(8)->text(), QStringLiteral("问题产品"));
    QVERIFY(shell.env.dialogs().shown().isEmpty());
}

void TestApp::menuStripAndColumnsInOrder()
{
    Shell shell;
    MainWindow& window = shell.open();
    // Menu items in order, separators as empty texts.
    const auto itemTexts = [&window](const QString& menu) {
        QStringList texts;
        for (const QAction* action : window.findChild<QMenu*>(menu)->actions())
            texts.append(action->isSeparator() ? QString() : action->text());
        return texts;
    };
    QCOMPARE(itemTexts(QStringLiteral("菜单_程序")),
             QStringList({"备份数据库", "恢复数据库", "", "清空数据库", "", "退出"}));
    QCOMPARE(itemTexts(QStringLiteral("菜单_帮助")), QStringList{QStringLiteral("关于")});

    const QStringList captions = {"管理员登录", "详细信息", "入库管理", "出库管理", "销售管理",
                                  "退货管理",   "借用管理", "归还管理", "问题产品"};
    QCOMPARE(shell.strip()->count(), captions.size());
    for (int position = 0; position < captions.size(); ++position)
        QCOMPARE(shell.strip()->item(position)->text(), captions.at(position));

    const QList<int> widths = {50, 123, 123, 123, 80, 80, 120};
    for (int column = 0; column < widths.size(); ++column)
        QCOMPARE(shell.stockList()->columnWidth(column), widths.at(column));
}

void TestApp::failedDatabaseOpenIsReported_data()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("missing file") << false;
    QTest::newRow("server not reachable") << true;
}

void TestApp::failedDatabaseOpenIsReported()
{
    QFETCH(bool, server);
    Shell shell(QStringLiteral("admin"));
    shell.env.db().CloseDatabase();
    if (server) {
        // datalx.conn names a server where none listens; the file beside it is not used.
        QFile connection(Database::connectionFilePath(shell.env.context().databasePath()));
        QVERIFY(connection.open(QIODevice::WriteOnly));
        connection.write("postgresql://lager@127.0.0.1:1/warehouse?connect_timeout=5\n");
    } else {
        QVERIFY(QFile::remove(shell.env.context().databasePath()));
    }
    shell.env.dialogs().answerMessage();
    shell.open();
    expectBoxes(shell.env.dialogs(), {QStringLiteral("打开数据库失败")}, QStringLiteral("提示"),
                MessageIcon::Information);
    QVERIFY(!shell.env.db().isOpen());
    // The window stays usable: a refresh finds no stock and says nothing.
    QTest::mouseClick(shell.button(QStringLiteral("按钮_刷新")), Qt::LeftButton);
    QCOMPARE(shell.stockList()->rowCount(), 0);
    QCOMPARE(shell.env.dialogs().shown().size(), 1);
}
void TestApp::destroyingMainWindowClosesDatabase()
{
    Shell shell;
    shell.open();
    QVERIFY(shell.env.db().isOpen());
    shell.window.reset();
    QVERIFY(!shell.env.db().isOpen());
    // The hooks no longer lead to the destroyed window.
    shell.env.context().refreshMainWindow();
    shell.env.context().reopenDatabase();
    QVERIFY(!shell.env.db().isOpen());
}

void TestApp::iconDispatch_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("opensLogin");

    const QString adminOnly = QStringLiteral("此功能仅管理员可用");
    const QString logInFirst = QStringLiteral("为保证使用者信息安全，请登录后操作");
    QTest::newRow("nobody, login") << QString() << 0 << QString() << true;
    QTest::newRow("nobody, details") << QString() << 1 << adminOnly << false;
    QTest::newRow("nobody, stock-in") << QString() << 2 << logInFirst << true;
    QTest::newRow("nobody, sales") << QString() << 4 << logInFirst << true;
    QTest::newRow("nobody, problem goods") << QString() << 8 << logInFirst << true;
    QTest::newRow("plain user, login") << QStringLiteral("zhang") << 0 << QString() << true;
    QTest::newRow("plain user, details") << QStringLiteral("zhang") << 1 << adminOnly << false;
    QTest::newRow("Admin, details") << QStringLiteral("Admin") << 1 << adminOnly << false;
    QTest::newRow("admin, login") << QStringLiteral("admin") << 0 << QString() << true;
    QTest::newRow("admin, details") << QStringLiteral("admin") << 1 << QString() << false;
}

void TestApp::iconDispatch()
{
    QFETCH(QString, user);
    QFETCH(int, position);
    QFETCH(QString, message);
    QFETCH(bool, opensLogin);

    Shell shell(user);
    shell.open();
    if (!message.isEmpty())
        shell.env.dialogs().answerMessage();
    shell.clickIcon(position);

    QCOMPARE(shell.strip()->currentRow(), position);
    if (message.isEmpty())
        QVERIFY(shell.env.dialogs().shown().isEmpty());
    else
        expectBoxes(shell.env.dialogs(), {message}, QStringLiteral("信息："));
    LoginWindow* login = shell.loginWindow();
    QCOMPARE(login != nullptr, opensLogin);
    if (login) {
        QCOMPARE(login->parentWidget(), shell.window.get());
        QVERIFY(login->isWindow() && login->isVisible() && !login->isModal());
        QCOMPARE(login->windowTitle(), QStringLiteral("用户登录"));
        QCOMPARE(login->focusWidget(), box(login, QStringLiteral("编辑框_用户名")));
    }
}

void TestApp::workingIconsOpenTheirWindows_data()
{
    QTest::addColumn<int>("position");
    // Stock-in asks for the product code first.
    for (int position = 2; position <= 8; ++position)
        QTest::addRow("position %d", position) << position;
}

void TestApp::workingIconsOpenTheirWindows()
{
    QFETCH(int, position);
    Shell shell(QStringLiteral("zhang"));
    shell.open();
    const auto openWindows = [&shell] {
        QList<QWidget*> windows;
        for (QWidget* child : shell.window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isWindow() && child->isVisible())
                windows.append(child);
        return windows;
    };
    const bool scans = position == 2;
    QVERIFY(openWindows().isEmpty());
    if (scans)
        shell.env.dialogs().answerInput(QStringLiteral("A-01"));
    shell.clickIcon(position);
    const QList<QWidget*> opened = openWindows();
    QCOMPARE(opened.size(), 1);
    QVERIFY(!opened.first()->isModal());
    QVERIFY(!qobject_cast<LoginWindow*>(opened.first()));
    QCOMPARE(shell.env.dialogs().shown().size(), scans ? 1 : 0);
    // Each click opens another one.
    if (scans)
        shell.env.dialogs().answerInput(QStringLiteral("A-02"));
    shell.clickIcon(position);
    QCOMPARE(openWindows().size(), 2);
}

void TestApp::detailsIconOpensRecordDetails()
{
    Shell shell(QStringLiteral("admin"));
    shell.open();
    shell.clickIcon(1);
    const QList<RecordDetailsWindow*> windows = shell.window->findChildren<RecordDetailsWindow*>();
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows.first()->isWindow() && windows.first()->isVisible());
    QVERIFY(!windows.first()->isModal());
    QVERIFY(shell.env.dialogs().shown().isEmpty());
}

void TestApp::iconStripIgnoresOtherClicksAndKeys()
{
    Shell shell;
    shell.open();
    QListWidget* strip = shell.strip();

    // A right click selects but starts nothing.
    shell.clickIcon(2, Qt::RightButton);
    QVERIFY(shell.env.dialogs().shown().isEmpty());

    // Moving the selection with the keyboard starts nothing.
    QTest::keyClick(strip, Qt::Key_Right);
    QTest::keyClick(strip, Qt::Key_Right);
    QCOMPARE(strip->currentRow(), 4);
    QVERIFY(shell.env.dialogs().shown().isEmpty());
    QVERIFY(shell.loginWindows().isEmpty());

    // A double click starts once, for its first click.
    const QPoint centre = strip->visualItemRect(strip->item(3)).center();
    shell.env.dialogs().answerMessage();
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, centre);
    QMouseEvent second(QEvent::MouseButtonDblClick, centre, strip->viewport()->mapToGlobal(centre),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip->viewport(), &second);
    QTest::mouseRelease(strip->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(shell.env.dialogs().texts(),
             QStringList{QStringLiteral("为保证使用者信息安全，请登录后操作")});
    QCOMPARE(shell.loginWindows().size(), 1);
}

void TestApp::clickBesideIconsSelectsNothing()
{
    Shell shell(QStringLiteral("zhang"));
    shell.open();
    QListWidget* strip = shell.strip();
    auto* icons = shell.window->findChild<IconStrip*>();
    const QPoint beside = strip->visualItemRect(strip->item(8)).topRight() + QPoint(40, 20);
    shell.clickIcon(5);
    QCOMPARE(icons->selectedPosition(), 5);
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, beside);
    QCOMPARE(icons->selectedPosition(), -1);
    QVERIFY(shell.env.dialogs().shown().isEmpty());

    // With nobody logged in, the click asks for a login like every working icon.
    shell.env.context().setSessionUser(QString());
    shell.env.dialogs().answerMessage();
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, beside);
    QCOMPARE(shell.env.dialogs().texts(),
             QStringList{QStringLiteral("为保证使用者信息安全，请登录后操作")});
    QCOMPARE(shell.loginWindows().size(), 1);
}

void TestApp::loginIconRaisesTheOpenWindow()
{
    Shell shell;
    shell.open();
    shell.clickIcon(0);
    LoginWindow* first = shell.loginWindow();
    QVERIFY(first);
    box(first, QStringLiteral("编辑框_用户名"))->setText(QStringLiteral("zhang"));
    shell.clickIcon(0);
    QCOMPARE(shell.loginWindows(), QList<LoginWindow*>{first});
    QCOMPARE(box(first, QStringLiteral("编辑框_用户名"))->text(), QStringLiteral("zhang"));
    first->close();
    QVERIFY(shell.loginWindows().isEmpty());
    shell.clickIcon(0);
    QVERIFY(shell.loginWindow());
}

void TestApp::loginChecksRunInOrder_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    const QString nameBox = QStringLiteral("编辑框_用户名");
    const QString passwordBox = QStringLiteral("编辑框_密码");
    const QString badName = QStringLiteral("用户名中存在违禁字符");
    const QString badPassword = QStringLiteral("密码中存在违禁字符");
    QTest::newRow("quote in name, no password") << "o'neil"
                                                << "" << badName << QString();
    QTest::newRow("double quote in name and password") << "a\"b"
                                                       << "x'" << badName << QString();
    QTest::newRow("quote in password, no name") << ""
                                                << "a\"b" << badPassword << QString();
    QTest::newRow("both empty") << ""
                                << "" << QStringLiteral("请输入用户名") << nameBox;
    QTest::newRow("no name") << ""
                             << "admin" << QStringLiteral("请输入用户名") << nameBox;
    QTest::newRow("no password") << "admin"
                                 << "" << QStringLiteral("请输入密码") << passwordBox;
}

void TestApp::loginChecksRunInOrder()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    Shell shell;
    shell.open();
    shell.clickIcon(0);
    LoginWindow* login = shell.loginWindow();
    QVERIFY(login);
    // Leave the focus elsewhere, so that a check that moves it is seen.
    login->findChild<QPushButton*>(QStringLiteral("按钮_注销"))->setFocus();
    QCOMPARE(logIn(shell, user, password), login);

    expectBoxes(shell.env.dialogs(), {message}, QStringLiteral("提示"), MessageIcon::Information);
    QCOMPARE(shell.env.context().sessionUser(), QString());
    QCOMPARE(shell.loginWindow(), login);
    QCOMPARE(box(login, QStringLiteral("编辑框_用户名"))->text(), user);
    QCOMPARE(box(login, QStringLiteral("编辑框_密码"))->text(), password);
    if (!focus.isEmpty())
        QCOMPARE(login->focusWidget(), box(login, focus));
}
void TestApp::enterMovesToPasswordThenLogsIn()
{
    Shell shell;
    shell.open();
    shell.clickIcon(0);
    LoginWindow* login = shell.loginWindow();
    QVERIFY(login);
    QLineEdit* name = box(login, QStringLiteral("编辑框_用户名"));
    QLineEdit* password = box(login, QStringLiteral("编辑框_密码"));
    QCOMPARE(password->echoMode(), QLineEdit::Password);

    // Tab walks name, password and the three buttons in the order they stand.
    const QStringList tabOrder = {"编辑框_密码", "按钮_登录", "按钮_用户设置", "按钮_注销",
                                  "编辑框_用户名"};
    for (const QString& next : tabOrder) {
        QTest::keyClick(login->focusWidget(), Qt::Key_Tab);
        QCOMPARE(login->focusWidget()->objectName(), next);
    }

    QTest::keyClicks(name, QStringLiteral("admin"));
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(shell.env.dialogs().shown().isEmpty());
    QCOMPARE(login->focusWidget(), password);

    QTest::keyClicks(password, QStringLiteral("admin"));
    // The typed password shows as stars.
    QCOMPARE(password->displayText(), QStringLiteral("*****"));
    shell.env.dialogs().answerMessage();
    QTest::keyClick(password, Qt::Key_Enter);
    QCOMPARE(shell.env.dialogs().texts(), QStringList{QStringLiteral("登录成功")});
    QCOMPARE(shell.env.context().sessionUser(), QStringLiteral("admin"));
}

void TestApp::wrongPasswordKeepsWindowOpen()
{
    Shell shell;
    shell.open();
    LoginWindow* login = logIn(shell, QStringLiteral("admin"), QStringLiteral("Admin"));
    QVERIFY(login);
    expectBoxes(shell.env.dialogs(), {QStringLiteral("用户名或密码不正确")}, QStringLiteral("提示"),
                MessageIcon::Information);
    QCOMPARE(shell.env.context().sessionUser(), QString());
    QCOMPARE(shell.loginWindow(), login);
    QCOMPARE(box(login, QStringLiteral("编辑框_密码"))->text(), QStringLiteral("Admin"));
    QCOMPARE(shell.window->windowTitle(), kProgramTitle);

    // Without a database no account matches, not even with the right password.
    shell.env.db().CloseDatabase();
    box(login, QStringLiteral("编辑框_密码"))->setText(QStringLiteral("admin"));
    shell.env.dialogs().answerMessage();
    click(login, QStringLiteral("按钮_登录"));
    QCOMPARE(shell.env.dialogs().last().text, QStringLiteral("用户名或密码不正确"));
    QCOMPARE(shell.env.context().sessionUser(), QString());
    QCOMPARE(shell.loginWindow(), login);
}
void TestApp::loginSucceeds_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("administrator");
    QTest::newRow("admin") << "admin"
                           << "admin" << true;
    // The account name matches without regard to case, the administrator test does not.
    QTest::newRow("Admin") << "Admin"
                           << "admin" << false;
    // The stored digest of a Chinese password was made from its GBK bytes.
    QTest::newRow("Chinese password") << "张三"
                                      << "密码123" << false;
}

void TestApp::loginSucceeds()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, administrator);

    Shell shell;
    QVERIFY(shell.env.db().ExecuteSql(
        QStringLiteral("insert into 用户登录模块(用户名,密码) values(?,?)"),
        {QStringLiteral("张三"), QStringLiteral("023b1f07f0a78fc82f15fc1cebe93524")}));
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.env.addStock(QStringLiteral("rk2"), QStringLiteral("p2"), QStringLiteral("螺母"),
                       QStringLiteral("7"));
    shell.open();
    // The operator reads the message before the main window changes.
    shell.env.dialogs().onShown = [&](const ScriptedDialogs::Shown&) {
        QCOMPARE(shell.window->windowTitle(), kProgramTitle);
    };
    QVERIFY(logIn(shell, user, password));

    expectBoxes(shell.env.dialogs(), {QStringLiteral("登录成功")}, QStringLiteral("提示"),
                MessageIcon::Information);
    QCOMPARE(shell.env.context().sessionUser(), user);
    QCOMPARE(shell.window->windowTitle(),
             QStringLiteral("<<Tarnel>>商品仓库管理系统V2.12  - 登录用户 : ") + user);
    QCOMPARE(shell.button(QStringLiteral("按钮_删除"))->isEnabled(), administrator);
    QCOMPARE(shell.stockList()->rowCount(), 2);
    QVERIFY(shell.env.db().isOpen());
    QVERIFY(shell.loginWindows().isEmpty());
}
void TestApp::logoutEmptiesSessionAndCaption()
{
    Shell shell(QStringLiteral("admin"));
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.open();
    shell.env.context().refreshMainWindow();
    QVERIFY(shell.button(QStringLiteral("按钮_删除"))->isEnabled());
    shell.clickIcon(0);
    LoginWindow* login = shell.loginWindow();
    QVERIFY(login);
    click(login, QStringLiteral("按钮_注销"));

    QCOMPARE(shell.env.context().sessionUser(), QString());
    QCOMPARE(shell.window->windowTitle(), QStringLiteral("商品仓库管理系统定制版"));
    QCOMPARE(shell.loginWindow(), login);
    QCOMPARE(shell.stockList()->rowCount(), 1);
    QVERIFY(shell.button(QStringLiteral("按钮_删除"))->isEnabled());

    // Deleting does nothing now, even with a row selected.
    shell.stockList()->setCurrentRow(0);
    QTest::mouseClick(shell.button(QStringLiteral("按钮_删除")), Qt::LeftButton);
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 1);

    shell.env.dialogs().answerMessage();
    QTest::mouseClick(shell.button(QStringLiteral("按钮_刷新")), Qt::LeftButton);
    expectBoxes(shell.env.dialogs(), {QStringLiteral("请登录后操作")}, QStringLiteral("提示"));
}

void TestApp::userSettingsNeedsAdministrator()
{
    Shell shell(QStringLiteral("Admin"));
    shell.open();
    shell.clickIcon(0);
    LoginWindow* login = shell.loginWindow();
    QVERIFY(login);
    auto* settings = login->findChild<QPushButton*>(QStringLiteral("按钮_用户设置"));
    shell.env.dialogs().answerMessage();
    QTest::mouseClick(settings, Qt::LeftButton);
    expectBoxes(shell.env.dialogs(),
                {QStringLiteral("为保证数据库安全，必须管理员登录后方可操作！！！")},
                QStringLiteral("信息："));

    shell.env.context().setSessionUser(QStringLiteral("admin"));
    QTest::mouseClick(settings, Qt::LeftButton);
    QCOMPARE(shell.env.dialogs().shown().size(), 1);
    // The account window belongs to the main window, not to the login window.
    const QList<AccountWindow*> accounts = shell.window->findChildren<AccountWindow*>();
    QCOMPARE(accounts.size(), 1);
    QCOMPARE(accounts.first()->parentWidget(), shell.window.get());
    QVERIFY(accounts.first()->isWindow() && accounts.first()->isVisible());
    QVERIFY(!accounts.first()->isModal());
}

void TestApp::refreshNumbersRowsAndShowsStock()
{
    Shell shell(QStringLiteral("zhang"));
    shell.open();
    QTest::mouseClick(shell.button(QStringLiteral("按钮_刷新")), Qt::LeftButton);
    QCOMPARE(shell.stockList()->rowCount(), 0);
    QCOMPARE(shell.window->windowTitle(), kLoggedInTitle + QStringLiteral("zhang"));

    shell.env.addStock(QStringLiteral("rk201835972"), QStringLiteral("A-01"),
                       QStringLiteral("螺丝"), QStringLiteral("12"), QStringLiteral("个"),
                       QStringLiteral("无"));
    shell.env.addStock(QStringLiteral("rk201835973"), QStringLiteral("A-02"),
                       QStringLiteral("螺母"), QStringLiteral("12.5"), QStringLiteral("千克"),
                       QStringLiteral("散装"));
    shell.env.addStock(QStringLiteral("rk201835974"), QStringLiteral("A-03"),
                       QStringLiteral("垫片"), QStringLiteral("0"), QStringLiteral("盒"),
                       QString());
    QTest::mouseClick(shell.button(QStringLiteral("按钮_刷新")), Qt::LeftButton);
    // A second refresh replaces the rows rather than adding to them.
    QTest::mouseClick(shell.button(QStringLiteral("按钮_刷新")), Qt::LeftButton);

    ReportList* list = shell.stockList();
    QCOMPARE(list->rowCount(), 3);
    const QStringList titles = {"序号",     "入库单号", "产品ID", "产品名称",
                                "产品库存", "产品单位", "备注"};
    QCOMPARE(list->columnCount(), titles.size());
    for (int column = 0; column < titles.size(); ++column)
        QCOMPARE(list->columnTitle(column), titles.at(column));
    const QList<QStringList> rows = {
        {"1", "rk201835972", "A-01", "螺丝", "12", "个", "无"},
        {"2", "rk201835973", "A-02", "螺母", "12.5", "千克", "散装"},
        {"3", "rk201835974", "A-03", "垫片", "0", "盒", ""},
    };
    for (int row = 0; row < rows.size(); ++row)
        for (int column = 0; column < titles.size(); ++column)
            QCOMPARE(list->cellText(row, column), rows.at(row).at(column));
    QVERIFY(shell.env.dialogs().shown().isEmpty());
    QVERIFY(shell.env.fatalErrors().isEmpty());
    QCOMPARE(shell.env.db().openRecordSetCount(), 0);
}

void TestApp::guardedCommandsAskForLogin_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");
    // Past its guard a command may show a box of its own (declined here).
    QTest::addColumn<QString>("follows");

    const QString logIn = QStringLiteral("请登录后操作");
    const QString adminRestore = QStringLiteral("此操作仅管理员有权操作");
    const QString adminClear = QStringLiteral("此操作仅管理员可操作");
    QTest::newRow("refresh, nobody") << ""
                                     << "按钮_刷新" << logIn << QString();
    QTest::newRow("print, nobody") << ""
                                   << "按钮_打印" << logIn << QString();
    QTest::newRow("print, plain user") << "zhang"
                                       << "按钮_打印" << QString() << QString();
    QTest::newRow("backup, nobody") << ""
                                    << "菜单_备份数据库" << logIn << QString();
    QTest::newRow("backup, plain user")
        << "zhang"
        << "菜单_备份数据库" << QString() << QStringLiteral("数据库备份成功");
    QTest::newRow("restore, nobody") << ""
                                     << "菜单_恢复数据库" << adminRestore << QString();
    QTest::newRow("restore, Admin") << "Admin"
                                    << "菜单_恢复数据库" << adminRestore << QString();
    QTest::newRow("restore, admin") << "admin"
                                    << "菜单_恢复数据库" << QString() << QString();
    QTest::newRow("clear, plain user") << "zhang"
                                       << "菜单_清空数据库" << adminClear << QString();
    QTest::newRow("clear, admin") << "admin"
                                  << "菜单_清空数据库" << QString()
                                  << QStringLiteral("此操作无法回退，请确认当前数据库是否已备份");
}

void TestApp::guardedCommandsAskForLogin()
{
    QFETCH(QString, user);
    QFETCH(QString, command);
    QFETCH(QString, message);
    QFETCH(QString, follows);

    Shell shell(user);
    shell.open();
    if (!message.isEmpty())
        shell.env.dialogs().answerMessage();
    else if (!follows.isEmpty())
        shell.env.dialogs().answerMessage(MessageAnswer::Cancel);
    if (command.startsWith(QStringLiteral("按钮_")))
        QTest::mouseClick(shell.button(command), Qt::LeftButton);
    else
        shell.trigger(command);

    if (message.isEmpty())
        QCOMPARE(shell.env.dialogs().texts(),
                 follows.isEmpty() ? QStringList() : QStringList{follows});
    else
        expectBoxes(shell.env.dialogs(), {message}, QStringLiteral("提示"));
    if (command == QLatin1String("按钮_打印")) {
        // Past the guard the print settings window opens on the stock list.
        QCOMPARE(closePrintSettings(), message.isEmpty() ? 1 : 0);
        if (message.isEmpty())
            QCOMPARE(PrintSession::of(shell.env.context()).source(), shell.stockList());
    }
}

void TestApp::deleteProductWithoutSelectionDoesNothing()
{
    Shell shell(QStringLiteral("admin"));
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.open();
    shell.env.context().refreshMainWindow();
    QCOMPARE(shell.stockList()->currentRow(), -1);
    QTest::mouseClick(shell.button(QStringLiteral("按钮_删除")), Qt::LeftButton);
    QVERIFY(shell.env.dialogs().shown().isEmpty());
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 1);
}

void TestApp::deleteProductAsksFirst()
{
    Shell shell(QStringLiteral("admin"));
    // A quote in a lot number is part of the value, not of the statement.
    const QStringList lots = {"rk1", "rk'2", "rk3"};
    for (const QString& lot : lots)
        shell.env.addStock(lot, QStringLiteral("p"), QStringLiteral("螺丝"), QStringLiteral("5"));
    QVERIFY(shell.env.db().ExecuteSql(
        QStringLiteral("insert into 入库管理模块(入库单号,产品ID,产品名称) values(?,?,?)"),
        {QStringLiteral("rk'2"), QStringLiteral("p"), QStringLiteral("螺丝")}));
    shell.open();
    shell.env.context().refreshMainWindow();
    shell.stockList()->setCurrentRow(1);
    const QString question = QStringLiteral("是否删除该条数据？此操作无法恢复!!!");

    shell.env.dialogs().answerMessage(MessageAnswer::No);
    QTest::mouseClick(shell.button(QStringLiteral("按钮_删除")), Qt::LeftButton);
    expectBoxes(shell.env.dialogs(), {question}, QStringLiteral("警告"), MessageIcon::Question);
    QCOMPARE(shell.env.dialogs().last().buttons, MessageButtons::YesNo);
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 3);
    QCOMPARE(shell.stockList()->rowCount(), 3);

    shell.env.dialogs().answerMessage(MessageAnswer::Yes);
    shell.env.dialogs().answerMessage();
    // The list is refreshed before the success message shows.
    shell.env.dialogs().onShown = [&](const ScriptedDialogs::Shown& shown) {
        if (shown.text == QStringLiteral("删除产品成功"))
            QCOMPARE(shell.stockList()->rowCount(), 2);
    };
    QTest::mouseClick(shell.button(QStringLiteral("按钮_删除")), Qt::LeftButton);
    expectBoxes(shell.env.dialogs(), {question, question, QStringLiteral("删除产品成功")},
                QStringLiteral("提示"));
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 2);
    QCOMPARE(shell.env.value(QStringLiteral("select count(*) from 总数据库模块 where 入库单号=? "),
                             {QStringLiteral("rk'2")}),
             QStringLiteral("0"));
    // The documents of the lot stay.
    QCOMPARE(shell.env.count(QStringLiteral("入库管理模块")), 1);
    QCOMPARE(shell.stockList()->cellText(1, 0), QStringLiteral("2"));
    QCOMPARE(shell.stockList()->cellText(1, 1), QStringLiteral("rk3"));
}
void TestApp::deleteProductFailureLeavesList()
{
    Shell shell(QStringLiteral("admin"));
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.open();
    shell.env.context().refreshMainWindow();
    shell.stockList()->setCurrentRow(0);
    shell.env.db().CloseDatabase();
    shell.env.dialogs().answerMessage(MessageAnswer::Yes);
    shell.env.dialogs().answerMessage();
    QTest::mouseClick(shell.button(QStringLiteral("按钮_删除")), Qt::LeftButton);

    expectBoxes(
        shell.env.dialogs(),
        {QStringLiteral("是否删除该条数据？此操作无法恢复!!!"), QStringLiteral("删除产品失败")},
        QStringLiteral("提示"));
    QCOMPARE(shell.stockList()->rowCount(), 1);
    QCOMPARE(shell.stockList()->currentRow(), 0);
}

void TestApp::closeBoxAsks()
{
    Shell shell;
    MainWindow& window = shell.open();
    shell.env.dialogs().answerMessage(MessageAnswer::Cancel);
    QVERIFY(!window.close());
    expectBoxes(shell.env.dialogs(), {QStringLiteral("您确定退出本程序？")},
                QStringLiteral("提示："));
    QCOMPARE(shell.env.dialogs().last().buttons, MessageButtons::OkCancel);
    QVERIFY(window.isVisible());
    QVERIFY(shell.env.quitCodes().isEmpty());

    shell.env.dialogs().answerMessage(MessageAnswer::Ok);
    QVERIFY(window.close());
    QCOMPARE(shell.env.dialogs().shown().size(), 2);
    QVERIFY(!window.isVisible());
    QCOMPARE(shell.env.quitCodes(), QList<int>{0});
}

void TestApp::quitAsksNothing()
{
    Shell shell(QStringLiteral("zhang"));
    MainWindow& window = shell.open();
    shell.trigger(QStringLiteral("菜单_退出"));
    QCOMPARE(shell.env.quitCodes(), QList<int>{0});
    // The windows closing on the way out ask nothing either.
    QVERIFY(window.close());
    QVERIFY(shell.env.dialogs().shown().isEmpty());
}

void TestApp::aboutWindowIsModelessAndOwned()
{
    Shell shell;
    shell.open();
    shell.trigger(QStringLiteral("菜单_关于"));
    auto* about = shell.window->findChild<AboutWindow*>();
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QStringLiteral("关于软件"));
    QVERIFY(about->isWindow() && about->isVisible() && !about->isModal());
    QVERIFY(shell.env.dialogs().shown().isEmpty());
}

void TestApp::passwordDigest_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("digest");
    QTest::newRow("admin") << "admin"
                           << "21232f297a57a5a743894a0e4a801fc3";
    QTest::newRow("Chinese in GBK") << "密码123"
                                    << "023b1f07f0a78fc82f15fc1cebe93524";
    QTest::newRow("empty") << ""
                           << "d41d8cd98f00b204e9800998ecf8427e";
}

void TestApp::passwordDigest()
{
    QFETCH(QString, password);
    QFETCH(QString, digest);
    QCOMPARE(::passwordDigest(password), digest);
    // The fallback converter gives the same bytes.
    QCOMPARE(gbkBytesByIconv(password), gbkBytes(password));
}

void TestApp::fatalDataErrorBox()
{
    TestEnvironment env;
    env.dialogs().answerMessage();
    showFatalDataError(env.dialogs(), kTextReadErrorCode, QString::fromUtf8(kTextReadErrorMessage));
    const ScriptedDialogs::Shown& box = env.dialogs().last();
    QCOMPARE(
        box.text,
        QStringLiteral("运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：数据或数组类型不匹配\r\n"));
    QCOMPARE(box.title, QStringLiteral("错误"));
    QCOMPARE(box.icon, MessageIcon::Error);
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.owner, nullptr);
}

void TestApp::applicationSpeaksChinese()
{
    configureApplication(*qApp);
    QCOMPARE(QApplication::font().family(), QStringLiteral("WenQuanYi Micro Hei"));
    QCOMPARE(QApplication::font().pointSize(), 9);
    // The standard buttons of the message boxes.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
}

QTEST_MAIN(TestApp)
#include "test_app.moc"
