// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/newdatabase.h"

#include "storage/databasefile.h"
#include "storage/replacementfile.h"
#include "storage/serverbackend.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace
{

// The password "admin" as an Argon2id string at libsodium's interactive limits, made once: the
// administrator changes it in the account window after the first login. (The known password
// needs no salt of its own; every later password gets one.)
const char* const kAdminPasswordHash = "$argon2id$v=19$m=65536,t=2,p=1$rtgPaWul5sHqFvzV88ARiA$"
                                       "Kj8newqnjQb+ey7J5yyfscPdv0alGoDRcdVLUYdWQtY";

// Another copy of the tool setting up the same schema waits for this one.
constexpr int kSetupLock = 20180306;

// The bytes of a new database file: the schema, the admin account and the default units, built
// in memory. Empty, with error set, on failure.
QByteArray newDatabaseImage(const QString& schema, QString& error)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        error = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return {};
    }
    const QByteArray script = "BEGIN;" + schema.toUtf8() +
                              "INSERT INTO 用户登录模块(用户名,密码) VALUES('admin','" +
                              kAdminPasswordHash +
                              "');"
                              "INSERT INTO 系统信息管理模块(默认单位) VALUES('" +
                              kDeliveredUnits.toUtf8() + "'); COMMIT;";
    char* message = nullptr;
    QByteArray image;
    if (sqlite3_exec(db, script.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        error = QString::fromUtf8(message ? message : "cannot write the database");
    } else {
        sqlite3_int64 size = 0;
        unsigned char* bytes = sqlite3_serialize(db, "main", &size, 0);
        if (bytes)
            image = QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size));
        else
            error = QStringLiteral("out of memory");
        sqlite3_free(bytes);
    }
    sqlite3_free(message);
    sqlite3_close(db);
    return image;
}

} // namespace

