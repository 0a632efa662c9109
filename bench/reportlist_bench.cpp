// SPDX-License-Identifier: GPL-3.0-or-later
// Filling a report list with a long stock list.
//   reportlist_bench [ROWS]     (default 100000; run with QT_QPA_PLATFORM=offscreen if no display)
// Builds rows of nine texts as the stock list shows them, then times: appendRows() into a shown
// list, the layout and first paint that follow, clear(), a refill, and the row-by-row way
// (appendRow() + setCell() per cell) for comparison.
#include "ui/reportlist.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <vector>

namespace
{

const int kColumns = 9;

std::vector<QStringList> stockRows(int count)
{
    std::vector<QStringList> rows;
    rows.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        rows.push_back({QString::number(i + 1), QStringLiteral("rk2018351%1").arg(i),
                        QStringLiteral("69%1").arg(i, 11, 10, QLatin1Char('0')),
                        QStringLiteral("产品名称%1").arg(i % 977), QStringLiteral("个"),
                        QString::number(i % 250), QString::number((i % 90) + 0.5),
                        QStringLiteral("2018年3月5日"), QStringLiteral("备注")});
    }
    return rows;
}

double ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Lets the list lay out its rows and paint the visible ones.
void settle(ReportList& list)
{
    QCoreApplication::processEvents();
    list.viewport()->repaint();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: reportlist_bench [ROWS]\n");
        return 2;
    }

    ReportList list;
    QList<ReportColumn> columns;
    for (int c = 0; c < kColumns; ++c)
        columns.append({QStringLiteral("列%1").arg(c + 1), 90, Qt::AlignLeft});
    list.setColumns(columns);
    list.resize(800, 400);
    list.show();
    settle(list);

    QElapsedTimer timer;
    timer.start();
    std::vector<QStringList> rows = stockRows(count);
    const double build = ms(timer);

    timer.restart();
    list.appendRows(std::move(rows));
    const double append = ms(timer);
    timer.restart();
    settle(list);
    const double paint = ms(timer);
    std::printf("%d rows x %d columns\n", list.rowCount(), kColumns);
    std::printf("  building the row texts      %8.1f ms\n", build);
    std::printf("  appendRows                  %8.1f ms\n", append);
    std::printf("  layout and first paint      %8.1f ms\n", paint);
    std::printf("  fill total (append + paint) %8.1f ms\n", append + paint);

    list.setCurrentRow(count - 1);
    timer.restart();
    list.clear();
    settle(list);
    std::printf("  clear                       %8.1f ms\n", ms(timer));

    rows = stockRows(count);
    timer.restart();
    list.appendRows(std::move(rows));
    settle(list);
    std::printf("  refill (append + paint)     %8.1f ms\n", ms(timer));

    list.clear();
    rows = stockRows(count);
    timer.restart();
    for (const QStringList& row : rows) {
        const int index = list.appendRow(row.first());
        for (int c = 1; c < row.size(); ++c)
            list.setCell(index, c, row.at(c));
    }
    settle(list);
    std::printf("  row by row (appendRow+setCell) %5.1f ms\n", ms(timer));
    return 0;
}
