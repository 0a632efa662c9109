// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/clock.h"
#include "core/context.h"
#include "storage/database.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

class ScriptedDialogs;

// Where the data of a test lives. CTest runs the storage, movements and returns suites twice:
// once over the embedded file and once, with TARNEL_TEST_BACKEND=server, over the throwaway
// PostgreSQL cluster whose socket folder the file named by TARNEL_TEST_PGCLUSTER holds.
enum class TestBackend { File, Server };
TestBackend testBackend();
inline bool onServer()
{
    return testBackend() == TestBackend::Server;
}

// A program directory in a temporary folder holding a new datalx.mdb made from the schema (with
// the admin account and the default units), and the folder 数据库备份. On the server, the tables
// are made in a schema of their own on the test cluster and datalx.conn beside the file names it,
// so that whatever opens the database path reaches the server; the schema goes with the folder.
class TestProgramDirectory
{
public:
    TestProgramDirectory();
    ~TestProgramDirectory();
    const QString& path() const { return mPath; }
    QString databasePath() const;
    // The connection URI of this directory's server schema (empty over the file).
    const QString& serverAddress() const { return mServerAddress; }

    // The test cluster's address without a schema (empty over the file).
    static QString clusterAddress();
    // A database path that cannot be opened: a missing file, or over the server a folder whose
    // datalx.conn names a server that is not there.
    static QString unreachableDatabasePath(const QString& folder);

private:
    QTemporaryDir mDir;
    QString mPath;
    QString mSchema;
    QString mServerAddress;
};

// Everything a window test needs: the program directory, a context over it with scripted dialogs
// and a fixed clock (2018-03-05 09:07:02), its database opened, and a fatal data error handler
// that records instead of ending the process.
class TestEnvironment
{
public:
    explicit TestEnvironment(const QString& sessionUser = QStringLiteral("admin"));
    ~TestEnvironment();

    AppContext& context() { return *mContext; }
    Database& db() { return mContext->database(); }
    ScriptedDialogs& dialogs() { return *mDialogs; }
    FixedClock& clock() { return mClock; }
    const QString& programDirectory() const { return mDir.path(); }
    // The connection URI of the server schema (empty over the file).
    const QString& serverAddress() const { return mDir.serverAddress(); }

    // Test data helpers that bypass the windows.
    void addStock(const QString& lot, const QString& id, const QString& name, const QString& stock,
                  const QString& unit = QStringLiteral("个"),
                  const QString& remark = QStringLiteral("无"));
    // The single value of a query (a display text; empty when no row).
    QString value(const QString& sql, const QVariantList& params = {});
    int count(const QString& table);
    // Makes every write of one kind fail from now on: a trigger for "before insert on 总数据库模块"
    // and the like that refuses the row. False when the trigger could not be made.
    bool refuseWrites(const QString& timing);
    // Takes that trigger away again.
    bool allowWrites();

    // Fatal data errors raised since the environment was made: "code:message".
    const QStringList& fatalErrors() const { return mFatalErrors; }
    int refreshCount() const { return mRefreshes; }
    QList<int> quitCodes() const { return mQuitCodes; }

private:
    TestProgramDirectory mDir;
    FixedClock mClock;
    std::unique_ptr<ScriptedDialogs> mDialogs;
    std::unique_ptr<AppContext> mContext;
    QStringList mFatalErrors;
    int mRefreshes = 0;
    QList<int> mQuitCodes;
    QString mRefusedTable;
};
