#pragma once

#include <QString>

// The units a new database offers in the stock-in window's unit box.
inline const QString kDeliveredUnits = QStringLiteral("个,件,箱,台,套,包,瓶,千克,米");

// The statements of schema.sql, as built into the program.
QString schemaText();

// Creates a new datalx.mdb at path from the schema, with the account admin (password admin) and
// the default unit list. Fails when the file already exists, also when another program makes it
// meanwhile; the file appears whole or not at all. Returns an empty text on success, otherwise
// what went wrong.
QString createDatabaseFile(const QString& path);
