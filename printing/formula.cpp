// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/formula.h"

#include "printing/reporttable.h"
#include "storage/fieldvalue.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace
{

// A divisor must be larger than this in magnitude.
constexpr double kSmallestDivisor = 0.0000001;

// How deep signs, powers and parentheses may nest before a formula counts as unreadable; it
// keeps the evaluator's own nesting, and so its use of the stack, small.
constexpr int kDeepestNesting = 200;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// Scans an unsigned decimal number starting at `at`: digits with at most one point (at least
// one digit in all), then an exponent when a digit follows its "e" (and the exponent's sign).
// Returns how many characters it takes (0 when no number starts there) and puts their text into
// `ascii`.
qsizetype scanNumber(QStringView text, qsizetype at, std::string& ascii)
{
    ascii.clear();
    qsizetype i = at;
    qsizetype digits = 0;
    const auto takeDigits = [&] {
        while (i < text.size() && isDigit(text.at(i))) {
            ascii.push_back(char(text.at(i).unicode()));
            ++i;
            ++digits;
        }
    };
    takeDigits();
    if (i < text.size() && text.at(i) == QLatin1Char('.')) {
        ascii.push_back('.');
        ++i;
        takeDigits();
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype exponent = i + 1;
        if (exponent < text.size() &&
            (text.at(exponent) == QLatin1Char('+') || text.at(exponent) == QLatin1Char('-')))
            ++exponent;
        if (exponent < text.size() && isDigit(text.at(exponent))) {
            ascii.push_back('e');
            for (qsizetype k = i + 1; k < exponent; ++k)
                ascii.push_back(char(text.at(k).unicode()));
            i = exponent;
            takeDigits();
        }
    }
    return i - at;
}

enum class Kind { Number, Plus, Minus, Times, Divide, Power, Open, Close };

struct Token {
    Kind kind;
    double value = 0; // of a number, a constant or a reference
};

// A reference "[title]" starting at `at`: the characters it takes (0 when no "]" closes it) and
// the leading number of the named column's cell, 0 when it names none of the columns.
std::pair<qsizetype, double> scanReference(QStringView formula, qsizetype at,
                                           const QList<FormulaColumn>& columns)
{
    const QStringView rest = formula.sliced(at + 1);
    for (const FormulaColumn& column : columns) {
        const qsizetype length = column.title.size();
        if (rest.size() > length && rest.at(length) == QLatin1Char(']') &&
            rest.startsWith(column.title, Qt::CaseInsensitive))
            return {length + 2, leadingNumberOf(column.cell)};
    }
    const qsizetype close = rest.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {0, 0};
    return {close + 2, 0};
}

// The formula's tokens; nothing when it holds something a formula cannot.
std::optional<std::vector<Token>> tokensOf(QStringView formula, const QList<FormulaColumn>& columns)
{
    std::vector<Token> tokens;
    std::string ascii;
    const auto endsOperand = [&tokens] {
        return !tokens.empty() &&
               (tokens.back().kind == Kind::Number || tokens.back().kind == Kind::Close);
    };
    qsizetype i = 0;
    while (i < formula.size()) {
        const QChar c = formula.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (isDigit(c) || c == QLatin1Char('.')) {
            const qsizetype length = scanNumber(formula, i, ascii);
            if (length == 0)
                return std::nullopt;
            tokens.push_back({Kind::Number, decimalTextValue(ascii)});
            i += length;
        } else if (c == QLatin1Char('[')) {
            const auto [length, value] = scanReference(formula, i, columns);
            if (length == 0)
                return std::nullopt;
            tokens.push_back({Kind::Number, value});
            i += length;
        } else if (isLetter(c)) {
            qsizetype end = i;
            while (end < formula.size() && (isLetter(formula.at(end)) || isDigit(formula.at(end)) ||
                                            formula.at(end) == QLatin1Char('_')))
                ++end;
            const QStringView word = formula.sliced(i, end - i);
            if (word.compare(QLatin1String("pi"), Qt::CaseInsensitive) == 0)
                tokens.push_back({Kind::Number, std::numbers::pi});
            else if (word.compare(QLatin1String("e"), Qt::CaseInsensitive) == 0)
                tokens.push_back({Kind::Number, std::numbers::e});
            else
                return std::nullopt;
            i = end;
        } else {
            Kind kind = Kind::Number;
            switch (c.unicode()) {
            case '+':
                kind = Kind::Plus;
                break;
            case '-':
                kind = Kind::Minus;
                break;
            case '*':
                kind = Kind::Times;
                break;
            case '/':
                kind = Kind::Divide;
                break;
            case '^':
                kind = Kind::Power;
                break;
            case '(':
                // 12(52+13) is 12 times the group.
                if (endsOperand())
                    tokens.push_back({Kind::Times});
                kind = Kind::Open;
                break;
            case ')':
                kind = Kind::Close;
                break;
            default:
                return std::nullopt;
            }
            tokens.push_back({kind});
            ++i;
        }
    }
    return tokens;
}

// Recursive descent over the tokens:
//   sum     = product { ("+" | "-") product }
//   product = signed { ("*" | "/") signed }
//   signed  = ("+" | "-") signed | power
//   power   = primary [ "^" signed ]
//   primary = number | "(" sum ")"
class Evaluator
{
public:
    explicit Evaluator(const std::vector<Token>& tokens) : mTokens(tokens) {}

    std::optional<double> value()
    {
        const double result = sum();
        if (mFailed || mNext != mTokens.size())
            return std::nullopt;
        return result;
    }

private:
    bool accept(Kind kind)
    {
        if (mNext < mTokens.size() && mTokens[mNext].kind == kind) {
            ++mNext;
            return true;
        }
        return false;
    }

    double fail()
    {
        mFailed = true;
        return 0;
    }

    double finite(double value) { return std::isfinite(value) ? value : fail(); }

    double sum()
    {
        double result = product();
        while (!mFailed) {
            if (accept(Kind::Plus)) {
                const double term = product();
                result = finite(result + term);
            } else if (accept(Kind::Minus)) {
                const double term = product();
                result = finite(result - term);
            } else {
                break;
            }
        }
        return result;
    }

    double product()
    {
        double result = signedValue();
        while (!mFailed) {
            if (accept(Kind::Times)) {
                const double factor = signedValue();
                result = finite(result * factor);
            } else if (accept(Kind::Divide)) {
                const double divisor = signedValue();
                if (mFailed || std::fabs(divisor) <= kSmallestDivisor)
                    return fail();
                result = finite(result / divisor);
            } else {
                break;
            }
        }
        return result;
    }

    double signedValue()
    {
        if (mDepth >= kDeepestNesting)
            return fail();
        ++mDepth;
        double result = 0;
        if (accept(Kind::Minus))
            result = -signedValue();
        else if (accept(Kind::Plus))
            result = signedValue();
        else
            result = power();
        --mDepth;
        return result;
    }

    double power()
    {
        const double base = primary();
        if (mFailed || !accept(Kind::Power))
            return base;
        const double exponent = signedValue();
        if (mFailed)
            return 0;
        return finite(std::pow(base, exponent));
    }

    double primary()
    {
        if (mNext < mTokens.size() && mTokens[mNext].kind == Kind::Number)
            return finite(mTokens[mNext++].value);
        if (!accept(Kind::Open))
            return fail();
        const double inner = sum();
        if (mFailed || !accept(Kind::Close))
            return fail();
        return inner;
    }

    const std::vector<Token>& mTokens;
    std::size_t mNext = 0;
    int mDepth = 0;
    bool mFailed = false;
};

} // namespace

