#pragma once

#include <QString>

class ReportTable;

// Evaluates a custom column's formula for one data row of a report table (the row's table row
// is dataRow + 4 in the layout before the edge column is added): column references "[title]"
// over table columns 1 to lastSelectedColumn, the constants pi and e, + - * / ^ and
// parentheses, by text substitution. Any failure gives 0.
double evaluateFormula(const QString& formula, const ReportTable& table, int lastSelectedColumn,
                       int dataRow);

// The leading number of a text (0 when there is none), as formulas and statistics read cells.
double leadingNumberOf(const QString& text);
