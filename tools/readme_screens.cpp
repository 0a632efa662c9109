// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the README's pictures: each window as an operator sees it on the desktop, with the
// window manager's frame, over sample data with the administrator logged in.
//   tarnel-readme-screens OUTPUT_DIRECTORY
// tools/readme-screens.sh runs it under Xvfb with a window manager and makes the files small.
// A new window gets its picture with one more line in the table kPictures.
#include "admin/lothistorywindow.h"
#include "app/application.h"
#include "app/mainwindow.h"
#include "importing/loader/featuremodule.h"
#include "insights/windows.h"
#include "labels/labelentry.h"
#include "movements/windows.h"
#include "printing/preview.h"
#include "printing/reportbuilder.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "tools/sampledata.h"
#include "ui/reportlist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
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
    QTemporaryDir files;

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

// The statistics of the tape's last six months by month, against the six before.
QWidget* salesStatistics(Scene& scene)
{
    QWidget* window = openSalesStatisticsWindow(scene.context());
    if (!window)
        return nullptr;
    window->findChild<QDateEdit*>(QStringLiteral("日期框_开始"))->setDate(QDate(2017, 10, 1));
    window->findChild<QDateEdit*>(QStringLiteral("日期框_结束"))->setDate(QDate(2018, 3, 31));
    window->findChild<QAbstractButton*>(QStringLiteral("单选框_按月"))->setChecked(true);
    auto* count = window->findChild<QAbstractButton*>(QStringLiteral("按钮_统计"));
    count->click();
    count->setFocus();
    return window;
}

// A shop's list of 50 goods read into the import window (the module loaded as the menu does),
// two of its rows with problems: one without a name, one with a quantity that is no number.
QWidget* importPreview(Scene& scene)
{
    const QString path = scene.files.filePath(QStringLiteral("库存清单.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return nullptr;
    const QStringList names = {QStringLiteral("内六角螺栓 M6×30"), QStringLiteral("平垫圈 M6"),
                               QStringLiteral("弹簧垫圈 M6"),      QStringLiteral("尼龙扎带 200mm"),
                               QStringLiteral("热缩管 Φ5"),        QStringLiteral("铜鼻子 SC10-6")};
    const QStringList units = {QStringLiteral("个"), QStringLiteral("袋"), QStringLiteral("包")};
    QString text = QStringLiteral("条码,品名,数量,单位,备注\n");
    for (int i = 0; i < 50; ++i) {
        const QString name = i == 6 ? QString() : names.at(i % names.size());
        const QString quantity =
            i == 11 ? QStringLiteral("十二") : QString::number(10 + i * 7 % 90);
        text += QStringLiteral("%1,%2,%3,%4,%5\n")
                    .arg(6920000000000LL + 1111 * i)
                    .arg(name, quantity, units.at(i % units.size()),
                         i % 4 ? QString() : QStringLiteral("货架 %1").arg(i / 4 + 1));
    }
    file.write(text.toUtf8());
    file.close();
    QWidget* window = openImportFromMenu(scene.context());
    if (!window)
        return nullptr;
    scene.env.dialogs().answerOpenFile(path);
    window->findChild<QAbstractButton*>(QStringLiteral("按钮_选择文件"))->click();
    return window;
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
    {"label-50x30.png",
     [](Scene& s) {
         return openLabelWindow(s.context(), "rk2018357130");
     }},
    {"stock-alert.png",
     [](Scene& s) {
         return openStockAlertWindow(s.context());
     }},
    {"sales-statistics.png", salesStatistics},
    {"import-preview.png", importPreview},
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
    // The boxes a window showed instead of opening (a module that would not load...).
    for (const QString& text : env.dialogs().texts())
        std::printf("box: %s\n", qPrintable(text));
    return ok ? 0 : 1;
}
