// SPDX-License-Identifier: GPL-3.0-or-later
// The account window: registering with the stored hash, the registration refusals, listing,
// changing a password and deleting an account; and its tie to the login window. The accounts'
// safeguards: hashes, the legacy digest's upgrade at login, the login throttle, the undeletable
// admin, quotes, and an account that vanished meanwhile.
#include "admin/accounts.h"
#include "admin/accountwindow.h"
#include "app/login.h"
#include "app/loginwindow.h"
#include "app/mainwindow.h"
#include "core/passworddigest.h"
#include "core/passwordhash.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <memory>

namespace
{

const QString kInfo = QStringLiteral("信息：");
const QString kNotice = QStringLiteral("提示");
const QString kAdministratorOnly =
    QStringLiteral("为保证数据库安全，必须管理员登录后方可操作！！！");

struct Accounts {
    explicit Accounts(const QString& user = QStringLiteral("admin")) : env(user)
    {
        window = std::make_unique<AccountWindow>(env.context(), nullptr);
        window->show();
        user_ = box("编辑框_用户名");
        password = box("编辑框_密码1");
        repeated = box("编辑框_密码2");
        list = window->findChild<QListWidget*>(QStringLiteral("列表框1"));
    }

    QLineEdit* box(const char* name) const
    {
        auto* found = window->findChild<QLineEdit*>(QString::fromUtf8(name));
        if (!found)
            qFatal("no box %s", name);
        return found;
    }
    void click(const char* button) const
    {
        QTest::mouseClick(window->findChild<QPushButton*>(QString::fromUtf8(button)),
                          Qt::LeftButton);
    }
    void type(const QString& name, const QString& first, const QString& second) const
    {
        user_->setText(name);
        password->setText(first);
        repeated->setText(second);
    }
    // Lists the accounts and clicks the one named.
    void select(const QString& name) const
    {
        click("按钮_显示");
        const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items.first()).center());
    }
    QStringList listed() const
    {
        QStringList names;
        for (int row = 0; row < list->count(); ++row)
            names.append(list->item(row)->text());
        return names;
    }
    QString digestOf(const QString& name)
    {
        return env.value(QStringLiteral("select 密码 from 用户登录模块 where 用户名=? "), {name});
    }

    TestEnvironment env;
    std::unique_ptr<AccountWindow> window;
    QLineEdit* user_ = nullptr;
    QLineEdit* password = nullptr;
    QLineEdit* repeated = nullptr;
    QListWidget* list = nullptr;
};

void expectLast(const ScriptedDialogs& dialogs, const QString& text, const QString& title,
                MessageIcon icon = MessageIcon::None)
{
    QCOMPARE(dialogs.last().text, text);
    QCOMPARE(dialogs.last().title, title);
    QCOMPARE(dialogs.last().icon, icon);
}

} // namespace

class TestAccounts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void safeguards_data();
    void safeguards();
    void throttleTiming();

    void registerStoresTheDigest_data();
    void registerStoresTheDigest();
    void registrationRefusals_data();
    void registrationRefusals();
    void duplicateNameFails();
    void enterLeadsToRegistering();
    void passwordsShowAsStars();

    void listShowsEveryAccount();
    void changePasswordNeedsSelection();
    void changePasswordRefusals_data();
    void changePasswordRefusals();
    void changePasswordStoresTheDigest();
    void quotedNameIsChangedAndDeleted();

    void deleteAsksAndRelists();
    void deleteDoesNothing_data();
    void deleteDoesNothing();
    void everyActionRefusedAfterLogout_data();
    void everyActionRefusedAfterLogout();

    void userSettingsOpensModelessAndClosesLogin();
};

void TestAccounts::initTestCase()
{
    // Cheap hashes keep the suite fast; the row "register" checks the interactive limits.
    setPasswordHashCostForTests(1, 8192);
}

namespace
{

// What one safeguard case does, through the windows as the operator would.
enum class Action { Register, LogIn, ChangePassword, Delete };

// Types the name and password into a login window and presses "登录" (one box answered).
void logIn(TestEnvironment& env, const QString& user, const QString& password)
{
    LoginWindow login(env.context());
    login.findChild<QLineEdit*>(QStringLiteral("编辑框_用户名"))->setText(user);
    login.findChild<QLineEdit*>(QStringLiteral("编辑框_密码"))->setText(password);
    env.dialogs().answerMessage();
    QTest::mouseClick(login.findChild<QPushButton*>(QStringLiteral("按钮_登录")), Qt::LeftButton);
}

} // namespace