namespace
{

// The leading number of a text without its sign (empty when there is none), and whether the sign
// is a minus.
std::string leadingNumberText(const QString& text, bool& negative)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    std::string ascii;
    if (scanNumber(text, i, ascii) == 0)
        ascii.clear();
    return ascii;
}

} // namespace

double leadingNumberOf(const QString& text)
{
    bool negative = false;
    const std::string ascii = leadingNumberText(text, negative);
    if (ascii.empty())
        return 0;
    const double value = decimalTextValue(ascii);
    if (!std::isfinite(value))
        return 0;
    return negative ? -value : value;
}

int leadingNumberDecimals(const QString& text)
{
    bool negative = false;
    const std::string ascii = leadingNumberText(text, negative);
    if (ascii.find('e') != std::string::npos)
        return -1;
    const std::size_t point = ascii.find('.');
    return point == std::string::npos ? 0 : int(ascii.size() - point - 1);
}

std::optional<double> evaluateFormulaOver(QStringView formula, const QList<FormulaColumn>& columns)
{
    const std::optional<std::vector<Token>> tokens = tokensOf(formula, columns);
    if (!tokens)
        return std::nullopt;
    return Evaluator(*tokens).value();
}

double evaluateFormula(const QString& formula, const ReportTable& table, int lastSelectedColumn,
                       int dataRow)
{
    QList<FormulaColumn> columns;
    const int last = std::min(lastSelectedColumn, table.columnCount());
    columns.reserve(std::max(last, 0));
    for (int c = 1; c <= last; ++c)
        columns.append({table.text(4, c), table.text(dataRow + 4, c)});
    // A zero result shows as "0", never "-0".
    return evaluateFormulaOver(formula, columns).value_or(0) + 0.0;
}
