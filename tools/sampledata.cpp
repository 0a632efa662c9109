// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sampledata.h"

#include "admin/accounts.h"
#include "insights/stockalert.h"
#include "printing/printrequest.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QDate>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace
{

void run(TestEnvironment& env, const QString& sql, const QVariantList& values)
{
    if (!env.db().ExecuteSql(sql, values))
        std::printf("FAILED %s\n", qPrintable(env.db().lastError()));
}

// A lot of tape stocked in April 2017 and sold every month for a year, more each month, with
// one return: the sales statistics have periods to compare.
void addTapeSales(TestEnvironment& env)
{
    const QString lot = QStringLiteral("rk20174101530");
    const QString id = QStringLiteral("6923456789012");
    const QString name = QStringLiteral("电工胶带 18mm");
    const QString unit = QStringLiteral("卷");
    int stock = 1000;
    run(env,
        QStringLiteral("insert into 入库管理模块(入库单号,产品ID,产品名称,入库数量,产品单位,"
                       "入库时间,入库人员,备注)values(?,?,?,?,?,?,?,?)"),
        {lot, id, name, QString::number(stock), unit, "2017-4-10", "admin", "无"});
    const QString sale = QStringLiteral(
        "insert into 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,产品单位,销售单价,"
        "销售时间,销售人员)values(?,?,?,?,?,?,?,?,?)");
    const QDate first(2017, 4, 1);
    for (int month = 0; month < 12; ++month) {
        for (int day : {6, 17, 25}) {
            const QDate date = first.addMonths(month).addDays(day - 1);
            if (date > QDate(2018, 3, 5))
                continue;
            const int quantity = 8 + month * 2 + (day * 7 + month * 5) % 9;
            stock -= quantity;
            run(env, sale,
                {QStringLiteral("xs%1%2%3%4")
                     .arg(date.year())
                     .arg(date.month())
                     .arg(date.day())
                     .arg(1000 + month),
                 lot, id, name, QString::number(quantity), unit, "8.5",
                 QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day()),
                 "admin"});
        }
    }
    run(env, QStringLiteral("update 销售管理模块 set 退货记录=? where 销售单号=? "),
        {"1", "xs20171261008"});
    run(env,
        QStringLiteral("insert into 退货管理模块(退货单号,销售单号,入库单号,产品ID,产品名称,"
                       "退货数量,产品单位,退货原因,是否影响二次销售,退货时间,操作人员,备注)"
                       "values(?,?,?,?,?,?,?,?,?,?,?,?)"),
        {"th2018181020", "xs20171261008", lot, id, name, "4", unit, "颜色不符", "不影响",
         "2018-1-8", "admin", "无"});
    env.addStock(lot, id, name, QString::number(stock + 4), unit, "无");
}

} // namespace

