// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/spreadsheetfiles.h"

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <algorithm>

bool parseCsv(const QString& text, std::vector<QStringList>& records)
{
    records.clear();
    QStringList record;
    QString field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the current field was quoted and its quote closed
    qsizetype i = 0;
    const qsizetype size = text.size();
    const auto endField = [&] {
        record.append(field);
        field.clear();
        wasQuoted = false;
    };
    while (i < size) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < size && text.at(i + 1) == QLatin1Char('"')) {
                    field.append(QLatin1Char('"'));
                    i += 2;
                    continue;
                }
                quoted = false;
                wasQuoted = true;
                ++i;
                continue;
            }
            field.append(c);
            ++i;
            continue;
        }
        if (c == QLatin1Char(',')) {
            endField();
            ++i;
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 >= size || text.at(i + 1) != QLatin1Char('\n'))
                return false;
            endField();
            records.push_back(record);
            record.clear();
            i += 2;
        } else if (c == QLatin1Char('"')) {
            if (!field.isEmpty() || wasQuoted)
                return false;
            quoted = true;
            ++i;
        } else {
            if (wasQuoted || c == QLatin1Char('\n'))
                return false;
            field.append(c);
            ++i;
        }
    }
    if (quoted)
        return false;
    if (!field.isEmpty() || wasQuoted || !record.isEmpty()) {
        endField();
        records.push_back(record);
    }
    return true;
}

QString unguardedCsvText(const QString& field)
{
    static const QRegularExpression guarded(QStringLiteral("^'+[=+\\-@\t\r]"));
    return guarded.match(field).hasMatch() ? field.mid(1) : field;
}

QString XlsxCell::shown() const
{
    if (!isNumber)
        return text;
    static const QRegularExpression fixed(QStringLiteral("^(\\+?)0(?:\\.(0+))?$"));
    const QRegularExpressionMatch match = fixed.match(numberFormat);
    if (!match.hasMatch())
        return QString::number(number, 'g', 15);
    const QString digits = QString::number(number, 'f', int(match.captured(2).size()));
    return (!match.captured(1).isEmpty() && number >= 0 ? QStringLiteral("+") : QString()) + digits;
}

int XlsxSheet::rowCount() const
{
    int rows = 0;
    for (const auto& [position, cell] : cells)
        rows = std::max(rows, position.first + 1);
    return rows;
}

int XlsxSheet::columnCount() const
{
    int columns = 0;
    for (const auto& [position, cell] : cells)
        columns = std::max(columns, position.second + 1);
    return columns;
}

const XlsxCell* XlsxSheet::cell(int row, int column) const
{
    const auto found = cells.find({row, column});
    return found == cells.end() ? nullptr : &found->second;
}

std::vector<QStringList> XlsxSheet::shownRows() const
{
    const int columns = columnCount();
    std::vector<QStringList> rows(std::size_t(rowCount()), QStringList(columns, QString()));
    for (const auto& [position, cell] : cells)
        rows[std::size_t(position.first)][position.second] = cell.shown();
    return rows;
}

QByteArray unzipPart(const QString& zipPath, const QString& part)
{
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (unzip.isEmpty())
        return {};
    QProcess process;
    process.start(unzip, {QStringLiteral("-p"), zipPath, part});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

namespace
{

// "C7" as (row 6, column 2).
std::pair<int, int> cellPosition(const QString& reference)
{
    int column = 0;
    qsizetype i = 0;
    while (i < reference.size() && reference.at(i).isLetter()) {
        column = column * 26 + (reference.at(i).toUpper().unicode() - 'A' + 1);
        ++i;
    }
    return {reference.mid(i).toInt() - 1, column - 1};
}

QStringList sharedStrings(const QByteArray& xml)
{
    QStringList strings;
    QXmlStreamReader reader(xml);
    QString current;
    bool inItem = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si")) {
            inItem = true;
            current.clear();
        } else if (reader.isEndElement() && reader.name() == QLatin1String("si")) {
            inItem = false;
            strings.append(current);
        } else if (inItem && reader.isStartElement() && reader.name() == QLatin1String("t")) {
            current += reader.readElementText();
        }
    }
    return strings;
}

struct CellStyle {
    QString numberFormat = QStringLiteral("General");
    bool bold = false;
    QString horizontal;
};

