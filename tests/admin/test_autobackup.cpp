// SPDX-License-Identifier: GPL-3.0-or-later
// The backups the program makes by itself: the daily one at the first login of a day, the copies
// before clearing and restoring that make both undoable, and the pruning that keeps 30/10/10.
// Run as test_autobackup_server over a PostgreSQL server, where none of them is made.
#include "admin/autobackup.h"
#include "admin/maintenance.h"
#include "storage/database.h"
#include "tests/support/databasefiles.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <optional>

namespace
{

const QString kNotice = QStringLiteral("提示");
const QString kReady = QStringLiteral("数据库已准备完毕，请重新打开软件操作！");
const QString kDailyBackup = QStringLiteral("自动备份-2018-3-5.mdb");
const QDateTime kTestTime(QDate(2018, 3, 5), QTime(9, 7, 2));

// The rows of a table of a database file, opened on its own: every column's display text.
QStringList rowsOf(const QString& path, const QString& table)
{
    Database db;
    if (!db.NewOpenDatabase(path))
        return {QStringLiteral("cannot open")};
    QStringList rows;
    const int handle = db.OpenTable(QStringLiteral("select * from ") + table);
    const QStringList columns = db.columnNames(handle);
    for (; handle && !db.IsEOF(handle); db.MoveNext(handle)) {
        QStringList row;
        for (const QString& column : columns)
            row.append(db.readDisplay(handle, column));
        rows.append(row.join(QLatin1Char('|')));
    }
    db.CloseTable(handle);
    return rows;
}

// All ten tables of a database file.
QStringList tablesOf(const QString& path)
{
    QStringList all;
    for (const char* table :
         {"总数据库模块", "入库管理模块", "出库管理模块", "销售管理模块", "退货管理模块",
          "借用管理模块", "归还管理模块", "问题处理模块", "用户登录模块", "系统信息管理模块"}) {
        const QString name = QString::fromUtf8(table);
        for (const QString& row : rowsOf(path, name))
            all.append(name + QLatin1Char(':') + row);
    }
    return all;
}

// The desk of a test: its data, and the daily backup listening for logins.
struct Desk {
    explicit Desk(const QString& user = QStringLiteral("admin")) : env(user), daily(env.context())
    {
    }

    QString backupPath(const QString& name) { return QDir(folder()).filePath(name); }
    QString folder() { return env.context().backupDirectory(); }
    QStringList backups()
    {
        QStringList names = QDir(folder()).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        return names;
    }
    int lotsIn(const QString& name) { return int(rowsOf(backupPath(name), lotsTable).size()); }
    // Logs out and in as the user: whether the daily backup was written, nothing when none was
    // started.
    std::optional<bool> logIn(const QString& user)
    {
        env.context().setSessionUser(QString());
        QSignalSpy ended(&daily, &DailyBackup::finished);
        env.context().setSessionUser(user);
        if (!daily.isRunning())
            return std::nullopt;
        if (ended.isEmpty() && !ended.wait(20'000))
            return std::nullopt;
        return ended.first().first().toBool();
    }
    // Puts a file where the backup folder belongs: no copy can be written there, whoever runs
    // the program (a read-only folder would not stop root).
    bool blockFolder()
    {
        QFile file(folder());
        return QDir(folder()).removeRecursively() && file.open(QIODevice::WriteOnly) &&
               file.write("not a folder") > 0;
    }

    const QString lotsTable = QStringLiteral("总数据库模块");
    TestEnvironment env;
    DailyBackup daily;
};

void expectBoxes(const ScriptedDialogs& dialogs, const QStringList& texts)
{
    QCOMPARE(dialogs.texts(), texts);
    for (const ScriptedDialogs::Shown& box : dialogs.shown())
        QCOMPARE(box.title, kNotice);
}

void addStockAndDocuments(TestEnvironment& env)
{
    env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                 QStringLiteral("5"));
    env.addStock(QStringLiteral("rk2"), QStringLiteral("p2"), QStringLiteral("螺母"),
                 QStringLiteral("7.5"));
    for (const auto& [table, field] : {std::pair{"入库管理模块", "入库单号"},
                                       {"销售管理模块", "销售单号"},
                                       {"问题处理模块", "问题单号"}})
        QVERIFY(env.db().ExecuteSql(QStringLiteral("insert into %1(%2)values(?)")
                                        .arg(QString::fromUtf8(table), QString::fromUtf8(field)),
                                    {QStringLiteral("d1")}));
}

} // namespace

class TestAutoBackup : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void firstLoginOfTheDayBacksUp();
    void dailyBackupLeavesTheWindowFree();
    void failingDailyBackupSaysSoOnce();
    void clearingAndRestoringLeaveAWayBack();
    void failedCopyStopsTheChange_data();
    void failedCopyStopsTheChange();
    void pruningKeepsTheNewest_data();
    void pruningKeepsTheNewest();

