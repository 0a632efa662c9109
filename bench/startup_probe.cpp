// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start, ended as soon as the main window has painted itself (see shownmark.h).
//   startup_probe PROGRAM_DIRECTORY [--list]
// Starts as the program does (application set-up with its font and translations, the window
// icon, the dialog service, the context over PROGRAM_DIRECTORY/datalx.mdb, the main window
// opening the database) and quits after the main window's first paint. With --list it first logs in
// as admin, which fills the stock list with every lot, paints it, and prints the process's peak
// resident memory:
//   peak_rss_kb N
#include "app/application.h"
#include "app/iconstrip.h"
#include "app/mainwindow.h"
#include "bench/shownmark.h"
#include "core/clock.h"
#include "core/context.h"
#include "storage/database.h"
#include "ui/dialogservice.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>

#include <cstdio>

namespace
{

// The peak resident set size of this process in kB, from /proc/self/status.
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

// Runs once, after the first paint event reached the watched window or one of its controls.
class FirstPaint : public QObject
{
public:
    FirstPaint(QWidget* window, std::function<void()> then)
        : mWindow(window), mThen(std::move(then))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && mThen && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == mWindow) {
            qApp->removeEventFilter(this);
            // After the whole window has been painted and flushed.
            QTimer::singleShot(0, this, std::exchange(mThen, {}));
        }
        return false;
    }

private:
    QWidget* mWindow;
    std::function<void()> mThen;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    configureApplication(application);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: startup_probe PROGRAM_DIRECTORY [--list]\n");
        return 2;
    }
    const bool list = arguments.contains(QStringLiteral("--list"));
    QApplication::setWindowIcon(builtInIcon(QStringLiteral("program")));

    WidgetDialogService dialogs;
    SystemClock clock;
    AppContext context(dialogs, clock, arguments.at(1));
    MainWindow window(context);
    if (!context.database().isOpen())
        return 1;
    FirstPaint painted(&window, [&] {
        reportShown();
        if (list) {
            context.setSessionUser(QStringLiteral("admin"));
            auto* stock = window.findChild<ReportList*>(QStringLiteral("超级列表框主"));
            QCoreApplication::processEvents();
            stock->viewport()->repaint();
            std::printf("rows %d\npeak_rss_kb %ld\n", stock->rowCount(), peakResidentKb());
        }
        // exit, not quit: quit would close the main window, which asks first.
        QCoreApplication::exit(0);
    });
    window.show();
    return QApplication::exec();
}