void TestAccounts::safeguards_data()
{
    // li's stored password before ("legacy": the MD5 digest of "pw", "hash": its hash, empty: no
    // account li); what is done, with which name and password (li's row is deleted after being
    // selected in the rows named "vanished"); the box shown (title "提示"); a pattern for li's
    // stored password after.
    QTest::addColumn<QString>("stored");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("storedAfter");
    const auto row = [](const char* name, const char* stored, Action action, const char* user,
                        const char* password, const char* message, const QString& after) {
        QTest::newRow(name) << QString::fromUtf8(stored) << action << QString::fromUtf8(user)
                            << QString::fromUtf8(password) << QString::fromUtf8(message) << after;
    };
    const QString hash = QStringLiteral("^\\$argon2id\\$v=19\\$m=8,t=1,p=1\\$");
    const QString legacy = QStringLiteral("^%1$").arg(passwordDigest(QStringLiteral("pw")));
    row("register: hash at the interactive limits", "", Action::Register, "li", "pw",
        "用户注册成功",
        "^\\$argon2id\\$v=19\\$m=65536,t=2,p=1\\$[A-Za-z0-9+/]{22}\\$[A-Za-z0-9+/]{43}$");
    row("register: quote in the name", "", Action::Register, "li'", "pw", "用户名中存在违禁字符",
        {});
    row("register: quote in the password", "", Action::Register, "li", "p\"w", "密码中存在违禁字符",
        {});
    row("login: legacy digest upgraded", "legacy", Action::LogIn, "li", "pw", "登录成功", hash);
    row("login: legacy digest, name in capitals", "legacy", Action::LogIn, "LI", "pw", "登录成功",
        hash);
    row("login: legacy digest, wrong password", "legacy", Action::LogIn, "li", "pW",
        "用户名或密码不正确", legacy);
    row("login: hash", "hash", Action::LogIn, "li", "pw", "登录成功", hash);
    row("login: hash, wrong password", "hash", Action::LogIn, "li", "pw ", "用户名或密码不正确",
        hash);
    row("login: damaged stored value", "$argon2id$v=19$garbage", Action::LogIn, "li", "pw",
        "用户名或密码不正确", "garbage");
    row("delete: admin is kept", "", Action::Delete, "admin", "", "admin账号不能删除", {});
    row("change password: vanished account", "hash", Action::ChangePassword, "li", "new",
        "密码修改失败", {});
    row("delete: vanished account", "hash", Action::Delete, "li", "", "删除用户失败", {});
}

void TestAccounts::safeguards()
{
    QFETCH(QString, stored);
    QFETCH(Action, action);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, message);
    QFETCH(QString, storedAfter);
    const bool vanishes = QByteArray(QTest::currentDataTag()).contains("vanished");

    if (QByteArray(QTest::currentDataTag()).contains("interactive"))
        setPasswordHashCostForTests(0, 0);
    const auto restoreCost = qScopeGuard([] { setPasswordHashCostForTests(1, 8192); });

    Accounts accounts(action == Action::LogIn ? QString() : QStringLiteral("admin"));
    TestEnvironment& env = accounts.env;
    const QString li = QStringLiteral("li");
    const QString pw = QStringLiteral("pw");
    if (!stored.isEmpty()) {
        const QString value = stored == u"legacy"_qs ? passwordDigest(pw)
                              : stored == u"hash"_qs ? hashPassword(pw)
                                                     : stored;
        QVERIFY(registerAccount(env.db(), li, pw));
        QVERIFY(env.db().ExecuteSql(
            QStringLiteral("update 用户登录模块 set 密码=? where 用户名=? "), {value, li}));
    }
    const int accountsBefore = env.count(QStringLiteral("用户登录模块"));

    if (action == Action::Register) {
        accounts.type(user, password, password);
        env.dialogs().answerMessage();
        accounts.click("按钮_注册");
    } else if (action == Action::LogIn) {
        logIn(env, user, password);
        QCOMPARE(env.context().sessionUser(), message == u"登录成功"_qs ? user : QString());
    } else {
        accounts.select(user);
        if (vanishes)
            QVERIFY(deleteAccount(env.db(), user));
        if (action == Action::ChangePassword)
            env.dialogs().answerInput(password);
        else if (!isUndeletableAccount(user))
            env.dialogs().answerMessage(MessageAnswer::Yes);
        env.dialogs().answerMessage();
        accounts.click(action == Action::Delete ? "按钮_删除" : "按钮_修改密码");
    }

    QCOMPARE(env.dialogs().last().text, message);
    QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
    const int added = message == u"用户注册成功"_qs ? 1 : 0;
    QCOMPARE(env.count(QStringLiteral("用户登录模块")), accountsBefore + added - int(vanishes));
    const QString after = accounts.digestOf(li);
    QVERIFY2(storedAfter.isEmpty() ? after.isEmpty() || stored == u"hash"_qs
                                   : after.contains(QRegularExpression(storedAfter)),
             qPrintable(after));
    // The admin account is always there, and its password still logs in.
    QVERIFY(accountMatches(env.db(), QStringLiteral("admin"), QStringLiteral("admin")));
}

