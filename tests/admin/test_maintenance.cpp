// SPDX-License-Identifier: GPL-3.0-or-later
// Database maintenance from the main window's menu: dated backups, the restore window and
// restoring a backup, and clearing the stock and document tables. Run as test_maintenance_server
// over a PostgreSQL server, where clearing works the same and backups are the server's business.
#include "admin/maintenance.h"
#include "app/mainwindow.h"
#include "storage/database.h"
#include "storage/databasefile.h"
#include "tests/support/databasefiles.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace
{

const QString kNotice = QStringLiteral("提示");
const QString kTodaysBackup = QStringLiteral("2018-3-5.mdb");
const QString kReady = QStringLiteral("数据库已准备完毕，请重新打开软件操作！");

// The main window over a test program directory.
struct Shell {
    explicit Shell(const QString& user = QStringLiteral("admin")) : env(user)
    {
        window = std::make_unique<MainWindow>(env.context());
        window->show();
    }

    void trigger(const QString& item) const
    {
        window->findChild<QAction*>(QStringLiteral("菜单_") + item)->trigger();
    }
    QString backupPath(const QString& name)
    {
        return QDir(env.context().backupDirectory()).filePath(name);
    }
    // The number of stock lots in a database file, opened on its own.
    static int lotsIn(const QString& path)
    {
        Database db;
        if (!db.NewOpenDatabase(path))
            return -1;
        const int handle = db.OpenTable(QStringLiteral("select count(*) as n from 总数据库模块"));
        const int lots = handle ? int(db.readNumber(handle, QStringLiteral("n"))) : -1;
        db.CloseTable(handle);
        return lots;
    }
    RestoreWindow* restoreWindow() const
    {
        const QList<RestoreWindow*> windows = window->findChildren<RestoreWindow*>();
        return windows.size() == 1 ? windows.first() : nullptr;
    }

    TestEnvironment env;
    std::unique_ptr<MainWindow> window;
};

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void expectBoxes(const ScriptedDialogs& dialogs, const QStringList& texts)
{
    QCOMPARE(dialogs.texts(), texts);
    for (const ScriptedDialogs::Shown& box : dialogs.shown())
        QCOMPARE(box.title, kNotice);
}

void addDocument(TestEnvironment& env, const QString& table, const QString& field,
                 const QString& number)
{
    QVERIFY(env.db().ExecuteSql(QStringLiteral("insert into %1(%2)values(?)").arg(table, field),
                                {number}));
}

const QList<std::pair<QString, QString>> kDocumentTables = {
    {QStringLiteral("入库管理模块"), QStringLiteral("入库单号")},
    {QStringLiteral("出库管理模块"), QStringLiteral("出库单号")},
    {QStringLiteral("销售管理模块"), QStringLiteral("销售单号")},
    {QStringLiteral("退货管理模块"), QStringLiteral("退货单号")},
    {QStringLiteral("借用管理模块"), QStringLiteral("借用单号")},
    {QStringLiteral("归还管理模块"), QStringLiteral("归还单号")},
    {QStringLiteral("问题处理模块"), QStringLiteral("问题单号")},
};

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void displayName_data();
    void displayName();

    void firstBackupOfTheDay();
    void secondBackupAsksToReplace();
    void secondBackupCancelledCopiesNothing();
    void backupNeedsLogin();
    void backupWithoutFolderFails();
    void backupDuringLargeWriteFailsHonestly();

    void restoreWindowListsBackups();
    void restoreReplacesDatabaseAndQuits();
    void restoreCancelledStillQuits();
    void restoreWindowOutlivesTheAdministrator_data();
    void restoreWindowOutlivesTheAdministrator();
    void restoreWithoutBackupKeepsDatabase();
    void failedCopyLeavesTargetWhole();
    void restoreRefusesUnusableFiles_data();
    void restoreRefusesUnusableFiles();
    void restoreWaitsForOtherPrograms_data();
    void restoreWaitsForOtherPrograms();
    void staleJournalIsNeverReplayed();
    void damagedDatabaseIsReplaced();

    void clearingNeedsAdministrator();
    void clearingCancelledKeepsData();
    void clearingEmptiesStockAndDocuments();
    void failedClearingChangesNothing();

    void serverBackupsAreTheServersBusiness_data();
    void serverBackupsAreTheServersBusiness();
};

