// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

class AppContext;
class Database;
class QThread;

// The backups the program makes by itself in 数据库备份, beside the operator's own dated ones:
// one a day at the first login, one before every clearing and one before every restore. They
// are whole, checked copies like the operator's, and the restore window lists them like any
// backup.
enum class AutomaticBackup { Daily, BeforeClearing, BeforeRestoring };

// How many files of the kind are kept: the newest 30 daily backups, the newest 10 of the others.
int automaticBackupsKept(AutomaticBackup kind);
// The file of the kind made at that time: 自动备份-2018-3-5.mdb, 清空前备份-2018-3-5-090702.mdb,
// 恢复前备份-2018-3-5-090702.mdb (the date text, and the time of day as hhmmss).
QString automaticBackupFileName(AutomaticBackup kind, const QDateTime& time);
// When a file of the kind was made, read from its name; invalid for every name the program does
// not give files of the kind (2018-3-5.mdb, 自动备份-2018-03-05.mdb, 自动备份-2018-3-5.mdb.bak).
QDateTime automaticBackupTime(AutomaticBackup kind, const QString& fileName);

// Deletes the files of the kind in the folder beyond the newest automaticBackupsKept(kind),
// newest by the time in their names. Never a name in spare, never a file of any other name.
// Returns the names deleted.
QStringList pruneAutomaticBackups(const QString& backupDirectory, AutomaticBackup kind,
                                  const QStringList& spare = {});

// Writes the backup of the kind made at that time into the folder (made when missing), with the
// same whole, checked copy as "备份数据库", then prunes the kind, sparing the new file and spare.
// False when the copy is not in place; a file of that name already there is never replaced, so
// that a copy made just before another clearing in the same second keeps what it holds.
bool writeAutomaticBackup(Database& db, const QString& backupDirectory, AutomaticBackup kind,
                          const QDateTime& time, const QStringList& spare = {});

// The copy before clearing (BeforeClearing) or restoring (BeforeRestoring), at the context's
// clock, of the open database. True when it is in place, and on a server, whose backups are the
// server's own business. spare: a backup file name that pruning must keep (the one about to be
// restored).
bool backUpBeforeChange(AppContext& context, AutomaticBackup kind, const QString& spare = {});

// The one box a failing daily backup shows (title "提示").
inline const QString kDailyBackupFailedText =
    QStringLiteral("自动备份失败，请检查数据库备份文件夹");

// The daily backup. At a login whose day (by the context's clock) has no 自动备份-<date text>.mdb
// in the backup folder yet, it writes one on a thread of its own over a connection of its own,
// so that the windows go on working meanwhile. Silent when it succeeds; a failure shows
// kDailyBackupFailedText, once a day (the next login tries again, quietly). Nothing over a
// server.
class DailyBackup : public QObject
{
    Q_OBJECT
public:
    explicit DailyBackup(AppContext& context, QObject* parent = nullptr);
    // Waits for a backup still being written.
    ~DailyBackup() override;

    // What a login does: starts the day's backup when it is due. False when none was started
    // (already there, one still running, or a server).
    bool start();
    bool isRunning() const { return mThread != nullptr; }

signals:
    // A backup started by start() has ended: written or not, after its box if it failed.
    void finished(bool written);

private:
    void threadFinished();

    AppContext& mContext;
    QThread* mThread = nullptr;
    std::atomic_bool mWritten = false;
    QDate mDay;
    QDate mWarnedDay;
};
