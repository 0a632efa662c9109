// SPDX-License-Identifier: GPL-3.0-or-later
// The program as an operator gets it: installed into a temporary prefix, started from there with
// a fresh home folder, and asked things on the command line.
#include "storage/database.h"
#include "storage/newdatabase.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kDesktopId = QStringLiteral(TARNEL_DESKTOP_ID);
// The delivered password "admin" is stored as an Argon2id string at the interactive limits.
const QString kDeliveredHashStart = QStringLiteral("$argon2id$v=19$m=65536,t=2,p=1$");

struct Finished {
    int exitCode = -1;
    QString output;
    QString errors;
};

// Runs a program to its end (at most a minute unless told otherwise); a crash or a hang fails
// the test.
Finished runToEnd(const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment, const QString& workingDirectory = {},
                  int limitMs = 60'000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    Finished finished;
    if (!process.waitForFinished(limitMs)) {
        process.kill();
        process.waitForFinished();
        qWarning("%s %s did not end", qPrintable(program), qPrintable(arguments.join(' ')));
        return finished;
    }
    finished.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    finished.errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.exitStatus() == QProcess::NormalExit)
        finished.exitCode = process.exitCode();
    else
        qWarning("%s crashed: %s", qPrintable(program), qPrintable(finished.errors));
    return finished;
}

QString passwordOfAdmin(const QString& databasePath)
{
    Database db;
    if (!db.NewOpenDatabase(databasePath))
        return QStringLiteral("(cannot open)");
    const int h = db.OpenTable(QStringLiteral("select 密码 from 用户登录模块 where 用户名=? "),
                               {QStringLiteral("admin")});
    const QString password = h && !db.IsEOF(h) ? db.readText(h, QStringLiteral("密码")) : QString();
    db.CloseTable(h);
    return password;
}

QStringList entries(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installedFiles();
    void menuEntry();
    void firstStartMakesPerUserData_data();
    void firstStartMakesPerUserData();
    void commandLine_data();
    void commandLine();
    void manualPages_data();
    void manualPages();
    void softwareCentreMetadata();
    void debianPackage();

private:
    QString installed(const QString& path) const { return mPrefix.filePath(path); }
    // The system's environment with home at home, no XDG_DATA_HOME and no screen; with a
    // screen, the offscreen one.
    QProcessEnvironment environment(const QString& home, bool screen) const;

    QTemporaryDir mPrefix;
};

void TestInstall::initTestCase()
{
    QVERIFY(mPrefix.isValid());
    const Finished install =
        runToEnd(QStringLiteral(TARNEL_CMAKE),
                 {QStringLiteral("--install"), QStringLiteral(TARNEL_BUILD_DIR),
                  QStringLiteral("--prefix"), mPrefix.path()},
                 QProcessEnvironment::systemEnvironment());
    QVERIFY2(install.exitCode == 0, qPrintable(install.output + install.errors));
}

QProcessEnvironment TestInstall::environment(const QString& home, bool screen) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("HOME"), home);
    if (screen)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

void TestInstall::installedFiles()
{
    QStringList files;
    QDirIterator it(mPrefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(mPrefix.path()).relativeFilePath(it.next()));
    files.sort();
    // The build's own datalx.mdb and 数据库备份 beside the executable stay in the build.
    QCOMPARE(files, QStringList({
                        QStringLiteral("bin/tarnel"),
                        QStringLiteral("bin/tarnel-makedb"),
                        // The charts, loaded by the program when first shown.
                        QStringLiteral(TARNEL_PRIVATE_LIBDIR "/libtarnel_charts.so"),
                        // The import module, loaded when its window first opens.
                        QStringLiteral(TARNEL_PRIVATE_LIBDIR "/libtarnel_importing.so"),
                        QStringLiteral("share/applications/%1.desktop").arg(kDesktopId),
                        QStringLiteral("share/doc/tarnel/README.md"),
                        QStringLiteral("share/doc/tarnel/copyright"),
                        QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(kDesktopId),
                        QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kDesktopId),
                        QStringLiteral("share/man/man1/tarnel-makedb.1.gz"),
                        QStringLiteral("share/man/man1/tarnel.1.gz"),
                        QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kDesktopId),
                    }));
    QCOMPARE(entries(installed(QStringLiteral("bin"))),
             QStringList({QStringLiteral("tarnel"), QStringLiteral("tarnel-makedb")}));
    const QImage icon(
        installed(QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(kDesktopId)));
    QCOMPARE(icon.size(), QSize(48, 48));
    QVERIFY(icon.hasAlphaChannel());
}

