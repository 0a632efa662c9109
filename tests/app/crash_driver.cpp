// SPDX-License-Identifier: GPL-3.0-or-later
// The program under the crash test: seeded random stock-ins, sales, stock-outs, loans and both
// kinds of returns ("影响" and "不影响"), each entered in its window offscreen as an operator
// would, against the database file of a data directory. Every action a window reported as done
// is appended to the log, with the numbers of the documents it wrote, and flushed to disk before
// the next action starts. It runs until it is killed.
//   crash_driver DATA_DIRECTORY LOG_FILE SEED
// Prints "ready" once its windows are open. Each run works on a day of its own (from the seed),
// so that the runs' document numbers differ as the days of a real shop do.

#include "core/clock.h"
#include "core/context.h"
#include "movements/windows.h"
#include "returns/windows.h"
#include "storage/database.h"
#include "ui/dialogservice.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <random>
#include <unistd.h>

namespace
{

// Answers every box as the driver was told: the next input texts in order, "No" to the question
// after a stock-in (the window closes), OK to every message; keeps the last message.
class AnsweringDialogs : public DialogService
{
public:
    QStringList inputs;
    QString lastMessage;

protected:
    MessageAnswer showMessage(const MessageRequest& request) override
    {
        lastMessage = request.text;
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    std::optional<QString> showInput(const InputRequest&) override
    {
        if (inputs.isEmpty())
            return std::nullopt;
        return inputs.takeFirst();
    }
};

// The log of done actions: one line per document, "table<TAB>number column<TAB>number", each
// on disk before the driver goes on.
class DoneLog
{
public:
    explicit DoneLog(const QString& path)
        : mFile(open(path.toLocal8Bit().constData(), O_WRONLY | O_APPEND | O_CREAT, 0644))
    {
    }
    ~DoneLog() { close(mFile); }
    bool isOpen() const { return mFile >= 0; }

    void record(const QStringList& lines)
    {
        const QByteArray text = lines.join(QLatin1Char('\n')).toUtf8() + '\n';
        if (write(mFile, text.constData(), std::size_t(text.size())) != text.size() ||
            fsync(mFile) != 0) {
            std::perror("log");
            std::exit(4);
        }
    }

private:
    int mFile;
};

class Driver
{
public:
    Driver(AppContext& context, AnsweringDialogs& dialogs, DoneLog& log, unsigned seed)
        : mContext(context), mDialogs(dialogs), mLog(log), mRandom(seed)
    {
        mSales.reset(openSalesWindow(context));
        mStockOut.reset(openStockOutWindow(context));
        mLending.reset(openBorrowingWindow(context));
        mSalesReturns.reset(openSalesReturnsWindow(context));
        mLoanReturns.reset(openLoanReturnsWindow(context));
    }

    void step()
    {
        const int roll = below(100);
        if (roll < 15)
            stockIn();
        else if (roll < 35)
            reduce(mSales.get(), "按钮_查找xs", "超级列表框_销售", "按钮_销售", "销售管理模块",
                   "销售单号");
        else if (roll < 47)
            reduce(mStockOut.get(), "按钮_查找", "超级列表框_出库", "按钮_出库", "出库管理模块",
                   "出库单号");
        else if (roll < 62)
            reduce(mLending.get(), "按钮_查找jy", "超级列表框_借用", "按钮_借用", "借用管理模块",
                   "借用单号");
        else if (roll < 81)
            giveBack(mSalesReturns.get(), "按钮_查找th", "超级列表框_退货", "编辑框_退货数量",
                     "按钮_退货", "退货管理模块", "退货单号");
        else
            giveBack(mLoanReturns.get(), "按钮_查找gh", "超级列表框_归还", "编辑框_归还数量",
                     "按钮_归还", "归还管理模块", "归还单号");
    }

private:
    int below(int n) { return int(mRandom() % unsigned(n)); }

    // A quantity as an operator types it: mostly whole, sometimes with a half.
    QString quantity(int most)
    {
        const int whole = 1 + below(most);
        return below(4) == 0 ? QStringLiteral("%1.5").arg(whole) : QString::number(whole);
    }

    // The number of the newest document of a table, read after the window said it was done.
    QString newestNumber(const char* table, const char* column)
    {
        Database& db = mContext.database();
        const int handle =
            db.OpenTable(QStringLiteral("select %2 from %1 where rowid=(select "
                                        "max(rowid) from %1)")
                             .arg(QString::fromUtf8(table), QString::fromUtf8(column)));
        const QString number = handle && !db.IsEOF(handle)
                                   ? db.readText(handle, QString::fromUtf8(column))
                                   : QString();
        db.CloseTable(handle);
        return number;
    }

