// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QFile;
class ReplacementFile;

// Work on database files as a whole: checking a file, and putting a backup in place of the
// database file.

// Milliseconds a whole-file operation waits for another connection to let go of the file.
inline constexpr int kDatabaseFileWaitMs = 2000;

// How much of a file isWarehouseDatabase reads: Full runs the integrity check over every page;
// Structure reads the header and the schema only (a page-exact copy of a database that was just
// made under its read lock: the restore of a backup checks it in full).
enum class WarehouseCheck { Full, Structure };

// Whether the file is a whole warehouse database: it opens read-only as an SQLite database,
// passes its integrity check and holds the ten tables with the columns (names and order) of the
// built-in schema. When it is not, problem (if given) says why, for diagnostics.
bool isWarehouseDatabase(const QString& path, QString* problem = nullptr,
                         WarehouseCheck check = WarehouseCheck::Full);
// The same for the bytes of a database file held in memory.
bool isWarehouseDatabaseImage(const QByteArray& image, QString* problem = nullptr);
// Writes the bytes of a database file into the new file; false when that fails.
bool writeDatabaseImage(const QByteArray& image, ReplacementFile& file);

// Copies the bytes of the file at source into the open (empty) file target, from its start, in
// the kernel where it can; false on any failure.
bool copyFileBytes(const QString& source, QFile& target);

// Puts a copy of source in place of the database file at databasePath, readable by the owner
// only. Nothing is replaced while another program has the file open: the file's DatabaseFileLock
// is taken exclusively without waiting. The current file is then also locked through SQLite
// (waiting at most waitMs for other connections to finish); the source is read once, checked in
// memory (isWarehouseDatabaseImage), written into a new file beside the database and flushed to
// disk before it is renamed over it. A rollback journal or write-ahead log left beside the
// current file belongs to the old content and is removed, so that it is never replayed into the
// restored one. False, with the current file and its companions as they were, when any step
// fails.
bool replaceDatabaseFile(const QString& source, const QString& databasePath,
                         int waitMs = kDatabaseFileWaitMs, QString* problem = nullptr);
