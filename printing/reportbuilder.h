// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printrequest.h"
#include "printing/reporttable.h"

#include <memory>

class AppContext;

// Builds the report table of a print request: title, date line, rule, column titles, the
// source list's rows, serial numbers, custom columns, totals or statistics row, rules, edge
// columns, remarks, fonts, lines, colours and print settings.
std::unique_ptr<ReportTable> buildReport(const PrintRequest& request);

// A statistics total as its row shows it: rounded to 15 significant digits, written out in full
// (never in exponent form) without trailing zeros, so that 1.5 + 1.5 shows 3 and 0.1 + 0.2 shows
// 0.3. With `decimals` at 0 or more (the most decimal places of the numbers added up), the total
// is first rounded to that many places: a total of numbers with two decimals has at most two, and
// the binary remainders that many additions gather (1,000 times 3.35 adds up to
// 3349.99999999994) do not show.
QString statisticsTotalText(double total, int decimals = -1);

// Builds the report and opens its print preview (modeless); shows the builder's messages.
void buildAndPreview(AppContext& context, const PrintRequest& request);
