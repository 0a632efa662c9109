// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class DatabaseBackend;

// The tables and indexes that came after the first ten tables: the part of schema.sql and
// serverschema.sql below the line "-- Added later". The schema tool makes them with the rest;
// the program adds what an older database lacks of them when it opens it. This is the only DDL
// the program itself issues.

// The statements of that part, one by one, for the server or for the file.
QStringList addedSchemaStatements(bool server);
// The names of the tables of that part (a backup from before them lacks them).
QStringList addedTableNames();

// Adds the tables and indexes of that part that the open database lacks, in one transaction.
// True when nothing was missing or everything missing is now there; otherwise error says why and
// the database is as it was.
bool addMissingSchema(DatabaseBackend& backend, QString& error);
