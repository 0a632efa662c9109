// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's stock list refresh over a database of many lots, side by side with a raw
// sqlite3 loop over the same query and with the sqlite3 command-line tool printing it.
//   stocklist_bench [LOTS [REFRESHES]]     (default 100000; offscreen without a display)
// With REFRESHES it only refreshes the list that many times, for a profiler.
// The refresh is the operator's press of "刷新数据": the query, the fill of the list's model and
// its first paint. The raw loop turns every field into the text the list shows (texts decoded
// from UTF-8, the stock as "%.13g"). The command-line tool prints every row to /dev/null.
// Everything is measured in processor time (the tool's as a child process's), 15 runs of each:
// a run is short.
#include "app/application.h"
#include "app/mainwindow.h"
#include "bench/benchsupport.h"
#include "core/clock.h"
#include "core/context.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <charconv>
#include <cstdio>

namespace
{

const char* const kQuery = "select * from 总数据库模块";

qint64 rawLoop(sqlite3* db, qint64& checksum)
{
    const qint64 start = cpuNowNs();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &statement, nullptr);
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            QString text;
            if (sqlite3_column_type(statement, c) == SQLITE_FLOAT) {
                // "%.13g", as the application writes numbers, without the C locale's printf.
                char buffer[32];
                const auto written = std::to_chars(buffer, buffer + sizeof buffer,
                                                   sqlite3_column_double(statement, c),
                                                   std::chars_format::general, 13);
                text = QString::fromLatin1(buffer, written.ptr - buffer);
            } else {
                const auto* bytes =
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                text = QString::fromUtf8(bytes, sqlite3_column_bytes(statement, c));
            }
            checksum += text.size();
        }
    }
    sqlite3_finalize(statement);
    return cpuNowNs() - start;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    configureApplication(application);
    const int lots = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datalx.mdb"));
    if (!makeStockDatabase(path, lots))
        return 1;

    QuietDialogs dialogs;
    SystemClock clock;
    AppContext context(dialogs, clock, dir.path());
    MainWindow window(context);
    window.show();
    QCoreApplication::processEvents();
    context.setSessionUser(QStringLiteral("admin"));
    auto* list = window.findChild<ReportList*>(QStringLiteral("超级列表框主"));
    auto* refresh = window.findChild<QPushButton*>(QStringLiteral("按钮_刷新"));
    if (!list || !refresh || list->rowCount() != lots) {
        std::fprintf(stderr, "the stock list does not show %d lots\n", lots);
        return 1;
    }

    const auto refreshOnce = [&] {
        const qint64 start = cpuNowNs();
        refresh->click();
        QCoreApplication::processEvents();
        list->viewport()->repaint();
        return cpuNowNs() - start;
    };
    if (argc > 2) {
        for (int run = std::atoi(argv[2]); run > 0; --run)
            refreshOnce();
        return 0;
    }

    // The raw loop's own connection, open like the application's.
    sqlite3* file = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &file, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK)
        return 1;
    const QStringList cli = {QStringLiteral("sqlite3"),
                             QStringLiteral("-batch"),
                             QStringLiteral("-init"),
                             QStringLiteral("/dev/null"),
                             path,
                             QString::fromUtf8(kQuery)};

    qint64 checksum = 0;
    refreshOnce();
    rawLoop(file, checksum);
    if (!timeProcess(cli, QStringLiteral("/dev/null")).ok())
        return 1;
    std::vector<double> ours;
    std::vector<double> raw;
    std::vector<double> tool;
    for (int run = 0; run < 15; ++run) {
        ours.push_back(double(refreshOnce()) / 1e6);
        raw.push_back(double(rawLoop(file, checksum)) / 1e6);
        const ProcessTime printed = timeProcess(cli, QStringLiteral("/dev/null"));
        if (!printed.ok())
            return 1;
        tool.push_back(double(printed.cpuNs) / 1e6);
    }
    sqlite3_close(file);
    if (list->rowCount() != lots || checksum == 0)
        return 1;

    const QString what = QStringLiteral("stock list refresh, %1 lots (query, fill, first paint)")
                             .arg(QLocale(QLocale::English).toString(lots));
    printResult(what, QStringLiteral("raw sqlite3 loop decoding the same texts"), ours, raw,
                QStringLiteral("<= 1.5"), Measure::Cpu);
    printResult(what, QStringLiteral("sqlite3 command-line tool printing it to /dev/null"), ours,
                tool, QStringLiteral("<= 1.0"), Measure::Cpu);
    return 0;
}