    void serverKeepsItsOwnBackups();
};

void TestAutoBackup::init()
{
    const bool serverOnly = QByteArray(QTest::currentTestFunction()).startsWith("server");
    if (onServer() != serverOnly)
        QSKIP(serverOnly ? "a server connection" : "backups of the file");
}

void TestAutoBackup::firstLoginOfTheDayBacksUp()
{
    Desk desk{QString()};
    desk.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                      QStringLiteral("5"));
    QCOMPARE(desk.logIn(QStringLiteral("zhang")), std::optional<bool>(true));
    QCOMPARE(desk.backups(), QStringList{kDailyBackup});
    QCOMPARE(desk.lotsIn(kDailyBackup), 1);
    QVERIFY(desk.env.dialogs().shown().isEmpty());

    // Later logins of the day leave it as it is.
    desk.env.addStock(QStringLiteral("rk2"), QStringLiteral("p2"), QStringLiteral("螺母"),
                      QStringLiteral("7"));
    QCOMPARE(desk.logIn(QStringLiteral("admin")), std::nullopt);
    QCOMPARE(desk.lotsIn(kDailyBackup), 1);

    // The operator's own backup of the day is still the first of the day.
    desk.env.dialogs().answerMessage();
    backUpDatabase(desk.env.context(), nullptr);
    expectBoxes(desk.env.dialogs(), {QStringLiteral("数据库备份成功")});
    QCOMPARE(desk.backups(), (QStringList{QStringLiteral("2018-3-5.mdb"), kDailyBackup}));

    // The next day's first login makes the next day's.
    desk.env.clock().set(QDateTime(QDate(2018, 3, 6), QTime(8, 0)));
    QCOMPARE(desk.logIn(QStringLiteral("zhang")), std::optional<bool>(true));
    QCOMPARE(desk.lotsIn(QStringLiteral("自动备份-2018-3-6.mdb")), 2);
    QCOMPARE(desk.lotsIn(kDailyBackup), 1);
    QCOMPARE(desk.env.dialogs().shown().size(), 1);
}

