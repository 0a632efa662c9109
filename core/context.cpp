// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/context.h"

#include "storage/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

AppContext::AppContext(DialogService& dialogs, Clock& clock, const QString& dataDirectory,
                       const QString& databaseFileName)
    : mDialogs(dialogs), mClock(clock), mDataDirectory(dataDirectory),
      mDatabaseFileName(databaseFileName), mDatabase(std::make_unique<Database>())
{
}

AppContext::~AppContext() = default;

QString AppContext::databasePath() const
{
    return QDir(mDataDirectory).filePath(mDatabaseFileName);
}

QString AppContext::backupDirectory() const
{
    return QDir(mDataDirectory).filePath(QStringLiteral("数据库备份"));
}

void AppContext::setSessionUser(const QString& user)
{
    mSessionUser = user;
    emit sessionUserChanged(mSessionUser);
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

QSettings& AppContext::settings()
{
    if (!mSettings) {
        mSettings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                QStringLiteral("Tarnel"),
                                                QStringLiteral("商品仓库管理系统"));
    }
    return *mSettings;
}

void AppContext::setSettings(std::unique_ptr<QSettings> settings)
{
    mSettings = std::move(settings);
}

void AppContext::quit(int exitCode)
{
    if (mQuit)
        mQuit(exitCode);
    else
        QCoreApplication::exit(exitCode);
}
