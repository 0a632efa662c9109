// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to a shown main window on a database of many lots, side by side with a bare Qt window
// program that shows one line of the same Chinese font; then the peak memory of the program with
// every lot listed.
//   startup_bench [LOTS]     (default 100000; QT_QPA_PLATFORM=offscreen without a display)
// Both programs are started as processes, alternately; each reports the processor time it had used
// when its window's first paint was done, and exits. The memory figure is the peak
// resident memory of the program after logging in (which lists every lot), beside the same on an
// empty database and the database file's size.
#include "bench/benchsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

namespace
{

// Starts the program and reads when it had shown its window: processor time and wall time from
// the start, in nanoseconds; not ok when it failed.
ProcessTime timeToShown(const QStringList& command)
{
    QString output;
    const qint64 start = nowNs();
    ProcessTime time = timeProcess(command, {}, &output);
    const QRegularExpressionMatch shown =
        QRegularExpression(QStringLiteral("shown (\\d+) (\\d+)")).match(output);
    if (!time.ok() || !shown.hasMatch()) {
        std::fprintf(stderr, "%s did not show its window\n", qPrintable(command.first()));
        return {};
    }
    time.cpuNs = shown.captured(1).toLongLong();
    time.wallNs = shown.captured(2).toLongLong() - start;
    return time;
}

// The program's peak resident memory in kB with every lot of the folder's database listed.
long listedPeakKb(const QString& probe, const QString& folder, int lots)
{
    QString output;
    if (!timeProcess({probe, folder, QStringLiteral("--list")}, {}, &output).ok())
        return -1;
    const QRegularExpressionMatch rows =
        QRegularExpression(QStringLiteral("rows (\\d+)")).match(output);
    const QRegularExpressionMatch peak =
        QRegularExpression(QStringLiteral("peak_rss_kb (\\d+)")).match(output);
    if (!rows.hasMatch() || rows.captured(1).toInt() != lots || !peak.hasMatch()) {
        std::fprintf(stderr, "the probe did not list %d lots: %s\n", lots, qPrintable(output));
        return -1;
    }
    return peak.captured(1).toLong();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int lots = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const QDir programs(QCoreApplication::applicationDirPath());
    const QString probe = programs.filePath(QStringLiteral("startup_probe"));
    const QString bare = programs.filePath(QStringLiteral("bare_window"));

    QTemporaryDir full;
    QTemporaryDir empty;
    const QString fullPath = QDir(full.path()).filePath(QStringLiteral("datalx.mdb"));
    if (!makeStockDatabase(fullPath, lots) ||
        !makeStockDatabase(QDir(empty.path()).filePath(QStringLiteral("datalx.mdb")), 0))
        return 1;

    // One start of each first, so that both find the libraries and fonts in the page cache.
    if (!timeToShown({probe, full.path()}).ok() || !timeToShown({bare}).ok())
        return 1;
    std::vector<double> ours;
    std::vector<double> theirs;
    std::vector<double> withText;
    for (int run = 0; run < kRuns; ++run) {
        const ProcessTime our = timeToShown({probe, full.path()});
        const ProcessTime their = timeToShown({bare});
        const ProcessTime text = timeToShown({bare, QStringLiteral("--text")});
        if (!our.ok() || !their.ok() || !text.ok())
            return 1;
        ours.push_back(double(our.cpuNs) / 1e6);
        theirs.push_back(double(their.cpuNs) / 1e6);
        withText.push_back(double(text.cpuNs) / 1e6);
    }
    // The yardstick is the bare window that shows one line of the same Chinese font: the floor
    // any Qt program that shows Chinese pays for the font system.
    printResult(QStringLiteral("start-up to a shown main window, %1 lots")
                    .arg(QLocale(QLocale::English).toString(lots)),
                QStringLiteral("a bare Qt window showing one line of the same Chinese font"), ours,
                withText, QStringLiteral("<= 1.3"), Measure::Cpu);
    printResult(QStringLiteral("for reference: the bare window with one line of Chinese text"),
                QStringLiteral("the bare Qt window program without text"), withText, theirs,
                QStringLiteral("-"), Measure::Cpu);

    const long listed = listedPeakKb(probe, full.path(), lots);
    const long none = listedPeakKb(probe, empty.path(), 0);
    if (listed < 0 || none < 0)
        return 1;
    const qint64 fileBytes = QFileInfo(fullPath).size();
    const double perLot = double(listed - none) * 1024 / lots;
    printFigure(
        QStringLiteral("peak memory, %1 lots listed").arg(QLocale(QLocale::English).toString(lots)),
        QStringLiteral("database file %1 MB (%2 bytes per lot); empty database: %3 MB")
            .arg(double(fileBytes) / 1048576, 0, 'f', 1)
            .arg(double(fileBytes) / lots, 0, 'f', 0)
            .arg(double(none) / 1024, 0, 'f', 1),
        QStringLiteral("%1 MB, %2 bytes per lot")
            .arg(double(listed) / 1024, 0, 'f', 1)
            .arg(perLot, 0, 'f', 0));
    return 0;
}