void TestAutoBackup::dailyBackupLeavesTheWindowFree()
{
    Desk desk{QString()};
    desk.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                      QStringLiteral("5"));
    // Another program is in the middle of a large write: the backup waits for it, and the
    // user-interface thread goes on meanwhile.
    OtherConnection writer(desk.env.context().databasePath());
    QVERIFY(writer.beginLargeWrite());
    QSignalSpy ended(&desk.daily, &DailyBackup::finished);
    desk.env.context().setSessionUser(QStringLiteral("admin"));
    QVERIFY(desk.daily.isRunning());
    QTest::qWait(300);
    QVERIFY(ended.isEmpty());
    QVERIFY(writer.exec(QStringLiteral("commit")));
    QVERIFY(ended.wait(20'000));
    QCOMPARE(ended.first().first().toBool(), true);
    QCOMPARE(desk.lotsIn(kDailyBackup), 5001);
    QVERIFY(desk.env.dialogs().shown().isEmpty());
}

void TestAutoBackup::failingDailyBackupSaysSoOnce()
{
    Desk desk{QString()};
    QVERIFY(desk.blockFolder());
    desk.env.dialogs().answerMessage();
    QCOMPARE(desk.logIn(QStringLiteral("admin")), std::optional<bool>(false));
    expectBoxes(desk.env.dialogs(), {kDailyBackupFailedText});
    QCOMPARE(desk.env.dialogs().last().icon, MessageIcon::None);
    // The next login of the day tries again, quietly.
    QCOMPARE(desk.logIn(QStringLiteral("admin")), std::optional<bool>(false));
    QCOMPARE(desk.env.dialogs().shown().size(), 1);

    // With the folder missing, the backup makes it.
    QVERIFY(QFile::remove(desk.folder()));
    QCOMPARE(desk.logIn(QStringLiteral("admin")), std::optional<bool>(true));
    QCOMPARE(desk.backups(), QStringList{kDailyBackup});
    QCOMPARE(desk.env.dialogs().shown().size(), 1);
}

void TestAutoBackup::clearingAndRestoringLeaveAWayBack()
{
    Desk desk;
    addStockAndDocuments(desk.env);
    const QString database = desk.env.context().databasePath();
    const QStringList before = tablesOf(database);
    QCOMPARE(before.size(), 2 + 3 + 2);

    ScriptedDialogs& dialogs = desk.env.dialogs();
    dialogs.answerMessage(MessageAnswer::Ok);
    dialogs.answerMessage();
    clearDatabase(desk.env.context(), nullptr);
    expectBoxes(dialogs, {QStringLiteral("此操作无法回退，请确认当前数据库是否已备份"),
                          QStringLiteral("操作成功")});
    const QStringList cleared = tablesOf(database);
    QCOMPARE(cleared.size(), 2);
    const QString beforeClearing = QStringLiteral("清空前备份-2018-3-5-090702.mdb");
    QCOMPARE(tablesOf(desk.backupPath(beforeClearing)), before);

    // The copy is restored from the restore window like any backup, a little later.
    desk.env.clock().set(QDateTime(QDate(2018, 3, 5), QTime(10, 30, 0)));
    dialogs.clear();
    RestoreWindow restore(desk.env.context());
    auto* choice = restore.findChild<QComboBox*>(QStringLiteral("组合框1"));
    QCOMPARE(choice->count(), 1);
    QCOMPARE(choice->currentText(), beforeClearing);
    dialogs.answerMessage(MessageAnswer::Ok);
    dialogs.answerMessage();
    dialogs.answerMessage();
    restore.restore();
    expectBoxes(dialogs,
                {QStringLiteral("是否恢复到清空前备份-2018-3-5-090702数据库？此操作无法回退！"),
                 QStringLiteral("数据库恢复成功"), kReady});
    QCOMPARE(tablesOf(database), before);
    // And the restore left a way back to what it replaced.
    QCOMPARE(tablesOf(desk.backupPath(QStringLiteral("恢复前备份-2018-3-5-103000.mdb"))), cleared);
    QCOMPARE(desk.backups().size(), 2);
}

void TestAutoBackup::failedCopyStopsTheChange_data()
{
    QTest::addColumn<bool>("restoring");
    QTest::addColumn<QString>("blocking");
    QTest::newRow("clearing, a file instead of the folder") << false << "folder";
    QTest::newRow("clearing, a copy of the same second")
        << false << "清空前备份-2018-3-5-090702.mdb";
    QTest::newRow("restoring, a copy of the same second")
        << true << "恢复前备份-2018-3-5-090702.mdb";
}

void TestAutoBackup::failedCopyStopsTheChange()
{
    QFETCH(bool, restoring);
    QFETCH(QString, blocking);
    Desk desk;
    AppContext& context = desk.env.context();
    const QString source = QStringLiteral("2018-3-4.mdb");
    QVERIFY(desk.env.db().backupTo(desk.backupPath(source)));
    desk.env.addStock(QStringLiteral("rk1"), QStringLiteral("p1"), QStringLiteral("螺丝"),
                      QStringLiteral("5"));
    const QString database = context.databasePath();
    const QStringList before = tablesOf(database);
    std::unique_ptr<RestoreWindow> restore;
    if (restoring)
        restore = std::make_unique<RestoreWindow>(context);
    if (blocking == QLatin1String("folder")) {
        QVERIFY(desk.blockFolder());
    } else {
        QFile copy(desk.backupPath(blocking));
        QVERIFY(copy.open(QIODevice::WriteOnly));
        copy.write("an earlier copy");
    }

    ScriptedDialogs& dialogs = desk.env.dialogs();
    dialogs.answerMessage(MessageAnswer::Ok);
    dialogs.answerMessage();
    if (restoring) {
        dialogs.answerMessage();
        restore->restore();
        expectBoxes(dialogs, {QStringLiteral("是否恢复到2018-3-4数据库？此操作无法回退！"),
                              QStringLiteral("数据库恢复失败"), kReady});
    } else {
        clearDatabase(context, nullptr);
        expectBoxes(dialogs, {QStringLiteral("此操作无法回退，请确认当前数据库是否已备份"),
                              QStringLiteral("操作失败")});
    }
    QCOMPARE(tablesOf(database), before);
    if (blocking != QLatin1String("folder")) {
        QFile copy(desk.backupPath(blocking));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray("an earlier copy"));
    }
}

