// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printrequest.h"

#include <QDate>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QSettings;

// The print layout an operator keeps from one print to the next (the settings group
// "打印设置"): title, remarks, page-number position, paper, font size, rows per page, serial
// column, orientation and the colour options with their six colours.
struct SavedPrintSettings {
    QString title;
    QString remarks;
    int pageNumberPosition = -1; // index of 页号位置, -1 none
    int paper = -1;              // index of 纸张, -1 none
    QString fontSize = QStringLiteral("30");
    QString rowsPerPage;
    bool serialColumn = false;
    bool portrait = false; // 类别4 ("纵向") checked
    bool defaultColours = false;
    bool ownScheme = false;
    bool customRows = false;
    bool customColumns = false;
    // Title row, odd rows, even rows; title row, odd columns, even columns.
    std::array<RgbValue, 3> rowColours = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    std::array<RgbValue, 3> columnColours = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
};

// The group of the saved settings and the gate value: the other values count only while "ID"
// is 1.
inline const QString kPrintSettingsGroup = QStringLiteral("打印设置");

// The saved settings when "ID" is 1, otherwise nothing. A missing or unreadable number reads as
// 0, a missing text as empty, so a half-written group still opens.
std::optional<SavedPrintSettings> readSavedPrintSettings(QSettings& settings);
// Writes "ID" = 1 and every value, in the order the group lists them.
void writeSavedPrintSettings(QSettings& settings, const SavedPrintSettings& saved);
// Writes only "ID" = 0: the other values stay but are no longer read.
void forgetSavedPrintSettings(QSettings& settings);

// The printer chosen last time in the print settings dialog of a preview, kept in the
// operator's settings beside the print layout whether or not the layout is saved; empty before
// the first choice. Remembering an empty name keeps the earlier one.
QString lastChosenPrinter(QSettings& settings);
void rememberChosenPrinter(QSettings& settings, const QString& printerName);

// The totals choice of the settings window.
enum class TotalsChoice { None, Totals, Statistics };

// Everything the settings window's controls hold for one print.
struct PrintChoices {
    SavedPrintSettings saved;
    // Face, text colour (decimal RgbValue), bold "1"/"0", size in points.
    QStringList titleFont;
    QString dateLine;
    QList<int> columns; // checked columns of the list, 0-based, ascending
    int lineStyle = 1;  // 1 to 4, 0 none
    TotalsChoice totals = TotalsChoice::None;
    QStringList statisticsColumns; // checked statistics texts, in list order
};

// What stops a print before anything is built.
enum class PrintRefusal { None, NoColumns, NoStatisticsColumns };
PrintRefusal refusalOf(const PrintChoices& choices);
QString refusalText(PrintRefusal refusal);

// The print request of the choices, over the source list and the computed columns. The body
// font size falls back to the list's font when 字体大小 is empty.
PrintRequest collectPrintRequest(const PrintChoices& choices, QWidget* sourceWindow,
                                 ReportList* source, const CustomColumns& customColumns);

// "打印日期:" followed by the date as year年month月day日, without leading zeros.
QString printDateLine(const QDate& date);

// Rows per page: 0 for an empty text, otherwise the text's leading number truncated.
int rowsPerPageOf(const QString& text);
// The body font size in table units: the text's leading number truncated, or the list font's
// point size × 3.3 truncated when the text is empty.
int bodyFontSizeOf(const QString& text, const QFont& listFont);

// The background colour scheme (mode, colour 1, colour 2, colour 3) of the colour options.
std::array<int, 4> colourSchemeOf(const SavedPrintSettings& saved);

// The title font description of a font chosen in the font dialog and the title colour chosen
// after it: face, colour as the decimal RgbValue, bold "1"/"0", size in points.
QStringList titleFontDescription(const QFont& font, RgbValue colour);
