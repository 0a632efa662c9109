#pragma once

#include "core/clock.h"
#include "core/context.h"
#include "storage/database.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

class ScriptedDialogs;

// A program directory in a temporary folder holding a new datalx.mdb made from the schema (with
// the admin account and the default units), and the folder 数据库备份.
class TestProgramDirectory
{
public:
    TestProgramDirectory();
    const QString& path() const { return mPath; }
    QString databasePath() const;

private:
    QTemporaryDir mDir;
    QString mPath;
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

    // Test data helpers that bypass the windows.
    void addStock(const QString& lot, const QString& id, const QString& name, const QString& stock,
                  const QString& unit = QStringLiteral("个"),
                  const QString& remark = QStringLiteral("无"));
    // The single value of a query (a display text; empty when no row).
    QString value(const QString& sql, const QVariantList& params = {});
    int count(const QString& table);

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
};
