// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/testdatabase.h"

#include "storage/newdatabase.h"
#include "tests/support/scripteddialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <atomic>

namespace
{

void writeConnectionFile(const QString& folder, const QString& address)
{
    QFile file(QDir(folder).filePath(kServerConnectionFileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(address.toUtf8() + '\n') < 0)
        qFatal("cannot write %s", qPrintable(file.fileName()));
}

// Runs one statement on the cluster itself (schemas come and go there).
void onCluster(const QString& sql)
{
    QTemporaryDir folder;
    writeConnectionFile(folder.path(), TestProgramDirectory::clusterAddress());
    Database cluster;
    if (!cluster.NewOpenDatabase(QDir(folder.path()).filePath(QStringLiteral("datalx.mdb"))))
        qFatal("cannot reach the test cluster: %s", qPrintable(cluster.lastError()));
    if (!cluster.ExecuteSql(sql))
        qFatal("%s failed: %s", qPrintable(sql), qPrintable(cluster.lastError()));
}

} // namespace

TestBackend testBackend()
{
    static const TestBackend backend =
        qgetenv("TARNEL_TEST_BACKEND") == "server" ? TestBackend::Server : TestBackend::File;
    return backend;
}

QString TestProgramDirectory::clusterAddress()
{
    if (!onServer())
        return {};
    static const QString address = [] {
        QFile state(QString::fromLocal8Bit(qgetenv("TARNEL_TEST_PGCLUSTER")));
        if (!state.open(QIODevice::ReadOnly))
            qFatal("no test cluster: TARNEL_TEST_PGCLUSTER names no readable file");
        const QString socketFolder = QString::fromUtf8(state.readAll()).trimmed();
        return QStringLiteral("postgresql:///postgres?host=%1&user=tarnel").arg(socketFolder);
    }();
    return address;
}

QString TestProgramDirectory::unreachableDatabasePath(const QString& folder)
{
    if (onServer())
        writeConnectionFile(folder, QStringLiteral("postgresql:///warehouse?host=") + folder +
                                        QStringLiteral("/no-server&user=tarnel"));
    return QDir(folder).filePath(QStringLiteral("missing.mdb"));
}

TestProgramDirectory::TestProgramDirectory() : mPath(mDir.path())
{
    const QString error = createDatabaseFile(databasePath());
    if (!error.isEmpty())
        qFatal("cannot create the test database: %s", qPrintable(error));
    QDir(mPath).mkdir(QStringLiteral("数据库备份"));
    if (!onServer())
        return;

    // A schema of its own for every directory, named by the process and a running number.
    static std::atomic<int> made = 0;
    mSchema = QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    onCluster(QStringLiteral("create schema ") + mSchema);
    mServerAddress = clusterAddress() + QStringLiteral("&options=-csearch_path%3D") + mSchema;
    const ServerSetup setup = setUpServerDatabase(mServerAddress);
    if (!setup.error.isEmpty())
        qFatal("cannot set up the test schema: %s", qPrintable(setup.error));
    writeConnectionFile(mPath, mServerAddress);

    // The embedded file's own functions that tests use in their checks, for the server.
    QTemporaryDir folder;
    writeConnectionFile(folder.path(), mServerAddress);
    Database db;
    const char* const functions[] = {
        "create function ifnull(anyelement, anyelement) returns anyelement language sql "
        "immutable as 'select coalesce($1, $2)'",
        "create function typeof(anyelement) returns text language sql immutable as "
        "'select case when $1 is null then ''null'' else case pg_typeof($1)::text "
        "when ''double precision'' then ''real'' when ''real'' then ''real'' "
        "when ''integer'' then ''integer'' when ''bigint'' then ''integer'' "
        "when ''smallint'' then ''integer'' when ''bytea'' then ''blob'' "
        "else ''text'' end end'",
        "create function total_step(double precision, text) returns double precision "
        "language sql immutable as 'select $1 + coalesce($2::double precision, 0)'",
        "create aggregate total(text) (sfunc = total_step, stype = double precision, "
        "initcond = '0')",
        "create function total_step(double precision, double precision) returns double "
        "precision language sql immutable as 'select $1 + coalesce($2, 0)'",
        "create aggregate total(double precision) (sfunc = total_step, "
        "stype = double precision, initcond = '0')",
        "create function concat_step(text, text) returns text language sql immutable as "
        "'select case when $2 is null then $1 when $1 is null then $2 else $1 || '','' || $2 "
        "end'",
        "create aggregate group_concat(text) (sfunc = concat_step, stype = text)",
        "create function concat_step(text, double precision) returns text language sql "
        "immutable as 'select concat_step($1, $2::text)'",
        "create aggregate group_concat(double precision) (sfunc = concat_step, stype = text)",
        "create function concat_step(text, text, text) returns text language sql immutable as "
        "'select case when $2 is null then $1 when $1 is null then $2 else $1 || $3 || $2 "
        "end'",
        "create aggregate group_concat(text, text) (sfunc = concat_step, stype = text)",
        "create function concat_step(text, double precision, text) returns text language sql "
        "immutable as 'select concat_step($1, $2::text, $3)'",
        "create aggregate group_concat(double precision, text) (sfunc = concat_step, "
        "stype = text)"};
    if (!db.NewOpenDatabase(QDir(folder.path()).filePath(QStringLiteral("datalx.mdb"))))
        qFatal("cannot open the test schema: %s", qPrintable(db.lastError()));
    for (const char* function : functions) {
        if (!db.ExecuteSql(QString::fromUtf8(function)))
            qFatal("%s failed: %s", function, qPrintable(db.lastError()));
    }
}

TestProgramDirectory::~TestProgramDirectory()
{
    if (!mSchema.isEmpty())
        onCluster(QStringLiteral("drop schema ") + mSchema + QStringLiteral(" cascade"));
}

QString TestProgramDirectory::databasePath() const
{
    return QDir(mPath).filePath(QStringLiteral("datalx.mdb"));
}

TestEnvironment::TestEnvironment(const QString& sessionUser)
    : mClock(QDateTime(QDate(2018, 3, 5), QTime(9, 7, 2))),
      mDialogs(std::make_unique<ScriptedDialogs>())
{
    mContext = std::make_unique<AppContext>(*mDialogs, mClock, mDir.path());
    mContext->setSessionUser(sessionUser);
    mContext->setSettings(std::make_unique<QSettings>(
        QDir(mDir.path()).filePath(QStringLiteral("settings.ini")), QSettings::IniFormat));
    if (!mContext->database().NewOpenDatabase(mDir.databasePath()))
        qFatal("cannot open the test database");
    mContext->setMainWindowHooks([this] { ++mRefreshes; }, [] {});
    mContext->setQuitHandler([this](int code) { mQuitCodes.append(code); });
    setFatalDataErrorHandler([this](int code, const QString& message) {
        mFatalErrors.append(QStringLiteral("%1:%2").arg(code).arg(message));
    });
}

TestEnvironment::~TestEnvironment()
{
    setFatalDataErrorHandler({});
}

void TestEnvironment::addStock(const QString& lot, const QString& id, const QString& name,
                               const QString& stock, const QString& unit, const QString& remark)
{
    const int ok = db().ExecuteSql(
        QStringLiteral("insert into 总数据库模块(入库单号,产品ID,产品名称,产品库存,产品单位,备注)"
                       "values(?,?,?,?,?,?)"),
        {lot, id, name, stock, unit, remark});
    if (!ok)
        qFatal("cannot add stock: %s", qPrintable(db().lastError()));
}

QString TestEnvironment::value(const QString& sql, const QVariantList& params)
{
    const int handle = db().OpenTable(sql, params);
    QString text;
    if (handle && !db().IsEOF(handle))
        text = db().readDisplay(handle, db().columnNames(handle).value(0));
    db().CloseTable(handle);
    return text;
}

int TestEnvironment::count(const QString& table)
{
    return value(QStringLiteral("select count(*) as n from ") + table).toInt();
}

bool TestEnvironment::refuseWrites(const QString& timing)
{
    mRefusedTable = timing.section(QLatin1Char(' '), -1);
    if (!onServer())
        return db().ExecuteSql(QStringLiteral("create trigger refuse %1 begin select "
                                              "raise(abort, 'refused'); end")
                                   .arg(timing));
    return db().ExecuteSql(QStringLiteral("create or replace function refuse() returns trigger "
                                          "language plpgsql as "
                                          "'begin raise exception ''refused''; end'")) &&
           db().ExecuteSql(QStringLiteral("create trigger refuse %1 for each row execute "
                                          "function refuse()")
                               .arg(timing));
}

bool TestEnvironment::allowWrites()
{
    return db().ExecuteSql(onServer() ? QStringLiteral("drop trigger refuse on ") + mRefusedTable
                                      : QStringLiteral("drop trigger refuse"));
}
