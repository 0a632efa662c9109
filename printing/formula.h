// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

class ReportTable;

// A column a computed column's formula may name: its title and the text of the current row's
// cell in it.
struct FormulaColumn {
    QString title;
    QString cell;
};

// The value of a formula: numbers (with an optional exponent, 1e3), column references
// "[title]" (titles matched ignoring letter case, the first of equal titles wins; a reference
// reads the leading number of its cell, and one that names no column reads as 0), the constants
// pi and e as whole words in any letter case, unary + and -, + - * / left associative, ^ right
// associative and binding tighter, and parentheses; a number, reference, constant or ")"
// directly before "(" multiplies. Nothing when the formula cannot be evaluated: a syntax error,
// an unmatched parenthesis, nesting deeper than the evaluator follows, a divisor of magnitude at
// most 0.0000001 or a value that is not finite.
std::optional<double> evaluateFormulaOver(QStringView formula, const QList<FormulaColumn>& columns);

// A computed column's value for one data row of a report table (the row's table row is
// dataRow + 4 in the layout before the edge column is added), over table columns 1 to
// lastSelectedColumn with their titles in row 4. A formula that cannot be evaluated gives 0.
double evaluateFormula(const QString& formula, const ReportTable& table, int lastSelectedColumn,
                       int dataRow);

// The leading number of a text (0 when there is none), as formulas, statistics and the print
// settings read a text: leading blanks, a sign, digits with at most one point and an exponent
// when digits follow its "e"; the rest is ignored. The same whatever the desktop's language.
double leadingNumberOf(const QString& text);
// The decimal places of a text's leading number as leadingNumberOf reads it: the digits after its
// point, 0 for a whole number or none; -1 when it is written with an exponent.
int leadingNumberDecimals(const QString& text);