void TestInstall::menuEntry()
{
    const QString entry =
        installed(QStringLiteral("share/applications/%1.desktop").arg(kDesktopId));
    const Finished validated = runToEnd(QStringLiteral(TARNEL_DESKTOP_FILE_VALIDATE), {entry},
                                        QProcessEnvironment::systemEnvironment());
    QVERIFY2(validated.exitCode == 0 && validated.output.isEmpty() && validated.errors.isEmpty(),
             qPrintable(validated.output + validated.errors));

    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line :
         {QStringLiteral("Name=商品仓库管理系统"), QStringLiteral("Name[en]=Goods Warehouse"),
          QStringLiteral("Categories=Office;Database;"), QStringLiteral("Type=Application"),
          // The command and the icon name what was installed.
          QStringLiteral("Exec=tarnel"), QStringLiteral("Icon=") + kDesktopId})
        QVERIFY2(lines.contains(line), qPrintable(line));
}

void TestInstall::firstStartMakesPerUserData_data()
{
    QTest::addColumn<QString>("xdgDataHome"); // relative to the home folder; empty: unset
    QTest::addColumn<QString>("dataFolder");
    QTest::newRow("default") << QString() << ".local/share/Tarnel";
    QTest::newRow("XDG_DATA_HOME") << "xdg"
                                   << "xdg/Tarnel";
}

void TestInstall::firstStartMakesPerUserData()
{
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, dataFolder);

    QTemporaryDir home;
    QProcessEnvironment environment = this->environment(home.path(), true);
    if (!xdgDataHome.isEmpty())
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(xdgDataHome));
    const QString folder = home.filePath(dataFolder);
    const QString database = folder + QStringLiteral("/datalx.mdb");
    const QString report = QStringLiteral("main window: <<Tarnel>>商品仓库管理系统V2.12 (shown)\n"
                                          "database: %1 (open)\n")
                               .arg(database);

    const Finished first = runToEnd(installed(QStringLiteral("bin/tarnel")),
                                    {QStringLiteral("--quit-when-shown")}, environment);
    QVERIFY2(first.exitCode == 0, qPrintable(first.output + first.errors));
    QCOMPARE(first.output, report);
    QCOMPARE(entries(folder),
             QStringList({QStringLiteral("datalx.mdb"), QStringLiteral("数据库备份")}));
    QVERIFY(passwordOfAdmin(database).startsWith(kDeliveredHashStart));
    QCOMPARE(entries(installed(QStringLiteral("bin"))),
             QStringList({QStringLiteral("tarnel"), QStringLiteral("tarnel-makedb")}));

    // The operator's changes survive the next start.
    {
        Database db;
        QVERIFY(db.NewOpenDatabase(database));
        QVERIFY(db.ExecuteSql(QStringLiteral("update 用户登录模块 set 密码=? where 用户名=? "),
                              {QStringLiteral("changed"), QStringLiteral("admin")}));
    }
    const Finished second = runToEnd(installed(QStringLiteral("bin/tarnel")),
                                     {QStringLiteral("--quit-when-shown")}, environment);
    QVERIFY2(second.exitCode == 0, qPrintable(second.output + second.errors));
    QCOMPARE(second.output, report);
    QCOMPARE(passwordOfAdmin(database), QStringLiteral("changed"));
}