void TestMaintenance::init()
{
    // Clearing runs over the file and the server alike; the file's backups and restores only
    // over the file, the server's answer to them only over the server.
    const QByteArray name = QTest::currentTestFunction();
    const bool both = name.contains("learing");
    const bool serverOnly = name.startsWith("server");
    if (onServer() && !both && !serverOnly)
        QSKIP("backups of the file");
    if (!onServer() && serverOnly)
        QSKIP("a server connection");
}

void TestMaintenance::displayName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("shown");
    QTest::newRow("dated") << "2018-3-5.mdb"
                           << "2018-3-5";
    QTest::newRow("twice") << "a.mdb.mdb"
                           << "a";
    QTest::newRow("inside") << "x.mdbcopy.mdb"
                            << "xcopy";
    QTest::newRow("capitals kept") << "old.MDB"
                                   << "old.MDB";
    QTest::newRow("none") << ""
                          << "";
}

void TestMaintenance::displayName()
{
    QFETCH(QString, file);
    QFETCH(QString, shown);
    QCOMPARE(backupDisplayName(file), shown);
}

void TestMaintenance::firstBackupOfTheDay()
{
    // Any logged-in operator may back up.
    Shell shell(QStringLiteral("zhang"));
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("备份数据库"));
    expectBoxes(shell.env.dialogs(), {QStringLiteral("数据库备份成功")});
    QCOMPARE(shell.env.dialogs().last().icon, MessageIcon::None);
    QCOMPARE(shell.env.dialogs().last().owner, shell.window.get());
    QCOMPARE(Shell::lotsIn(shell.backupPath(kTodaysBackup)), 1);
    QCOMPARE(QDir(shell.env.context().backupDirectory()).entryList(QDir::Files),
             QStringList{kTodaysBackup});
    // The database stays open and usable.
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 1);
}

void TestMaintenance::secondBackupAsksToReplace()
{
    Shell shell;
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("备份数据库"));
    QCOMPARE(Shell::lotsIn(shell.backupPath(kTodaysBackup)), 0);

    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.env.dialogs().clear();
    shell.env.dialogs().answerMessage(MessageAnswer::Ok);
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("备份数据库"));
    const ScriptedDialogs& dialogs = shell.env.dialogs();
    expectBoxes(dialogs, {QStringLiteral("今日数据库已备份，是否继续覆盖？"),
                          QStringLiteral("数据库覆盖成功")});
    QCOMPARE(dialogs.shown().first().icon, MessageIcon::Question);
    QCOMPARE(dialogs.shown().first().buttons, MessageButtons::OkCancel);
    QCOMPARE(dialogs.shown().first().owner, shell.window.get());
    QCOMPARE(Shell::lotsIn(shell.backupPath(kTodaysBackup)), 1);
    QCOMPARE(QDir(shell.env.context().backupDirectory()).entryList(QDir::Files),
             QStringList{kTodaysBackup});
}

void TestMaintenance::secondBackupCancelledCopiesNothing()
{
    Shell shell;
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("备份数据库"));
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.env.dialogs().clear();
    shell.env.dialogs().answerMessage(MessageAnswer::Cancel);
    shell.trigger(QStringLiteral("备份数据库"));
    expectBoxes(shell.env.dialogs(), {QStringLiteral("今日数据库已备份，是否继续覆盖？")});
    QCOMPARE(Shell::lotsIn(shell.backupPath(kTodaysBackup)), 0);
}

void TestMaintenance::backupNeedsLogin()
{
    Shell shell{QString()};
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("备份数据库"));
    expectBoxes(shell.env.dialogs(), {QStringLiteral("请登录后操作")});
    QVERIFY(QDir(shell.env.context().backupDirectory()).isEmpty());
}

void TestMaintenance::backupWithoutFolderFails()
{
    Shell shell;
    QVERIFY(QDir(shell.env.context().backupDirectory()).removeRecursively());
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("备份数据库"));
    expectBoxes(shell.env.dialogs(), {QStringLiteral("数据库备份失败")});
    QVERIFY(!QFileInfo::exists(shell.env.context().backupDirectory()));
}

