// SPDX-License-Identifier: GPL-3.0-or-later
// Three years of a busy shop (see yearsdata.h): the administrator's record details tabs against
// the sqlite3 command-line tool printing the same queries, the lot history of the busiest lot, a
// backup against cp and fsync, the print preview of the sales list, and the peak memory of the
// program with the sales tab filled (and the preview open) through years_probe.
//   years_bench DATAFILE [tabs|history|backup|preview|memory]...
// DATAFILE is made when missing (and kept for the next run); without a part named, all run.
// QT_QPA_PLATFORM=offscreen without a display.
#include "admin/lothistorywindow.h"
#include "admin/windows.h"
#include "app/application.h"
#include "app/mainwindow.h"
#include "bench/benchsupport.h"
#include "bench/yearsdata.h"
#include "core/clock.h"
#include "core/context.h"
#include "printing/printentry.h"
#include "printing/printsettingswindow.h"
#include "printing/reportbuilder.h"
#include "storage/database.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace
{

QString count(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

QWidget* topLevelTitled(const QString& title)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == title)
            return widget;
    }
    return nullptr;
}

// The peak figures years_probe prints for the folder's database: after the sales tab was filled,
// and with the preview open as well; -1 on failure.
struct Peaks {
    long salesKb = -1;
    long previewKb = -1;
    int rows = -1;
};