// Failed logins with the program's (fixed) clock: refused after the fifth within ten minutes, for
// 30 s, then 60 s...; the right password during a refusal is refused too; a success resets.
void TestAccounts::throttleTiming()
{
    TestEnvironment env{QString()};
    QVERIFY(registerAccount(env.db(), QStringLiteral("li"), QStringLiteral("pw")));
    const QString wrong = QStringLiteral("用户名或密码不正确");
    const QString refused = QStringLiteral("登录失败次数过多，请稍后再试");
    const QString welcome = QStringLiteral("登录成功");
    struct Step {
        int seconds; // the clock moves on by this before the attempt
        const char* user;
        const char* password;
        QString message;
    };
    // clang-format off
    const Step steps[] = {
        {0, "li", "x", wrong}, {60, "li", "x", wrong}, {60, "li", "x", wrong}, {60, "li", "x", wrong},
        // Another name is counted on its own, whatever its letter case.
        {0, "admin", "x", wrong}, {0, "LI", "x", wrong}, {0, "li", "x", refused},
        {29, "li", "pw", refused}, {1, "li", "x", wrong}, {0, "li", "pw", refused},
        {59, "li", "pw", refused}, {1, "li", "x", wrong}, {119, "li", "pw", refused},
        {1, "admin", "admin", welcome}, {1, "li", "pw", welcome}, {0, "li", "x", wrong},
        {0, "li", "pw", welcome},
        // Failures spread over more than ten minutes never add up to five.
        {0, "li", "x", wrong}, {200, "li", "x", wrong}, {200, "li", "x", wrong},
        {200, "li", "x", wrong}, {200, "li", "x", wrong}, {0, "li", "pw", welcome},
    };
    // clang-format on
    QDateTime now = env.clock().now();
    for (const Step& step : steps) {
        now = now.addSecs(step.seconds);
        env.clock().set(now);
        logIn(env, QString::fromUtf8(step.user), QString::fromUtf8(step.password));
        QCOMPARE(env.dialogs().last().text, step.message);
        QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
        env.context().setSessionUser(QString());
    }
    // The longest refusal is 15 minutes.
    LoginThrottle throttle;
    for (int i = 0; i < 12; ++i)
        throttle.noteFailure(QStringLiteral("li"), now);
    QCOMPARE(throttle.secondsRefused(QStringLiteral("li"), now), 15 * 60);
}

void TestAccounts::registerStoresTheDigest_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::newRow("chinese password") << "zhang"
                                      << "密码123";
    // Blanks only are a name.
    QTest::newRow("blank name") << "   "
                                << "admin";
}

void TestAccounts::registerStoresTheDigest()
{
    QFETCH(QString, name);
    QFETCH(QString, password);

    Accounts accounts;
    accounts.type(name, password, password);
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_注册");
    QCOMPARE(accounts.env.dialogs().texts(), QStringList{QStringLiteral("用户注册成功")});
    expectLast(accounts.env.dialogs(), QStringLiteral("用户注册成功"), kNotice);
    QVERIFY(accounts.user_->text().isEmpty());
    QVERIFY(accounts.password->text().isEmpty());
    QVERIFY(accounts.repeated->text().isEmpty());

    QCOMPARE(accounts.env.count(QStringLiteral("用户登录模块")), 2);
    QVERIFY(accounts.digestOf(name).startsWith(QStringLiteral("$argon2id$")));
    QVERIFY(accountMatches(accounts.env.db(), name, password));
    // Not refreshed by registering.
    QCOMPARE(accounts.list->count(), 0);
}

void TestAccounts::registrationRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("message");
    QTest::newRow("no name") << ""
                             << ""
                             << "x"
                             << "用户名不能为空";
    QTest::newRow("no password") << "li"
                                 << ""
                                 << ""
                                 << "密码不能为空";
    QTest::newRow("one character differs") << "li"
                                           << "secret1"
                                           << "secret2"
                                           << "两次密码输入不一致请重新输入";
    QTest::newRow("letter case differs") << "li"
                                         << "Secret"
                                         << "secret"
                                         << "两次密码输入不一致请重新输入";
}

