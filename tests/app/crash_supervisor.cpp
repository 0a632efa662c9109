// SPDX-License-Identifier: GPL-3.0-or-later
// Kills the crash driver at random moments and checks the database file after every kill.
//   crash_supervisor [--kills N] [--seed S]     (default 50 kills)
// Each round starts crash_driver on the same data directory and kills it with SIGKILL: mostly a
// random time after it said it was ready (in the middle of its movements and returns), every
// fifth round a random time after its start (while it opens the file, which may first have to
// undo the last killed transaction). Then the file is opened as the program's next start opens
// it and checked:
//   - PRAGMA integrity_check is ok;
//   - every stock-in document has its lot and every lot its stock-in document;
//   - every lot's stock equals its ledger: taken in - sold - taken out - lent + returned to stock
//     + lent goods returned to stock ("不影响");
//   - every sale's and loan's running total of returned goods is the sum of its returns, and
//     every return of goods that cannot be sold again ("影响") has its problem record and no
//     other return has one;
//   - every document the driver logged as done is in the file.
// Prints "N kills, M violations (D documents logged)", counting each different violation once;
// exits 1 on any violation or when the driver never got an action done.

#include "storage/database.h"
#include "storage/newdatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <random>

namespace
{

QString single(Database& db, const QString& sql, const QVariantList& params = {})
{
    const int handle = db.OpenTable(sql, params);
    QString value = QStringLiteral("<query failed: %1>").arg(db.lastError());
    if (handle) {
        value =
            db.IsEOF(handle) ? QString() : db.readDisplay(handle, db.columnNames(handle).value(0));
        db.CloseTable(handle);
    }
    return value;
}

// The checks of the file; each failed check adds a line.
QStringList check(const QString& path, const QString& logPath, int* logged)
{
    QStringList violations;
    Database db;
    if (!db.NewOpenDatabase(path))
        return {QStringLiteral("the file does not open: ") + db.lastError()};
    const auto expectZero = [&](const QString& what, const QString& sql) {
        const QString value = single(db, sql);
        if (value != QStringLiteral("0"))
            violations.append(what + QStringLiteral(": ") + value);
    };

    const QString integrity = single(db, QStringLiteral("PRAGMA integrity_check"));
    if (integrity != QStringLiteral("ok"))
        violations.append(QStringLiteral("integrity_check: ") + integrity);

    expectZero(QStringLiteral("stock-in documents without their lot"),
               QStringLiteral("select count(*) from 入库管理模块 d where not exists (select 1 "
                              "from 总数据库模块 m where m.入库单号=d.入库单号)"));
    expectZero(QStringLiteral("lots without their stock-in document"),
               QStringLiteral("select count(*) from 总数据库模块 m where not exists (select 1 "
                              "from 入库管理模块 d where d.入库单号=m.入库单号)"));
    // Sums per lot and per document in one pass over each table, so that a check stays quick
    // when the file holds many thousands of documents.
    expectZero(QStringLiteral("lots whose stock differs from their ledger"),
               QStringLiteral(
                   "with moves(lot, quantity) as ("
                   " select 入库单号, 入库数量 from 入库管理模块"
                   " union all select 入库单号, -销售数量 from 销售管理模块"
                   " union all select 入库单号, -出库数量 from 出库管理模块"
                   " union all select 入库单号, -借用数量 from 借用管理模块"
                   " union all select 入库单号, 退货数量 from 退货管理模块"
                   "  where 是否影响二次销售='不影响'"
                   " union all select 入库单号, 归还数量 from 归还管理模块"
                   "  where 是否影响二次销售='不影响'),"
                   " ledger(lot, stock) as (select lot, total(quantity) from moves group by lot)"
                   " select count(*) from 总数据库模块 m left join ledger l on l.lot=m.入库单号"
                   " where abs(m.产品库存 - coalesce(l.stock, 0)) > 1e-6"));
    expectZero(QStringLiteral("sales whose returned total differs from their returns"),
               QStringLiteral("with returned(sale, quantity) as (select 销售单号, total(退货数量) "
                              "from 退货管理模块 group by 销售单号) select count(*) from "
                              "销售管理模块 s left join returned r on r.sale=s.销售单号 where "
                              "abs(s.退货记录 - coalesce(r.quantity, 0)) > 1e-6"));
    expectZero(QStringLiteral("loans whose returned total differs from their returns"),
               QStringLiteral("with returned(loan, quantity) as (select 借用单号, total(归还数量) "
                              "from 归还管理模块 group by 借用单号) select count(*) from "
                              "借用管理模块 l left join returned r on r.loan=l.借用单号 where "
                              "abs(l.归还记录 - coalesce(r.quantity, 0)) > 1e-6"));
    expectZero(QStringLiteral("returns of unsellable goods without their problem record"),
               QStringLiteral("select (select count(*) from (select 退货单号 from 退货管理模块 "
                              "where 是否影响二次销售='影响' except select 退货单号 from "
                              "问题处理模块)) + (select count(*) from (select 归还单号 from "
                              "归还管理模块 where 是否影响二次销售='影响' except select 归还单号 "
                              "from 问题处理模块))"));
    expectZero(QStringLiteral("problem records without their return"),
               QStringLiteral("select count(*) from 问题处理模块 where (退货单号 is null) = "
                              "(归还单号 is null) or (coalesce(退货单号, '') not in (select "
                              "退货单号 from 退货管理模块 where 是否影响二次销售='影响') and "
                              "coalesce(归还单号, '') not in (select 归还单号 from 归还管理模块 "
                              "where 是否影响二次销售='影响'))"));

    // Every logged document, once: the numbers of each table read in one query.
    QHash<QString, QHash<QString, int>> numbers;
    const auto numbersOf = [&](const QString& table, const QString& column) {
        const QString key = table + QLatin1Char('.') + column;
        if (!numbers.contains(key)) {
            QHash<QString, int>& found = numbers[key];
            const int handle = db.OpenTable(QStringLiteral("select %2 from %1").arg(table, column));
            for (; handle && !db.IsEOF(handle); db.MoveNext(handle))
                ++found[db.readText(handle, column)];
            db.CloseTable(handle);
        }
        return numbers.value(key);
    };
    QFile log(logPath);
    *logged = 0;
    if (log.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : log.readAll().split('\n')) {
            const QStringList parts = QString::fromUtf8(line).split(QLatin1Char('\t'));
            if (parts.size() != 3)
                continue;
            ++*logged;
            const int found = numbersOf(parts[0], parts[1]).value(parts[2]);
            if (found != 1)
                violations.append(QStringLiteral("logged %1 %2 found %3 times")
                                      .arg(parts[0], parts[2])
                                      .arg(found));
        }
    }
    return violations;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const auto option = [&arguments](const QString& name, int fallback) {
        const qsizetype at = arguments.indexOf(name);
        return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
    };
    const int kills = option(QStringLiteral("--kills"), 50);
    const unsigned seed = unsigned(option(QStringLiteral("--seed"), 20180305));

    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("datalx.mdb"));
    const QString logPath = QDir(dir.path()).filePath(QStringLiteral("done.log"));
    if (!createDatabaseFile(path).isEmpty())
        return 2;
    const QString driver =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("crash_driver"));

    // A private runtime folder for the driver's window system, as a desktop session gives one.
    QDir(dir.path()).mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(QDir(dir.path()).filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                       QDir(dir.path()).filePath(QStringLiteral("runtime")));

    std::mt19937 random(seed);
    QSet<QString> violations;
    int logged = 0;
    for (int round = 0; round < kills; ++round) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setProcessEnvironment(environment);
        process.start(driver, {dir.path(), logPath, QString::number(seed + unsigned(round))});
        if (!process.waitForStarted()) {
            std::fprintf(stderr, "cannot start %s\n", qPrintable(driver));
            return 2;
        }
        if (round % 5 == 4) {
            QThread::msleep(random() % 400);
        } else {
            if (!process.waitForReadyRead(30000))
                std::fprintf(stderr, "round %d: the driver did not get ready\n", round);
            QThread::msleep(random() % 500);
        }
        if (process.state() != QProcess::Running) {
            violations.insert(QStringLiteral("the driver ended by itself"));
            std::fprintf(stderr, "round %d: the driver ended by itself (exit code %d)\n", round,
                         process.exitCode());
        }
        process.kill();
        process.waitForFinished();

        const QStringList found = check(path, logPath, &logged);
        for (const QString& violation : found) {
            if (!violations.contains(violation))
                std::fprintf(stderr, "round %d: %s\n", round, qPrintable(violation));
            violations.insert(violation);
        }
    }

    std::printf("%d kills, %d violations (%d documents logged)\n", kills, int(violations.size()),
                logged);
    return violations.isEmpty() && logged > 0 ? 0 : 1;
}
