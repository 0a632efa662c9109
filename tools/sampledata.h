// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class TestEnvironment;

// A few stock lots with their documents: stock-ins, sales, a sales return, a stock-out, loans
// and a return of lent goods, problem records, two more accounts and two backup copies. The
// pictures of the windows (tarnel-window-screens, tarnel-readme-screens) show them.
void addSampleData(TestEnvironment& env);

class ReportList;
struct PrintRequest;

// A list of 60 stock lots, long enough for a report of several pages.
void fillSampleLotList(ReportList& list);
// The stock report over that list: title, date line, every column, a serial number column,
// the total of the first column, page numbers, coloured rows and remarks, on A4 upright.
PrintRequest sampleReportRequest(ReportList& list, int lineStyle = 1);
