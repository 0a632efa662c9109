// SPDX-License-Identifier: GPL-3.0-or-later
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

// A quantity is accepted when it is finite and at least 1, within a tolerance of 1e-7.
constexpr double kQuantityTolerance = 0.0000001;
bool isAcceptedQuantity(double quantity);

// Stock and running totals of returns keep their fractions. A value within the tolerance of a
// whole number is that number (1 - 1.00000005 is 0, never -5e-08, and never -0); others stay as
// they are.
double snappedQuantity(double value);
// Whether a stock or quantity read from the database counts as nothing: 0 within the tolerance.
bool isNoQuantity(double value);
// A stock or running total as it is written into the database and shown: the snapped value in
// the "%.13g" form (9.5, 0.9, 0).
QString quantityText(double value);

// The unit names of the default unit list, split at every "," (an empty text gives none).
QStringList splitUnits(const QString& units);
// The default unit list: 默认单位 of the first row of 系统信息管理模块.
QStringList loadDefaultUnits(Database& db);
