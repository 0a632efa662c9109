// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/reportlayout.h"

#include <QPageSize>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

namespace
{

// The default paper of the chosen printer, or of the system's default printer; A4 without one.
QSize printerDefaultPaper(const QString& printerName)
{
    QPrinterInfo printer = QPrinterInfo::printerInfo(printerName);
    if (printer.isNull())
        printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        return paperSize(0);
    const QSizeF millimetres = printer.defaultPageSize().size(QPageSize::Millimeter);
    if (millimetres.isEmpty())
        return paperSize(0);
    return QSize(int(std::lround(millimetres.width() * 10)),
                 int(std::lround(millimetres.height() * 10)));
}

} // namespace

QSize paperOf(const ReportPrintSettings& settings)
{
    QSize portrait;
    if (!settings.devicePaper.isEmpty())
        portrait = settings.devicePaper;
    else if (settings.paper <= 0)
        portrait = printerDefaultPaper(settings.printerName);
    else
        portrait = paperSize(settings.paper);
    return settings.landscape ? portrait.transposed() : portrait;
}

int paperIndexOf(const QSize& portraitSize)
{
    // Printers report their papers in points or inches: allow a millimetre of rounding.
    constexpr int kTolerance = 10;
    for (int index = 1; index <= 8; ++index) {
        const QSize paper = paperSize(index);
        if (std::abs(paper.width() - portraitSize.width()) <= kTolerance &&
            std::abs(paper.height() - portraitSize.height()) <= kTolerance)
            return index;
    }
    return 0;
}

int scalePercent(int scaling, int printableWidth, int totalWidth)
{
    int percent = 100;
    if (scaling == -1 || scaling == -2) {
        const bool fit = scaling == -1 || totalWidth > printableWidth;
        if (fit && totalWidth > 0)
            percent = int(qint64(printableWidth) * 100 / totalWidth);
    } else {
        percent = scaling;
    }
    return std::max(percent, 1);
}

int ReportLayout::printableTableHeight() const
{
    return int(qint64(printable.height()) * 100 / std::max(percent, 1));
}

ReportLayout layoutReport(const ReportTable& table)
{
    const ReportPrintSettings& settings = table.printSettings();
    ReportLayout layout;
    layout.paper = paperOf(settings);
    layout.printable = QRect(settings.marginLeft, settings.marginTop,
                             layout.paper.width() - settings.marginLeft - settings.marginRight,
                             layout.paper.height() - settings.marginTop - settings.marginBottom);
    layout.percent = scalePercent(settings.scaling, layout.printable.width(), table.totalWidth());

    // Automatic paging fills the height the scaled rows really have on this paper.
    layout.pages = paginate(table, layout.printableTableHeight());
    return layout;
}

ReportTable rowRangeOf(const ReportTable& table, int first, int last)
{
    const int headings = std::clamp(table.fixedRows(), 0, table.rowCount());
    const int body = table.rowCount() - headings;
    std::vector<int> rows;
    for (int r = 1; r <= headings; ++r)
        rows.push_back(r);
    if (body > 0) {
        first = std::clamp(first, 1, body);
        last = last <= 0 ? body : std::clamp(last, first, body);
        for (int r = first; r <= last; ++r)
            rows.push_back(headings + r);
    }

    ReportTable range = table.rowsOf(rows);
    // A merged range keeps the part of it that was taken over.
    for (const QRect& merged : table.merges()) {
        int top = 0;
        int bottom = 0;
        for (int i = 1; i <= int(rows.size()); ++i) {
            const int source = rows[std::size_t(i - 1)];
            if (source >= merged.y() && source < merged.y() + merged.height()) {
                if (top == 0)
                    top = i;
                bottom = i;
            }
        }
        if (top > 0)
            range.merge(top, merged.x(), bottom - top + 1, merged.width());
    }
    range.setFixedRows(headings);
    range.printSettings() = table.printSettings();
    return range;
}

std::vector<int> printedPages(const ReportPrintSettings& settings, int pageCount)
{
    std::vector<int> pages;
    if (pageCount < 1)
        return pages;
    int first = 1;
    int last = pageCount;
    if (settings.rangeKind == 1) {
        first = std::clamp(settings.rangeStart, 1, pageCount);
        last = settings.rangeEnd <= 0 ? pageCount : std::clamp(settings.rangeEnd, first, pageCount);
    }
    for (int page = first; page <= last; ++page) {
        if (settings.oddEven == 1 && page % 2 == 0)
            continue;
        if (settings.oddEven == 2 && page % 2 == 1)
            continue;
        pages.push_back(page - 1);
    }
    return pages;
}

PrintSelection selectPrintedPages(const ReportTable& table)
{
    PrintSelection selection;
    const ReportPrintSettings& settings = table.printSettings();
    if (settings.rangeKind == 2) {
        selection.rowRange = rowRangeOf(table, settings.rangeStart, settings.rangeEnd);
        selection.layout = layoutReport(*selection.rowRange);
    } else {
        selection.layout = layoutReport(table);
    }
    selection.pages = printedPages(settings, int(selection.layout.pages.size()));
    return selection;
}
