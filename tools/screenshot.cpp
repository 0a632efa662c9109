// SPDX-License-Identifier: GPL-3.0-or-later
// Photographs the main window after an administrator login, over a new database in a temporary
// program directory holding a few stock lots with their stock-in documents. Also photographs
// the login and about windows and the history of the selected lot, opened by a double click.
// Usage: tarnel-screenshot OUTPUT_DIRECTORY [HOLD_MS] (run under an X server, e.g. xvfb-run);
// HOLD_MS keeps the windows open that long at the end, for a picture of the whole desktop.
#include "app/aboutwindow.h"
#include "app/application.h"
#include "app/loginwindow.h"
#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/context.h"
#include "storage/database.h"
#include "storage/newdatabase.h"
#include "ui/dialogservice.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace
{

// Confirms every box at once and reports it, so that the run needs no hand on the keyboard.
class ConfirmingDialogs : public DialogService
{
protected:
    MessageAnswer showMessage(const MessageRequest& request) override
    {
        std::fprintf(stderr, "message: %s [%s]\n", qPrintable(request.text),
                     qPrintable(request.title));
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    std::optional<QString> showInput(const InputRequest& request) override
    {
        std::fprintf(stderr, "input: %s\n", qPrintable(request.prompt));
        return std::nullopt;
    }
};

void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget* window, const QString& path)
{
    if (!window->grab().save(path))
        return false;
    std::printf("%s\n", qPrintable(path));
    return true;
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
    const QDir output(QString::fromLocal8Bit(argv[1]));

    QTemporaryDir programDirectory;
    const QString databasePath = programDirectory.filePath(QStringLiteral("datalx.mdb"));
    const QString error = createDatabaseFile(databasePath);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "cannot create the database: %s\n", qPrintable(error));
        return 1;
    }
    {
        Database db;
        db.NewOpenDatabase(databasePath);
        const QList<QStringList> lots = {
            {"rk201835972", "6901234567890", "不锈钢螺丝 M6", "1200", "个", "二号货架"},
            {"rk201835980", "6901234567891", "六角螺母 M6", "850.5", "千克", "散装"},
            {"rk2018351014", "6901234567892", "电动扳手", "12", "台", "无"},
            {"rk2018361230", "6901234567893", "安全手套", "40", "包", "每包十双"},
        };
        for (const QStringList& lot : lots) {
            db.ExecuteSql(QStringLiteral("insert into 总数据库模块(入库单号,产品ID,产品名称,"
                                         "产品库存,产品单位,备注)values(?,?,?,?,?,?)"),
                          {lot[0], lot[1], lot[2], lot[3], lot[4], lot[5]});
            db.ExecuteSql(QStringLiteral("insert into 入库管理模块(入库单号,产品ID,产品名称,"
                                         "入库数量,产品单位,入库时间,入库人员,备注)"
                                         "values(?,?,?,?,?,?,?,?)"),
                          {lot[0], lot[1], lot[2], lot[3], lot[4], QStringLiteral("2018-3-5"),
                           QStringLiteral("admin"), lot[5]});
        }
        db.CloseDatabase();
    }

    ConfirmingDialogs dialogs;
    SystemClock clock;
    AppContext context(dialogs, clock, programDirectory.path());
    MainWindow window(context);
    window.show();
    settle(500);

    LoginWindow* login = window.openLoginWindow();
    login->findChild<QLineEdit*>(QStringLiteral("编辑框_用户名"))->setText(QStringLiteral("admin"));
    login->findChild<QLineEdit*>(QStringLiteral("编辑框_密码"))->setText(QStringLiteral("admin"));
    settle(300);
    bool ok = save(login, output.filePath(QStringLiteral("login.png")));
    login->findChild<QPushButton*>(QStringLiteral("按钮_登录"))->click();
    window.findChild<ReportList*>(QStringLiteral("超级列表框主"))->setCurrentRow(1);
    settle(300);
    ok = save(&window, output.filePath(QStringLiteral("mainwindow.png"))) && ok;

    QWidget* about = window.openAboutWindow();
    settle(300);
    ok = save(about, output.filePath(QStringLiteral("about.png"))) && ok;
    about->close();

    window.openLotHistory(1);
    settle(300);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* history : windows) {
        if (history->isVisible() && history->windowTitle().startsWith(QStringLiteral("批次履历")))
            ok = save(history, output.filePath(QStringLiteral("lothistory.png"))) && ok;
    }
    if (argc > 2)
        settle(QString::fromLocal8Bit(argv[2]).toInt());
    return ok ? 0 : 1;
}
