// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct sqlite3;

// Another program working on a database file (made when missing) through a connection of its
// own.
class OtherConnection
{
public:
    explicit OtherConnection(const QString& path);
    ~OtherConnection();
    OtherConnection(const OtherConnection&) = delete;
    OtherConnection& operator=(const OtherConnection&) = delete;

    // Runs the statements; false on failure.
    bool exec(const QString& sql);

    // Begins a transaction that adds 5000 stock lots through a cache too small to hold them: the
    // cache spills, so until the transaction ends the file on disk holds uncommitted pages, the
    // journal beside it their earlier content, and this connection an exclusive lock.
    bool beginLargeWrite();

    // Whether a read of the file is refused at once, as when another connection writes it.
    static bool readIsRefused(const QString& path);

private:
    sqlite3* mDb = nullptr;
};

// Writes a file that a backup folder may hold but that is no warehouse database, of a kind:
// "text" (no database at all), "empty", "truncated" (the first half of a backup), "other tables"
// (an SQLite database of something else) or "column missing" (the ten tables, one of them
// without its last column). False when the file cannot be made.
bool writeUnusableBackup(const QString& kind, const QString& path);
