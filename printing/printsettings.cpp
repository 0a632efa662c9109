// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printsettings.h"

#include "printing/formula.h"
#include "ui/reportlist.h"

#include <QFontInfo>
#include <QSettings>

#include <cmath>

namespace
{

const QString kTrue = QStringLiteral("真");
const QString kFalse = QStringLiteral("假");

// A setting's whole number as the settings file gives it back (the file keeps no types): the
// text read as a 32-bit value, 0 when missing or not a number. Values are stored unsigned, so
// a stored -1 (0xFFFFFFFF) reads back as -1.
qint32 readNumber(const QSettings& settings, const QString& name)
{
    bool ok = false;
    const qint64 value = settings.value(name).toString().trimmed().toLongLong(&ok);
    return ok ? qint32(quint32(value)) : 0;
}

void writeNumber(QSettings& settings, const QString& name, qint64 value)
{
    settings.setValue(name, quint32(value));
}

QString readText(const QSettings& settings, const QString& name)
{
    return settings.value(name).toString();
}

bool readFlag(const QSettings& settings, const QString& name)
{
    return readText(settings, name) == kTrue;
}

void writeFlag(QSettings& settings, const QString& name, bool value)
{
    settings.setValue(name, value ? kTrue : kFalse);
}

// The row colour names come first, then the column colour names.
const std::array<QString, 3> kRowColourNames = {QStringLiteral("行标"), QStringLiteral("奇行"),
                                                QStringLiteral("偶行")};
const std::array<QString, 3> kColumnColourNames = {QStringLiteral("列标"), QStringLiteral("奇列"),
                                                   QStringLiteral("偶列")};

// The value of the printer chosen last time, in the print settings' group.
const QString kLastPrinterName = QStringLiteral("/上次打印机");

int truncatedNumber(const QString& text)
{
    const double value = std::trunc(leadingNumberOf(text));
    if (!std::isfinite(value) || std::fabs(value) > 2147483647.0)
        return 0;
    return int(value);
}

} // namespace

QString lastChosenPrinter(QSettings& settings)
{
    return settings.value(kPrintSettingsGroup + kLastPrinterName).toString();
}

void rememberChosenPrinter(QSettings& settings, const QString& printerName)
{
    if (!printerName.isEmpty())
        settings.setValue(kPrintSettingsGroup + kLastPrinterName, printerName);
}

std::optional<SavedPrintSettings> readSavedPrintSettings(QSettings& settings)
{
    settings.beginGroup(kPrintSettingsGroup);
    std::optional<SavedPrintSettings> result;
    if (readNumber(settings, QStringLiteral("ID")) == 1) {
        SavedPrintSettings saved;
        saved.title = readText(settings, QStringLiteral("标题"));
        saved.remarks = readText(settings, QStringLiteral("备注"));
        saved.pageNumberPosition = readNumber(settings, QStringLiteral("页号位置"));
        saved.paper = readNumber(settings, QStringLiteral("纸张"));
        saved.fontSize = readText(settings, QStringLiteral("字体大小"));
        saved.rowsPerPage = readText(settings, QStringLiteral("每页行数"));
        saved.serialColumn = readFlag(settings, QStringLiteral("增加序号"));
        saved.portrait = readNumber(settings, QStringLiteral("纸张方向")) == 0;
        saved.defaultColours = readFlag(settings, QStringLiteral("默认色"));
        saved.ownScheme = readFlag(settings, QStringLiteral("自配色"));
        saved.customRows = readFlag(settings, QStringLiteral("自定义行"));
        saved.customColumns = readFlag(settings, QStringLiteral("自定义列"));
        for (std::size_t i = 0; i < 3; ++i) {
            saved.rowColours[i] = RgbValue(readNumber(settings, kRowColourNames[i]));
            saved.columnColours[i] = RgbValue(readNumber(settings, kColumnColourNames[i]));
        }
        result = saved;
    }
    settings.endGroup();
    return result;
}

