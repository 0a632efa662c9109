// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class ReportList;
class QWidget;

// A colour as the print settings keep it: red in the low byte, then green, then blue
// (0x00BBGGRR), so that white is 0xFFFFFF and RGB(222,223,206) is 222 | 223 << 8 | 206 << 16.
using RgbValue = quint32;
constexpr RgbValue rgbValue(int red, int green, int blue)
{
    return RgbValue(red & 0xFF) | RgbValue(green & 0xFF) << 8 | RgbValue(blue & 0xFF) << 16;
}

// Whether the list may be printed, exported or previewed now; when not, it has told the operator
// why in a box over owner. Empty: always.
using PrintPermission = std::function<bool(QWidget* owner)>;

// The computed columns of the current print: (column name, formula) pairs in the order added.
using CustomColumns = QList<QPair<QString, QString>>;

// Everything the print settings window hands to report building.
struct PrintRequest {
    QPointer<QWidget> sourceWindow;
    QPointer<ReportList> source;
    QString title;
    // Face name, text colour (decimal RgbValue), bold ("1" or "0"), size in points (decimal).
    QStringList titleFont;
    QString dateLine;
    QList<int> columns; // selected source columns, 0-based, ascending
    bool serialColumn = false;
    int rowsPerPage = 0; // 0: automatic paging
    int lineStyle = 1;   // 1 to 4, 0 none
    int paper = -1;      // index of the paper list, -1 none
    bool landscape = true;
    int fontSize = 30; // body font size in table units (tenths of a millimetre)
    // "零" no totals row, "一" totals row, "二" statistics row followed by the column names.
    QStringList totals = {QStringLiteral("零")};
    int pageNumberPosition = -1; // -1 none chosen, 0 none, 1..6 top/bottom left/centre/right
    std::array<int, 4> colours = {0, 0, 0, 0}; // mode, colour 1, colour 2, colour 3 (RgbValue)
    QString remarks;
    CustomColumns customColumns;
    PrintPermission permission;
};
