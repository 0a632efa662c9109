// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/movementrules.h"

#include "core/clock.h"
#include "core/context.h"
#include "storage/database.h"
#include "storage/fieldvalue.h"

#include <cmath>
#include <string>
#include <string_view>

QString dateText(const QDate& date)
{
    return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}

QString todayText(AppContext& context)
{
    return dateText(context.clock().now().date());
}

namespace
{

// Full-width digits, signs and points as their ASCII counterparts; 0 for anything else that is
// not ASCII (it cannot continue a number).
char asciiOf(QChar character)
{
    const char16_t code = character.unicode();
    if (code >= 0xFF10 && code <= 0xFF19)
        return char('0' + (code - 0xFF10));
    switch (code) {
    case 0xFF0B:
        return '+';
    case 0xFF0D:
        return '-';
    case 0xFF0E:
        return '.';
    default:
        return code < 0x80 ? char(code) : '\0';
    }
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

double leadingNumber(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;

    // The longest prefix that reads as a number: sign, digits, point, digits, exponent.
    std::string number;
    for (qsizetype i = start; i < text.size(); ++i) {
        const char c = asciiOf(text.at(i));
        if (c == '\0')
            break;
        number.push_back(c);
    }
    std::size_t pos = 0;
    bool negative = false;
    if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) {
        negative = number[pos] == '-';
        ++pos;
    }
    const std::size_t mantissa = pos;
    std::size_t digits = 0;
    while (pos < number.size() && isDigit(number[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < number.size() && number[pos] == '.') {
        ++pos;
        while (pos < number.size() && isDigit(number[pos])) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
        std::size_t exponent = pos + 1;
        if (exponent < number.size() && (number[exponent] == '+' || number[exponent] == '-'))
            ++exponent;
        if (exponent < number.size() && isDigit(number[exponent])) {
            while (exponent < number.size() && isDigit(number[exponent]))
                ++exponent;
            pos = exponent;
        }
    }
    // Read without the sign and without the locale, which a decimal point must not depend on.
    const double value =
        decimalTextValue(std::string_view(number).substr(mantissa, pos - mantissa));
    return negative ? -value : value;
}

bool isAcceptedQuantity(double quantity)
{
    // "1e999" reads as infinity: no stock can hold it, so it is refused like any bad quantity.
    return std::isfinite(quantity) && !(quantity - 1.0 < -kQuantityTolerance);
}

double snappedQuantity(double value)
{
    const double whole = std::round(value);
    if (std::fabs(value - whole) <= kQuantityTolerance)
        value = whole;
    return value + 0.0; // -0 becomes 0
}

bool isNoQuantity(double value)
{
    return snappedQuantity(value) == 0.0;
}

QString quantityText(double value)
{
    return numberText(snappedQuantity(value));
}

QStringList splitUnits(const QString& units)
{
    if (units.isEmpty())
        return {};
    return units.split(QLatin1Char(','));
}

QStringList loadDefaultUnits(Database& db)
{
    const int handle = db.OpenTable(QStringLiteral("select * from 系统信息管理模块"));
    if (handle == 0)
        return {};
    const QString units = db.readText(handle, QStringLiteral("默认单位"));
    db.CloseTable(handle);
    return splitUnits(units);
}
