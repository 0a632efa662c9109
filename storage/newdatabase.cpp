#include "storage/newdatabase.h"

#include <QFile>

#include <sqlite3.h>

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

    sqlite3* db = nullptr;
    const QByteArray file = path.toUtf8();
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
    sqlite3_close(db);
    if (!message.isEmpty())
        QFile::remove(path);
    return message;
}
