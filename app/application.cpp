// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/iconstrip.h"

#include "admin/autobackup.h"
#include "app/commandline.h"
#include "app/datalocation.h"
#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/context.h"
#include "storage/database.h"
#include "storage/databaselock.h"
#include "storage/fieldvalue.h"
#include "ui/dialogservice.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace
{

void installQtTranslations(QCoreApplication& application)
{
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// The command line is read before the window system is touched, so that --help and --version
// also answer where there is no screen.
CommandLineRequest readArguments(int argc, char** argv)
{
    QCoreApplication terminal(argc, argv);
    installQtTranslations(terminal);
    return readCommandLine(QCoreApplication::arguments());
}

// What the installation tests read: the main window's title, whether it is on screen, and the
// database the program opened.
int reportShownWindow(const MainWindow& window, AppContext& context)
{
    const bool shown =
        window.isVisible() && window.windowHandle() && window.windowHandle()->isExposed();
    const bool open = context.database().isOpen();
    print(stdout, QStringLiteral("main window: %1 (%2)\ndatabase: %3 (%4)\n")
                      .arg(window.windowTitle(),
                           shown ? QStringLiteral("shown") : QStringLiteral("not shown"),
                           QDir::toNativeSeparators(context.databasePath()),
                           open ? QStringLiteral("open") : QStringLiteral("not open")));
    return shown && open ? EXIT_SUCCESS : EXIT_FAILURE;
}

// Reports once the window system has put the main window on screen (or after ten seconds
// without), then ends the program with the report's exit code.
void quitWhenShown(MainWindow& window, AppContext& context)
{
    auto* poll = new QTimer(&window);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, &window,
                     [&window, &context, poll, deadline = QDeadlineTimer(10'000)] {
                         const bool exposed =
                             window.windowHandle() && window.windowHandle()->isExposed();
                         if (!exposed && !deadline.hasExpired())
                             return;
                         poll->stop();
                         QCoreApplication::exit(reportShownWindow(window, context));
                     });
    poll->start();
}

} // namespace

void configureApplication(QApplication& application)
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"), 9);
    // Unhinted, as the font's own fontconfig settings ask: its hints do not improve the small
    // Chinese glyphs, and hinting every glyph costs the start-up several milliseconds.
    font.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(font);
    QApplication::setStyle(new ApplicationStyle);
    installQtTranslations(application);
}

void showFatalDataError(DialogService& dialogs, int code, const QString& message)
{
    dialogs.message(nullptr, fatalDataErrorText(code, message), QStringLiteral("错误"),
                    MessageIcon::Error, MessageButtons::Ok);
}

int runApplication(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("tarnel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNEL_VERSION));
    const CommandLineRequest request = readArguments(argc, argv);
    if (request.answered) {
        print(stdout, request.output);
        print(stderr, request.errors);
        return request.exitCode;
    }

    QApplication application(argc, argv);
    configureApplication(application);
    // The menu entry's name, so that desktops show the entry's icon and name for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral(TARNEL_DESKTOP_ID));
    QApplication::setWindowIcon(builtInIcon(QStringLiteral("program")));

    const DataLocation location =
        locateData(QCoreApplication::applicationDirPath(), request.databasePath,
                   qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
    if (location.perUser) {
        // On failure the database does not open, and the main window says so.
        const QString error = prepareDataDirectory(location);
        if (!error.isEmpty())
            print(stderr, error + QLatin1Char('\n'));
    }

    WidgetDialogService dialogs;
    SystemClock clock;
    setFatalDataErrorHandler([&dialogs](int code, const QString& message) {
        showFatalDataError(dialogs, code, message);
        std::exit(-1);
    });

    int exitCode = 0;
    {
        AppContext context(dialogs, clock, location.directory, location.databaseFileName);
        MainWindow window(context);
        // The day's backup at the first login of the day; ends before the window does.
        DailyBackup dailyBackup(context);
        window.show();
        // Once the window is up; the program works on after the box.
        QTimer::singleShot(0, &window, [&context, &window] {
            warnWhenOnNetworkShare(context, &window, isOnNetworkFileSystem);
        });
        if (request.quitWhenShown)
            quitWhenShown(window, context);
        exitCode = QApplication::exec();
    }
    setFatalDataErrorHandler({});
    return exitCode;
}