void TestMaintenance::backupDuringLargeWriteFailsHonestly()
{
    Shell shell;
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    const QString database = shell.env.context().databasePath();
    const QString backup = shell.backupPath(kTodaysBackup);
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("备份数据库"));
    const QByteArray earlier = bytesOf(backup);
    QVERIFY(!earlier.isEmpty());

    // Another program is in the middle of a large write: the file on disk holds half of it.
    {
        OtherConnection writer(database);
        QVERIFY(writer.beginLargeWrite());
        QVERIFY(OtherConnection::readIsRefused(database));
        shell.env.dialogs().clear();
        shell.env.dialogs().answerMessage(MessageAnswer::Ok);
        shell.env.dialogs().answerMessage();
        shell.trigger(QStringLiteral("备份数据库"));
        expectBoxes(shell.env.dialogs(), {QStringLiteral("今日数据库已备份，是否继续覆盖？"),
                                          QStringLiteral("数据库备份失败")});
        QCOMPARE(bytesOf(backup), earlier);
        QCOMPARE(QDir(shell.env.context().backupDirectory()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{kTodaysBackup});
        QVERIFY(writer.exec(QStringLiteral("commit")));
    }

    // Once the write has ended, the backup holds all of it.
    shell.env.dialogs().clear();
    shell.env.dialogs().answerMessage(MessageAnswer::Ok);
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("备份数据库"));
    expectBoxes(shell.env.dialogs(), {QStringLiteral("今日数据库已备份，是否继续覆盖？"),
                                      QStringLiteral("数据库覆盖成功")});
    QVERIFY(isWarehouseDatabase(backup));
    QCOMPARE(Shell::lotsIn(backup), 5001);
}

void TestMaintenance::restoreWindowListsBackups()
{
    Shell shell;
    for (const QString& name :
         {kTodaysBackup, QStringLiteral("copy by hand.mdb"), QStringLiteral("notes.txt"),
          QStringLiteral("2018-3-4.mdb.copying")})
        QVERIFY(QFile::copy(shell.env.context().databasePath(), shell.backupPath(name)));
    shell.trigger(QStringLiteral("恢复数据库"));
    RestoreWindow* restore = shell.restoreWindow();
    QVERIFY(restore);
    QVERIFY(restore->isVisible() && !restore->isModal());
    QCOMPARE(restore->windowTitle(), QStringLiteral("数据库恢复"));
    auto* backups = restore->findChild<QComboBox*>(QStringLiteral("组合框1"));
    QVERIFY(!backups->isEditable());
    QStringList listed;
    for (int item = 0; item < backups->count(); ++item)
        listed.append(backups->itemText(item));
    listed.sort();
    QCOMPARE(listed, (QStringList{kTodaysBackup, QStringLiteral("copy by hand.mdb")}));
    QCOMPARE(restore->findChild<QLabel*>(QStringLiteral("透明标签1"))->text(),
             QStringLiteral("请选择要恢复的数据库"));
    QVERIFY(shell.env.dialogs().shown().isEmpty());
}

void TestMaintenance::restoreReplacesDatabaseAndQuits()
{
    Shell shell;
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    QVERIFY(shell.env.db().backupTo(shell.backupPath(kTodaysBackup)));
    shell.env.addStock(QStringLiteral("rk2"), QStringLiteral("p2"), QStringLiteral("螺母"),
                       QStringLiteral("7"));

    shell.trigger(QStringLiteral("恢复数据库"));
    RestoreWindow* restore = shell.restoreWindow();
    QCOMPARE(restore->findChild<QComboBox*>(QStringLiteral("组合框1"))->currentText(),
             kTodaysBackup);
    shell.env.dialogs().answerMessage(MessageAnswer::Ok);
    shell.env.dialogs().answerMessage();
    shell.env.dialogs().answerMessage();
    QTest::mouseClick(restore->findChild<QPushButton*>(QStringLiteral("按钮_确认恢复")),
                      Qt::LeftButton);
    const ScriptedDialogs& dialogs = shell.env.dialogs();
    expectBoxes(dialogs, {QStringLiteral("是否恢复到2018-3-5数据库？此操作无法回退！"),
                          QStringLiteral("数据库恢复成功"), kReady});
    QCOMPARE(dialogs.shown().first().icon, MessageIcon::Question);
    QCOMPARE(dialogs.shown().first().buttons, MessageButtons::OkCancel);
    QCOMPARE(dialogs.last().icon, MessageIcon::None);
    QCOMPARE(shell.env.quitCodes(), QList<int>{0});
    QVERIFY(!shell.env.db().isOpen());
    QCOMPARE(Shell::lotsIn(shell.env.context().databasePath()), 1);
    QCOMPARE(QDir(shell.env.programDirectory()).entryList(QDir::Files),
             QStringList{QStringLiteral("datalx.mdb")});
    // The backup itself stays.
    QCOMPARE(Shell::lotsIn(shell.backupPath(kTodaysBackup)), 1);
}

