#include "app/context.h"

#include "storage/database.h"

#include <QCoreApplication>
#include <QDir>

AppContext::AppContext(DialogService& dialogs, Clock& clock, const QString& programDirectory)
    : mDialogs(dialogs), mClock(clock), mProgramDirectory(programDirectory),
      mDatabase(std::make_unique<Database>())
{
}

AppContext::~AppContext() = default;

QString AppContext::databasePath() const
{
    return QDir(mProgramDirectory).filePath(QStringLiteral("datalx.mdb"));
}

QString AppContext::backupDirectory() const
{
    return QDir(mProgramDirectory).filePath(QStringLiteral("数据库备份"));
}

void AppContext::setMainWindowHooks(std::function<void()> refresh,
                                    std::function<void()> reopenDatabase)
{
    mRefresh = std::move(refresh);
    mReopen = std::move(reopenDatabase);
}

void AppContext::refreshMainWindow()
{
    if (mRefresh)
        mRefresh();
}

void AppContext::reopenDatabase()
{
    if (mReopen)
        mReopen();
}

void AppContext::quit(int exitCode)
{
    if (mQuit)
        mQuit(exitCode);
    else
        QCoreApplication::exit(exitCode);
}
