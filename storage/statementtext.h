// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The statement texts the application writes (Access forms included) as each database receives
// them.

// For the embedded file: square brackets outside literals become identifier quotes (a doubled
// bracket stands for one bracket), and "delete * from" becomes "delete from".
QString sqliteStatement(const QString& sql);

// For the server: the same adaptations, and besides
// - each "?" outside literals, quoted names and comments becomes $1, $2, ... in order;
// - LIKE becomes ILIKE, case-insensitive as in the embedded file; a pattern given as "?" or as a
//   literal gets ESCAPE '' so that a backslash in it is an ordinary character there too.
struct ServerStatement {
    QByteArray text;
    int parameterCount = 0;
    // The names written with capitals ("产品ID", "N", [产品ID]): the server folds unquoted ones to
    // small letters, quoted ones are folded here (names ignore letter case, as in the file), and
    // the result's column names are given back their spelling.
    QStringList capitalisedNames;
    // The table of a plain "select * from T" (with or without a WHERE clause, nothing after
    // it): the server gives such rows in the order they were written, as the embedded file does.
    // Empty for any other statement.
    QString wholeRowsOf;
};
ServerStatement serverStatement(const QString& sql);
