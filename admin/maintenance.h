// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class AppContext;
class Database;
class QComboBox;

// Database maintenance: dated whole-database backups in the folder 数据库备份, restoring one of
// them over datalx.mdb, and clearing the stock and document tables.

// The backup of the day: 数据库备份/<date text>.mdb, e.g. 数据库备份/2018-3-5.mdb.
QString backupFilePath(AppContext& context);

// The backup files (*.mdb) of the folder, names only, in the order the file system lists them.
QStringList backupFileNames(const QString& backupDirectory);
// The name a backup is asked about: the file name without any ".mdb".
QString backupDisplayName(const QString& fileName);

// Puts the backup file in place of the (closed) database file, only when it is a whole warehouse
// database and no other program has the database file open. False otherwise; the database file
// is then untouched.
bool restoreDatabaseFile(const QString& backupFile, const QString& databasePath);

// Empties the stock list and the seven document tables in one transaction: all of them, or
// (on a failure) none. Accounts and the default units stay.
bool clearStockAndDocuments(Database& db);

// What "备份数据库" and "恢复数据库" say on a server connection: the server's own tools copy and
// restore its data.
inline const QString kServerBackupText =
    QStringLiteral("数据库位于服务器上。\n请在服务器上用 pg_dump 备份，用 pg_restore 恢复。");

// On a server connection, shows that box (title "提示") over owner and returns true; changes
// nothing. False over the file.
bool tellServerBackups(AppContext& context, QWidget* owner);

// The commands of the main window's "程序" menu, after its permission checks (backup: somebody
// logged in; clearing: the administrator). Their boxes belong to owner. On a server, a backup
// only says where backups are made; clearing works the same.
void backUpDatabase(AppContext& context, QWidget* owner);
void clearDatabase(AppContext& context, QWidget* owner);

// "数据库恢复": chooses a backup and restores it. The application ends after a restore, and
// after declining it.
class RestoreWindow : public QWidget
{
    Q_OBJECT
public:
    explicit RestoreWindow(AppContext& context);

    void restore();

private:
    AppContext& mContext;
    QComboBox* mBackups = nullptr;
};