Peaks probePeaks(const QString& probe, const QString& folder)
{
    QString output;
    Peaks peaks;
    if (!timeProcess({probe, folder}, {}, &output).ok()) {
        std::fprintf(stderr, "years_probe failed on %s\n", qPrintable(folder));
        return peaks;
    }
    const auto number = [&output](const char* name) {
        const QRegularExpressionMatch match =
            QRegularExpression(QString::fromLatin1(name) + QStringLiteral(" (\\d+)")).match(output);
        return match.hasMatch() ? match.captured(1).toLong() : -1L;
    };
    peaks.rows = int(number("sales_rows"));
    peaks.salesKb = number("sales_peak_kb");
    peaks.previewKb = number("preview_peak_kb");
    return peaks;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    configureApplication(application);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: years_bench DATAFILE [tabs|history|backup|preview|memory]\n");
        return 2;
    }
    const QString path = QFileInfo(arguments.at(1)).absoluteFilePath();
    const QStringList parts = arguments.mid(2);
    const auto wanted = [&parts](const char* part) {
        return parts.isEmpty() || parts.contains(QLatin1String(part));
    };
    if (!ensureYearsDatabase(path))
        return 1;
    const QString folder = QFileInfo(path).absolutePath();

    QuietDialogs dialogs;
    dialogs.quiet = true;
    SystemClock clock;
    AppContext context(dialogs, clock, folder, QFileInfo(path).fileName());
    MainWindow window(context);
    window.show();
    QCoreApplication::processEvents();
    context.setSessionUser(QStringLiteral("admin"));
    if (!context.database().isOpen())
        return 1;

    QWidget* details = openRecordDetailsWindow(context);
    auto* tabs = details ? details->findChild<QTabWidget*>(QStringLiteral("高级选择夹1")) : nullptr;
    if (!tabs)
        return 1;
    QCoreApplication::processEvents();
    const auto listOf = [tabs](int tab) {
        return tabs->widget(tab)->findChild<ReportList*>();
    };
    // Choosing a tab fills its list (from the query, into the list's model) and paints it.
    const auto fillTab = [&](int tab) {
        tabs->setCurrentIndex(0);
        QCoreApplication::processEvents();
        const qint64 start = cpuNowNs();
        tabs->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        listOf(tab)->viewport()->repaint();
        return cpuNowNs() - start;
    };

    if (wanted("tabs")) {
        static const char* const tables[] = {"入库管理模块", "出库管理模块", "销售管理模块",
                                             "退货管理模块", "借用管理模块", "归还管理模块",
                                             "问题处理模块"};
        for (int tab = 1; tab <= 7; ++tab) {
            const QString query =
                QStringLiteral("select * from ") + QString::fromUtf8(tables[tab - 1]);
            const QStringList cli = {QStringLiteral("sqlite3"),
                                     QStringLiteral("-batch"),
                                     QStringLiteral("-init"),
                                     QStringLiteral("/dev/null"),
                                     path,
                                     query};
            fillTab(tab);
            std::vector<double> ours;
            std::vector<double> tool;
            for (int run = 0; run < 5; ++run) {
                ours.push_back(double(fillTab(tab)) / 1e6);
                const ProcessTime printed = timeProcess(cli, QStringLiteral("/dev/null"));
                if (!printed.ok())
                    return 1;
                tool.push_back(double(printed.cpuNs) / 1e6);
            }
            const int rows = listOf(tab)->rowCount();
            printResult(QStringLiteral("record details tab %1, %2 rows (query, fill, first paint)")
                            .arg(tabs->tabText(tab), count(rows)),
                        QStringLiteral("`sqlite3` command-line tool printing it to /dev/null"),
                        ours, tool, QStringLiteral("<= 1.5"), Measure::Cpu);
            // The next tabs' runs do not carry this list.
            listOf(tab)->clear();
        }
    }

    if (wanted("history")) {
        int documents = 0;
        std::vector<double> cpu;
        std::vector<double> wall;
        const auto open = [&] {
            const qint64 start = nowNs();
            const qint64 cpuStart = cpuNowNs();
            LotHistoryWindow history(context, kBusiestLot);
            history.show();
            QCoreApplication::processEvents();
            history.list()->viewport()->repaint();
            documents = history.list()->rowCount();
            cpu.push_back(double(cpuNowNs() - cpuStart) / 1e6);
            wall.push_back(double(nowNs() - start) / 1e6);
        };
        open();
        cpu.clear();
        wall.clear();
        for (int run = 0; run < kRuns; ++run)
            open();
        const QString what = QStringLiteral("lot history of the busiest lot, %1 documents "
                                            "(reading, ordering, window shown)")
                                 .arg(count(documents));
        printGoal(what, cpu, QStringLiteral("<= 100"), Measure::Cpu);
        printGoal(what, wall, QStringLiteral("<= 100"), Measure::Wall);
    }

    if (wanted("backup")) {
        QTemporaryDir target(folder + QStringLiteral("/backup-XXXXXX"));
        const QString backup = target.filePath(QStringLiteral("backup.mdb"));
        const QString copy = target.filePath(QStringLiteral("copy.mdb"));
        const QStringList cp = {QStringLiteral("sh"), QStringLiteral("-c"),
                                QStringLiteral("cp \"$0\" \"$1\" && sync \"$1\""), path, copy};
        std::vector<double> ours;
        std::vector<double> theirs;
        for (int run = 0; run <= 5; ++run) {
            QFile::remove(backup);
            QFile::remove(copy);
            const qint64 start = nowNs();
            if (!context.database().backupTo(backup)) {
                std::fprintf(stderr, "backup failed: %s\n",
                             qPrintable(context.database().lastError()));
                return 1;
            }
            const double ourMs = double(nowNs() - start) / 1e6;
            const ProcessTime copied = timeProcess(cp);
            if (!copied.ok())
                return 1;
            // The first run of each only brings the file into the page cache.
            if (run > 0) {
                ours.push_back(ourMs);
                theirs.push_back(double(copied.wallNs) / 1e6);
            }
        }
        printResult(QStringLiteral("backup of the file, %1 MB").arg(QFileInfo(path).size() >> 20),
                    QStringLiteral("`cp` of the file and `sync` of the copy (fsync)"), ours, theirs,
                    QStringLiteral("<= 2.0"), Measure::Wall);
    }

    if (wanted("preview")) {
        const int salesTab = 3;
        fillTab(salesTab);
        ReportList* sales = listOf(salesTab);
        openPrintSettings(context, details, sales);
        QCoreApplication::processEvents();
        auto* settings = qobject_cast<PrintSettingsWindow*>(
            topLevelTitled(QStringLiteral("超级列表框打印预览设置")));
        if (!settings)
            return 1;
        const PrintRequest request = settings->request();
        std::vector<double> wall;
        std::vector<double> cpu;
        for (int run = 0; run < 3; ++run) {
            const qint64 start = nowNs();
            const qint64 cpuStart = cpuNowNs();
            buildAndPreview(context, request);
            QWidget* preview = topLevelTitled(QStringLiteral("打印预览"));
            if (!preview)
                return 1;
            QCoreApplication::processEvents();
            preview->repaint();
            wall.push_back(double(nowNs() - start) / 1e6);
            cpu.push_back(double(cpuNowNs() - cpuStart) / 1e6);
            delete preview;
            QCoreApplication::processEvents();
        }
        printGoal(QStringLiteral("print preview of the sales list, %1 rows (building, "
                                 "pagination, first page shown)")
                      .arg(count(sales->rowCount())),
                  wall, QStringLiteral("<= 3000"), Measure::Wall);
        std::fprintf(stderr, "preview processor time: %.0f ms\n", median(cpu));
        delete settings;
    }

    if (wanted("memory")) {
        const QString probe =
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("years_probe"));
        QTemporaryDir empty;
        if (!makeStockDatabase(empty.filePath(QStringLiteral("datalx.mdb")), 0))
            return 1;
        const Peaks full = probePeaks(probe, path);
        const Peaks none = probePeaks(probe, empty.filePath(QStringLiteral("datalx.mdb")));
        const qint64 rows = totalRows(path);
        if (full.salesKb < 0 || none.salesKb < 0 || full.rows <= 0 || rows <= 0)
            return 1;
        const double fileBytesPerRow = double(QFileInfo(path).size()) / double(rows);
        const auto report = [&](const QString& what, long fullKb, long noneKb, const char* goal) {
            const double perRow = double(fullKb - noneKb) * 1024 / full.rows;
            printRatio(what,
                       QStringLiteral("%1 MB (empty database: %2 MB), %3 bytes per sales row; "
                                      "the file %4 bytes per row (%5 rows, %6 MB)")
                           .arg(double(fullKb) / 1024, 0, 'f', 0)
                           .arg(double(noneKb) / 1024, 0, 'f', 0)
                           .arg(perRow, 0, 'f', 0)
                           .arg(fileBytesPerRow, 0, 'f', 0)
                           .arg(count(rows))
                           .arg(QFileInfo(path).size() >> 20),
                       perRow / fileBytesPerRow, QString::fromLatin1(goal));
        };
        report(QStringLiteral("peak memory above an empty database, sales tab filled (%1 rows)")
                   .arg(count(full.rows)),
               full.salesKb, none.salesKb, "<= 3");
        report(QStringLiteral("the same with the sales list's print preview open"), full.previewKb,
               none.previewKb, "<= 6");
    }
    delete details;
    return 0;
}
