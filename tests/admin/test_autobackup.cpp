// SPDX-License-Identifier: GPL-3.0-or-later
// The backups the program makes by itself: the daily one at the first login of a day, the copies
// that make clearing and restoring undoable, and the pruning that keeps 30/10/10. Run as
// test_autobackup_server over a PostgreSQL server, where none of them is made.
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

#include <optional>

namespace
{

const QString kQuestion = QStringLiteral("此操作无法回退，请确认当前数据库是否已备份");
const QString kReady = QStringLiteral("数据库已准备完毕，请重新打开软件操作！");
const QString kDaily = QStringLiteral("自动备份-2018-3-5.mdb");
const QString kLots = QStringLiteral("总数据库模块");
const std::optional<bool> kWritten = true;
const std::optional<bool> kFailed = false;
const std::optional<bool> kNotStarted;
const QStringList kTables = {kLots, QStringLiteral("入库管理模块"), QStringLiteral("销售管理模块"),
                             QStringLiteral("用户登录模块"), QStringLiteral("系统信息管理模块")};

// The rows of tables of a database file, opened on its own, as "table:value|value|...".
QStringList rowsOf(const QString& path, const QStringList& tables = kTables)
{
    Database db;
    QStringList rows;
    for (const QString& table : tables) {
        const int handle = db.NewOpenDatabase(path) ? db.OpenTable("select * from " + table) : 0;
        for (; handle && !db.IsEOF(handle); db.MoveNext(handle)) {
            QStringList row;
            for (const QString& column : db.columnNames(handle))
                row.append(db.readDisplay(handle, column));
            rows.append(table + ':' + row.join('|'));
        }
        db.CloseTable(handle);
    }
    return rows;
}

// A test's data, and the daily backup listening for its logins.
struct Desk {
    explicit Desk(const QString& user = {}) : env(user), daily(env.context()) {}
    QString folder() { return env.context().backupDirectory(); }
    QString path(const QString& name) { return QDir(folder()).filePath(name); }
    int lotsIn(const QString& name) { return int(rowsOf(path(name), {kLots}).size()); }
    QStringList backups()
    {
        QStringList names = QDir(folder()).entryList(QDir::Files);
        names.sort();
        return names;
    }
    // Logs in anew: whether the daily backup was written; nothing when none was started.
    std::optional<bool> logIn(const std::function<void()>& meanwhile = {})
    {
        env.context().setSessionUser(QString());
        QSignalSpy ended(&daily, &DailyBackup::finished);
        env.context().setSessionUser(QStringLiteral("zhang"));
        if (!daily.isRunning())
            return std::nullopt;
        if (meanwhile)
            meanwhile();
        if (ended.isEmpty() && !ended.wait(20'000))
            return std::nullopt;
        return ended.first().first().toBool();
    }
    // A file where the folder belongs: no copy can be written there, not even by root (which a
    // read-only folder would not stop).
    bool blockFolder()
    {
        QFile file(folder());
        return QDir(folder()).removeRecursively() && file.open(QIODevice::WriteOnly);
    }

    TestEnvironment env;
    DailyBackup daily;
};

} // namespace

class TestAutoBackup : public QObject
{
    Q_OBJECT
private slots:
    void dailyBackupAtTheFirstLoginOfADay()
    {
        Desk desk;
        desk.env.addStock("rk1", "p1", "螺丝", "5");
        // A server keeps its own backups: none is made.
        QCOMPARE(desk.logIn(), onServer() ? kNotStarted : kWritten);
        if (onServer())
            return;
        QCOMPARE(desk.lotsIn(kDaily), 1);
        // Later logins of the day leave it as it is; the operator's own backup is still the
        // first of the day.
        desk.env.addStock("rk2", "p2", "螺母", "7");
        QCOMPARE(desk.logIn(), kNotStarted);
        QCOMPARE(desk.lotsIn(kDaily), 1);
        desk.env.dialogs().answerMessage();
        backUpDatabase(desk.env.context(), nullptr);
        QCOMPARE(desk.env.dialogs().texts(), QStringList{"数据库备份成功"});
        QCOMPARE(desk.backups(), (QStringList{"2018-3-5.mdb", kDaily}));

        // The next day's, while another program writes: the backup waits for it on its own
        // thread, and the user-interface thread goes on meanwhile.
        desk.env.clock().set(QDateTime(QDate(2018, 3, 6), QTime(8, 0)));
        OtherConnection writer(desk.env.context().databasePath());
        QVERIFY(writer.beginLargeWrite());
        const auto commitLater = [&] {
            QTest::qWait(300);
            QVERIFY(desk.daily.isRunning());
            QVERIFY(writer.exec("commit"));
        };
        QCOMPARE(desk.logIn(commitLater), kWritten);
        QCOMPARE(desk.lotsIn("自动备份-2018-3-6.mdb"), 5002);

        // A failing backup says so once a day; the next logins try again, quietly; a missing
        // folder is made.
        desk.env.clock().set(QDateTime(QDate(2018, 3, 7), QTime(8, 0)));
        QVERIFY(desk.blockFolder());
        desk.env.dialogs().clear();
        desk.env.dialogs().answerMessage();
        QCOMPARE(desk.logIn(), kFailed);
        QCOMPARE(desk.logIn(), kFailed);
        QCOMPARE(desk.env.dialogs().texts(), QStringList{kDailyBackupFailedText});
        QCOMPARE(desk.env.dialogs().last().title, QStringLiteral("提示"));
        QVERIFY(QFile::remove(desk.folder()));
        QCOMPARE(desk.logIn(), kWritten);
        QCOMPARE(desk.backups(), QStringList{"自动备份-2018-3-7.mdb"});
        QCOMPARE(desk.env.dialogs().shown().size(), 1);
    }