void TestMaintenance::restoreCancelledStillQuits()
{
    Shell shell;
    QVERIFY(shell.env.db().backupTo(shell.backupPath(kTodaysBackup)));
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.trigger(QStringLiteral("恢复数据库"));
    shell.env.dialogs().answerMessage(MessageAnswer::Cancel);
    shell.env.dialogs().answerMessage();
    shell.restoreWindow()->restore();
    expectBoxes(shell.env.dialogs(),
                {QStringLiteral("是否恢复到2018-3-5数据库？此操作无法回退！"), kReady});
    QCOMPARE(shell.env.quitCodes(), QList<int>{0});
    QVERIFY(shell.env.db().isOpen());
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 1);
}

void TestMaintenance::restoreWindowOutlivesTheAdministrator_data()
{
    QTest::addColumn<QString>("user");
    QTest::newRow("logged out") << QString();
    QTest::newRow("another operator") << QStringLiteral("zhang");
}

void TestMaintenance::restoreWindowOutlivesTheAdministrator()
{
    // The administrator opened the window, then logged out or somebody else logged in.
    QFETCH(QString, user);
    Shell shell;
    QVERIFY(shell.env.db().backupTo(shell.backupPath(kTodaysBackup)));
    shell.trigger(QStringLiteral("恢复数据库"));
    shell.env.context().setSessionUser(user);
    shell.env.dialogs().answerMessage();
    shell.restoreWindow()->restore();
    expectBoxes(shell.env.dialogs(), {QStringLiteral("此操作仅管理员有权操作")});
    QCOMPARE(shell.env.quitCodes(), QList<int>());
    QVERIFY(shell.env.db().isOpen());
}

void TestMaintenance::restoreWithoutBackupKeepsDatabase()
{
    Shell shell;
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.trigger(QStringLiteral("恢复数据库"));
    RestoreWindow* restore = shell.restoreWindow();
    QVERIFY(restore->findChild<QComboBox*>(QStringLiteral("组合框1"))->currentText().isEmpty());
    shell.env.dialogs().answerMessage(MessageAnswer::Ok);
    shell.env.dialogs().answerMessage();
    shell.env.dialogs().answerMessage();
    restore->restore();
    expectBoxes(shell.env.dialogs(), {QStringLiteral("是否恢复到数据库？此操作无法回退！"),
                                      QStringLiteral("数据库恢复失败"), kReady});
    QCOMPARE(shell.env.quitCodes(), QList<int>{0});
    // The current database is still there, whole.
    QCOMPARE(Shell::lotsIn(shell.env.context().databasePath()), 1);
    QCOMPARE(QDir(shell.env.programDirectory()).entryList(QDir::Files),
             QStringList{QStringLiteral("datalx.mdb")});
}

void TestMaintenance::failedCopyLeavesTargetWhole()
{
    TestEnvironment env;
    const QString database = env.context().databasePath();
    const QByteArray before = [&database] {
        QFile file(database);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    QVERIFY(!before.isEmpty());
    const QString backups = env.context().backupDirectory();
    QVERIFY(!restoreDatabaseFile(QDir(backups).filePath(QStringLiteral("missing.mdb")), database));
    QVERIFY(!restoreDatabaseFile(backups, database));
    QFile file(database);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(QDir(env.programDirectory()).entryList(QDir::Files),
             QStringList{QStringLiteral("datalx.mdb")});
}

void TestMaintenance::restoreRefusesUnusableFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a database") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("truncated backup") << "truncated";
    QTest::newRow("SQLite file without the tables") << "other tables";
    QTest::newRow("a column missing") << "column missing";
}

void TestMaintenance::restoreRefusesUnusableFiles()
{
    QFETCH(QString, kind);
    Shell shell;
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    QVERIFY(writeUnusableBackup(kind, shell.backupPath(QStringLiteral("bad.mdb"))));
    const QString database = shell.env.context().databasePath();
    const QByteArray before = bytesOf(database);

    shell.trigger(QStringLiteral("恢复数据库"));
    shell.env.dialogs().answerMessage(MessageAnswer::Ok);
    shell.env.dialogs().answerMessage();
    shell.env.dialogs().answerMessage();
    QTest::mouseClick(
        shell.restoreWindow()->findChild<QPushButton*>(QStringLiteral("按钮_确认恢复")),
        Qt::LeftButton);
    expectBoxes(shell.env.dialogs(), {QStringLiteral("是否恢复到bad数据库？此操作无法回退！"),
                                      QStringLiteral("数据库恢复失败"), kReady});
    QCOMPARE(shell.env.quitCodes(), QList<int>{0});
    QCOMPARE(bytesOf(database), before);
    QCOMPARE(Shell::lotsIn(database), 1);
    QCOMPARE(QDir(shell.env.programDirectory()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("datalx.mdb")});
}