void writeSavedPrintSettings(QSettings& settings, const SavedPrintSettings& saved)
{
    settings.beginGroup(kPrintSettingsGroup);
    writeNumber(settings, QStringLiteral("ID"), 1);
    settings.setValue(QStringLiteral("标题"), saved.title);
    settings.setValue(QStringLiteral("备注"), saved.remarks);
    writeNumber(settings, QStringLiteral("页号位置"), saved.pageNumberPosition);
    writeNumber(settings, QStringLiteral("纸张"), saved.paper);
    settings.setValue(QStringLiteral("字体大小"), saved.fontSize);
    settings.setValue(QStringLiteral("每页行数"), saved.rowsPerPage);
    writeFlag(settings, QStringLiteral("增加序号"), saved.serialColumn);
    writeNumber(settings, QStringLiteral("纸张方向"), saved.portrait ? 0 : 1);
    writeFlag(settings, QStringLiteral("默认色"), saved.defaultColours);
    writeFlag(settings, QStringLiteral("自配色"), saved.ownScheme);
    writeFlag(settings, QStringLiteral("自定义行"), saved.customRows);
    writeFlag(settings, QStringLiteral("自定义列"), saved.customColumns);
    for (std::size_t i = 0; i < 3; ++i)
        writeNumber(settings, kRowColourNames[i], saved.rowColours[i]);
    for (std::size_t i = 0; i < 3; ++i)
        writeNumber(settings, kColumnColourNames[i], saved.columnColours[i]);
    settings.endGroup();
    settings.sync();
}

void forgetSavedPrintSettings(QSettings& settings)
{
    settings.beginGroup(kPrintSettingsGroup);
    writeNumber(settings, QStringLiteral("ID"), 0);
    settings.endGroup();
    settings.sync();
}

PrintRefusal refusalOf(const PrintChoices& choices)
{
    if (choices.columns.isEmpty())
        return PrintRefusal::NoColumns;
    if (choices.totals == TotalsChoice::Statistics && choices.statisticsColumns.isEmpty())
        return PrintRefusal::NoStatisticsColumns;
    return PrintRefusal::None;
}

QString refusalText(PrintRefusal refusal)
{
    switch (refusal) {
    case PrintRefusal::NoColumns:
        return QStringLiteral("没有选择要进行打印的列！");
    case PrintRefusal::NoStatisticsColumns:
        return QStringLiteral("没有选择要进行统计的列！");
    case PrintRefusal::None:
        break;
    }
    return {};
}

PrintRequest collectPrintRequest(const PrintChoices& choices, QWidget* sourceWindow,
                                 ReportList* source, const CustomColumns& customColumns)
{
    const SavedPrintSettings& saved = choices.saved;
    PrintRequest request;
    request.sourceWindow = sourceWindow;
    request.source = source;
    request.title = saved.title;
    request.titleFont = choices.titleFont;
    request.dateLine = choices.dateLine;
    request.columns = choices.columns;
    request.serialColumn = saved.serialColumn;
    request.rowsPerPage = rowsPerPageOf(saved.rowsPerPage);
    request.lineStyle = choices.lineStyle;
    request.paper = saved.paper;
    request.landscape = !saved.portrait;
    request.fontSize = bodyFontSizeOf(saved.fontSize, source ? source->font() : QFont());
    switch (choices.totals) {
    case TotalsChoice::None:
        request.totals = QStringList{QStringLiteral("零")};
        break;
    case TotalsChoice::Totals:
        request.totals = QStringList{QStringLiteral("一")};
        break;
    case TotalsChoice::Statistics:
        request.totals = QStringList{QStringLiteral("二")} + choices.statisticsColumns;
        break;
    }
    request.pageNumberPosition = saved.pageNumberPosition;
    request.colours = colourSchemeOf(saved);
    request.remarks = saved.remarks;
    request.customColumns = customColumns;
    return request;
}

QString printDateLine(const QDate& date)
{
    return QStringLiteral("打印日期:%1年%2月%3日")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day());
}

int rowsPerPageOf(const QString& text)
{
    return text.isEmpty() ? 0 : truncatedNumber(text);
}

int bodyFontSizeOf(const QString& text, const QFont& listFont)
{
    if (!text.isEmpty())
        return truncatedNumber(text);
    double points = listFont.pointSizeF();
    if (points <= 0)
        points = QFontInfo(listFont).pointSizeF();
    return int(points * 3.3);
}

std::array<int, 4> colourSchemeOf(const SavedPrintSettings& saved)
{
    std::array<int, 4> scheme = {0, 0, 0, 0};
    if (saved.ownScheme)
        scheme = {1, int(rgbValue(222, 223, 206)), int(rgbValue(239, 239, 222)), 0};
    if (!saved.defaultColours && !saved.ownScheme) {
        if (saved.customRows)
            scheme = {2, int(saved.rowColours[0]), int(saved.rowColours[1]),
                      int(saved.rowColours[2])};
        if (saved.customColumns)
            scheme = {3, int(saved.columnColours[0]), int(saved.columnColours[1]),
                      int(saved.columnColours[2])};
    }
    return scheme;
}

QStringList titleFontDescription(const QFont& font, RgbValue colour)
{
    int points = font.pointSize();
    if (points <= 0)
        points = qRound(QFontInfo(font).pointSizeF());
    return {font.family(), QString::number(colour),
            font.bold() ? QStringLiteral("1") : QStringLiteral("0"), QString::number(points)};
}