    void clearingAndRestoringLeaveAWayBack()
    {
        Desk desk(QStringLiteral("admin"));
        desk.env.addStock("rk1", "p1", "螺丝", "5");
        desk.env.addStock("rk2", "p2", "螺母", "7.5");
        QVERIFY(desk.env.db().ExecuteSql("insert into 销售管理模块(销售单号)values('xs1')"));
        const QString database = desk.env.context().databasePath();
        const QStringList before = rowsOf(database);
        ScriptedDialogs& dialogs = desk.env.dialogs();
        dialogs.answerMessage(MessageAnswer::Ok);
        dialogs.answerMessage();
        clearDatabase(desk.env.context(), nullptr);
        QCOMPARE(dialogs.texts(), (QStringList{kQuestion, "操作成功"}));
        if (onServer()) {
            QCOMPARE(desk.env.count(kLots), 0);
            QVERIFY(desk.backups().isEmpty());
            return;
        }
        const QStringList cleared = rowsOf(database);
        QCOMPARE(cleared.size(), 2);
        QCOMPARE(rowsOf(desk.path("清空前备份-2018-3-5-090702.mdb")), before);

        // Restored from the restore window like any backup, a little later.
        desk.env.clock().set(QDateTime(QDate(2018, 3, 5), QTime(10, 30)));
        dialogs.clear();
        RestoreWindow restore(desk.env.context());
        QCOMPARE(restore.findChild<QComboBox*>("组合框1")->currentText(),
                 QStringLiteral("清空前备份-2018-3-5-090702.mdb"));
        for (int box = 0; box < 3; ++box)
            dialogs.answerMessage();
        restore.restore();
        QCOMPARE(dialogs.texts(), (QStringList{"是否恢复到清空前备份-2018-3-5-090702数据库？此操作"
                                               "无法回退！",
                                               "数据库恢复成功", kReady}));
        QCOMPARE(rowsOf(database), before);
        // And the restore left a way back to what it replaced.
        QCOMPARE(rowsOf(desk.path("恢复前备份-2018-3-5-103000.mdb")), cleared);
    }

    void failedCopyStopsTheChange_data()
    {
        QTest::addColumn<bool>("restoring");
        QTest::addColumn<QString>("taken");
        QTest::newRow("clearing, a file instead of the folder") << false << QString();
        QTest::newRow("clearing, a copy of the same second")
            << false << "清空前备份-2018-3-5-090702.mdb";
        QTest::newRow("restoring, a copy of the same second")
            << true << "恢复前备份-2018-3-5-090702.mdb";
    }

