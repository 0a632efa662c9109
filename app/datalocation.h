// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class AppContext;
class QWidget;

// Where the database and its backup folder live, decided once at start-up:
//  1. a database file named on the command line: that file, in its own folder;
//  2. the program's folder when it holds datalx.mdb (the folder a build makes, or a program
//     folder delivered together with its database), or datalx.conn (a workstation of a shop
//     whose data lives on a PostgreSQL server);
//  3. otherwise the operator's own data folder $XDG_DATA_HOME/Tarnel (~/.local/share/Tarnel),
//     which the program makes on its first start. An installed program's folder holds no
//     database, so an installed program always keeps its data there.
struct DataLocation {
    QString directory;        // the database and what belongs with it (数据库备份)
    QString databaseFileName; // datalx.mdb unless a file was named
    bool perUser = false;     // the operator's own data folder, made on first start

    QString databasePath() const;
};

// $XDG_DATA_HOME/Tarnel, or home/.local/share/Tarnel when XDG_DATA_HOME is unset, empty or not
// an absolute path.
QString perUserDataDirectory(const QString& xdgDataHome, const QString& home);

DataLocation locateData(const QString& programDirectory, const QString& chosenDatabase,
                        const QString& xdgDataHome, const QString& home);

// Makes what is missing of a per-user data folder: the folder, a new database from the built-in
// schema (with the account admin and the default units) and 数据库备份. Nothing that exists is
// touched, and no database file is made where datalx.conn names a server. Returns an empty text
// on success, otherwise what failed.
QString prepareDataDirectory(const DataLocation& location);

// The text shown when the database file lies on a network share.
inline const QString kNetworkShareText =
    QStringLiteral("数据库文件位于网络共享文件夹，多台电脑同时使用可能损坏数据，"
                   "请改用数据库服务器（见说明书）");

// Shown once at start-up over owner (title "提示") when the open database is a file on a network
// file system, where SQLite's locking cannot be relied on and two PCs writing one file damage it;
// the program works on. onNetwork tells whether a path lies on one (tests give their own).
void warnWhenOnNetworkShare(AppContext& context, QWidget* owner,
                            const std::function<bool(const QString&)>& onNetwork);
