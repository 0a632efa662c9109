// SPDX-License-Identifier: GPL-3.0-or-later
// Refreshing the main window's stock list from a PostgreSQL server against a raw libpq loop.
//   serverrefresh_bench URI [ROWS]     (default 100000; serverrefresh.sh runs it on a throwaway
//                                       local cluster)
// The data goes into a schema of its own, made and dropped by the program. The refresh is the one
// the main window runs (query, snapshot, display texts, list filled); the raw loop runs the same
// query with PQexec and turns every field into the text the list shows, row by row, as the least
// any program showing the list has to do, and lets go of them again (the refresh lets go of the
// previous list's).
#include "app/stocklist.h"
#include "bench/benchsupport.h"
#include "storage/database.h"
#include "storage/newdatabase.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

// The stock list's query as the server receives it from the program: whole rows in the order
// they were written.
const char* const kQuery = "select * from 总数据库模块\norder by 行序";

qint64 viaRefresh(Database& db, ReportList& list, qint64& checksum)
{
    QElapsedTimer timer;
    timer.start();
    checksum += fillStockList(db, &list);
    return timer.nsecsElapsed();
}

void rawRows(PGconn* conn, qint64& checksum)
{
    PGresult* result = PQexec(conn, kQuery);
    const int rows = PQntuples(result);
    const int columns = PQnfields(result);
    std::vector<QStringList> texts;
    texts.reserve(std::size_t(rows));
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        row.reserve(columns + 1);
        row.append(QString::number(r + 1));
        for (int c = 0; c < columns; ++c)
            row.append(QString::fromUtf8(PQgetvalue(result, r, c), PQgetlength(result, r, c)));
        texts.push_back(std::move(row));
    }
    PQclear(result);
    checksum += qint64(texts.size());
}

qint64 viaRawLoop(PGconn* conn, qint64& checksum)
{
    QElapsedTimer timer;
    timer.start();
    rawRows(conn, checksum);
    // The texts of the run are freed, as the refresh frees those of the previous one.
    return timer.nsecsElapsed();
}

bool run(PGconn* conn, const QByteArray& sql)
{
    PGresult* result = PQexec(conn, sql.constData());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok)
        std::fprintf(stderr, "%s: %s", sql.constData(), PQerrorMessage(conn));
    PQclear(result);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: serverrefresh_bench URI [ROWS]\n");
        return 2;
    }
    const QString cluster = QString::fromLocal8Bit(argv[1]);
    const int rows = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;

    // A schema of its own, filled in one statement on the server.
    PGconn* conn = PQconnectdb(argv[1]);
    if (PQstatus(conn) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(conn));
        return 1;
    }
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    const QByteArray schema = "bench" + QByteArray::number(QCoreApplication::applicationPid());
    if (!run(conn, "create schema " + schema))
        return 1;
    const QString address = cluster + (cluster.contains(QLatin1Char('?')) ? "&" : "?") +
                            QStringLiteral("options=-csearch_path%3D") +
                            QString::fromLatin1(schema);
    const ServerSetup setup = setUpServerDatabase(address);
    bool ok = setup.error.isEmpty() && run(conn, "set search_path = " + schema) &&
              run(conn, "insert into 总数据库模块 select 'rk2018' || i, '690' || i, '产品' || i || "
                        "'号', i % 500 + 0.5, '箱', '无' from generate_series(0, " +
                            QByteArray::number(rows - 1) + ") i") &&
              run(conn, "analyze 总数据库模块");
    if (!ok) {
        std::fprintf(stderr, "%s\n", qPrintable(setup.error));
        run(conn, "drop schema " + schema + " cascade");
        return 1;
    }

    // The program opens the server as a workstation does: datalx.conn beside the database.
    QTemporaryDir folder;
    QFile connection(QDir(folder.path()).filePath(kServerConnectionFileName));
    connection.open(QIODevice::WriteOnly);
    connection.write(address.toUtf8());
    connection.close();
    Database db;
    if (!db.NewOpenDatabase(QDir(folder.path()).filePath(QStringLiteral("datalx.mdb")))) {
        std::fprintf(stderr, "%s\n", qPrintable(db.lastError()));
        run(conn, "drop schema " + schema + " cascade");
        return 1;
    }
    ReportList list;
    list.setColumns(stockListColumns());

    // Runs of each side, alternating, after one warm-up of each.
    qint64 refreshChecksum = 0;
    qint64 rawChecksum = 0;
    viaRefresh(db, list, refreshChecksum);
    viaRawLoop(conn, rawChecksum);
    std::vector<double> refreshMs;
    std::vector<double> rawMs;
    for (int round = 0; round < kRuns; ++round) {
        refreshMs.push_back(double(viaRefresh(db, list, refreshChecksum)) / 1e6);
        rawMs.push_back(double(viaRawLoop(conn, rawChecksum)) / 1e6);
    }
    const int listed = list.rowCount();
    db.CloseDatabase();
    run(conn, "drop schema " + schema + " cascade");
    PQfinish(conn);

    // Wall time: the server's own work on the query counts for both sides.
    printResult(
        QStringLiteral("stock list refresh from a local PostgreSQL server, %1 lots").arg(listed),
        QStringLiteral("a raw libpq loop over the same query"), refreshMs, rawMs,
        QStringLiteral("<= 1.5"), Measure::Wall);
    return listed == rows ? 0 : 1;
}