    void failedCopyStopsTheChange()
    {
        QFETCH(bool, restoring);
        QFETCH(QString, taken);
        if (onServer())
            QSKIP("backups of the file");
        Desk desk(QStringLiteral("admin"));
        QVERIFY(desk.env.db().backupTo(desk.path("2018-3-4.mdb")));
        desk.env.addStock("rk1", "p1", "螺丝", "5");
        const QStringList before = rowsOf(desk.env.context().databasePath());
        RestoreWindow restore(desk.env.context());
        QFile copy(desk.path(taken));
        QVERIFY(taken.isEmpty() ? desk.blockFolder()
                                : copy.open(QIODevice::WriteOnly) && copy.write("earlier") > 0);
        copy.close();

        const QStringList boxes = restoring
                                      ? QStringList{"是否恢复到2018-3-4数据库？此操作无法回退！",
                                                    "数据库恢复失败", kReady}
                                      : QStringList{kQuestion, "操作失败"};
        for (qsizetype box = 0; box < boxes.size(); ++box)
            desk.env.dialogs().answerMessage();
        if (restoring)
            restore.restore();
        else
            clearDatabase(desk.env.context(), nullptr);
        QCOMPARE(desk.env.dialogs().texts(), boxes);
        QCOMPARE(rowsOf(desk.env.context().databasePath()), before);
        // An earlier copy of that name keeps what it holds.
        QVERIFY(taken.isEmpty() || (copy.open(QIODevice::ReadOnly) && copy.readAll() == "earlier"));
    }

    void pruningKeepsTheNewest_data()
    {
        QTest::addColumn<AutomaticBackup>("kind");
        QTest::addColumn<int>("older");
        QTest::addColumn<bool>("restoringOldest");
        QTest::newRow("daily, 40 older") << AutomaticBackup::Daily << 40 << false;
        QTest::newRow("daily, 5 older") << AutomaticBackup::Daily << 5 << false;
        QTest::newRow("before clearing, 12 older")
            << AutomaticBackup::BeforeClearing << 12 << false;
        QTest::newRow("before restoring the oldest of 15")
            << AutomaticBackup::BeforeRestoring << 15 << true;
    }

    void pruningKeepsTheNewest()
    {
        QFETCH(AutomaticBackup, kind);
        QFETCH(int, older);
        QFETCH(bool, restoringOldest);
        if (onServer())
            QSKIP("backups of the file");
        Desk desk;
        // Older files of the three kinds, oldest first, weekly across a year's end (so that the
        // names' alphabetical order, 2017-12-… before 2017-2-…, is not their age); the copies
        // before a change at other times of day. Of the other kinds, 40 each.
        QStringList expected;
        QStringList ofKind;
        for (AutomaticBackup each : {AutomaticBackup::Daily, AutomaticBackup::BeforeClearing,
                                     AutomaticBackup::BeforeRestoring}) {
            for (int i = 0; i < (each == kind ? older : 40); ++i) {
                const QString name = automaticBackupFileName(
                    each,
                    QDateTime(QDate(2017, 1, 1).addDays(7 * i), QTime(0, 0)).addSecs(i * 3001));
                QVERIFY(QFile(desk.path(name)).open(QIODevice::WriteOnly));
                (each == kind ? ofKind : expected).append(name);
            }
        }
        // The operator's names and other programs', some close to the program's own.
        for (const char* name :
             {"2018-3-5.mdb", "自动备份-2017-01-01.mdb", "自动备份-2017-1-1.mdb.bak",
              "自动备份-旧.mdb", "自动备份-2017-2-30.mdb", "自动备份-2017-1-1-000000.mdb",
              "清空前备份-2017-1-1.mdb", "恢复前备份-2017-1-1-0000.mdb",
              "恢复前备份-2017-1-1-250000.mdb", "x自动备份-2017-1-1.mdb",
              "自动备份-2017-1-1.MDB"}) {
            QVERIFY(QFile(desk.path(name)).open(QIODevice::WriteOnly));
            expected.append(name);
        }
        const QDateTime now(QDate(2018, 3, 5), QTime(9, 7, 2));
        const int kept = kind == AutomaticBackup::Daily ? 30 : 10;
        QCOMPARE(automaticBackupsKept(kind), kept);
        const QStringList spare = restoringOldest ? ofKind.mid(0, 1) : QStringList();
        QVERIFY(writeAutomaticBackup(desk.env.db(), desk.folder(), kind, now, spare));
        expected += spare + ofKind.mid(std::max(0, older - (kept - 1)));
        expected.append(automaticBackupFileName(kind, now));
        expected.sort();
        QCOMPARE(desk.backups(), expected);
    }
};

QTEST_MAIN(TestAutoBackup)
#include "test_autobackup.moc"