void TestMaintenance::restoreWaitsForOtherPrograms_data()
{
    QTest::addColumn<QString>("holding");
    QTest::newRow("reading") << "begin; select count(*) from 总数据库模块;";
    QTest::newRow("writing") << "begin immediate; delete from 总数据库模块;";
    QTest::newRow("large write") << "";
}

void TestMaintenance::restoreWaitsForOtherPrograms()
{
    QFETCH(QString, holding);
    TestEnvironment env;
    const QString database = env.context().databasePath();
    const QString backup = QDir(env.context().backupDirectory()).filePath(kTodaysBackup);
    QVERIFY(env.db().backupTo(backup));
    env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                 QStringLiteral("5"));
    env.db().CloseDatabase();
    const QByteArray before = bytesOf(database);

    OtherConnection other(database);
    QVERIFY(holding.isEmpty() ? other.beginLargeWrite() : other.exec(holding));
    QVERIFY(!replaceDatabaseFile(backup, database, 100));
    QVERIFY(other.exec(QStringLiteral("rollback")));
    QCOMPARE(bytesOf(database), before);
    // Connected but idle, the other program no longer stands in the way.
    QVERIFY(replaceDatabaseFile(backup, database, 100));
    QCOMPARE(Shell::lotsIn(database), 0);
}

void TestMaintenance::staleJournalIsNeverReplayed()
{
    TestEnvironment env;
    const QString database = env.context().databasePath();
    const QString backup = QDir(env.context().backupDirectory()).filePath(kTodaysBackup);
    env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                 QStringLiteral("5"));
    QVERIFY(env.db().backupTo(backup));
    env.addStock(QStringLiteral("rk2"), QStringLiteral("p2"), QStringLiteral("螺母"),
                 QStringLiteral("7"));
    env.db().CloseDatabase();

    // A program that ended in the middle of a large write left its journal beside the database;
    // opening the file would copy the journal's pages back into it.
    const QString journal = database + QStringLiteral("-journal");
    {
        OtherConnection writer(database);
        QVERIFY(writer.beginLargeWrite());
        QVERIFY(OtherConnection::readIsRefused(database));
        QVERIFY(QFile::copy(journal, backup + QStringLiteral(".journal")));
    }
    QVERIFY(QFile::rename(backup + QStringLiteral(".journal"), journal));

    QVERIFY(restoreDatabaseFile(backup, database));
    QCOMPARE(Shell::lotsIn(database), 1);
    QVERIFY(isWarehouseDatabase(database));
    QCOMPARE(QDir(env.programDirectory()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("datalx.mdb")});
}

void TestMaintenance::damagedDatabaseIsReplaced()
{
    // The database file itself went wrong: it is locked without being read, and replaced.
    TestEnvironment env;
    const QString database = env.context().databasePath();
    const QString backup = QDir(env.context().backupDirectory()).filePath(kTodaysBackup);
    QVERIFY(env.db().backupTo(backup));
    env.db().CloseDatabase();
    QVERIFY(QFile::remove(database));
    QVERIFY(writeUnusableBackup(QStringLiteral("text"), database));
    QVERIFY(restoreDatabaseFile(backup, database));
    QVERIFY(isWarehouseDatabase(database));
}

void TestMaintenance::clearingNeedsAdministrator()
{
    Shell shell(QStringLiteral("zhang"));
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("清空数据库"));
    expectBoxes(shell.env.dialogs(), {QStringLiteral("此操作仅管理员可操作")});
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 1);
}

void TestMaintenance::clearingCancelledKeepsData()
{
    Shell shell;
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    addDocument(shell.env, QStringLiteral("销售管理模块"), QStringLiteral("销售单号"),
                QStringLiteral("xs1"));
    shell.env.dialogs().answerMessage(MessageAnswer::Cancel);
    shell.trigger(QStringLiteral("清空数据库"));
    const ScriptedDialogs& dialogs = shell.env.dialogs();
    expectBoxes(dialogs, {QStringLiteral("此操作无法回退，请确认当前数据库是否已备份")});
    QCOMPARE(dialogs.last().icon, MessageIcon::Warning);
    QCOMPARE(dialogs.last().buttons, MessageButtons::OkCancel);
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 1);
    QCOMPARE(shell.env.count(QStringLiteral("销售管理模块")), 1);
}

