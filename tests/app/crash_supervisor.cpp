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
    expectZero(
        QStringLiteral("lots whose stock differs from their ledger"),
        QStringLiteral("select count(*) from 总数据库模块 m where abs(m.产品库存 - ("
                       " (select total(入库数量) from 入库管理模块 where 入库单号=m.入库单号)"
                       " - (select total(销售数量) from 销售管理模块 where 入库单号=m.入库单号)"
                       " - (select total(出库数量) from 出库管理模块 where 入库单号=m.入库单号)"
                       " - (select total(借用数量) from 借用管理模块 where 入库单号=m.入库单号)"
                       " + (select total(退货数量) from 退货管理模块 where 入库单号=m.入库单号"
                       "    and 是否影响二次销售='不影响')"
                       " + (select total(归还数量) from 归还管理模块 where 入库单号=m.入库单号"
                       "    and 是否影响二次销售='不影响'))) > 1e-6"));
    expectZero(
        QStringLiteral("sales whose returned total differs from their returns"),
        QStringLiteral("select count(*) from 销售管理模块 s where abs(s.退货记录 - (select "
                       "total(退货数量) from 退货管理模块 where 销售单号=s.销售单号)) > 1e-6"));
    expectZero(
        QStringLiteral("loans whose returned total differs from their returns"),
        QStringLiteral("select count(*) from 借用管理模块 l where abs(l.归还记录 - (select "
                       "total(归还数量) from 归还管理模块 where 借用单号=l.借用单号)) > 1e-6"));
    expectZero(QStringLiteral("returns of unsellable goods without their problem record"),
               QStringLiteral(
                   "select (select count(*) from 退货管理模块 r where 是否影响二次销售='影响' "
                   "and not exists (select 1 from 问题处理模块 p where p.退货单号=r.退货单号))"
                   " + (select count(*) from 归还管理模块 g where 是否影响二次销售='影响' "
                   "and not exists (select 1 from 问题处理模块 p where p.归还单号=g.归还单号))"));
    expectZero(
        QStringLiteral("problem records without their return"),
        QStringLiteral("select count(*) from 问题处理模块 p where not exists (select 1 from "
                       "退货管理模块 r where r.退货单号=p.退货单号 and 是否影响二次销售='影响') "
                       "and not exists (select 1 from 归还管理模块 g where g.归还单号=p.归还单号 "
                       "and 是否影响二次销售='影响')"));

    // Every logged document, once.
    QFile log(logPath);
    *logged = 0;
    if (log.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : log.readAll().split('\n')) {
            const QStringList parts = QString::fromUtf8(line).split(QLatin1Char('\t'));
            if (parts.size() != 3)
                continue;
            ++*logged;
            const QString found = single(
                db, QStringLiteral("select count(*) from %1 where %2=? ").arg(parts[0], parts[1]),
                {parts[2]});
            if (found != QStringLiteral("1"))
                violations.append(
                    QStringLiteral("logged %1 %2 found %3 times").arg(parts[0], parts[2], found));
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
