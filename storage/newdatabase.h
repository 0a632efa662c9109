// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The units a new database offers in the stock-in window's unit box.
inline const QString kDeliveredUnits = QStringLiteral("个,件,箱,台,套,包,瓶,千克,米");

// The statements of schema.sql, as built into the program.
QString schemaText();
// The same tables in the server's dialect (serverschema.sql).
QString serverSchemaText();

// Creates a new datalx.mdb at path from the schema, with the account admin (password admin) and
// the default unit list. Fails when the file already exists, also when another program makes it
// meanwhile; the file appears whole or not at all. Returns an empty text on success, otherwise
// what went wrong.
QString createDatabaseFile(const QString& path);

// What setting up a server database did.
struct ServerSetup {
    QString error;             // empty on success
    QStringList createdTables; // the tables that were missing and now exist
};

// Creates the ten tables on the PostgreSQL server at address (a connection URI), in the schema
// its search path names first, with the account admin (password admin) when the account table
// was missing and the default unit list when the system table was missing. Tables that exist are
// left as they are, with their rows: running it again changes nothing. One transaction: on a
// failure nothing is created.
ServerSetup setUpServerDatabase(const QString& address);

// Gives the existing role what the program needs at run time on the server at address, and
// nothing more: CONNECT on the database, USAGE on the schema the search path names first, and
// SELECT, INSERT, UPDATE and DELETE on every table of that schema, also on tables the role
// running this makes there later (the schema tool adding a table). Such an operator role cannot
// create, alter or drop a table. Returns an empty text on success, otherwise what went wrong.
QString grantOperatorRole(const QString& address, const QString& role);
