// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/reporttable.h"

#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

// The paper a report is laid on, in table units with the orientation applied: the paper the
// printer's own settings chose, else the paper of the list (index 0 or none: the printer's
// default paper, A4 without a printer).
QSize paperOf(const ReportPrintSettings& settings);

// The size of the paper list entry closest to a paper in table units (portrait), or 0 when the
// size is none of the list's papers.
int paperIndexOf(const QSize& portraitSize);

// The table's scale on paper in percent: -1 fits the report's width to the printable width, -2
// shrinks a report wider than the printable width to it (100 otherwise), any other value is the
// percentage itself. Never below 1.
int scalePercent(int scaling, int printableWidth, int totalWidth);

// How a report lies on paper under its print settings: the paper, the printable area inside the
// margins, the scale of the table on it and the pages.
struct ReportLayout {
    QSize paper;
    QRect printable;
    int percent = 100;
    std::vector<ReportPage> pages;

    // The height of the printable area in table units at the layout's scale.
    int printableTableHeight() const;
};

// Lays the report out: automatic paging fills the printable height at the layout's scale.
ReportLayout layoutReport(const ReportTable& table);

// The rows after the heading rows from first to last (1 is the first row after the headings;
// last 0 or past the end: to the end), below the report's heading rows, as a table of its own
// with the report's look, merges and print settings.
ReportTable rowRangeOf(const ReportTable& table, int first, int last);

// The page indexes (from 0) a print run prints out of pageCount pages under the settings' page
// range and odd/even mode, in order. A row range prints all pages of its own table.
std::vector<int> printedPages(const ReportPrintSettings& settings, int pageCount);

// What a print run prints: the table (the report, or its row range), its layout and the pages.
struct PrintSelection {
    std::optional<ReportTable> rowRange;
    ReportLayout layout;
    std::vector<int> pages;
};
PrintSelection selectPrintedPages(const ReportTable& table);
