// SPDX-License-Identifier: GPL-3.0-or-later
// The program with three years of data in view, for its peak memory (see years_bench).
//   years_probe DATAFILE
// Starts as the program does over DATAFILE, logs in as admin (which lists every lot), opens the
// record details and fills the sales tab, paints it and prints
//   sales_rows N
//   sales_peak_kb N
// then opens the print preview of the sales list with the print settings' defaults, paints it
// and prints
//   preview_peak_kb N
// The peaks are the process's peak resident memory (VmHWM) at those moments.
#include "admin/windows.h"
#include "app/application.h"
#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/context.h"
#include "printing/printentry.h"
#include "printing/printsettingswindow.h"
#include "printing/reportbuilder.h"
#include "storage/database.h"
#include "ui/dialogservice.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>

#include <cstdio>

namespace
{

long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QWidget* topLevelTitled(const QString& title)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == title)
            return widget;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    configureApplication(application);
    if (argc < 2) {
        std::fprintf(stderr, "usage: years_probe DATAFILE\n");
        return 2;
    }
    const QFileInfo file(QString::fromLocal8Bit(argv[1]));
    WidgetDialogService dialogs;
    SystemClock clock;
    AppContext context(dialogs, clock, file.absolutePath(), file.fileName());
    MainWindow window(context);
    if (!context.database().isOpen())
        return 1;
    window.show();
    QCoreApplication::processEvents();
    context.setSessionUser(QStringLiteral("admin"));
    QCoreApplication::processEvents();

    QWidget* details = openRecordDetailsWindow(context);
    auto* tabs = details ? details->findChild<QTabWidget*>(QStringLiteral("高级选择夹1")) : nullptr;
    if (!tabs)
        return 1;
    tabs->setCurrentIndex(3);
    QCoreApplication::processEvents();
    auto* sales = tabs->widget(3)->findChild<ReportList*>();
    sales->viewport()->repaint();
    std::printf("sales_rows %d\nsales_peak_kb %ld\n", sales->rowCount(), peakResidentKb());
    std::fflush(stdout);

    openPrintSettings(context, details, sales);
    QCoreApplication::processEvents();
    auto* settings = qobject_cast<PrintSettingsWindow*>(
        topLevelTitled(QStringLiteral("超级列表框打印预览设置")));
    if (!settings)
        return 1;
    buildAndPreview(context, settings->request());
    QWidget* preview = topLevelTitled(QStringLiteral("打印预览"));
    if (!preview)
        return 1;
    QCoreApplication::processEvents();
    preview->repaint();
    std::printf("preview_peak_kb %ld\n", peakResidentKb());
    // The program's windows are not closed one by one: the process ends here.
    std::fflush(stdout);
    std::_Exit(0);
}
