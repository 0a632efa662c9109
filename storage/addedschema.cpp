// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/addedschema.h"

#include "storage/databasebackend.h"
#include "storage/newdatabase.h"
#include "storage/recordset.h"

#include <QRegularExpression>

namespace
{

const QString kAddedMarker = QStringLiteral("-- Added later");

// The part of a schema text below its marker line.
QString addedPart(const QString& schema)
{
    const qsizetype marker = schema.indexOf(QLatin1Char('\n') + kAddedMarker);
    return marker < 0 ? QString() : schema.mid(marker + 1);
}

// The names of the tables (and, with indexes, the indexes) that a part makes, in order.
QStringList namesMadeBy(const QString& part, bool withIndexes)
{
    static const QRegularExpression made(
        QStringLiteral(R"(CREATE (?:UNIQUE )?(TABLE|INDEX) IF NOT EXISTS (\S+))"));
    QStringList names;
    for (auto it = made.globalMatch(part); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (withIndexes || match.captured(1) == QLatin1String("TABLE"))
            names.append(match.captured(2));
    }
    return names;
}

} // namespace

QStringList addedSchemaStatements(bool server)
{
    const QString part = addedPart(server ? serverSchemaText() : schemaText());
    // Comment lines go; the statements end with ";" at the end of a line.
    QStringList statements;
    QString statement;
    for (const QString& line : part.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--")))
            continue;
        statement += line + QLatin1Char('\n');
        if (trimmed.endsWith(QLatin1Char(';'))) {
            statements.append(statement.trimmed().chopped(1));
            statement.clear();
        }
    }
    return statements;
}

QStringList addedTableNames()
{
    return namesMadeBy(addedPart(schemaText()), false);
}

bool addMissingSchema(DatabaseBackend& backend, QString& error)
{
    const bool server = backend.isServer();
    const QString part = addedPart(server ? serverSchemaText() : schemaText());
    const QStringList names = namesMadeBy(part, true);
    if (names.isEmpty())
        return true;

    // How many of them the database already holds (in the server's schema in use).
    QVariantList values;
    QStringList marks;
    for (const QString& name : names) {
        // The server keeps unquoted names in small letters (产品ID as 产品id).
        values.append(server ? name.toLower() : name);
        marks.append(QStringLiteral("? "));
    }
    const QString present =
        server ? QStringLiteral("select count(*) as n from pg_catalog.pg_class c join "
                                "pg_catalog.pg_namespace s on s.oid = c.relnamespace where "
                                "s.nspname = current_schema() and c.relname in (%1)")
               : QStringLiteral("select count(*) as n from sqlite_master where name in (%1)");
    const auto countPresent = [&]() -> qint64 {
        std::unique_ptr<RecordSet> set =
            backend.query(present.arg(marks.join(QLatin1Char(','))), values);
        if (!set || set->rowCount() == 0)
            return -1;
        return set->currentValue(0).asNumber();
    };
    const qint64 before = countPresent();
    if (before == names.size())
        return true;
    if (before < 0) {
        error = backend.lastError();
        return false;
    }

    // One writer at a time adds them; what another program added meanwhile is kept.
    if (!backend.begin(TransactionMode::Immediate)) {
        error = backend.lastError();
        return false;
    }
    for (const QString& statement : addedSchemaStatements(server)) {
        if (!backend.execute(statement, {})) {
            error = backend.lastError();
            backend.rollback();
            return false;
        }
    }
    if (!backend.commit()) {
        error = backend.lastError();
        backend.rollback();
        return false;
    }
    return true;
}