void TestMaintenance::clearingEmptiesStockAndDocuments()
{
    Shell shell;
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    for (const auto& [table, field] : kDocumentTables)
        addDocument(shell.env, table, field, QStringLiteral("d1"));
    QVERIFY(shell.env.db().ExecuteSql(
        QStringLiteral("insert into 库存预警(产品ID,最低库存)values(?,?)"),
        {QStringLiteral("p1"), QStringLiteral("10")}));
    shell.env.context().refreshMainWindow();
    auto* stock = shell.window->findChild<ReportList*>(QStringLiteral("超级列表框主"));
    QCOMPARE(stock->rowCount(), 1);

    shell.env.dialogs().answerMessage(MessageAnswer::Ok);
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("清空数据库"));
    expectBoxes(shell.env.dialogs(), {QStringLiteral("此操作无法回退，请确认当前数据库是否已备份"),
                                      QStringLiteral("操作成功")});
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 0);
    for (const auto& pair : kDocumentTables)
        QCOMPARE(shell.env.count(pair.first), 0);
    QCOMPARE(shell.env.count(QStringLiteral("用户登录模块")), 1);
    QCOMPARE(shell.env.count(QStringLiteral("系统信息管理模块")), 1);
    // The minimum stocks are settings: they stay, and with no lot left nothing is below them.
    QCOMPARE(shell.env.count(QStringLiteral("库存预警")), 1);
    QCOMPARE(shell.window->findChild<QPushButton*>(QStringLiteral("按钮_预警"))->text(),
             QStringLiteral("库存预警"));
    // The stock list no longer shows the deleted lot.
    QCOMPARE(stock->rowCount(), 0);
}

void TestMaintenance::failedClearingChangesNothing()
{
    Shell shell;
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    for (const auto& [table, field] : kDocumentTables)
        addDocument(shell.env, table, field, QStringLiteral("d1"));
    // The last of the eight statements fails.
    QVERIFY(shell.env.refuseWrites(QStringLiteral("before delete on 问题处理模块")));

    shell.env.dialogs().answerMessage(MessageAnswer::Ok);
    shell.env.dialogs().answerMessage();
    shell.trigger(QStringLiteral("清空数据库"));
    QCOMPARE(shell.env.dialogs().last().text, QStringLiteral("操作失败"));
    QCOMPARE(shell.env.dialogs().last().title, kNotice);
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 1);
    for (const auto& pair : kDocumentTables)
        QCOMPARE(shell.env.count(pair.first), 1);
    QVERIFY(!shell.env.db().inTransaction());
}

void TestMaintenance::serverBackupsAreTheServersBusiness_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("backup") << QStringLiteral("备份数据库");
    QTest::newRow("restore") << QStringLiteral("恢复数据库");
}

void TestMaintenance::serverBackupsAreTheServersBusiness()
{
    QFETCH(QString, command);
    Shell shell;
    shell.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                       QStringLiteral("5"));
    // A backup of the day made earlier (over the file) is no reason to ask anything.
    QVERIFY(QFile(shell.backupPath(kTodaysBackup)).open(QIODevice::WriteOnly));
    const QByteArray before = bytesOf(shell.backupPath(kTodaysBackup));

    shell.env.dialogs().answerMessage();
    shell.trigger(command);
    // One box naming the server's tools, and nothing else happens: no restore window, no file
    // written, the program goes on with its connection and data.
    expectBoxes(shell.env.dialogs(), {kServerBackupText});
    QVERIFY(kServerBackupText.contains(QStringLiteral("pg_dump")));
    QVERIFY(kServerBackupText.contains(QStringLiteral("pg_restore")));
    QCOMPARE(shell.env.dialogs().last().icon, MessageIcon::Information);
    QCOMPARE(shell.env.dialogs().last().owner, shell.window.get());
    QVERIFY(!shell.restoreWindow());
    QCOMPARE(shell.env.quitCodes(), QList<int>());
    QCOMPARE(backupFileNames(shell.env.context().backupDirectory()), QStringList{kTodaysBackup});
    QCOMPARE(bytesOf(shell.backupPath(kTodaysBackup)), before);
    QVERIFY(shell.env.db().isOpen());
    QCOMPARE(shell.env.count(QStringLiteral("总数据库模块")), 1);
}

QTEST_MAIN(TestMaintenance)
#include "test_maintenance.moc"
