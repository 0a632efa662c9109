#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class AppContext;
class Database;

// The date text written into every time column: 2018-3-5 (no leading zeros, no time of day).
QString dateText(const QDate& date);
// Today's date text by the context's clock.
QString todayText(AppContext& context);

// The leading number of a text, as the quantity boxes read it: leading blanks skipped, parsing
// stops at the first character that cannot continue a number, no number reads as 0. Full-width
// digits, signs and points count as their ASCII counterparts.
double leadingNumber(const QString& text);

// A quantity is accepted when it is at least 1, within a tolerance of 1e-7.
constexpr double kQuantityTolerance = 0.0000001;
bool isAcceptedQuantity(double quantity);

// The unit names of the default unit list, split at every "," (an empty text gives none).
QStringList splitUnits(const QString& units);
// The default unit list: 默认单位 of the first row of 系统信息管理模块.
QStringList loadDefaultUnits(Database& db);
