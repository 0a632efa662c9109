// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/yearsdata.h"

#include "bench/benchsupport.h"
#include "storage/newdatabase.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>

#include <sqlite3.h>

#include <cstdio>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace
{

// Changed whenever the generated data changes; the schema's own text is part of the marker too.
constexpr const char* kGeneratorVersion = "years-1";

QByteArray markerText()
{
    return QByteArray(kGeneratorVersion) + ' ' +
           QCryptographicHash::hash(schemaText().toUtf8(), QCryptographicHash::Sha1).toHex();
}

const char* const kPersons[] = {"admin", "张伟", "王芳", "李娜", "刘洋", "陈静"};
const char* const kStockOutReasons[] = {"报损", "调拨至二号仓库", "样品", "盘亏"};
const char* const kReturnReasons[] = {"质量问题", "顾客不满意", "发错货", "包装破损"};
const char* const kBorrowers[] = {"工程部 张工", "维修组 李师傅", "行政部 王主任", "展厅"};
const char* const kRemarks[] = {"", "", "", "无", "老客户", "发票已开"};

// A prepared statement whose texts are bound one after the other.
class Insert
{
public:
    Insert(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &mStatement, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "cannot prepare %s: %s\n", sql, sqlite3_errmsg(db));
    }
    ~Insert() { sqlite3_finalize(mStatement); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& text(const std::string& value)
    {
        sqlite3_bind_text(mStatement, ++mBound, value.data(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& text(const char* value) { return text(std::string(value)); }
    Insert& text(const QString& value) { return text(value.toStdString()); }
    Insert& real(double value)
    {
        sqlite3_bind_double(mStatement, ++mBound, value);
        return *this;
    }
    bool run()
    {
        const bool ok = mStatement && sqlite3_step(mStatement) == SQLITE_DONE;
        sqlite3_reset(mStatement);
        mBound = 0;
        return ok;
    }

private:
    sqlite3_stmt* mStatement = nullptr;
    int mBound = 0;
};

// Document numbers as the windows make them: the prefix and the timestamp digits without leading
// zeros; a number already made moves on to the next second.
class Numbers
{
public:
    explicit Numbers(const char* prefix) : mPrefix(prefix) {}
    std::string make(QDateTime time)
    {
        for (;;) {
            const QDate d = time.date();
            const QTime t = time.time();
            std::string number = mPrefix + std::to_string(d.year()) + std::to_string(d.month()) +
                                 std::to_string(d.day()) + std::to_string(t.hour()) +
                                 std::to_string(t.minute()) + std::to_string(t.second());
            if (mMade.insert(number).second)
                return number;
            time = time.addSecs(1);
        }
    }

private:
    std::string mPrefix;
    std::unordered_set<std::string> mMade;
};

const QDateTime kFirstDay(QDate(2016, 1, 1), QTime(8, 0));
constexpr qint64 kSpanSeconds = 3LL * 365 * 86400;

// The moment of document i of count, spread evenly over the three years.
QDateTime momentOf(qint64 i, qint64 count)
{
    return kFirstDay.addSecs(i * kSpanSeconds / count);
}

std::string dateOf(const QDateTime& time)
{
    const QDate d = time.date();
    return std::to_string(d.year()) + '-' + std::to_string(d.month()) + '-' +
           std::to_string(d.day());
}

std::string numberText(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    return buffer;
}

bool generate(const QString& path)
{
    const int lots = YearsData::kLots;
    std::mt19937 random(20181231);
    // A fiftieth of the documents name the busiest lot (lot 0), the rest any other lot.
    const auto pickLot = [&random, lots]() {
        return random() % 50 == 0 ? 0 : 1 + int(random() % unsigned(lots - 1));
    };
    std::vector<double> out(std::size_t(lots), 0); // quantity that left each lot for good

    struct Moved {
        int lot;
        int quantity;
    };
    std::vector<Moved> sales(YearsData::kSales);
    for (Moved& sale : sales) {
        sale.lot = pickLot();
        sale.quantity = 1 + int(random() % 5);
        out[std::size_t(sale.lot)] += sale.quantity;
    }
    std::vector<Moved> stockOuts(YearsData::kStockOuts);
    for (Moved& stockOut : stockOuts) {
        stockOut.lot = pickLot();
        stockOut.quantity = 1 + int(random() % 3);
        out[std::size_t(stockOut.lot)] += stockOut.quantity;
    }
    // Sales returns: one piece of a distinct sale each; every fifth cannot be sold again.
    std::vector<int> returnedSale(YearsData::kSalesReturns);
    std::vector<double> returned(sales.size(), 0);
    for (int j = 0; j < YearsData::kSalesReturns; ++j) {
        const int sale = int((qint64(j) * 9973 + 17) % YearsData::kSales);
        returnedSale[std::size_t(j)] = sale;
        returned[std::size_t(sale)] = 1;
        if (j % 5 != 0)
            out[std::size_t(sales[std::size_t(sale)].lot)] -= 1;
    }
    // Loans, each returned whole; every fifth return cannot be sold again.
    std::vector<Moved> loans(YearsData::kLoans);
    for (int j = 0; j < YearsData::kLoans; ++j) {
        loans[std::size_t(j)] = {pickLot(), 1 + int(random() % 2)};
        if (j % 5 == 0)
            out[std::size_t(loans[std::size_t(j)].lot)] += loans[std::size_t(j)].quantity;
    }

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_exec(db,
                 "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-200000;"
                 "BEGIN",
                 nullptr, nullptr, nullptr);
    bool ok = true;
    std::vector<std::string> lotNumber(static_cast<std::size_t>(lots));
    std::vector<QStringList> lotFields(static_cast<std::size_t>(lots));
    {
        Insert stockIn(db, "insert into 入库管理模块(入库单号,产品ID,产品名称,入库数量,产品单位,"
                           "入库时间,入库人员,备注)values(?,?,?,?,?,?,?,?)");
        Insert lot(db, "insert into 总数据库模块(入库单号,产品ID,产品名称,产品库存,产品单位,"
                       "备注)values(?,?,?,?,?,?)");
        for (int i = 0; i < lots && ok; ++i) {
            const QStringList fields = sampleLot(i);
            const double stock = fields.at(3).toDouble();
            lotNumber[std::size_t(i)] = fields.at(0).toStdString();
            lotFields[std::size_t(i)] = fields;
            const std::string when = dateOf(momentOf(i, lots));
            ok = stockIn.text(fields.at(0))
                     .text(fields.at(1))
                     .text(fields.at(2))
                     .text(numberText(stock + out[std::size_t(i)]))
                     .text(fields.at(4))
                     .text(when)
                     .text(kPersons[i % 6])
                     .text(fields.at(5))
                     .run() &&
                 lot.text(fields.at(0))
                     .text(fields.at(1))
                     .text(fields.at(2))
                     .real(stock)
                     .text(fields.at(4))
                     .text(fields.at(5))
                     .run();
        }
    }
    Numbers saleNumbers("xs");
    std::vector<std::string> saleNumber(sales.size());
    {
        Insert sale(db, "insert into 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,"
                        "产品单位,销售单价,销售时间,销售人员,退货记录,备注)"
                        "values(?,?,?,?,?,?,?,?,?,?,?)");
        for (std::size_t i = 0; i < sales.size() && ok; ++i) {
            const QDateTime when = momentOf(qint64(i), qint64(sales.size()));
            const int lotIndex = sales[i].lot;
            const QStringList& fields = lotFields[std::size_t(lotIndex)];
            saleNumber[i] = saleNumbers.make(when);
            ok = sale.text(saleNumber[i])
                     .text(lotNumber[std::size_t(lotIndex)])
                     .text(fields.at(1))
                     .text(fields.at(2))
                     .real(sales[i].quantity)
                     .text(fields.at(4))
                     .text(numberText(double(5 + lotIndex % 200) + (i % 2 ? 0.5 : 0)))
                     .text(dateOf(when))
                     .text(kPersons[i % 6])
                     .real(returned[i])
                     .text(kRemarks[i % 6])
                     .run();
        }
    }
    {
        Insert stockOut(db, "insert into 出库管理模块(出库单号,入库单号,产品ID,产品名称,出库数量,"
                            "产品单位,出库原因,出库时间,操作人员,备注)values(?,?,?,?,?,?,?,?,?,?)");
        Numbers numbers("ck");
        for (std::size_t i = 0; i < stockOuts.size() && ok; ++i) {
            const QDateTime when = momentOf(qint64(i), qint64(stockOuts.size()));
            const int lotIndex = stockOuts[i].lot;
            const QStringList& fields = lotFields[std::size_t(lotIndex)];
            ok = stockOut.text(numbers.make(when))
                     .text(lotNumber[std::size_t(lotIndex)])
                     .text(fields.at(1))
                     .text(fields.at(2))
                     .text(std::to_string(stockOuts[i].quantity))
                     .text(fields.at(4))
                     .text(kStockOutReasons[i % 4])
                     .text(dateOf(when))
                     .text(kPersons[i % 6])
                     .text(kRemarks[i % 6])
                     .run();
        }
    }
    Numbers problemNumbers("wt");
    Insert problem(db, "insert into 问题处理模块(问题单号,入库单号,销售单号,退货单号,借用单号,"
                       "归还单号,产品ID,产品名称,问题数量,产品单位,问题原因,发现时间,录入人员,"
                       "备注)values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    {
        Insert salesReturn(db, "insert into 退货管理模块(退货单号,销售单号,入库单号,产品ID,"
                               "产品名称,退货数量,产品单位,退货原因,是否影响二次销售,退货时间,"
                               "操作人员,备注)values(?,?,?,?,?,?,?,?,?,?,?,?)");
        Numbers numbers("th");
        for (int j = 0; j < YearsData::kSalesReturns && ok; ++j) {
            const int saleIndex = returnedSale[std::size_t(j)];
            // A return comes a day after its sale at the earliest.
            const QDateTime when =
                momentOf(saleIndex, qint64(sales.size())).addSecs(86400 + (j % 7) * 3600);
            const int lotIndex = sales[std::size_t(saleIndex)].lot;
            const QStringList& fields = lotFields[std::size_t(lotIndex)];
            const bool lost = j % 5 == 0;
            const std::string number = numbers.make(when);
            ok = salesReturn.text(number)
                     .text(saleNumber[std::size_t(saleIndex)])
                     .text(lotNumber[std::size_t(lotIndex)])
                     .text(fields.at(1))
                     .text(fields.at(2))
                     .text("1")
                     .text(fields.at(4))
                     .text(kReturnReasons[j % 4])
                     .text(lost ? "影响" : "不影响")
                     .text(dateOf(when))
                     .text(kPersons[j % 6])
                     .text("")
                     .run();
            if (ok && lost)
                ok = problem.text(problemNumbers.make(when))
                         .text(lotNumber[std::size_t(lotIndex)])
                         .text(saleNumber[std::size_t(saleIndex)])
                         .text(number)
                         .text("")
                         .text("")
                         .text(fields.at(1))
                         .text(fields.at(2))
                         .text("1")
                         .text(fields.at(4))
                         .text("退货且无法再次销售")
                         .text(dateOf(when))
                         .text(kPersons[j % 6])
                         .text("")
                         .run();
        }
    }
    {
        Insert loan(db, "insert into 借用管理模块(借用单号,入库单号,产品ID,产品名称,借用数量,"
                        "产品单位,借用人员单位,借用时间,审批人员,备注,归还记录)"
                        "values(?,?,?,?,?,?,?,?,?,?,?)");
        Insert loanReturn(db, "insert into 归还管理模块(归还单号,借用单号,入库单号,产品ID,"
                              "产品名称,归还数量,产品单位,归还人员,是否影响二次销售,归还时间,"
                              "接收人员,备注)values(?,?,?,?,?,?,?,?,?,?,?,?)");
        Numbers loanNumbers("jy");
        Numbers returnNumbers("gh");
        for (std::size_t j = 0; j < loans.size() && ok; ++j) {
            const QDateTime when = momentOf(qint64(j), qint64(loans.size()));
            const QDateTime back = when.addSecs(3 * 86400);
            const int lotIndex = loans[j].lot;
            const QStringList& fields = lotFields[std::size_t(lotIndex)];
            const std::string quantity = std::to_string(loans[j].quantity);
            const std::string loanNumber = loanNumbers.make(when);
            const std::string returnNumber = returnNumbers.make(back);
            const bool lost = j % 5 == 0;
            ok = loan.text(loanNumber)
                     .text(lotNumber[std::size_t(lotIndex)])
                     .text(fields.at(1))
                     .text(fields.at(2))
                     .real(loans[j].quantity)
                     .text(fields.at(4))
                     .text(kBorrowers[j % 4])
                     .text(dateOf(when))
                     .text("admin")
                     .text(kRemarks[j % 6])
                     .real(loans[j].quantity)
                     .run() &&
                 loanReturn.text(returnNumber)
                     .text(loanNumber)
                     .text(lotNumber[std::size_t(lotIndex)])
                     .text(fields.at(1))
                     .text(fields.at(2))
                     .text(quantity)
                     .text(fields.at(4))
                     .text(kBorrowers[j % 4])
                     .text(lost ? "影响" : "不影响")
                     .text(dateOf(back))
                     .text(kPersons[j % 6])
                     .text("")
                     .run();
            if (ok && lost)
                ok = problem.text(problemNumbers.make(back))
                         .text(lotNumber[std::size_t(lotIndex)])
                         .text("")
                         .text("")
                         .text(loanNumber)
                         .text(returnNumber)
                         .text(fields.at(1))
                         .text(fields.at(2))
                         .text(quantity)
                         .text(fields.at(4))
                         .text("归还且无法再次销售")
                         .text(dateOf(back))
                         .text(kPersons[j % 6])
                         .text("")
                         .run();
        }
    }
    if (!ok)
        std::fprintf(stderr, "cannot fill %s: %s\n", qPrintable(path), sqlite3_errmsg(db));
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace

bool ensureYearsDatabase(const QString& path)
{
    const QString markerPath = path + QStringLiteral(".made");
    QFile marker(markerPath);
    if (QFile::exists(path) && marker.open(QIODevice::ReadOnly) &&
        marker.readAll().trimmed() == markerText())
        return true;
    marker.close();
    QFile::remove(path);
    QFile::remove(markerPath);

    std::fprintf(stderr, "making the three-year database %s ...\n", qPrintable(path));
    const qint64 start = nowNs();
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    const QString error = createDatabaseFile(part);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(part), qPrintable(error));
        return false;
    }
    if (!generate(part) || !QFile::rename(part, path)) {
        QFile::remove(part);
        return false;
    }
    if (!marker.open(QIODevice::WriteOnly) || marker.write(markerText() + '\n') < 0)
        return false;
    std::fprintf(stderr, "made in %.1f s\n", double(nowNs() - start) / 1e9);
    return true;
}

qint64 totalRows(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    qint64 rows = 0;
    sqlite3_stmt* tables = nullptr;
    sqlite3_prepare_v2(db, "select name from sqlite_master where type='table'", -1, &tables,
                       nullptr);
    while (tables && sqlite3_step(tables) == SQLITE_ROW) {
        const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
        sqlite3_stmt* count = nullptr;
        const std::string sql = "select count(*) from \"" + name + "\"";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &count, nullptr) == SQLITE_OK &&
            sqlite3_step(count) == SQLITE_ROW)
            rows += sqlite3_column_int64(count, 0);
        sqlite3_finalize(count);
    }
    sqlite3_finalize(tables);
    sqlite3_close(db);
    return rows;
}