void TestAutoBackup::pruningKeepsTheNewest_data()
{
    QTest::addColumn<AutomaticBackup>("kind");
    QTest::addColumn<int>("older");
    QTest::addColumn<bool>("spareOldest");
    QTest::newRow("daily, 40 older") << AutomaticBackup::Daily << 40 << false;
    QTest::newRow("daily, 5 older") << AutomaticBackup::Daily << 5 << false;
    QTest::newRow("before clearing, 12 older") << AutomaticBackup::BeforeClearing << 12 << false;
    QTest::newRow("before restoring, 15 older, the oldest being restored")
        << AutomaticBackup::BeforeRestoring << 15 << true;
}

void TestAutoBackup::pruningKeepsTheNewest()
{
    QFETCH(AutomaticBackup, kind);
    QFETCH(int, older);
    QFETCH(bool, spareOldest);
    Desk desk;
    // Older files of all three kinds, oldest first: weekly across a year change, so that the
    // names' alphabetical order (2017-12-…, 2017-2-…, 2018-1-…) is not their age; the copies
    // before a change a few hours and seconds apart.
    QStringList expected;
    QStringList ofKind;
    for (AutomaticBackup each : {AutomaticBackup::Daily, AutomaticBackup::BeforeClearing,
                                 AutomaticBackup::BeforeRestoring}) {
        for (int i = 0; i < (each == kind ? older : 40); ++i) {
            const QDateTime time =
                QDateTime(QDate(2017, 1, 1).addDays(7 * i), QTime(0, 0)).addSecs(i * 3001);
            const QString name = automaticBackupFileName(each, time);
            QVERIFY(QFile(desk.backupPath(name)).open(QIODevice::WriteOnly));
            (each == kind ? ofKind : expected).append(name);
        }
    }
    // Names of the operator and of other programs, some close to the program's own.
    const QStringList others = {
        QStringLiteral("2018-3-5.mdb"),
        QStringLiteral("2017-1-1.mdb"),
        QStringLiteral("自动备份-2017-01-01.mdb"),
        QStringLiteral("自动备份-2017-1-1.mdb.bak"),
        QStringLiteral("自动备份-旧.mdb"),
        QStringLiteral("自动备份-2017-2-30.mdb"),
        QStringLiteral("自动备份-2017-1-1-000000.mdb"),
        QStringLiteral("清空前备份-2017-1-1.mdb"),
        QStringLiteral("恢复前备份-2017-1-1-0000.mdb"),
        QStringLiteral("恢复前备份-2017-1-1-250000.mdb"),
        QStringLiteral("x自动备份-2017-1-1.mdb"),
        QStringLiteral("自动备份-2017-1-1.MDB"),
    };
    for (const QString& name : others)
        QVERIFY(QFile(desk.backupPath(name)).open(QIODevice::WriteOnly));
    expected += others;

    const int kept = automaticBackupsKept(kind);
    QCOMPARE(kept, kind == AutomaticBackup::Daily ? 30 : 10);
    const QString spare = spareOldest ? ofKind.first() : QString();
    QVERIFY(writeAutomaticBackup(desk.env.db(), desk.folder(), kind, kTestTime,
                                 spare.isEmpty() ? QStringList() : QStringList{spare}));
    expected.append(automaticBackupFileName(kind, kTestTime));
    expected += ofKind.mid(std::max(0, older - (kept - 1)));
    if (spareOldest)
        expected.append(spare);
    expected.sort();
    expected.removeDuplicates();
    QCOMPARE(desk.backups(), expected);
}

void TestAutoBackup::serverKeepsItsOwnBackups()
{
    Desk desk{QString()};
    addStockAndDocuments(desk.env);
    QCOMPARE(desk.logIn(QStringLiteral("admin")), std::nullopt);
    desk.env.dialogs().answerMessage(MessageAnswer::Ok);
    desk.env.dialogs().answerMessage();
    clearDatabase(desk.env.context(), nullptr);
    expectBoxes(desk.env.dialogs(), {QStringLiteral("此操作无法回退，请确认当前数据库是否已备份"),
                                     QStringLiteral("操作成功")});
    QCOMPARE(desk.env.count(QStringLiteral("总数据库模块")), 0);
    QVERIFY(desk.backups().isEmpty());
}

QTEST_MAIN(TestAutoBackup)
#include "test_autobackup.moc"
