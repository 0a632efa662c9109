// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/fieldvalue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>

namespace
{

void defaultFatalHandler(int code, const QString& message)
{
    std::cerr << fatalDataErrorText(code, message).toStdString() << std::endl;
    std::exit(-1);
}

FatalDataErrorHandler& fatalHandler()
{
    static FatalDataErrorHandler handler = defaultFatalHandler;
    return handler;
}

// As printf's "%.<precision>g" writes the value in the C locale: the user's locale must never
// turn 7.5 into "7,5" in a list or in a statement.
QString formatReal(double value, int precision)
{
    char buffer[64];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace

FatalDataErrorHandler setFatalDataErrorHandler(FatalDataErrorHandler handler)
{
    FatalDataErrorHandler previous = std::move(fatalHandler());
    fatalHandler() = handler ? std::move(handler) : FatalDataErrorHandler(defaultFatalHandler);
    return previous;
}

QString fatalDataErrorText(int code, const QString& message)
{
    return QStringLiteral("运行时出错!\r\n\r\n错误代码：%1\r\n\r\n错误信息：%2\r\n")
        .arg(code)
        .arg(message);
}

QString numberText(double value)
{
    return formatReal(value, 13);
}

QString singleNumberText(double value)
{
    return formatReal(value, 6);
}

double decimalTextValue(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc())
        return value;
    if (error != std::errc::result_out_of_range)
        return 0;

    // Out of range: the decimal place of the first significant digit, plus the exponent, tells
    // which way.
    const std::size_t exponentAt = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, exponentAt);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t firstSignificant = mantissa.find_first_not_of("0.");
    if (firstSignificant == std::string_view::npos)
        return 0;
    long long magnitude = firstSignificant < point ? (long long)(point - firstSignificant) - 1
                                                   : -(long long)(firstSignificant - point);
    if (exponentAt != std::string_view::npos) {
        std::string_view exponent = text.substr(exponentAt + 1);
        const bool negative = !exponent.empty() && exponent.front() == '-';
        if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+'))
            exponent.remove_prefix(1);
        long long shift = 0;
        for (const char digit : exponent)
            shift = std::min(shift * 10 + (digit - '0'), 1000000000LL);
        magnitude += negative ? -shift : shift;
    }
    return magnitude < 0 ? 0.0 : std::numeric_limits<double>::infinity();
}

QString dateTimeDisplayText(const QDateTime& value)
{
    const QDate date = value.date();
    const QTime time = value.time();
    QString text =
        QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return text;
    if (time.second() != 0)
        return text + QStringLiteral("%1时%2分%3秒")
                          .arg(time.hour())
                          .arg(time.minute())
                          .arg(time.second());
    if (time.minute() != 0)
        return text + QStringLiteral("%1时%2分").arg(time.hour()).arg(time.minute());
    return text + QStringLiteral("%1时").arg(time.hour());
}

FieldValue FieldValue::emptyOf(FieldKind kind)
{
    FieldValue value;
    value.mKind = kind;
    return value;
}

FieldValue FieldValue::text(const QString& text)
{
    FieldValue value;
    value.mText = text;
    return value;
}

FieldValue FieldValue::integer(FieldKind kind, qint64 number)
{
    FieldValue value;
    value.mKind = kind;
    value.mInteger = number;
    return value;
}

FieldValue FieldValue::real(FieldKind kind, double number)
{
    FieldValue value;
    value.mKind = kind;
    value.mReal = number;
    return value;
}

FieldValue FieldValue::boolean(bool flag)
{
    FieldValue value;
    value.mKind = FieldKind::Boolean;
    value.mInteger = flag ? 1 : 0;
    return value;
}

namespace
{
constexpr qint64 kMsecsPerDay = 86400000;
}

FieldValue FieldValue::dateTime(const QDateTime& time)
{
    FieldValue value;
    value.mKind = FieldKind::DateTime;
    if (time.isValid()) {
        value.mValid = true;
        value.mInteger =
            time.date().toJulianDay() * kMsecsPerDay + time.time().msecsSinceStartOfDay();
    }
    return value;
}

QDateTime FieldValue::dateTimeValue() const
{
    if (mKind != FieldKind::DateTime || !mValid)
        return {};
    return QDateTime(QDate::fromJulianDay(mInteger / kMsecsPerDay),
                     QTime::fromMSecsSinceStartOfDay(int(mInteger % kMsecsPerDay)));
}

FieldValue FieldValue::bytes(const QByteArray& bytes)
{
    FieldValue value;
    value.mKind = FieldKind::Bytes;
    value.mBytes = bytes;
    return value;
}

bool FieldValue::isInteger() const
{
    return mKind == FieldKind::LongInteger || mKind == FieldKind::ShortInteger ||
           mKind == FieldKind::Byte;
}

bool FieldValue::isReal() const
{
    return mKind == FieldKind::Single || mKind == FieldKind::Double;
}

QString FieldValue::asText() const
{
    if (mKind != FieldKind::Text) {
        fatalHandler()(kTextReadErrorCode, QString::fromUtf8(kTextReadErrorMessage));
        return {};
    }
    return mText;
}

qint64 FieldValue::asNumber() const
{
    if (isInteger())
        return mInteger;
    if (isReal()) {
        const double truncated = std::trunc(mReal);
        // Values beyond the integer range saturate instead of overflowing.
        if (!(truncated < 9.2e18))
            return truncated > 0 ? std::numeric_limits<qint64>::max() : 0;
        if (!(truncated > -9.2e18))
            return std::numeric_limits<qint64>::min();
        return static_cast<qint64>(truncated);
    }
    fatalHandler()(kNumberReadErrorCode, QString::fromUtf8(kNumberReadErrorMessage));
    return 0;
}

double FieldValue::asReal() const
{
    if (isInteger())
        return double(mInteger);
    if (isReal())
        return mReal;
    fatalHandler()(kNumberReadErrorCode, QString::fromUtf8(kNumberReadErrorMessage));
    return 0;
}

QString FieldValue::forDisplay() const
{
    switch (mKind) {
    case FieldKind::Text:
        return mText;
    case FieldKind::LongInteger:
    case FieldKind::ShortInteger:
    case FieldKind::Byte:
        return QString::number(mInteger);
    case FieldKind::Single:
        return singleNumberText(mReal);
    case FieldKind::Double:
        return numberText(mReal);
    case FieldKind::Boolean:
        return mInteger ? QStringLiteral("真") : QStringLiteral("假");
    case FieldKind::DateTime:
        return mValid ? dateTimeDisplayText(dateTimeValue()) : QString();
    case FieldKind::Bytes:
        return QString::fromUtf8(mBytes);
    }
    return {};
}
