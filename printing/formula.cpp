#include "printing/formula.h"

#include "printing/reporttable.h"
#include "storage/fieldvalue.h"

#include <QStringList>

#include <cmath>
#include <cstdlib>
#include <string>

namespace
{

// A divisor must be larger than this in magnitude.
constexpr double kSmallestDivisor = 0.0000001;

// Every intermediate value is carried as its "%.13g" text and read back.
double throughText(double value)
{
    return leadingNumberOf(numberText(value));
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// One piece: a number, or a number raised to a number with one "^".
bool evaluatePiece(const QString& piece, double* value)
{
    const qsizetype powers = piece.count(QLatin1Char('^'));
    if (powers > 1)
        return false;
    if (powers == 1) {
        const qsizetype at = piece.indexOf(QLatin1Char('^'));
        *value = throughText(
            std::pow(leadingNumberOf(piece.left(at)), leadingNumberOf(piece.mid(at + 1))));
    } else {
        // A piece read as a number is carried as text too: a divisor is tested and used as its
        // "%.13g" value.
        *value = throughText(leadingNumberOf(piece));
    }
    return true;
}

// A factor: its first piece times (1 / second piece / third piece ...).
bool evaluateFactor(const QString& factor, double* value)
{
    const QStringList pieces = factor.split(QLatin1Char('/'));
    double first = 0;
    if (!evaluatePiece(pieces.first(), &first))
        return false;
    double quotient = 1;
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        double divisor = 0;
        if (!evaluatePiece(pieces.at(i), &divisor))
            return false;
        if (std::fabs(divisor) <= kSmallestDivisor)
            return false;
        quotient = throughText(quotient / divisor);
    }
    *value = throughText(first * quotient);
    return true;
}

// A part: the product of its factors.
bool evaluatePart(const QString& part, double* value)
{
    const QStringList factors = part.split(QLatin1Char('*'));
    double product = 0;
    for (qsizetype i = 0; i < factors.size(); ++i) {
        double factor = 0;
        if (!evaluateFactor(factors.at(i), &factor))
            return false;
        product = i == 0 ? factor : throughText(product * factor);
    }
    *value = product;
    return true;
}

// A term: its first part minus each following part.
bool evaluateTerm(const QString& term, double* value)
{
    const QStringList parts = term.split(QLatin1Char('-'));
    double difference = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        double part = 0;
        if (!evaluatePart(parts.at(i), &part))
            return false;
        difference = i == 0 ? part : throughText(difference - part);
    }
    *value = difference;
    return true;
}

// The sum of the terms of a text without parentheses; false on failure.
bool evaluateFlat(const QString& text, double* value)
{
    double sum = 0;
    const QStringList terms = text.split(QLatin1Char('+'));
    for (const QString& term : terms) {
        double termValue = 0;
        if (!evaluateTerm(term, &termValue))
            return false;
        sum += termValue;
    }
    *value = sum;
    return true;
}

} // namespace

double leadingNumberOf(const QString& text)
{
    // Leading blanks, a sign, digits with at most one point, and an exponent when digits
    // follow it; the rest of the text is ignored.
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && isDigit(text.at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype exponent = i + 1;
        if (exponent < text.size() &&
            (text.at(exponent) == QLatin1Char('+') || text.at(exponent) == QLatin1Char('-')))
            ++exponent;
        if (exponent < text.size() && isDigit(text.at(exponent))) {
            while (exponent < text.size() && isDigit(text.at(exponent)))
                ++exponent;
            i = exponent;
        }
    }
    const std::string number = text.mid(start, i - start).toStdString();
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0;
}

double evaluateFormula(const QString& formula, const ReportTable& table, int lastSelectedColumn,
                       int dataRow)
{
    QString text = formula;
    const int row = dataRow + 4;

    for (int c = 1; c <= lastSelectedColumn && c <= table.columnCount(); ++c) {
        const QString reference = QLatin1Char('[') + table.text(4, c) + QLatin1Char(']');
        text.replace(reference, table.text(row, c), Qt::CaseInsensitive);
    }

    // The constants' digits hold neither "pi" nor "e": replacing every occurrence at once
    // makes no new ones.
    text.replace(QStringLiteral("pi"), QStringLiteral("3.1415926535"), Qt::CaseInsensitive);
    text.replace(QStringLiteral("e"), QStringLiteral("2.718282"), Qt::CaseInsensitive);

    // Innermost groups first: the last "(" and the first ")" after it.
    while (text.contains(QLatin1Char('(')) && text.contains(QLatin1Char(')'))) {
        const qsizetype open = text.lastIndexOf(QLatin1Char('('));
        const qsizetype close = text.indexOf(QLatin1Char(')'), open + 1);
        if (close < 0)
            return 0;
        double group = 0;
        if (!evaluateFlat(text.mid(open + 1, close - open - 1), &group))
            return 0;
        text.replace(open, close - open + 1, numberText(group));
    }

    double value = 0;
    if (!evaluateFlat(text, &value))
        return 0;
    return value;
}
