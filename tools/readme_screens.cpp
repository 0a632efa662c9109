// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the README's pictures: each window as an operator sees it on the desktop, with the
// window manager's frame, over sample data with the administrator logged in.
//   tarnel-readme-screens OUTPUT_DIRECTORY
// tools/readme-screens.sh runs it under Xvfb with a window manager and makes the files small.
// A new window gets its picture with one more line in the table kPictures.
#include "admin/lothistorywindow.h"
#include "app/application.h"
#include "app/mainwindow.h"
#include "movements/windows.h"
#include "printing/preview.h"
#include "printing/reportbuilder.h"
#include "tests/support/testdatabase.h"
#include "tools/sampledata.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <memory>

namespace
{

// What a picture's window is opened over: the sample warehouse and the main window, the
// administrator logged in.
struct Scene {
    Scene(TestEnvironment& environment, MainWindow& mainWindow) : env(environment), main(mainWindow)
    {
    }
    TestEnvironment& env;
    MainWindow& main;
    ReportList lots;

    AppContext& context() { return env.context(); }
};

// A window to photograph, or nothing when it cannot be opened. The main window stays; every
// other window is closed after its picture.
using Opener = std::function<QWidget*(Scene&)>;

struct Picture {
    const char* file;
    Opener open;
};

QWidget* printPreview(Scene& scene)
{
    fillSampleLotList(scene.lots);
    std::unique_ptr<ReportTable> report = buildReport(sampleReportRequest(scene.lots));
    if (!report)
        return nullptr;
    QWidget* preview = openPrintPreview(scene.context(), std::move(report));
    preview->resize(900, 760);
    return preview;
}

const Picture kPictures[] = {
    {"mainwindow.png",
     [](Scene& s) -> QWidget* {
         return &s.main;
     }},
    {"sales.png",
     [](Scene& s) {
         return openSalesWindow(s.context());
     }},
    {"preview.png", printPreview},
    {"lothistory.png",
     [](Scene& s) -> QWidget* {
         return new LotHistoryWindow(s.context(), "rk2018358215");
     }},
};

void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The window with its frame, taken from the screen once the window manager has framed it.
bool photograph(QWidget* window, const QString& path)
{
    window->show();
    window->raise();
    window->activateWindow();
    settle(600);
    const QRect frame = window->frameGeometry();
    const QPixmap picture =
        window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    return !picture.isNull() && picture.save(path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    configureApplication(application);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    TestEnvironment env;
    addSampleData(env);
    MainWindow main(env.context());
    main.move(20, 20);
    main.show();
    main.refreshTitleAndStock();
    main.findChild<ReportList*>(QStringLiteral("超级列表框主"))->setCurrentRow(1);
    Scene scene(env, main);

    bool ok = true;
    for (const Picture& picture : kPictures) {
        const QString path = out.filePath(QString::fromLatin1(picture.file));
        QWidget* window = picture.open(scene);
        const bool saved = window && photograph(window, path);
        std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
        ok = saved && ok;
        if (window && window != &main) {
            window->close();
            delete window;
        }
    }
    return ok ? 0 : 1;
}