QList<CellStyle> cellStyles(const QByteArray& xml)
{
    QHash<int, QString> formats = {
        {0, QStringLiteral("General")}, {1, QStringLiteral("0")}, {2, QStringLiteral("0.00")}};
    QList<bool> boldFonts;
    QList<CellStyle> styles;
    QXmlStreamReader reader(xml);
    QString section;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QStringView name = reader.name();
        const QXmlStreamAttributes attributes = reader.attributes();
        if (name == QLatin1String("fonts") || name == QLatin1String("cellXfs") ||
            name == QLatin1String("cellStyleXfs")) {
            section = name.toString();
        } else if (name == QLatin1String("numFmt")) {
            formats.insert(attributes.value(QLatin1String("numFmtId")).toInt(),
                           attributes.value(QLatin1String("formatCode")).toString());
        } else if (name == QLatin1String("font") && section == QLatin1String("fonts")) {
            boldFonts.append(false);
        } else if (name == QLatin1String("b") && section == QLatin1String("fonts") &&
                   !boldFonts.isEmpty()) {
            boldFonts.last() = attributes.value(QLatin1String("val")) != QLatin1String("0");
        } else if (name == QLatin1String("xf") && section == QLatin1String("cellXfs")) {
            CellStyle style;
            style.numberFormat = formats.value(attributes.value(QLatin1String("numFmtId")).toInt(),
                                               QStringLiteral("General"));
            style.bold = boldFonts.value(attributes.value(QLatin1String("fontId")).toInt());
            styles.append(style);
        } else if (name == QLatin1String("alignment") && section == QLatin1String("cellXfs") &&
                   !styles.isEmpty()) {
            styles.last().horizontal = attributes.value(QLatin1String("horizontal")).toString();
        }
    }
    return styles;
}

} // namespace

XlsxSheet readXlsx(const QString& path)
{
    XlsxSheet sheet;
    const QByteArray workbook = unzipPart(path, QStringLiteral("xl/workbook.xml"));
    const QByteArray worksheet = unzipPart(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    if (workbook.isEmpty() || worksheet.isEmpty()) {
        sheet.error = QStringLiteral("no workbook or sheet in ") + path;
        return sheet;
    }
    QXmlStreamReader names(workbook);
    while (!names.atEnd()) {
        names.readNext();
        if (names.isStartElement() && names.name() == QLatin1String("sheet")) {
            sheet.name = names.attributes().value(QLatin1String("name")).toString();
            break;
        }
    }
    const QStringList strings =
        sharedStrings(unzipPart(path, QStringLiteral("xl/sharedStrings.xml")));
    const QList<CellStyle> styles = cellStyles(unzipPart(path, QStringLiteral("xl/styles.xml")));

    QXmlStreamReader reader(worksheet);
    std::pair<int, int> position;
    XlsxCell cell;
    QString type;
    bool inCell = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = reader.name();
        if (reader.isEndElement() && name == QLatin1String("c")) {
            sheet.cells[position] = cell;
            inCell = false;
            continue;
        }
        if (!reader.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (name == QLatin1String("col")) {
            const int first = attributes.value(QLatin1String("min")).toInt();
            const int last = attributes.value(QLatin1String("max")).toInt();
            for (int c = first; c <= last; ++c)
                sheet.columnWidths[c - 1] = attributes.value(QLatin1String("width")).toDouble();
        } else if (name == QLatin1String("pane") &&
                   attributes.value(QLatin1String("state")) == QLatin1String("frozen")) {
            sheet.frozenRows = attributes.value(QLatin1String("ySplit")).toInt();
        } else if (name == QLatin1String("mergeCell")) {
            sheet.merges.append(attributes.value(QLatin1String("ref")).toString());
        } else if (name == QLatin1String("c")) {
            inCell = true;
            position = cellPosition(attributes.value(QLatin1String("r")).toString());
            type = attributes.value(QLatin1String("t")).toString();
            const CellStyle style = styles.value(attributes.value(QLatin1String("s")).toInt());
            cell = XlsxCell();
            cell.numberFormat = style.numberFormat;
            cell.bold = style.bold;
            cell.horizontalAlignment = style.horizontal;
        } else if (inCell && name == QLatin1String("v")) {
            const QString value = reader.readElementText();
            if (type == QLatin1String("s")) {
                cell.text = strings.value(value.toInt());
            } else if (type.isEmpty() || type == QLatin1String("n")) {
                cell.isNumber = true;
                cell.text = value;
                cell.number = value.toDouble();
            } else {
                cell.text = value;
            }
        } else if (inCell && name == QLatin1String("t")) { // an inline string
            cell.text += reader.readElementText();
        }
    }
    if (reader.hasError())
        sheet.error = reader.errorString();
    return sheet;
}
