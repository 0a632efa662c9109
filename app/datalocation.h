// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

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
