// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/databasefiles.h"

#include "storage/newdatabase.h"

#include <QFile>

#include <sqlite3.h>

OtherConnection::OtherConnection(const QString& path)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &mDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(path));
}

OtherConnection::~OtherConnection()
{
    sqlite3_close(mDb);
}

bool OtherConnection::exec(const QString& sql)
{
    return sqlite3_exec(mDb, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool OtherConnection::beginLargeWrite()
{
    return exec(QStringLiteral(
        "PRAGMA cache_size=10; BEGIN;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
        "INSERT INTO 总数据库模块(入库单号,产品ID,产品名称,产品库存,产品单位,备注) "
        "SELECT 'w' || i, 'p' || i, hex(randomblob(60)), i, '个', '' FROM n;"));
}

bool OtherConnection::readIsRefused(const QString& path)
{
    OtherConnection reader(path);
    return sqlite3_exec(reader.mDb, "SELECT count(*) FROM sqlite_master", nullptr, nullptr,
                        nullptr) == SQLITE_BUSY;
}

bool writeUnusableBackup(const QString& kind, const QString& path)
{
    if (kind == QLatin1String("text") || kind == QLatin1String("empty")) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        if (kind == QLatin1String("text"))
            file.write(QByteArrayLiteral("入库单号,产品名称\nrk1,螺丝\n").repeated(200));
        return true;
    }
    if (kind == QLatin1String("other tables"))
        return OtherConnection(path).exec(QStringLiteral(
            "CREATE TABLE 联系人(姓名 TEXT, 电话 TEXT); INSERT INTO 联系人 VALUES('张', '1');"));
    if (!createDatabaseFile(path).isEmpty())
        return false;
    if (kind == QLatin1String("column missing"))
        return OtherConnection(path).exec(
            QStringLiteral("ALTER TABLE 销售管理模块 DROP COLUMN 备注"));
    if (kind == QLatin1String("truncated")) {
        {
            OtherConnection filler(path);
            if (!filler.beginLargeWrite() || !filler.exec(QStringLiteral("COMMIT")))
                return false;
        }
        QFile file(path);
        return file.resize(file.size() / 2);
    }
    return false;
}
