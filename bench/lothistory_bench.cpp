// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a lot's history: the seven document queries, the ordering, the list and the audit.
//   lothistory_bench [DOCUMENTS] [OTHER_LOTS_DOCUMENTS]     (default 10000 and 50000)
// The lot's documents are spread over the seven document tables and over a year of dates, among
// the documents of other lots; the timings are the medians of several runs, after one warm-up, of
// reading the history alone and of opening its window (offscreen).
#include "admin/lothistory.h"
#include "admin/lothistorywindow.h"
#include "bench/benchsupport.h"
#include "core/clock.h"
#include "core/context.h"
#include "storage/database.h"
#include "storage/newdatabase.h"
#include "ui/dialogservice.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

const QString kLot = QStringLiteral("rk20183171530");

// Boxes nobody answers: the benchmark shows none.
class SilentDialogs : public DialogService
{
protected:
    MessageAnswer showMessage(const MessageRequest&) override { return MessageAnswer::Ok; }
    std::optional<QString> showInput(const InputRequest&) override { return std::nullopt; }
};

struct Table {
    const char* insert;
    const char* prefix;
};

// Every document table's INSERT as the windows write it, with the lot, number, quantity and
// date in the same places: number, lot, quantity, date, then the other columns.
const Table kTables[] = {
    {"insert into 销售管理模块(销售单号,入库单号,销售数量,销售时间,产品ID,产品名称,产品单位,"
     "销售单价,销售人员)values(?,?,?,?,?,?,?,?,?)",
     "xs"},
    {"insert into 出库管理模块(出库单号,入库单号,出库数量,出库时间,产品ID,产品名称,产品单位,"
     "出库原因,操作人员)values(?,?,?,?,?,?,?,?,?)",
     "ck"},
    {"insert into 借用管理模块(借用单号,入库单号,借用数量,借用时间,产品ID,产品名称,产品单位,"
     "借用人员单位,审批人员)values(?,?,?,?,?,?,?,?,?)",
     "jy"},
    {"insert into 退货管理模块(退货单号,入库单号,退货数量,退货时间,产品ID,产品名称,产品单位,"
     "是否影响二次销售,操作人员)values(?,?,?,?,?,?,?,?,?)",
     "th"},
    {"insert into 归还管理模块(归还单号,入库单号,归还数量,归还时间,产品ID,产品名称,产品单位,"
     "是否影响二次销售,接收人员)values(?,?,?,?,?,?,?,?,?)",
     "gh"},
    {"insert into 问题处理模块(问题单号,入库单号,问题数量,发现时间,产品ID,产品名称,产品单位,"
     "问题原因,录入人员)values(?,?,?,?,?,?,?,?,?)",
     "wt"},
};

QString dateText(const QDate& date)
{
    return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}

void addDocuments(Database& db, const QString& lot, int count, int seed)
{
    const QDate first(2018, 1, 1);
    for (int i = 0; i < count; ++i) {
        const Table& table = kTables[(i + seed) % 6];
        const QDate date = first.addDays((i * 7 + seed) % 365);
        const QString number = QString::fromLatin1(table.prefix) +
                               QStringLiteral("%1%2%3").arg(date.year()).arg(i).arg(seed);
        db.ExecuteSql(QString::fromUtf8(table.insert),
                      {number, lot, QStringLiteral("1"), dateText(date), QStringLiteral("6901"),
                       QStringLiteral("螺丝"), QStringLiteral("盒"),
                       i % 2 ? QStringLiteral("不影响") : QStringLiteral("影响"),
                       QStringLiteral("admin")});
    }
}

template <typename Step> double medianMs(Step step)
{
    step();
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        step();
        runs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(runs);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const int documents = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int others = argc > 2 ? std::max(0, std::atoi(argv[2])) : 50000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datalx.mdb"));
    if (!createDatabaseFile(path).isEmpty())
        return 1;
    SilentDialogs dialogs;
    FixedClock clock(QDateTime(QDate(2018, 12, 31), QTime(12, 0)));
    AppContext context(dialogs, clock, dir.path());
    Database& db = context.database();
    if (!db.NewOpenDatabase(path))
        return 1;

    db.BeginTrans();
    db.ExecuteSql(QStringLiteral("insert into 总数据库模块(入库单号,产品ID,产品名称,产品库存,"
                                 "产品单位,备注)values(?,?,?,?,?,?)"),
                  {kLot, QStringLiteral("6901"), QStringLiteral("螺丝"), QStringLiteral("0"),
                   QStringLiteral("盒"), QStringLiteral("无")});
    db.ExecuteSql(QStringLiteral("insert into 入库管理模块(入库单号,产品ID,产品名称,入库数量,"
                                 "产品单位,入库时间,入库人员,备注)values(?,?,?,?,?,?,?,?)"),
                  {kLot, QStringLiteral("6901"), QStringLiteral("螺丝"), QString::number(documents),
                   QStringLiteral("盒"), QStringLiteral("2018-1-1"), QStringLiteral("admin"),
                   QStringLiteral("无")});
    addDocuments(db, kLot, documents - 1, 0);
    for (int lot = 0; lot < 10; ++lot)
        addDocuments(db, QStringLiteral("rk2018%1").arg(lot), others / 10, lot + 1);
    if (!db.CommitTrans())
        return 1;

    std::size_t shown = 0;
    const double reading = medianMs([&] {
        const LotHistory history = LotHistory::load(db, kLot);
        shown = history.documents().size();
    });
    int listed = 0;
    const double opening = medianMs([&] {
        LotHistoryWindow window(context, kLot);
        listed = window.list()->rowCount();
    });

    const QString what = QStringLiteral("a lot's history, %1 documents among %2 of other lots")
                             .arg(shown)
                             .arg(others);
    printFigure(what, QStringLiteral("reading and ordering (wall)"),
                QStringLiteral("%1 ms").arg(reading, 0, 'f', 1));
    printFigure(what, QStringLiteral("opening the window (wall)"),
                QStringLiteral("%1 ms, %2 rows listed").arg(opening, 0, 'f', 1).arg(listed));
    return 0;
}