void TestAccounts::registrationRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, message);

    Accounts accounts;
    accounts.type(name, first, second);
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_注册");
    QCOMPARE(accounts.env.dialogs().texts(), QStringList{message});
    expectLast(accounts.env.dialogs(), message, kInfo);
    QCOMPARE(accounts.env.count(QStringLiteral("用户登录模块")), 1);
    QCOMPARE(accounts.user_->text(), name);
    QCOMPARE(accounts.password->text(), first);
    QCOMPARE(accounts.repeated->text(), second);
}

void TestAccounts::duplicateNameFails()
{
    Accounts accounts;
    accounts.type(QStringLiteral("ADMIN"), QStringLiteral("x"), QStringLiteral("x"));
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_注册");
    expectLast(accounts.env.dialogs(), QStringLiteral("用户注册失败"), kNotice);
    QCOMPARE(accounts.env.count(QStringLiteral("用户登录模块")), 1);
    QCOMPARE(accounts.user_->text(), QStringLiteral("ADMIN"));
    QCOMPARE(accounts.password->text(), QStringLiteral("x"));
    QVERIFY(accountMatches(accounts.env.db(), QStringLiteral("admin"), QStringLiteral("admin")));
}

void TestAccounts::enterLeadsToRegistering()
{
    Accounts accounts;
    QApplication::setActiveWindow(accounts.window.get());
    QCOMPARE(QApplication::focusWidget(), accounts.user_);
    QTest::keyClicks(accounts.user_, QStringLiteral("wang"));
    QTest::keyClick(accounts.user_, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), accounts.password);
    QTest::keyClicks(accounts.password, QStringLiteral("pw"));
    QTest::keyClick(accounts.password, Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), accounts.repeated);
    QTest::keyClicks(accounts.repeated, QStringLiteral("pw"));
    QTest::keyClick(accounts.repeated, Qt::Key_Return);
    auto* registerButton = accounts.window->findChild<QPushButton*>(QStringLiteral("按钮_注册"));
    QCOMPARE(QApplication::focusWidget(), registerButton);
    QVERIFY(accounts.env.dialogs().shown().isEmpty());
    accounts.env.dialogs().answerMessage();
    QTest::keyClick(registerButton, Qt::Key_Return);
    expectLast(accounts.env.dialogs(), QStringLiteral("用户注册成功"), kNotice);
    QVERIFY(accountMatches(accounts.env.db(), QStringLiteral("wang"), QStringLiteral("pw")));
}

void TestAccounts::passwordsShowAsStars()
{
    Accounts accounts;
    accounts.type(QStringLiteral("li"), QStringLiteral("pw1"), QStringLiteral("密码"));
    QCOMPARE(accounts.user_->displayText(), QStringLiteral("li"));
    QCOMPARE(accounts.password->displayText(), QStringLiteral("***"));
    QCOMPARE(accounts.repeated->displayText(), QStringLiteral("**"));
}

void TestAccounts::listShowsEveryAccount()
{
    Accounts accounts;
    QVERIFY(registerAccount(accounts.env.db(), QStringLiteral("zhang"), QStringLiteral("1")));
    QVERIFY(registerAccount(accounts.env.db(), QStringLiteral("li"), QStringLiteral("2")));
    accounts.click("按钮_显示");
    QCOMPARE(accounts.listed(), (QStringList{"admin", "zhang", "li"}));
    QCOMPARE(accounts.list->currentRow(), -1);
    // Listing again starts afresh.
    accounts.click("按钮_显示");
    QCOMPARE(accounts.list->count(), 3);
    QVERIFY(accounts.env.dialogs().shown().isEmpty());
}

void TestAccounts::changePasswordNeedsSelection()
{
    Accounts accounts;
    accounts.click("按钮_显示");
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_修改密码");
    QCOMPARE(accounts.env.dialogs().texts(), QStringList{QStringLiteral("请选择要更改密码的账号")});
    expectLast(accounts.env.dialogs(), QStringLiteral("请选择要更改密码的账号"), kNotice);
}

