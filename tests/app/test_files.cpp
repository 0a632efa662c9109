// SPDX-License-Identifier: GPL-3.0-or-later
// Files that keep strangers out: the permissions of the data folder, the database, its backups,
// a restored file and the exports; the lock by which a restore sees the other running programs;
// a PDF printed onto a full disk; the warning about a database on a network share.
#include "admin/maintenance.h"
#include "app/datalocation.h"
#include "printing/printrun.h"
#include "printing/reporttable.h"
#include "storage/database.h"
#include "storage/databasefile.h"
#include "storage/databaselock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

mode_t modeOf(const QString& path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return mode_t(-1);
    return status.st_mode & 07777;
}

bool writeFile(const QString& path, const QByteArray& content, mode_t mode)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.flush() && ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A report of rows of text, printed to the named file.
std::unique_ptr<ReportTable> reportToFile(const QString& fileName, int rows)
{
    auto report = std::make_unique<ReportTable>(ReportTable::fromTemplate());
    report->appendRows(rows + 1 - report->rowCount());
    report->setText(1, 1, QStringLiteral("产品名称"));
    for (int r = 2; r <= report->rowCount(); ++r) {
        report->setText(r, 1, QStringLiteral("螺丝 %1 型号 %2").arg(r).arg(r * 7919));
        report->setText(r, 2, QString::number(r * 10));
    }
    report->setFixedRows(1);
    report->printSettings().printToFile = true;
    report->printSettings().fileName = fileName;
    return report;
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT
private slots:
    void modes_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("before"); // the mode of a file in the way (0: none)
        QTest::addColumn<int>("expected");
        QTest::newRow("new data folder") << "folder" << 0 << 0700;
        QTest::newRow("its backup folder") << "backup folder" << 0 << 0700;
        QTest::newRow("new database") << "database" << 0 << 0600;
        QTest::newRow("existing database keeps its mode") << "open database" << 0664 << 0664;
        QTest::newRow("backup") << "backup" << 0 << 0600;
        QTest::newRow("backup over a readable one") << "backup" << 0644 << 0600;
        QTest::newRow("restored database") << "restore" << 0644 << 0600;
        QTest::newRow("export") << "export" << 0 << 0644;
        QTest::newRow("export over a file") << "export" << 0640 << 0640;
        QTest::newRow("printed file") << "print" << 0 << 0644;
    }

    void modes()
    {
        QFETCH(QString, what);
        QFETCH(int, before);
        QFETCH(int, expected);
        const auto mask = qScopeGuard([old = ::umask(022)] { ::umask(old); });

        QTemporaryDir home;
        const DataLocation location{QDir(home.path()).filePath(QStringLiteral("data/Tarnel")),
                                    QStringLiteral("datalx.mdb"), true};
        QCOMPARE(prepareDataDirectory(location), QString());
        const QString database = location.databasePath();
        const QString backups = QDir(location.directory).filePath(QStringLiteral("数据库备份"));
        QString path;
        if (what == u"folder") {
            path = location.directory;
        } else if (what == u"backup folder") {
            path = backups;
        } else if (what == u"database") {
            path = database;
        } else if (what == u"open database") {
            path = database;
            QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(before)) == 0);
            Database db;
            QVERIFY(db.NewOpenDatabase(path));
            QVERIFY(
                db.ExecuteSql(QStringLiteral("insert into 用户登录模块(用户名,密码)values(?,?)"),
                              {QStringLiteral("li"), QStringLiteral("x")}));
        } else if (what == u"backup" || what == u"restore") {
            path = QDir(backups).filePath(QStringLiteral("2018-3-5.mdb"));
            if (before)
                QVERIFY(writeFile(path, "old", mode_t(before)));
            Database db;
            QVERIFY(db.NewOpenDatabase(database));
            QVERIFY(db.backupTo(path));
            if (what == u"restore") {
                db.CloseDatabase();
                QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(before)) == 0);
                QVERIFY(::chmod(QFile::encodeName(database).constData(), mode_t(before)) == 0);
                QVERIFY(replaceDatabaseFile(path, database));
                path = database;
            }
        } else {
            TestEnvironment env;
            path = QDir(home.path())
                       .filePath(what == u"export" ? QStringLiteral("报表.csv")
                                                   : QStringLiteral("报表.pdf"));
            if (before)
                QVERIFY(writeFile(path, "old", mode_t(before)));
            std::unique_ptr<ReportTable> report = reportToFile(path, 3);
            PrintRun run(env.context(), nullptr, *report);
            QVERIFY(run.run());
            QVERIFY(contentOf(path) != "old");
        }
        QCOMPARE(int(modeOf(path)), expected);
    }

    // A second program that merely has the database open (no transaction) keeps the restore from
    // replacing the file: "数据库恢复失败", and the file stays as it was. Once it has closed the
    // file, the restore goes through.
    void restoreRefusedWhileAnotherProgramRuns()
    {
        if (onServer())
            QSKIP("a server is backed up and restored with its own tools");
        TestEnvironment env;
        const QString backup = QDir(env.context().backupDirectory()).filePath("2018-3-5.mdb");
        QVERIFY(env.db().backupTo(backup));
        QVERIFY(
            env.db().ExecuteSql(QStringLiteral("insert into 用户登录模块(用户名,密码)values(?,?)"),
                                {QStringLiteral("li"), QStringLiteral("x")}));
        const QString database = env.context().databasePath();

        for (const bool otherProgram : {true, false}) {
            auto other = std::make_unique<Database>();
            if (otherProgram)
                QVERIFY(other->NewOpenDatabase(database));
            if (!env.db().isOpen())
                QVERIFY(env.db().NewOpenDatabase(database));
            const QByteArray before = contentOf(database);

            RestoreWindow window(env.context());
            env.dialogs().clear();
            env.dialogs().answerMessage(MessageAnswer::Ok);
            env.dialogs().answerMessage();
            env.dialogs().answerMessage();
            window.restore();
            QCOMPARE(env.dialogs().texts().value(1), otherProgram
                                                         ? QStringLiteral("数据库恢复失败")
                                                         : QStringLiteral("数据库恢复成功"));
            QCOMPARE(env.dialogs().shown().value(1).title, QStringLiteral("提示"));
            QCOMPARE(contentOf(database) == before, otherProgram);
            other.reset();
            // The operator closes the other program and tries again: a later second, so the copy
            // made before this restore does not meet the one made before the refused one.
            env.clock().set(env.clock().now().addSecs(30));
        }
    }

    // A PDF printed onto a disk that fills up: "打印失败", no file left, an existing one kept.
    void pdfOntoAFullDisk()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        QTemporaryDir mountPoint;
        if (::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0,
                    "size=64k") != 0)
            QSKIP("no small file system could be mounted here");
        const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(mountPoint.path())); });
        const QString path = QDir(mountPoint.path()).filePath(QStringLiteral("报表.pdf"));
        QVERIFY(writeFile(path, "last month's report", 0644));

        TestEnvironment env;
        std::unique_ptr<ReportTable> report = reportToFile(path, 3000);
        PrintRun run(env.context(), nullptr, *report);
        env.dialogs().answerMessage();
        QVERIFY(!run.run());
        QCOMPARE(env.dialogs().texts(), QStringList{QStringLiteral("打印失败")});
        QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
        QCOMPARE(contentOf(path), QByteArray("last month's report"));
        QCOMPARE(QDir(mountPoint.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("报表.pdf")});
    }

    // Said once over a database file on a network share; the program works on. The test's own
    // folder is local.
    void networkShareWarning()
    {
        TestEnvironment env;
        if (onServer())
            QSKIP("a server connection is no file");
        QVERIFY(!isOnNetworkFileSystem(env.context().databasePath()));
        for (const bool onNetwork : {false, true}) {
            env.dialogs().clear();
            if (onNetwork)
                env.dialogs().answerMessage();
            warnWhenOnNetworkShare(env.context(), nullptr, [&](const QString& path) {
                return path == env.context().databasePath() && onNetwork;
            });
            QCOMPARE(env.dialogs().texts(),
                     onNetwork ? QStringList{kNetworkShareText} : QStringList());
            QVERIFY(env.db().isOpen());
        }
        QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
        QCOMPARE(kNetworkShareText,
                 QStringLiteral("数据库文件位于网络共享文件夹，多台电脑同时使用可能"
                                "损坏数据，请改用数据库服务器（见说明书）"));
    }
};

QTEST_MAIN(TestFiles)
#include "test_files.moc"