void TestInstall::commandLine_data()
{
    // In the arguments and the expected texts, @DIR@ is the folder the program starts in, which
    // holds the database 仓库2.mdb; it is also the home folder.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("screen");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("output");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<bool>("perUserData");

    const QStringList help{QStringLiteral("-h, --help"), QStringLiteral("-v, --version"),
                           QStringLiteral("--database <文件>")};
    // Without a screen: these answer on the terminal and never reach the window system.
    QTest::newRow("version") << QStringList{"--version"} << false << 0
                             << QStringList{QStringLiteral("tarnel " TARNEL_VERSION "\n"),
                                            QStringLiteral("License GPL-3.0-or-later")}
                             << QStringList() << false;
    QTest::newRow("short version")
        << QStringList{"-v"} << false << 0
        << QStringList{QStringLiteral("tarnel " TARNEL_VERSION "\n")} << QStringList() << false;
    QTest::newRow("help") << QStringList{"--help"} << false << 0 << help << QStringList() << false;
    QTest::newRow("short help") << QStringList{"-h"} << false << 0 << help << QStringList()
                                << false;
    QTest::newRow("help with Qt's options")
        << QStringList{"--help-all"} << false << 0
        << help + QStringList{QStringLiteral("-platform <值>"), QStringLiteral("-style <值>")}
        << QStringList() << false;
    QTest::newRow("unknown option") << QStringList{"--bogus"} << false << 1 << QStringList()
                                    << help + QStringList{QStringLiteral("bogus")} << false;
    QTest::newRow("unknown option after a good one")
        << QStringList{"--database", "仓库2.mdb", "-x"} << false << 1 << QStringList()
        << help + QStringList{QStringLiteral("“x”")} << false;
    QTest::newRow("stray argument")
        << QStringList{"仓库2.mdb"} << false << 1 << QStringList()
        << help + QStringList{QStringLiteral("多余的参数：仓库2.mdb")} << false;
    QTest::newRow("database without a file")
        << QStringList{"--database"} << false << 1 << QStringList() << help << false;
    QTest::newRow("missing database")
        << QStringList{"--database", "仓库3.mdb"} << false << 1 << QStringList()
        << QStringList{QStringLiteral("找不到数据库文件：仓库3.mdb")} << false;
    // With a screen: the program starts.
    QTest::newRow("another database")
        << QStringList{"--database", "仓库2.mdb", "--quit-when-shown"} << true << 0
        << QStringList{QStringLiteral("(shown)"),
                       QStringLiteral("database: @DIR@/仓库2.mdb (open)")}
        << QStringList() << false;
    QTest::newRow("Qt's own option")
        << QStringList{"-platform", "offscreen", "--quit-when-shown"} << false << 0
        << QStringList{QStringLiteral("(shown)"),
                       QStringLiteral("database: @DIR@/.local/share/Tarnel/datalx.mdb (open)")}
        << QStringList() << true;
}

void TestInstall::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, screen);
    QFETCH(int, exitCode);
    QFETCH(QStringList, output);
    QFETCH(QStringList, errors);
    QFETCH(bool, perUserData);

    QTemporaryDir dir;
    QVERIFY(createDatabaseFile(dir.filePath(QStringLiteral("仓库2.mdb"))).isEmpty());
    const Finished finished = runToEnd(installed(QStringLiteral("bin/tarnel")), arguments,
                                       environment(dir.path(), screen), dir.path());
    QVERIFY2(finished.exitCode == exitCode, qPrintable(finished.output + finished.errors));
    for (const QString& text : output)
        QVERIFY2(
            finished.output.contains(QString(text).replace(QStringLiteral("@DIR@"), dir.path())),
            qPrintable(finished.output));
    for (const QString& text : errors)
        QVERIFY2(finished.errors.contains(text), qPrintable(finished.errors));
    if (output.isEmpty())
        QCOMPARE(finished.output, QString());
    // Only a start without a chosen database makes the operator's data folder.
    QCOMPARE(QFileInfo::exists(dir.filePath(QStringLiteral(".local/share/Tarnel"))), perUserData);
}

void TestInstall::manualPages_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");
    QTest::newRow("tarnel") << "tarnel"
                            << "TARNEL";
    QTest::newRow("tarnel-makedb") << "tarnel-makedb"
                                   << "TARNEL\\-MAKEDB";
}

