// Saves a picture of each movement window, over a temporary database with a few stock lots, for
// checking the layouts by eye:  xvfb-run -a movement_screens /tmp
// (a second argument "default" keeps the platform's font instead of the application's).

#include "movements/windows.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLineEdit>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

namespace
{

bool save(QWidget* window, const QString& path)
{
    if (!window)
        return false;
    window->show();
    QApplication::processEvents();
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QDir out(arguments.value(1, QDir::tempPath()));
    // The application's own font (see configureApplication).
    if (arguments.value(2) != QLatin1String("default"))
        QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));

    TestEnvironment env;
    env.addStock("rk2018357130", "6901234567890", "不锈钢螺丝 M4×20", "120", "盒", "无");
    env.addStock("rk2018358215", "6907654321098", "六角螺母 M4", "7.5", "千克", "散装");
    env.addStock("rk20183101020", "A-100", "活动扳手 250mm", "3", "把", "借用频繁");

    env.dialogs().answerInput(QStringLiteral("6901234567890"));
    QWidget* stockIn = openStockInWindow(env.context());
    if (stockIn)
        stockIn->findChild<QLineEdit*>(QStringLiteral("编辑框_名称"))
            ->setText(QStringLiteral("不锈钢螺丝 M4×20"));
    bool ok = save(stockIn, out.filePath(QStringLiteral("stockin.png")));
    QWidget* sales = openSalesWindow(env.context());
    ok = save(sales, out.filePath(QStringLiteral("sales.png"))) && ok;
    QWidget* stockOut = openStockOutWindow(env.context());
    ok = save(stockOut, out.filePath(QStringLiteral("stockout.png"))) && ok;
    QWidget* lending = openBorrowingWindow(env.context());
    ok = save(lending, out.filePath(QStringLiteral("borrowing.png"))) && ok;
    delete stockIn;
    delete sales;
    delete stockOut;
    delete lending;
    return ok ? 0 : 1;
}
