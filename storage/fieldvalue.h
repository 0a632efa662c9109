// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <string_view>

// The kind a field value carries, following the declared type of its column.
enum class FieldKind : quint8 {
    Text,
    LongInteger,
    ShortInteger,
    Byte,
    Single,
    Double,
    Boolean,
    DateTime,
    Bytes,
};

// One field of a query result, with its kind. A NULL (or a read on a result without rows) is the
// empty value of the column's kind: 0, false, an empty byte array or an empty text.
class FieldValue
{
public:
    FieldValue() = default;
    static FieldValue emptyOf(FieldKind kind);
    static FieldValue text(const QString& value);
    static FieldValue integer(FieldKind kind, qint64 value);
    static FieldValue real(FieldKind kind, double value);
    static FieldValue boolean(bool value);
    static FieldValue dateTime(const QDateTime& value);
    static FieldValue bytes(const QByteArray& value);

    FieldKind kind() const { return mKind; }
    bool isInteger() const;
    bool isReal() const;

    // The ways the application reads a field. A text read of a non-text value and a number read
    // of a non-numeric value are fatal data errors (see setFatalDataErrorHandler). asNumber cuts
    // a real toward zero; asReal keeps the fraction (stock and running totals of returns).
    QString asText() const;
    qint64 asNumber() const;
    double asReal() const;
    QString forDisplay() const;

    QDateTime dateTimeValue() const;
    const QByteArray& bytesValue() const { return mBytes; }

private:
    // Kept small: a list fill builds one value per field read.
    FieldKind mKind = FieldKind::Text;
    bool mValid = false; // a date-time that holds a time (NULL reads as none)
    union {
        qint64 mInteger = 0; // integers, booleans, date-times as milliseconds since 0001-01-01
        double mReal;
    };
    QString mText;
    QByteArray mBytes;
};

// Fatal data errors: a value of the wrong kind for a text or number read. The handler shows the
// error and ends the process; storage itself never shows a window. The codes are those the
// operator has always seen.
constexpr int kTextReadErrorCode = 5;
constexpr int kNumberReadErrorCode = 2;
const char* const kTextReadErrorMessage = "数据或数组类型不匹配";
const char* const kNumberReadErrorMessage = "未得到所需要的数值型数据";

using FatalDataErrorHandler = std::function<void(int code, const QString& message)>;

// Installs the handler called on a fatal data error; returns the previous one. When the handler
// returns (as test handlers do), the read gives the empty value of the requested form.
FatalDataErrorHandler setFatalDataErrorHandler(FatalDataErrorHandler handler);

// The text of the fatal error box: "运行时出错!", the code and the message, with CR LF breaks.
QString fatalDataErrorText(int code, const QString& message);

// "%.13g" for double precision values, as numbers are written everywhere in the application;
// singleNumberText is "%.6g" for single precision values. Both always use "." as the decimal
// point, whatever the user's locale.
QString numberText(double value);
QString singleNumberText(double value);

// The value of a number text in the form those write (digits with at most one point, then an
// optional exponent; no sign in front), whatever the user's locale. A number beyond the range of
// a double reads as strtod reads it: infinity when it is too large, 0 when it is too small. Any
// other text reads as 0.
double decimalTextValue(std::string_view text);

// "%d年%d月%d日" followed by the time of day unless it is midnight.
QString dateTimeDisplayText(const QDateTime& value);
