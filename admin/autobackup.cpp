// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/autobackup.h"

#include "core/clock.h"
#include "core/context.h"
#include "movements/movementrules.h"
#include "storage/database.h"
#include "ui/dialogservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <utility>

namespace
{

const QString kSuffix = QStringLiteral(".mdb");
const QString kTimeOfDay = QStringLiteral("hhmmss");

QString prefixOf(AutomaticBackup kind)
{
    switch (kind) {
    case AutomaticBackup::Daily:
        break;
    case AutomaticBackup::BeforeClearing:
        return QStringLiteral("清空前备份-");
    case AutomaticBackup::BeforeRestoring:
        return QStringLiteral("恢复前备份-");
    }
    return QStringLiteral("自动备份-");
}

} // namespace

int automaticBackupsKept(AutomaticBackup kind)
{
    return kind == AutomaticBackup::Daily ? 30 : 10;
}

QString automaticBackupFileName(AutomaticBackup kind, const QDateTime& time)
{
    QString name = prefixOf(kind) + dateText(time.date());
    if (kind != AutomaticBackup::Daily)
        name += QLatin1Char('-') + time.time().toString(kTimeOfDay);
    return name + kSuffix;
}

QDateTime automaticBackupTime(AutomaticBackup kind, const QString& fileName)
{
    const QString prefix = prefixOf(kind);
    if (!fileName.startsWith(prefix) || !fileName.endsWith(kSuffix))
        return {};
    const QStringList parts =
        fileName.mid(prefix.size(), fileName.size() - prefix.size() - kSuffix.size())
            .split(QLatin1Char('-'));
    if (parts.size() != (kind == AutomaticBackup::Daily ? 3 : 4))
        return {};
    const QDate date(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
    const QTime time =
        kind == AutomaticBackup::Daily ? QTime(0, 0) : QTime::fromString(parts[3], kTimeOfDay);
    const QDateTime made(date, time);
    // Only the exact name the program gives that moment: no leading zeros, no signs, no blanks.
    if (!made.isValid() || automaticBackupFileName(kind, made) != fileName)
        return {};
    return made;
}

QStringList pruneAutomaticBackups(const QString& backupDirectory, AutomaticBackup kind,
                                  const QStringList& spare)
{
    const QDir folder(backupDirectory);
    std::vector<std::pair<QDateTime, QString>> made;
    const QStringList names = folder.entryList({prefixOf(kind) + QLatin1Char('*') + kSuffix},
                                               QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        const QDateTime time = automaticBackupTime(kind, name);
        if (time.isValid())
            made.emplace_back(time, name);
    }
    const std::size_t kept = std::size_t(automaticBackupsKept(kind));
    if (made.size() <= kept)
        return {};
    std::sort(made.begin(), made.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList deleted;
    for (std::size_t i = kept; i < made.size(); ++i) {
        const QString& name = made[i].second;
        if (!spare.contains(name) && QFile::remove(folder.filePath(name)))
            deleted.append(name);
    }
    return deleted;
}

bool writeAutomaticBackup(Database& db, const QString& backupDirectory, AutomaticBackup kind,
                          const QDateTime& time, const QStringList& spare)
{
    if (!QDir().mkpath(backupDirectory))
        return false;
    const QString name = automaticBackupFileName(kind, time);
    const QString target = QDir(backupDirectory).filePath(name);
    if (QFileInfo::exists(target) || !db.backupTo(target))
        return false;
    pruneAutomaticBackups(backupDirectory, kind, QStringList(spare) << name);
    return true;
}

bool backUpBeforeChange(AppContext& context, AutomaticBackup kind, const QString& spare)
{
    Database& db = context.database();
    if (db.isServer())
        return true;
    return writeAutomaticBackup(db, context.backupDirectory(), kind, context.clock().now(),
                                spare.isEmpty() ? QStringList() : QStringList{spare});
}

DailyBackup::DailyBackup(AppContext& context, QObject* parent) : QObject(parent), mContext(context)
{
    connect(&mContext, &AppContext::sessionUserChanged, this, [this](const QString& user) {
        if (!user.isEmpty())
            start();
    });
}

DailyBackup::~DailyBackup()
{
    if (mThread) {
        mThread->wait();
        delete mThread;
    }
}

bool DailyBackup::start()
{
    if (mThread || mContext.database().isServer())
        return false;
    const QDateTime now = mContext.clock().now();
    const QString folder = mContext.backupDirectory();
    if (QFileInfo::exists(
            QDir(folder).filePath(automaticBackupFileName(AutomaticBackup::Daily, now))))
        return false;
    mDay = now.date();
    mWritten = false;
    // A connection of its own, opened, used and closed on the backup's thread: the window's
    // connection stays the user-interface thread's alone.
    mThread = QThread::create([this, database = mContext.databasePath(), folder, now] {
        Database db;
        mWritten = db.NewOpenDatabase(database, {}, {}, true) && !db.isServer() &&
                   writeAutomaticBackup(db, folder, AutomaticBackup::Daily, now);
    });
    connect(mThread, &QThread::finished, this, &DailyBackup::threadFinished);
    mThread->start(QThread::LowPriority);
    return true;
}

void DailyBackup::threadFinished()
{
    mThread->wait();
    delete mThread;
    mThread = nullptr;
    const bool written = mWritten;
    if (!written && mWarnedDay != mDay) {
        mWarnedDay = mDay;
        mContext.dialogs().message(mContext.mainWindow(), kDailyBackupFailedText,
                                   QStringLiteral("提示"));
    }
    emit finished(written);
}
