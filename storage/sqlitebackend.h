// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/databasebackend.h"

// The embedded file: datalx.mdb opened through SQLite's C API.
// Opens an existing file (a missing one is a failed open, never a new database); null on failure
// with error set.
std::unique_ptr<DatabaseBackend> openSqliteBackend(const QString& path, bool readOnly,
                                                   QString& error);
