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
// 0.3.
QString statisticsTotalText(double total);

// Builds the report and opens its print preview (modeless); shows the builder's messages.
void buildAndPreview(AppContext& context, const PrintRequest& request);
