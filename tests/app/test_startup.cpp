// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program keeps its data: the choice between the program's folder, a chosen file and
// the operator's own data folder, and what the first start makes there.
#include "app/datalocation.h"
#include "storage/database.h"
#include "storage/newdatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void perUserFolder_data();
    void perUserFolder();
    void location_data();
    void location();
    void firstStartMakesOnlyWhatIsMissing_data();
    void firstStartMakesOnlyWhatIsMissing();
    void firstStartOnAServerMakesNoDatabase();
    void firstStartFailsWhereNoFolderCanBe();
};

void TestStartup::perUserFolder_data()
{
    QTest::addColumn<QString>("xdgDataHome");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unset") << QString() << "/home/li"
                           << "/home/li/.local/share/Tarnel";
    QTest::newRow("set") << "/srv/data"
                         << "/home/li"
                         << "/srv/data/Tarnel";
    QTest::newRow("trailing slash") << "/srv/data/"
                                    << "/home/li"
                                    << "/srv/data/Tarnel";
    // A relative value is not a valid XDG_DATA_HOME: it would follow the starting folder.
    QTest::newRow("relative") << "data"
                              << "/home/li"
                              << "/home/li/.local/share/Tarnel";
    QTest::newRow("home with slash") << QString() << "/home/li/"
                                     << "/home/li/.local/share/Tarnel";
}

void TestStartup::perUserFolder()
{
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    QCOMPARE(perUserDataDirectory(xdgDataHome, home), expected);
}

void TestStartup::location_data()
{
    QTest::addColumn<bool>("databaseBesideProgram");
    QTest::addColumn<QString>("chosen"); // relative to the temporary folder
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("perUser");
    QTest::addColumn<bool>("connectionBesideProgram");
    QTest::newRow("built program") << true << QString() << "bin"
                                   << "datalx.mdb" << false << false;
    QTest::newRow("installed program") << false << QString() << "xdg/Tarnel"
                                       << "datalx.mdb" << true << false;
    QTest::newRow("chosen file") << false << "second/仓库2.mdb"
                                 << "second"
                                 << "仓库2.mdb" << false << false;
    QTest::newRow("chosen file beats the program folder") << true << "second/datalx.mdb"
                                                          << "second"
                                                          << "datalx.mdb" << false << false;
    // A workstation whose program folder names the shop's server keeps its data there.
    QTest::newRow("server named beside the program") << false << QString() << "bin"
                                                     << "datalx.mdb" << false << true;
}

void TestStartup::location()
{
    QFETCH(bool, databaseBesideProgram);
    QFETCH(QString, chosen);
    QFETCH(QString, directory);
    QFETCH(QString, fileName);
    QFETCH(bool, perUser);
    QFETCH(bool, connectionBesideProgram);

    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("bin"));
    const QString program = root.filePath(QStringLiteral("bin"));
    if (databaseBesideProgram)
        QVERIFY(createDatabaseFile(program + QStringLiteral("/datalx.mdb")).isEmpty());
    if (connectionBesideProgram)
        QVERIFY(QFile(program + QStringLiteral("/datalx.conn")).open(QIODevice::WriteOnly));

    const DataLocation location =
        locateData(program, chosen.isEmpty() ? QString() : root.filePath(chosen),
                   root.filePath(QStringLiteral("xdg")), root.filePath(QStringLiteral("home")));
    QCOMPARE(location.directory, root.filePath(directory));
    QCOMPARE(location.databaseFileName, fileName);
    QCOMPARE(location.perUser, perUser);
    QCOMPARE(location.databasePath(), root.filePath(directory + QLatin1Char('/') + fileName));
    // Deciding makes nothing.
    QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("xdg"))));
}

void TestStartup::firstStartMakesOnlyWhatIsMissing_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("database");
    QTest::addColumn<bool>("backups");
    QTest::newRow("nothing yet") << false << false << false;
    QTest::newRow("empty folder") << true << false << false;
    QTest::newRow("database without backups") << true << true << false;
    QTest::newRow("backups without database") << true << false << true;
    QTest::newRow("everything there") << true << true << true;
}

void TestStartup::firstStartMakesOnlyWhatIsMissing()
{
    QFETCH(bool, folder);
    QFETCH(bool, database);
    QFETCH(bool, backups);

    QTemporaryDir root;
    const DataLocation location{root.filePath(QStringLiteral("share/Tarnel")),
                                QStringLiteral("datalx.mdb"), true};
    QDir dir(location.directory);
    const QString backupFile = dir.filePath(QStringLiteral("数据库备份/2018-3-5.mdb"));
    if (folder)
        QVERIFY(dir.mkpath(QStringLiteral(".")));
    if (database) {
        QVERIFY(createDatabaseFile(location.databasePath()).isEmpty());
        Database db;
        QVERIFY(db.NewOpenDatabase(location.databasePath()));
        QVERIFY(db.ExecuteSql(QStringLiteral("update 用户登录模块 set 密码=? where 用户名=? "),
                              {QStringLiteral("changed"), QStringLiteral("admin")}));
    }
    if (backups) {
        QVERIFY(dir.mkpath(QStringLiteral("数据库备份")));
        QFile copy(backupFile);
        QVERIFY(copy.open(QIODevice::WriteOnly));
        copy.write("an older copy");
    }

    QCOMPARE(prepareDataDirectory(location), QString());
    // A second start finds everything in place and changes nothing.
    QCOMPARE(prepareDataDirectory(location), QString());

    QCOMPARE(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({QStringLiteral("datalx.mdb"), QStringLiteral("数据库备份")}));
    Database db;
    QVERIFY(db.NewOpenDatabase(location.databasePath()));
    const int h = db.OpenTable(QStringLiteral("select 密码 from 用户登录模块 where 用户名=? "),
                               {QStringLiteral("admin")});
    QVERIFY(h && !db.IsEOF(h));
    // The operator's changed password survives; a new database has the delivered one.
    const QString stored = db.readText(h, QStringLiteral("密码"));
    if (database)
        QCOMPARE(stored, QStringLiteral("changed"));
    else
        QVERIFY2(stored.startsWith(QStringLiteral("$argon2id$")), qPrintable(stored));
    db.CloseTable(h);
    QCOMPARE(QFileInfo::exists(backupFile), backups);
}

void TestStartup::firstStartOnAServerMakesNoDatabase()
{
    QTemporaryDir root;
    const DataLocation location{root.filePath(QStringLiteral("share/Tarnel")),
                                QStringLiteral("datalx.mdb"), true};
    QDir dir(location.directory);
    QVERIFY(dir.mkpath(QStringLiteral(".")));
    QFile connection(dir.filePath(QStringLiteral("datalx.conn")));
    QVERIFY(connection.open(QIODevice::WriteOnly));
    connection.write("postgresql://lager@server/warehouse\n");
    connection.close();
    QCOMPARE(prepareDataDirectory(location), QString());
    QVERIFY(!QFileInfo::exists(location.databasePath()));
}

void TestStartup::firstStartFailsWhereNoFolderCanBe()
{
    QTemporaryDir root;
    // A file stands where the data folder should be.
    QFile blocker(root.filePath(QStringLiteral("Tarnel")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const DataLocation location{blocker.fileName(), QStringLiteral("datalx.mdb"), true};
    const QString error = prepareDataDirectory(location);
    QVERIFY2(error.contains(blocker.fileName()), qPrintable(error));
    QVERIFY(QFileInfo(blocker.fileName()).isFile());
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
