// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the whole master stock through the database service against a raw sqlite3 loop.
//   opentable_bench [ROWS]     (default 100000)
// Both sides run the same query and turn every field into the value the application uses
// (texts as QString, numbers as double); the service also keeps the whole result in memory.
#include "storage/database.h"
#include "storage/newdatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

namespace
{

const char* const kQuery = "select * from 总数据库模块";
const QStringList kTextColumns = {QStringLiteral("入库单号"), QStringLiteral("产品ID"),
                                  QStringLiteral("产品名称"), QStringLiteral("产品单位"),
                                  QStringLiteral("备注")};

qint64 viaService(Database& db, qint64& checksum)
{
    QElapsedTimer timer;
    timer.start();
    const int handle = db.OpenTable(QString::fromUtf8(kQuery));
    while (!db.IsEOF(handle)) {
        for (const QString& column : kTextColumns)
            checksum += db.readText(handle, column).size();
        checksum += db.readNumber(handle, QStringLiteral("产品库存"));
        db.MoveNext(handle);
    }
    db.CloseTable(handle);
    return timer.nsecsElapsed();
}

qint64 viaRawLoop(sqlite3* db, qint64& checksum)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &statement, nullptr);
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_FLOAT) {
                checksum += qint64(sqlite3_column_double(statement, c));
            } else {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                checksum += QString::fromUtf8(text, sqlite3_column_bytes(statement, c)).size();
            }
        }
    }
    sqlite3_finalize(statement);
    return timer.nsecsElapsed();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datalx.mdb"));
    if (!createDatabaseFile(path).isEmpty())
        return 1;
    Database db;
    if (!db.NewOpenDatabase(path))
        return 1;
    db.BeginTrans();
    const QString insert = QStringLiteral(
        "insert into "
        "总数据库模块(入库单号,产品ID,产品名称,产品库存,产品单位,备注)values(?,?,?,?,?,?)");
    for (int i = 0; i < rows; ++i) {
        db.ExecuteSql(insert, {QStringLiteral("rk2018%1").arg(i), QStringLiteral("690%1").arg(i),
                               QStringLiteral("产品%1号").arg(i), QString::number(i % 500 + 0.5),
                               QStringLiteral("箱"), QStringLiteral("无")});
    }
    db.CommitTrans();

    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);

    // Best of five runs each, alternating, after one warm-up of each.
    qint64 serviceChecksum = 0;
    qint64 rawChecksum = 0;
    viaService(db, serviceChecksum);
    viaRawLoop(raw, rawChecksum);
    qint64 bestService = std::numeric_limits<qint64>::max();
    qint64 bestRaw = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 5; ++run) {
        bestService = std::min(bestService, viaService(db, serviceChecksum));
        bestRaw = std::min(bestRaw, viaRawLoop(raw, rawChecksum));
    }
    sqlite3_close(raw);

    std::printf("rows: %d\n", rows);
    std::printf("OpenTable + reading every field: %.1f ms\n", bestService / 1e6);
    std::printf("raw sqlite3 loop:                %.1f ms\n", bestRaw / 1e6);
    std::printf("ratio: %.2f\n", double(bestService) / double(bestRaw));
    return 0;
}
