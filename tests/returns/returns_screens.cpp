// Saves a picture of each returns window, over a temporary database with a few sales, loans and
// problem records, for checking the layouts by eye:  xvfb-run -a returns_screens /tmp
// (a second argument "default" keeps the platform's font instead of the application's).

#include "returns/windows.h"
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
    window->show();
    QApplication::processEvents();
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

void run(TestEnvironment& env, const QString& sql, const QVariantList& values)
{
    if (!env.db().ExecuteSql(sql, values))
        std::printf("FAILED %s\n", qPrintable(env.db().lastError()));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QDir out(arguments.value(1, QDir::tempPath()));
    if (arguments.value(2) != QLatin1String("default"))
        QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));

    TestEnvironment env;
    const QString sale = QStringLiteral(
        "insert into 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,产品单位,销售单价,"
        "销售时间,销售人员)values(?,?,?,?,?,?,?,?,?)");
    run(env, sale,
        {"xs2018351030", "rk2018357130", "6901234567890", "不锈钢螺丝 M4×20", "5", "盒", "12.5",
         "2018-3-5", "admin"});
    run(env, sale,
        {"xs20183101125", "rk2018358215", "6907654321098", "六角螺母 M4", "2", "千克", "30",
         "2018-3-10", "张会计"});
    run(env, QStringLiteral("update 销售管理模块 set 退货记录=? where 销售单号=? "),
        {"1", "xs2018351030"});
    run(env,
        QStringLiteral("insert into 借用管理模块(借用单号,入库单号,产品ID,产品名称,借用数量,"
                       "产品单位,借用人员单位,借用时间,审批人员,备注)values(?,?,?,?,?,?,?,?,?,?)"),
        {"jy20183101020", "rk20183101020", "A-100", "活动扳手 250mm", "2", "把", "维修部 李工",
         "2018-3-10", "admin", "无"});
    run(env,
        QStringLiteral("insert into "
                       "问题处理模块(问题单号,入库单号,销售单号,退货单号,产品ID,产品名称,问题数量,"
                       "产品单位,问题原因,发现时间,录入人员,备注)values(?,?,?,?,?,?,?,?,?,?,?,?)"),
        {"wt2018361512", "rk2018357130", "xs2018351030", "th2018361512", "6901234567890",
         "不锈钢螺丝 M4×20", "1", "盒", "退货且无法再次销售", "2018-3-6", "admin", "螺纹损坏"});
    run(env,
        QStringLiteral("insert into "
                       "问题处理模块(问题单号,入库单号,借用单号,归还单号,产品ID,产品名称,问题数量,"
                       "产品单位,问题原因,发现时间,录入人员,备注)values(?,?,?,?,?,?,?,?,?,?,?,?)"),
        {"wt2018311930", "rk20183101020", "jy20183101020", "gh2018311930", "A-100",
         "活动扳手 250mm", "1", "把", "归还且无法再次销售", "2018-3-11", "admin", "无"});

    QWidget* salesReturns = openSalesReturnsWindow(env.context());
    bool ok = save(salesReturns, out.filePath(QStringLiteral("salesreturns.png")));
    QWidget* loanReturns = openLoanReturnsWindow(env.context());
    ok = save(loanReturns, out.filePath(QStringLiteral("loanreturns.png"))) && ok;
    QWidget* problems = openProblemGoodsWindow(env.context());
    ok = save(problems, out.filePath(QStringLiteral("problemgoods.png"))) && ok;
    delete salesReturns;
    delete loanReturns;
    delete problems;
    return ok ? 0 : 1;
}
