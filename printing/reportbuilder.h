#pragma once

#include "printing/printrequest.h"
#include "printing/reporttable.h"

#include <memory>

class AppContext;

// Builds the report table of a print request: title, date line, rule, column titles, the
// source list's rows, serial numbers, custom columns, totals or statistics row, rules, edge
// columns, remarks, fonts, lines, colours and print settings.
std::unique_ptr<ReportTable> buildReport(const PrintRequest& request);

// Builds the report and opens its print preview (modeless); shows the builder's messages.
void buildAndPreview(AppContext& context, const PrintRequest& request);
