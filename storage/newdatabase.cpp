#include "storage/newdatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

namespace
{

// Writes the schema, the admin account and the default units into the (empty) file at path.
QString writeNewDatabase(const QString& path, const QString& schema)
{
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        const QString error = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return error;
    }
    // MD5 of "admin": the administrator changes it in the account window after the first login.
    const QByteArray script =
        "PRAGMA journal_mode=DELETE; BEGIN;" + schema.toUtf8() +
        "INSERT INTO 用户登录模块(用户名,密码) VALUES('admin','21232f297a57a5a743894a0e4a801fc3');"
        "INSERT INTO 系统信息管理模块(默认单位) VALUES('" +
        kDeliveredUnits.toUtf8() + "'); COMMIT;";
    char* error = nullptr;
    const int rc = sqlite3_exec(db, script.constData(), nullptr, nullptr, &error);
    QString message;
    if (rc != SQLITE_OK)
        message = QString::fromUtf8(error ? error : "cannot write the database");
    sqlite3_free(error);
    if (sqlite3_close(db) != SQLITE_OK && message.isEmpty())
        message = QStringLiteral("cannot close the new database");
    return message;
}

} // namespace

QString schemaText()
{
    Q_INIT_RESOURCE(storage);
    QFile file(QStringLiteral(":/storage/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString createDatabaseFile(const QString& path)
{
    if (QFile::exists(path))
        return QStringLiteral("%1 already exists").arg(path);
    const QString schema = schemaText();
    if (schema.isEmpty())
        return QStringLiteral("the schema is missing from the program");

    // The database is written under a passing name beside its place and moved there only when
    // whole, without replacing: an interrupted creation never leaves a broken datalx.mdb that
    // later starts would take for the operator's, and a database that another start made in the
    // meantime is kept.
    // (SQLite makes the file itself, so that it gets the usual permissions.)
    const QString partial =
        path + QStringLiteral(".%1.new").arg(QRandomGenerator::global()->generate(), 8, 16,
                                             QLatin1Char('0'));
    if (QFileInfo::exists(partial))
        return QStringLiteral("%1 is in the way").arg(partial);
    QString error = writeNewDatabase(partial, schema);
    if (error.isEmpty() && !QFile::rename(partial, path)) {
        error = QFileInfo::exists(path)
                    ? QStringLiteral("%1 already exists").arg(path)
                    : QStringLiteral("cannot move the new database to %1").arg(path);
    }
    if (!error.isEmpty())
        QFile::remove(partial);
    return error;
}