// Outside the unnamed namespace: the resource's initialiser is declared where it is used.
static QString resourceText(const QString& name)
{
    Q_INIT_RESOURCE(storage);
    QFile file(QStringLiteral(":/storage/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString schemaText()
{
    return resourceText(QStringLiteral("schema.sql"));
}

QString serverSchemaText()
{
    return resourceText(QStringLiteral("serverschema.sql"));
}

ServerSetup setUpServerDatabase(const QString& address)
{
    ServerSetup setup;
    const QString schema = serverSchemaText();
    if (schema.isEmpty()) {
        setup.error = QStringLiteral("the schema is missing from the program");
        return setup;
    }
    PGconn* conn = connectToServer(address, setup.error);
    if (!conn)
        return setup;

    // Runs one statement with text values; false (and the server's message) on failure.
    auto run = [&](const QByteArray& sql, const QList<QByteArray>& values = {},
                   bool* rowFound = nullptr) {
        std::vector<const char*> pointers;
        for (const QByteArray& value : values)
            pointers.push_back(value.constData());
        PGresult* result = PQexecParams(conn, sql.constData(), int(pointers.size()), nullptr,
                                        pointers.data(), nullptr, nullptr, 0);
        const ExecStatusType status = PQresultStatus(result);
        const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        if (!ok && setup.error.isEmpty())
            setup.error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        if (rowFound)
            *rowFound = ok && PQntuples(result) > 0 && !PQgetisnull(result, 0, 0);
        PQclear(result);
        return ok;
    };

    QStringList missing;
    static const QRegularExpression tableName(
        QStringLiteral(R"(CREATE TABLE IF NOT EXISTS (\S+))"));
    bool ok = run("BEGIN") && run("SELECT pg_advisory_xact_lock(" + QByteArray::number(kSetupLock) +
                                  ", current_schema()::regnamespace::oid::int4)");
    for (auto it = tableName.globalMatch(schema); ok && it.hasNext();) {
        const QString table = it.next().captured(1);
        bool exists = false;
        ok = run("SELECT to_regclass($1)", {table.toUtf8()}, &exists);
        if (!exists)
            missing.append(table);
    }
    // The whole schema as one script: several statements are allowed when no values are bound.
    if (ok) {
        PGresult* result = PQexec(conn, schema.toUtf8().constData());
        ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        if (!ok)
            setup.error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        PQclear(result);
    }
    if (ok && missing.contains(QStringLiteral("用户登录模块")))
        ok = run("INSERT INTO 用户登录模块(用户名,密码) VALUES('admin',$1)", {kAdminPasswordHash});
    if (ok && missing.contains(QStringLiteral("系统信息管理模块")))
        ok = run("INSERT INTO 系统信息管理模块(默认单位) VALUES($1)", {kDeliveredUnits.toUtf8()});
    ok = ok && run("COMMIT");
    PQfinish(conn);
    if (ok)
        setup.createdTables = missing;
    return setup;
}

QString createDatabaseFile(const QString& path)
{
    if (QFile::exists(path))
        return QStringLiteral("%1 already exists").arg(path);
    const QString schema = schemaText();
    if (schema.isEmpty())
        return QStringLiteral("the schema is missing from the program");

    // The database is built in memory and written into a new file beside its place, made by
    // the program itself (exclusively, readable by the owner only), which is moved there only when
    // whole, without replacing: an interrupted creation never leaves a broken datalx.mdb that
    // later starts would take for the operator's, and a database that another start made in the
    // meantime is kept.
    QString error;
    const QByteArray image = newDatabaseImage(schema, error);
    if (image.isEmpty())
        return error;
    ReplacementFile file(path, FileAccess::OwnerOnly);
    if (!file.isValid())
        return QStringLiteral("cannot create a file beside %1").arg(path);
    if (!writeDatabaseImage(image, file))
        return QStringLiteral("cannot write the database beside %1").arg(path);
    if (!file.commitWithoutReplacing()) {
        error = QFileInfo::exists(path)
                    ? QStringLiteral("%1 already exists").arg(path)
                    : QStringLiteral("cannot move the new database to %1").arg(path);
    }
    return error;
}

QString grantOperatorRole(const QString& address, const QString& role)
{
    QString error;
    PGconn* conn = connectToServer(address, error);
    if (!conn)
        return error;
    auto run = [&](const QByteArray& sql, const QByteArray& value = {}) -> PGresult* {
        const char* values[] = {value.constData()};
        PGresult* result = PQexecParams(conn, sql.constData(), value.isNull() ? 0 : 1, nullptr,
                                        values, nullptr, nullptr, 0);
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        if (error.isEmpty())
            error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        PQclear(result);
        return nullptr;
    };
    // The statements with the names quoted by the server itself: a role name is never pasted.
    const QByteArray role8 = role.toUtf8();
    PGresult* statements = nullptr;
    if (PGresult* found = run("SELECT 1 FROM pg_roles WHERE rolname = $1", role8)) {
        if (PQntuples(found) == 0)
            error = QStringLiteral("there is no role %1 (create it first: CREATE ROLE ... LOGIN "
                                   "PASSWORD ...)")
                        .arg(role);
        PQclear(found);
    }
    if (error.isEmpty())
        statements = run(
            "SELECT format('GRANT CONNECT ON DATABASE %I TO %I', current_database(), $1::text),"
            " format('GRANT USAGE ON SCHEMA %I TO %I', current_schema(), $1::text),"
            " format('GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %I TO %I',"
            "        current_schema(), $1::text),"
            " format('ALTER DEFAULT PRIVILEGES IN SCHEMA %I GRANT SELECT, INSERT, UPDATE, DELETE"
            "         ON TABLES TO %I', current_schema(), $1::text)",
            role8);
    if (statements && PQgetisnull(statements, 0, 1))
        error = QStringLiteral("the search path names no schema");
    auto command = [&](const QByteArray& sql) {
        PGresult* result = run(sql);
        PQclear(result);
        return result != nullptr;
    };
    // All of them or none.
    bool ok = error.isEmpty() && statements && command("BEGIN");
    for (int column = 0; ok && column < PQnfields(statements); ++column)
        ok = command(PQgetvalue(statements, 0, column));
    if (ok)
        command("COMMIT");
    PQclear(statements);
    PQfinish(conn);
    return error;
}
