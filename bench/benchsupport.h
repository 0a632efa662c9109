// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the benchmark programs share: sample databases of stock lots, a quiet dialog service,
// timing of child processes, medians, and the result lines bench/run.sh turns into its table.

#include "ui/dialogservice.h"

#include <QString>
#include <QStringList>

#include <vector>

class Database;

// Runs of each side of a comparison (the median is taken over them).
constexpr int kRuns = 7;

// Fills a new datalx.mdb at path with lots stock lots (lot numbers, product IDs, Chinese names,
// whole and decimal stocks, units and remarks as a shop has them). Returns false on failure.
bool makeStockDatabase(const QString& path, int lots);

// The sample lot i as the bench databases hold it: 入库单号, 产品ID, 产品名称, 产品库存, 产品单位,
// 备注.
QStringList sampleLot(int i);

// Answers every box with OK (Yes to a question, a cancelled input box), keeping the last text;
// the boxes are noted on stderr unless quiet.
class QuietDialogs : public DialogService
{
public:
    bool quiet = false;
    QString lastText;

protected:
    MessageAnswer showMessage(const MessageRequest& request) override;
    std::optional<QString> showInput(const InputRequest& request) override;
};

// Nanoseconds of a monotonic clock.
qint64 nowNs();
// Nanoseconds of processor time (user and system) this process has used.
qint64 cpuNowNs();

// The time a child process took: wall time from start to exit, and the processor time (user and
// system) it used. A figure measured in processor time is not inflated when other programs keep
// the machine busy; a figure that waits for the disk needs the wall time.
struct ProcessTime {
    qint64 wallNs = -1;
    qint64 cpuNs = -1;
    bool ok() const { return wallNs >= 0; }
};

// Starts the program with its arguments (stdout to outputFile when given, into capturedStdout
// when given, else inherited) and waits for it; not ok when it could not run or failed.
ProcessTime timeProcess(const QStringList& command, const QString& outputFile = {},
                        QString* capturedStdout = nullptr);

double median(std::vector<double> values);

// Which clock a row was measured with.
enum class Measure { Cpu, Wall };

// One row of the suite's table, printed as a line run.sh picks up:
//   RESULT|what|compared with|ours (ms)|theirs (ms)|ratio|goal|cpu or wall
// The runs of both sides are given in the order they were taken, pairwise (ours[i] was measured
// next to theirs[i]); the times printed are the medians of each side, the ratio is the median of
// the runs' ratios, which a machine that is busy now and then disturbs least.
void printResult(const QString& what, const QString& comparedWith,
                 const std::vector<double>& oursMs, const std::vector<double>& theirsMs,
                 const QString& goal, Measure measure);
// A time against a goal of its own (in ms, "<= 100"): RESULT|what|detail|median ms|||goal|clock
void printGoal(const QString& what, const std::vector<double>& runsMs, const QString& goal,
               Measure measure);
// A ratio measured otherwise (memory): RESULT|what|detail|||ratio|goal|
void printRatio(const QString& what, const QString& detail, double ratio, const QString& goal);
// A figure without a comparison: RESULT|what|detail|value||||
void printFigure(const QString& what, const QString& detail, const QString& value);
