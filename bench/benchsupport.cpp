// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/benchsupport.h"

#include "storage/database.h"
#include "storage/newdatabase.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

QStringList sampleLot(int i)
{
    static const QStringList names = {QStringLiteral("不锈钢螺丝 M4×20"),
                                      QStringLiteral("六角螺母 M4"),
                                      QStringLiteral("活动扳手 250mm"),
                                      QStringLiteral("电工胶带 黑色"),
                                      QStringLiteral("十字螺丝刀（大号，带磁性刀头）"),
                                      QStringLiteral("LED 灯泡 9W 暖白")};
    static const QStringList units = {QStringLiteral("盒"), QStringLiteral("个"),
                                      QStringLiteral("把"), QStringLiteral("千克")};
    static const QStringList remarks = {QStringLiteral("无"), QStringLiteral("散装"),
                                        QStringLiteral("借用频繁，注意归还"),
                                        QStringLiteral("退货产品")};
    const QString stock =
        i % 4 == 0 ? QStringLiteral("%1.5").arg(i % 300) : QString::number(i % 500 + 1);
    return {QStringLiteral("rk2018%1").arg(3500000 + i),
            QStringLiteral("69%1").arg(i, 11, 10, QLatin1Char('0')),
            names.at(i % names.size()) + QStringLiteral(" %1号").arg(i % 977),
            stock,
            units.at(i % units.size()),
            remarks.at(i % remarks.size())};
}

bool makeStockDatabase(const QString& path, int lots)
{
    const QString error = createDatabaseFile(path);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), qPrintable(error));
        return false;
    }
    Database db;
    if (!db.NewOpenDatabase(path) || !db.BeginTrans())
        return false;
    const QString insert = QStringLiteral("insert into 总数据库模块(入库单号,产品ID,产品名称,"
                                          "产品库存,产品单位,备注)values(?,?,?,?,?,?)");
    for (int i = 0; i < lots; ++i) {
        const QStringList lot = sampleLot(i);
        QVariantList values;
        for (const QString& value : lot)
            values.append(value);
        if (!db.ExecuteSql(insert, values)) {
            std::fprintf(stderr, "cannot add lot %d: %s\n", i, qPrintable(db.lastError()));
            return false;
        }
    }
    return db.CommitTrans();
}

MessageAnswer QuietDialogs::showMessage(const MessageRequest& request)
{
    lastText = request.text;
    if (!quiet)
        std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
    return request.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

std::optional<QString> QuietDialogs::showInput(const InputRequest& request)
{
    lastText = request.prompt;
    if (!quiet)
        std::fprintf(stderr, "input box: %s\n", qPrintable(request.prompt));
    return std::nullopt;
}

qint64 nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

qint64 cpuNowNs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

ProcessTime timeProcess(const QStringList& command, const QString& outputFile,
                        QString* capturedStdout)
{
    ProcessTime time;
    std::vector<QByteArray> arguments;
    for (const QString& argument : command)
        arguments.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeEnds[2] = {-1, -1};
    if (capturedStdout) {
        if (pipe(pipeEnds) != 0)
            return time;
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    } else if (!outputFile.isEmpty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO,
                                         outputFile.toLocal8Bit().constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }

    const qint64 start = nowNs();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        return time;
    }
    if (capturedStdout) {
        close(pipeEnds[1]);
        QByteArray output;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
            output.append(buffer, got);
        close(pipeEnds[0]);
        *capturedStdout = QString::fromLocal8Bit(output);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const qint64 elapsed = nowNs() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        return time;
    }
    const auto ns = [](const timeval& value) {
        return qint64(value.tv_sec) * 1000000000 + qint64(value.tv_usec) * 1000;
    };
    time.wallNs = elapsed;
    time.cpuNs = ns(usage.ru_utime) + ns(usage.ru_stime);
    return time;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printResult(const QString& what, const QString& comparedWith,
                 const std::vector<double>& oursMs, const std::vector<double>& theirsMs,
                 const QString& goal, Measure measure)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < oursMs.size() && i < theirsMs.size(); ++i) {
        if (theirsMs[i] > 0)
            ratios.push_back(oursMs[i] / theirsMs[i]);
    }
    // Two decimals, or as many as a ratio far below 1 needs to show.
    const double ratio = median(ratios);
    const int decimals = ratio >= 0.1 || ratio <= 0 ? 2 : 1 - int(std::floor(std::log10(ratio)));
    std::printf("RESULT|%s|%s|%.2f|%.2f|%.*f|%s|%s\n", qPrintable(what), qPrintable(comparedWith),
                median(oursMs), median(theirsMs), decimals, ratio, qPrintable(goal),
                measure == Measure::Cpu ? "cpu" : "wall");
    std::fflush(stdout);
}

void printGoal(const QString& what, const std::vector<double>& runsMs, const QString& goal,
               Measure measure)
{
    std::printf("RESULT|%s|absolute (median of %zu runs)|%.2f|||%s ms|%s\n", qPrintable(what),
                runsMs.size(), median(runsMs), qPrintable(goal),
                measure == Measure::Cpu ? "cpu" : "wall");
    std::fflush(stdout);
}

void printRatio(const QString& what, const QString& detail, double ratio, const QString& goal)
{
    std::printf("RESULT|%s|%s|||%.2f|%s|\n", qPrintable(what), qPrintable(detail), ratio,
                qPrintable(goal));
    std::fflush(stdout);
}

void printFigure(const QString& what, const QString& detail, const QString& value)
{
    std::printf("RESULT|%s|%s|%s||||\n", qPrintable(what), qPrintable(detail), qPrintable(value));
    std::fflush(stdout);
}