void addSampleData(TestEnvironment& env)
{
    env.addStock("rk2018357130", "6901234567890", "不锈钢螺丝 M4×20", "120", "盒", "无");
    env.addStock("rk2018358215", "6907654321098", "六角螺母 M4", "5", "千克", "散装");
    env.addStock("rk20183101020", "A-100", "活动扳手 250mm", "3", "把", "借用频繁");
    const QString stockIn =
        QStringLiteral("insert into 入库管理模块(入库单号,产品ID,产品名称,入库数量,产品单位,"
                       "入库时间,入库人员,备注)values(?,?,?,?,?,?,?,?)");
    run(env, stockIn,
        {"rk2018357130", "6901234567890", "不锈钢螺丝 M4×20", "120", "盒", "2018-3-5", "admin",
         "无"});
    run(env, stockIn,
        {"rk2018358215", "6907654321098", "六角螺母 M4", "7.5", "千克", "2018-3-5", "zhang",
         "散装"});
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
        QStringLiteral("insert into 退货管理模块(退货单号,销售单号,入库单号,产品ID,产品名称,"
                       "退货数量,产品单位,退货原因,是否影响二次销售,退货时间,操作人员,备注)"
                       "values(?,?,?,?,?,?,?,?,?,?,?,?)"),
        {"th2018361512", "xs2018351030", "rk2018357130", "6901234567890", "不锈钢螺丝 M4×20", "1",
         "盒", "螺纹损坏", "影响", "2018-3-6", "admin", "客户退回"});
    // The nuts' lot: sold, partly written off, lent and given back; its stock of 5 agrees with
    // its documents.
    run(env,
        QStringLiteral("insert into 出库管理模块(出库单号,入库单号,产品ID,产品名称,出库数量,"
                       "产品单位,出库原因,出库时间,操作人员,备注)values(?,?,?,?,?,?,?,?,?,?)"),
        {"ck20183119150", "rk2018358215", "6907654321098", "六角螺母 M4", "0.5", "千克", "报损",
         "2018-3-11", "zhang", "受潮生锈"});
    run(env,
        QStringLiteral("insert into 借用管理模块(借用单号,入库单号,产品ID,产品名称,借用数量,"
                       "产品单位,借用人员单位,借用时间,审批人员,备注)values(?,?,?,?,?,?,?,?,?,?)"),
        {"jy201831210450", "rk2018358215", "6907654321098", "六角螺母 M4", "1", "千克",
         "装配车间 王工", "2018-3-12", "admin", "试装"});
    run(env,
        QStringLiteral("insert into 归还管理模块(归还单号,借用单号,入库单号,产品ID,产品名称,"
                       "归还数量,产品单位,归还人员,是否影响二次销售,归还时间,接收人员,备注)"
                       "values(?,?,?,?,?,?,?,?,?,?,?,?)"),
        {"gh20183141620", "jy201831210450", "rk2018358215", "6907654321098", "六角螺母 M4", "1",
         "千克", "王工", "不影响", "2018-3-14", "admin", "完好"});
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
    addTapeSales(env);
    // The nuts (5 千克 in stock) are below their minimum, the other products above theirs: the
    // main window's button reads "库存预警 (1)".
    storeMinimum(env.db(), QStringLiteral("6907654321098"), 10);
    storeMinimum(env.db(), QStringLiteral("6901234567890"), 20);
    storeMinimum(env.db(), QStringLiteral("6923456789012"), 50);
    registerAccount(env.db(), QStringLiteral("zhang"), QStringLiteral("123"));
    registerAccount(env.db(), QStringLiteral("李四"), QStringLiteral("456"));
    for (const char* name : {"2018-3-5.mdb", "2018-2-28.mdb"})
        QFile::copy(env.context().databasePath(),
                    QDir(env.context().backupDirectory()).filePath(QString::fromUtf8(name)));
}

void fillSampleLotList(ReportList& list)
{
    list.setColumns({{QStringLiteral("入库单号"), 110, Qt::AlignLeft},
                     {QStringLiteral("产品名称"), 140, Qt::AlignLeft},
                     {QStringLiteral("产品库存"), 70, Qt::AlignRight},
                     {QStringLiteral("产品单位"), 60, Qt::AlignHCenter},
                     {QStringLiteral("备注"), 120, Qt::AlignLeft}});
    std::vector<QStringList> rows;
    const QStringList names = {QStringLiteral("不锈钢螺丝 M4×20"), QStringLiteral("六角螺母 M4"),
                               QStringLiteral("活动扳手 250mm"), QStringLiteral("电工胶带"),
                               QStringLiteral("十字螺丝刀（大号，带磁性刀头，绝缘手柄）")};
    for (int i = 0; i < 60; ++i)
        rows.push_back({QStringLiteral("rk2018357%1").arg(100 + i), names.at(i % names.size()),
                        QString::number((i * 37) % 200 + 0.5 * (i % 2)), QStringLiteral("盒"),
                        i % 3 ? QStringLiteral("无") : QStringLiteral("借用频繁")});
    list.appendRows(rows);
}

PrintRequest sampleReportRequest(ReportList& list, int lineStyle)
{
    PrintRequest request;
    request.source = &list;
    request.title = QStringLiteral("商品库存报表");
    request.titleFont = {QStringLiteral("宋体"), QString::number(rgbValue(0, 0, 128)),
                         QStringLiteral("1"), QStringLiteral("18")};
    request.dateLine = QStringLiteral("打印日期:2018年3月5日");
    request.columns = {0, 1, 2, 3, 4};
    request.serialColumn = true;
    request.lineStyle = lineStyle;
    request.totals = {QStringLiteral("一")};
    request.pageNumberPosition = 5;
    request.colours = {1, int(rgbValue(222, 223, 206)), int(rgbValue(239, 239, 222)), 0};
    request.remarks = QStringLiteral("备注：本报表由仓库管理员核对，库存以实物盘点为准。");
    request.landscape = false;
    request.paper = 2;
    return request;
}