void TestInstall::manualPages()
{
    QFETCH(QString, page);
    QFETCH(QString, title);
    // Compressed as Debian wants it: gzip without a name or time stamp in the header.
    QFile file(installed(QStringLiteral("share/man/man1/%1.1.gz").arg(page)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(10);
    QCOMPARE(header.left(3), QByteArray("\x1f\x8b\x08", 3));
    QCOMPARE(int(header.at(3)), 0);                  // no file name
    QCOMPARE(header.mid(4, 4), QByteArray(4, '\0')); // no time stamp

    const Finished text = runToEnd(QStringLiteral("gzip"), {QStringLiteral("-dc"), file.fileName()},
                                   QProcessEnvironment::systemEnvironment());
    QCOMPARE(text.exitCode, 0);
    // Section 1, the version and a release date filled in.
    const QRegularExpression heading(
        QStringLiteral("^\\.TH %1 1 \"\\d{4}-\\d{2}-\\d{2}\" \"tarnel %2\" \"User Commands\"$")
            .arg(QRegularExpression::escape(title),
                 QRegularExpression::escape(QStringLiteral(TARNEL_VERSION))),
        QRegularExpression::MultilineOption);
    QVERIFY2(heading.match(text.output).hasMatch(), qPrintable(text.output.left(200)));
    static const QRegularExpression placeholder(QStringLiteral("@[A-Z_]+@"));
    QVERIFY(!placeholder.match(text.output).hasMatch());
}

void TestInstall::softwareCentreMetadata()
{
    const QString path =
        installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kDesktopId));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString metadata = QString::fromUtf8(file.readAll());
    // It names the installed menu entry and this version, and shows the README's pictures.
    for (const QString& text :
         {QStringLiteral("<launchable type=\"desktop-id\">%1.desktop</launchable>").arg(kDesktopId),
          QStringLiteral("<release version=\"" TARNEL_VERSION "\" date=\""),
          QStringLiteral("<project_license>GPL-3.0-or-later</project_license>")})
        QVERIFY2(metadata.contains(text), qPrintable(text));
    static const QRegularExpression image(QStringLiteral("<image>[^<]*/([^/<]+)</image>"));
    int pictures = 0;
    for (auto it = image.globalMatch(metadata); it.hasNext(); ++pictures) {
        const QString picture = it.next().captured(1);
        QVERIFY2(
            QFileInfo::exists(QStringLiteral(TARNEL_SOURCE_DIR "/docs/screenshots/") + picture),
            qPrintable(picture));
    }
    QVERIFY(pictures >= 4);

    if (QStringLiteral(TARNEL_APPSTREAMCLI).isEmpty())
        QSKIP("appstreamcli is not installed (Debian package appstream)");
    const Finished validated = runToEnd(QStringLiteral(TARNEL_APPSTREAMCLI),
                                        {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                         QStringLiteral("--no-color"), path},
                                        QProcessEnvironment::systemEnvironment());
    const QString report = validated.output + validated.errors;
    QVERIFY2(validated.exitCode == 0, qPrintable(report));
    static const QRegularExpression complaint(QStringLiteral("^[EW]: "),
                                              QRegularExpression::MultilineOption);
    QVERIFY2(!complaint.match(report).hasMatch(), qPrintable(report));
}

// Packing and checking the sanitized binaries takes a minute or more on a busy machine.
constexpr int kPackingLimitMs = 240'000;

void TestInstall::debianPackage()
{
    if (QStringLiteral(TARNEL_LINTIAN).isEmpty())
        QSKIP("lintian is not installed (Debian package lintian)");
    QTemporaryDir packages;
    const Finished packed = runToEnd(
        QStringLiteral(TARNEL_CPACK),
        {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), packages.path()},
        QProcessEnvironment::systemEnvironment(), QStringLiteral(TARNEL_BUILD_DIR),
        kPackingLimitMs);
    QVERIFY2(packed.exitCode == 0, qPrintable(packed.output + packed.errors));
    const QStringList built =
        QDir(packages.path()).entryList({QStringLiteral("tarnel_" TARNEL_VERSION "-*.deb")});
    QCOMPARE(built.size(), 1);

    // Errors and warnings fail; informational tags (see the README) do not.
    const Finished checked =
        runToEnd(QStringLiteral(TARNEL_LINTIAN),
                 {QStringLiteral("--fail-on"), QStringLiteral("error,warning"),
                  QDir(packages.path()).filePath(built.first())},
                 QProcessEnvironment::systemEnvironment(), {}, kPackingLimitMs);
    static const QRegularExpression complaint(QStringLiteral("^[EW]: "),
                                              QRegularExpression::MultilineOption);
    QVERIFY2(checked.exitCode == 0 && !complaint.match(checked.output).hasMatch(),
             qPrintable(checked.output + checked.errors));
}

QTEST_MAIN(TestInstall)
#include "test_install.moc"