    QString logLine(const char* table, const char* column)
    {
        return QStringLiteral("%1\t%2\t%3")
            .arg(QString::fromUtf8(table), QString::fromUtf8(column), newestNumber(table, column));
    }

    void press(QWidget* window, const char* button)
    {
        mDialogs.lastMessage.clear();
        QTest::mouseClick(window->findChild<QPushButton*>(QString::fromUtf8(button)),
                          Qt::LeftButton);
    }

    void stockIn()
    {
        mDialogs.inputs = {QStringLiteral("69%1").arg(below(1000))};
        QWidget* window = openStockInWindow(mContext);
        if (!window)
            return;
        window->findChild<QLineEdit*>(QStringLiteral("编辑框_名称"))
            ->setText(QStringLiteral("货品%1").arg(below(1000)));
        window->findChild<QLineEdit*>(QStringLiteral("编辑框_数量"))->setText(quantity(20));
        press(window, "按钮_添加");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (mDialogs.lastMessage == QStringLiteral("产品入库成功是否继续添加"))
            mLog.record({logLine("入库管理模块", "入库单号"), logLine("总数据库模块", "入库单号")});
    }

    // Lists every row again and selects one of them; false when the list is empty.
    bool pickRow(QWidget* window, const char* find, const char* listName)
    {
        window->findChild<QLineEdit*>(QStringLiteral("编辑框_查找"))->clear();
        QTest::mouseClick(window->findChild<QPushButton*>(QString::fromUtf8(find)), Qt::LeftButton);
        auto* list = window->findChild<ReportList*>(QString::fromUtf8(listName));
        if (list->rowCount() == 0)
            return false;
        list->setCurrentRow(below(list->rowCount()));
        return true;
    }

    void reduce(QWidget* window, const char* find, const char* list, const char* button,
                const char* table, const char* column)
    {
        if (!pickRow(window, find, list))
            return;
        if (window == mSales.get()) {
            mDialogs.inputs = {QString::number(1 + below(4))};
        } else {
            if (window == mLending.get())
                window->findChild<QLineEdit*>(QStringLiteral("编辑框_人员"))
                    ->setText(QStringLiteral("维修部"));
            window->findChild<QLineEdit*>(QStringLiteral("编辑框_数量"))->setText(quantity(4));
        }
        press(window, button);
        if (mDialogs.lastMessage == QStringLiteral("操作成功"))
            mLog.record({logLine(table, column)});
    }

    void giveBack(QWidget* window, const char* find, const char* list, const char* quantityBox,
                  const char* button, const char* table, const char* column)
    {
        if (!pickRow(window, find, list))
            return;
        window->findChild<QLineEdit*>(QString::fromUtf8(quantityBox))->setText(quantity(3));
        const bool affects = below(3) == 0;
        window
            ->findChild<QRadioButton*>(affects ? QStringLiteral("单选框_影响")
                                               : QStringLiteral("单选框_不影响"))
            ->setChecked(true);
        press(window, button);
        if (mDialogs.lastMessage != QStringLiteral("操作成功"))
            return;
        QStringList lines = {logLine(table, column)};
        if (affects)
            lines.append(logLine("问题处理模块", "问题单号"));
        mLog.record(lines);
    }

    AppContext& mContext;
    AnsweringDialogs& mDialogs;
    DoneLog& mLog;
    std::mt19937 mRandom;
    std::unique_ptr<QWidget> mSales;
    std::unique_ptr<QWidget> mStockOut;
    std::unique_ptr<QWidget> mLending;
    std::unique_ptr<QWidget> mSalesReturns;
    std::unique_ptr<QWidget> mLoanReturns;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: crash_driver DATA_DIRECTORY LOG_FILE SEED\n");
        return 2;
    }
    const unsigned seed = unsigned(std::strtoul(argv[3], nullptr, 10));

    AnsweringDialogs dialogs;
    FixedClock clock(QDateTime(QDate(2000, 1, 1).addDays(seed % 20000), QTime(8, 0)));
    AppContext context(dialogs, clock, QString::fromLocal8Bit(argv[1]));
    QWidget mainWindow;
    context.setMainWindow(&mainWindow);
    context.setSessionUser(QStringLiteral("admin"));
    DoneLog log(QString::fromLocal8Bit(argv[2]));
    if (!log.isOpen() || !context.database().NewOpenDatabase(context.databasePath())) {
        std::fprintf(stderr, "cannot open the log or the database\n");
        return 3;
    }

    Driver driver(context, dialogs, log, seed);
    std::printf("ready\n");
    std::fflush(stdout);
    for (int step = 0; step < 1000000; ++step)
        driver.step();
    return 0;
}