void TestAccounts::changePasswordRefusals_data()
{
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<MessageIcon>("icon");
    QTest::newRow("empty") << std::optional<QString>(QString()) << "密码不能为空"
                           << MessageIcon::None;
    QTest::newRow("cancelled") << std::optional<QString>() << "密码不能为空" << MessageIcon::None;
    QTest::newRow("single quote") << std::optional<QString>(QStringLiteral("ab'c"))
                                  << "密码中存在违禁字符" << MessageIcon::Information;
    QTest::newRow("double quote") << std::optional<QString>(QStringLiteral("\""))
                                  << "密码中存在违禁字符" << MessageIcon::Information;
}

void TestAccounts::changePasswordRefusals()
{
    QFETCH(std::optional<QString>, typed);
    QFETCH(QString, message);
    QFETCH(MessageIcon, icon);

    Accounts accounts;
    const QString before = accounts.digestOf(QStringLiteral("admin"));
    accounts.select(QStringLiteral("admin"));
    accounts.env.dialogs().answerInput(typed);
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_修改密码");

    const ScriptedDialogs& dialogs = accounts.env.dialogs();
    QCOMPARE(dialogs.shown().size(), 2);
    const ScriptedDialogs::Shown& input = dialogs.shown().first();
    QVERIFY(input.isInput);
    QCOMPARE(input.text, QStringLiteral("请输入新密码"));
    QCOMPARE(input.title, QStringLiteral("修改密码"));
    QVERIFY(input.initialText.isEmpty());
    QCOMPARE(input.mode, InputMode::Text);
    expectLast(dialogs, message, kNotice, icon);
    QCOMPARE(accounts.digestOf(QStringLiteral("admin")), before);
}

void TestAccounts::changePasswordStoresTheDigest()
{
    Accounts accounts;
    QVERIFY(registerAccount(accounts.env.db(), QStringLiteral("zhang"), QStringLiteral("old")));
    accounts.select(QStringLiteral("zhang"));
    accounts.env.dialogs().answerInput(QStringLiteral("密码123"));
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_修改密码");
    expectLast(accounts.env.dialogs(), QStringLiteral("密码修改成功，新密码为密码123"), kNotice);
    QVERIFY(accounts.digestOf(QStringLiteral("zhang")).startsWith(QStringLiteral("$argon2id$")));
    QVERIFY(accountMatches(accounts.env.db(), QStringLiteral("zhang"), QStringLiteral("密码123")));
    QVERIFY(!accountMatches(accounts.env.db(), QStringLiteral("zhang"), QStringLiteral("old")));
    // Only the chosen account changed.
    QVERIFY(accountMatches(accounts.env.db(), QStringLiteral("admin"), QStringLiteral("admin")));
}

void TestAccounts::quotedNameIsChangedAndDeleted()
{
    Accounts accounts;
    const QString name = QStringLiteral("o'neil");
    QVERIFY(registerAccount(accounts.env.db(), name, QStringLiteral("old")));
    accounts.select(name);
    accounts.env.dialogs().answerInput(QStringLiteral("new"));
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_修改密码");
    expectLast(accounts.env.dialogs(), QStringLiteral("密码修改成功，新密码为new"), kNotice);
    QVERIFY(accountMatches(accounts.env.db(), name, QStringLiteral("new")));

    accounts.select(name);
    accounts.env.dialogs().answerMessage(MessageAnswer::Yes);
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_删除");
    expectLast(accounts.env.dialogs(), QStringLiteral("删除用户成功"), kNotice);
    QCOMPARE(accounts.listed(), QStringList{QStringLiteral("admin")});
}

void TestAccounts::deleteAsksAndRelists()
{
    Accounts accounts;
    QVERIFY(registerAccount(accounts.env.db(), QStringLiteral("zhang"), QStringLiteral("1")));
    QVERIFY(registerAccount(accounts.env.db(), QStringLiteral("li"), QStringLiteral("2")));

    // No keeps everything.
    accounts.select(QStringLiteral("zhang"));
    accounts.env.dialogs().answerMessage(MessageAnswer::No);
    accounts.click("按钮_删除");
    const ScriptedDialogs& dialogs = accounts.env.dialogs();
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("是否删除该用户？此操作无法恢复!!!")});
    QCOMPARE(dialogs.last().title, QStringLiteral("警告"));
    QCOMPARE(dialogs.last().buttons, MessageButtons::YesNo);
    QCOMPARE(accounts.env.count(QStringLiteral("用户登录模块")), 3);

    accounts.env.dialogs().answerMessage(MessageAnswer::Yes);
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_删除");
    expectLast(dialogs, QStringLiteral("删除用户成功"), kNotice);
    QCOMPARE(accounts.listed(), (QStringList{"admin", "li"}));
    QCOMPARE(accounts.list->currentRow(), -1);
    QCOMPARE(accounts.env.count(QStringLiteral("用户登录模块")), 2);

    // Nothing is selected any more: a new password asks for a selection.
    accounts.env.dialogs().answerMessage();
    accounts.click("按钮_修改密码");
    expectLast(dialogs, QStringLiteral("请选择要更改密码的账号"), kNotice);
}

void TestAccounts::deleteDoesNothing_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("refused");
    QTest::newRow("no selection") << "admin" << false << false;
    QTest::newRow("plain user") << "zhang" << true << true;
    QTest::newRow("Admin") << "Admin" << true << true;
}

void TestAccounts::deleteDoesNothing()
{
    QFETCH(QString, user);
    QFETCH(bool, selected);
    QFETCH(bool, refused);
    Accounts accounts(user);
    if (selected) {
        // Listing needs the administrator too; the list is filled as it was for them.
        accounts.list->addItem(QStringLiteral("admin"));
        accounts.list->setCurrentRow(0);
    } else {
        accounts.click("按钮_显示");
    }
    if (refused)
        accounts.env.dialogs().answerMessage();
    accounts.click("按钮_删除");
    QCOMPARE(accounts.env.dialogs().texts(),
             refused ? QStringList{kAdministratorOnly} : QStringList());
    QCOMPARE(accounts.env.count(QStringLiteral("用户登录模块")), 1);
}

void TestAccounts::everyActionRefusedAfterLogout_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("注册") << "按钮_注册";
    QTest::newRow("显示账号") << "按钮_显示";
    QTest::newRow("修改密码") << "按钮_修改密码";
    QTest::newRow("删除用户") << "按钮_删除";
}

void TestAccounts::everyActionRefusedAfterLogout()
{
    QFETCH(QString, button);
    TestEnvironment env;
    MainWindow main(env.context());
    main.show();
    QPointer<LoginWindow> login = main.openLoginWindow();
    const auto click = [](QWidget* window, const QString& name) {
        QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton);
    };
    click(login, QStringLiteral("按钮_用户设置"));
    auto* account = main.findChild<AccountWindow*>();
    QVERIFY(account);

    // The administrator lists the accounts, selects admin and types a new account; then somebody
    // presses "注销" in the login window, which stays open beside the account window.
    click(account, QStringLiteral("按钮_显示"));
    auto* list = account->findChild<QListWidget*>(QStringLiteral("列表框1"));
    list->setCurrentRow(0);
    for (const char* box : {"编辑框_用户名", "编辑框_密码1", "编辑框_密码2"})
        account->findChild<QLineEdit*>(QString::fromUtf8(box))->setText(QStringLiteral("li"));
    click(login, QStringLiteral("按钮_注销"));
    QVERIFY(!env.context().isLoggedIn() && account->isVisible());
    QVERIFY(registerAccount(env.db(), QStringLiteral("zhang"), QStringLiteral("1")));

    env.dialogs().answerMessage();
    click(account, button);
    QCOMPARE(env.dialogs().texts(), QStringList{kAdministratorOnly});
    QCOMPARE(env.dialogs().last().title, kInfo);
    // Nothing registered, relisted, changed or deleted.
    QCOMPARE(env.count(QStringLiteral("用户登录模块")), 2);
    QVERIFY(accountMatches(env.db(), QStringLiteral("admin"), QStringLiteral("admin")));
    QCOMPARE(list->count(), 1);
}

void TestAccounts::userSettingsOpensModelessAndClosesLogin()
{
    TestEnvironment env(QStringLiteral("admin"));
    MainWindow main(env.context());
    main.show();
    QPointer<LoginWindow> login = main.openLoginWindow();
    QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("按钮_用户设置")),
                      Qt::LeftButton);
    QVERIFY(env.dialogs().shown().isEmpty());
    const QList<AccountWindow*> windows = main.findChildren<AccountWindow*>();
    QCOMPARE(windows.size(), 1);
    QPointer<AccountWindow> account = windows.first();
    QCOMPARE(account->parentWidget(), &main);
    QVERIFY(account->isWindow() && account->isVisible() && !account->isModal());
    QVERIFY(login->isVisible());

    QVERIFY(account->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(account.isNull());
    // The login window closed with it and is deleted in turn.
    QVERIFY(!login->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(login.isNull());
    QVERIFY(env.dialogs().shown().isEmpty());
}

QTEST_MAIN(TestAccounts)
#include "test_accounts.moc"
