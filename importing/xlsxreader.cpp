// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/xlsxreader.h"

#include "movements/movementrules.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <QDate>
#include <QDateTime>
#include <QIODevice>
#include <QXmlStreamReader>

#include <cmath>
#include <functional>

namespace
{

const QString kTooLarge = QStringLiteral("解压后的内容超过 200 MB");
// Columns A to XFD: as many as a workbook can have.
constexpr int kLastColumns = 16384;

// Passes on what the zip entry inflates and refuses to go beyond the limit: the sizes a zip's
// headers state are not trusted, the inflated bytes are counted.
class LimitedDevice : public QIODevice
{
public:
    LimitedDevice(QIODevice& source, qint64 limit) : mSource(source), mLimit(limit)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool exceeded() const { return mExceeded; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (mExceeded)
            return -1;
        const qint64 got = mSource.read(data, maxSize);
        if (got > 0) {
            mTotal += got;
            if (mTotal > mLimit) {
                mExceeded = true;
                return -1;
            }
        }
        return got;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& mSource;
    qint64 mLimit;
    qint64 mTotal = 0;
    bool mExceeded = false;
};

// One part of the workbook read as XML. A document type declaration is refused: the parts of a
// workbook have none, and only they could declare entities that expand to gigabytes.
class XmlPart
{
public:
    XmlPart(QuaZip& zip, const QString& name, qint64 limit) : mFile(&zip)
    {
        if (!zip.setCurrentFile(name, QuaZip::csInsensitive))
            return;
        if (!mFile.open(QIODevice::ReadOnly))
            return;
        mDevice = std::make_unique<LimitedDevice>(mFile, limit);
        mXml.setDevice(mDevice.get());
        mXml.setNamespaceProcessing(true);
    }
    bool isOpen() const { return mDevice != nullptr; }
    QXmlStreamReader& xml() { return mXml; }

    // The next token; false at the end of the part or at an error.
    bool next()
    {
        const QXmlStreamReader::TokenType token = mXml.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference) {
            mRefused = true;
            mXml.raiseError(QStringLiteral("DTD"));
            return false;
        }
        return token != QXmlStreamReader::EndDocument && token != QXmlStreamReader::Invalid;
    }
    bool isStart(QStringView name) const
    {
        return mXml.tokenType() == QXmlStreamReader::StartElement && mXml.name() == name;
    }
    bool isEnd(QStringView name) const
    {
        return mXml.tokenType() == QXmlStreamReader::EndElement && mXml.name() == name;
    }

    // Why the part could not be read; empty when it was read to its end.
    QString failure(const QString& name) const
    {
        if (!mDevice)
            return QStringLiteral("缺少 %1").arg(name);
        if (mDevice->exceeded())
            return kTooLarge;
        if (mRefused)
            return QStringLiteral("%1 含有文档类型定义（DTD），不予读取").arg(name);
        if (mXml.hasError())
            return QStringLiteral("%1 不是有效的 XML（%2）").arg(name, mXml.errorString());
        return {};
    }

private:
    QuaZipFile mFile;
    std::unique_ptr<LimitedDevice> mDevice;
    QXmlStreamReader mXml;
    bool mRefused = false;
};

// The value of the attribute of the local name, in any namespace.
QStringView attribute(const QXmlStreamReader& xml, QStringView name)
{
    const QXmlStreamAttributes attributes = xml.attributes();
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name() == name)
            return attribute.value();
    }
    return {};
}

// Collects the texts of <t> elements up to the end of the element `end`, leaving out phonetic
// runs (<rPh>), which only spell the reading of the text before them.
QString readRichText(XmlPart& part, QStringView end)
{
    QString text;
    int phonetic = 0;
    while (part.next()) {
        if (part.isEnd(end))
            break;
        if (part.isStart(u"rPh"))
            ++phonetic;
        else if (part.isEnd(u"rPh"))
            --phonetic;
        else if (part.isStart(u"t") && phonetic == 0)
            text += part.xml().readElementText(QXmlStreamReader::IncludeChildElements);
    }
    return text;
}

// A part name from a relationship target, relative to the folder "xl/".
QString partOfTarget(const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QString path = QStringLiteral("xl/") + target;
    // "xl/worksheets/../x.xml" and the like.
    QStringList parts;
    const QStringList pieces = path.split(QLatin1Char('/'));
    for (const QString& piece : pieces) {
        if (piece == QLatin1String(".."))
            parts.removeLast();
        else if (piece != QLatin1String("."))
            parts.append(piece);
    }
    return parts.join(QLatin1Char('/'));
}

} // namespace

XlsxWorkbook::XlsxWorkbook() = default;
XlsxWorkbook::~XlsxWorkbook() = default;

bool XlsxWorkbook::open(const QString& path)
{
    mZip = std::make_unique<QuaZip>(path);
    if (!mZip->open(QuaZip::mdUnzip)) {
        mZip.reset();
        mFailure = QStringLiteral("不是 Excel 工作簿（不是 zip 文件）");
        return false;
    }
    if (!readRelationships())
        return false;

    XmlPart part(*mZip, QStringLiteral("xl/workbook.xml"), mPartLimit);
    QStringList ids;
    while (part.isOpen() && part.next()) {
        if (part.isStart(u"workbookPr")) {
            const QStringView date1904 = attribute(part.xml(), u"date1904");
            mDate1904 = date1904 == u"1" || date1904 == u"true";
        } else if (part.isStart(u"sheet")) {
            mSheetNames.append(attribute(part.xml(), u"name").toString());
            ids.append(attribute(part.xml(), u"id").toString());
        }
    }
    mFailure = part.failure(QStringLiteral("xl/workbook.xml"));
    if (!mFailure.isEmpty())
        return false;

    // The sheets' parts through the relationships; worksheets only (a chart sheet has no cells).
    QStringList names;
    for (int i = 0; i < ids.size(); ++i) {
        // Without relationships the sheets are in their usual parts, in order.
        const QString target = mWorksheetParts.isEmpty()
                                   ? QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1)
                                   : mWorksheetParts.value(ids[i]);
        if (target.isEmpty())
            continue;
        names.append(mSheetNames[i]);
        mSheetParts.append(target);
    }
    mSheetNames = names;
    if (mSheetNames.isEmpty()) {
        mFailure = QStringLiteral("工作簿中没有工作表");
        return false;
    }
    return true;
}

bool XlsxWorkbook::readRelationships()
{
    const QString name = QStringLiteral("xl/_rels/workbook.xml.rels");
    XmlPart part(*mZip, name, mPartLimit);
    if (!part.isOpen()) {
        // No relationships: the usual part names.
        if (!mZip->setCurrentFile(QStringLiteral("xl/workbook.xml"), QuaZip::csInsensitive)) {
            mFailure = QStringLiteral("不是 Excel 工作簿（缺少 xl/workbook.xml）");
            return false;
        }
        return true;
    }
    while (part.next()) {
        if (!part.isStart(u"Relationship"))
            continue;
        const QString id = attribute(part.xml(), u"Id").toString();
        const QStringView type = attribute(part.xml(), u"Type");
        const QString target = partOfTarget(attribute(part.xml(), u"Target").toString());
        if (type.endsWith(u"/worksheet"))
            mWorksheetParts.insert(id, target);
        else if (type.endsWith(u"/sharedStrings"))
            mSharedStringsPart = target;
        else if (type.endsWith(u"/styles"))
            mStylesPart = target;
    }
    mFailure = part.failure(name);
    return mFailure.isEmpty();
}

bool XlsxWorkbook::readSharedStrings(const ReadControl& control, QString& failure)
{
    XmlPart part(*mZip, mSharedStringsPart, mPartLimit);
    if (!part.isOpen())
        return true; // a workbook without texts has none
    while (part.next()) {
        if (part.isStart(u"si")) {
            mSharedStrings.push_back(readRichText(part, u"si"));
            if ((mSharedStrings.size() & 0xfff) == 0 && control.cancelled())
                return false;
        }
    }
    failure = part.failure(mSharedStringsPart);
    return failure.isEmpty();
}

bool XlsxWorkbook::readStyles(QString& failure)
{
    XmlPart part(*mZip, mStylesPart, mPartLimit);
    if (!part.isOpen())
        return true;
    QHash<int, QString> codes;
    bool inCellStyles = false;
    while (part.next()) {
        if (part.isStart(u"numFmt")) {
            codes.insert(attribute(part.xml(), u"numFmtId").toInt(),
                         attribute(part.xml(), u"formatCode").toString());
        } else if (part.isStart(u"cellXfs")) {
            inCellStyles = true;
        } else if (part.isEnd(u"cellXfs")) {
            inCellStyles = false;
        } else if (inCellStyles && part.isStart(u"xf")) {
            const int id = attribute(part.xml(), u"numFmtId").toInt();
            mDateStyles.push_back(isDateNumberFormat(id, codes.value(id)));
        }
    }
    failure = part.failure(mStylesPart);
    return failure.isEmpty();
}

ReadOutcome XlsxWorkbook::readSheet(int index, const ReadControl& control)
{
    ReadOutcome outcome;
    if (!mZip || index < 0 || index >= mSheetParts.size()) {
        outcome.failure = QStringLiteral("工作簿中没有这张工作表");
        return outcome;
    }
    if (!mSharedRead) {
        if (!readSharedStrings(control, outcome.failure) || !readStyles(outcome.failure)) {
            outcome.cancelled = outcome.failure.isEmpty();
            mSharedStrings.clear();
            mDateStyles.clear();
            return outcome;
        }
        mSharedRead = true;
    }

    const QString name = mSheetParts[index];
    XmlPart part(*mZip, name, mPartLimit);
    if (!part.isOpen()) {
        outcome.failure = QStringLiteral("缺少工作表 %1").arg(name);
        return outcome;
    }
    // The part's size for the progress: the inflated size the zip states (only a guide).
    QuaZipFileInfo64 info;
    const qint64 expected =
        std::max<qint64>(1, mZip->getCurrentFileInfo(&info) ? qint64(info.uncompressedSize) : 1);
    // Cells are kept by their column while reading: a hostile sheet with a cell in its last
    // column (XFD) on every row must not make every row 16,384 cells wide.
    using SparseRow = std::vector<std::pair<int, ImportCell>>;
    std::vector<ImportRow>& rows = outcome.sheet.rows;
    std::vector<SparseRow> cellsByRow;
    SparseRow cells;
    std::vector<bool> usedColumns(kLastColumns, false);
    qint64 cellCount = 0;
    ImportRow row;
    int nextRow = 1;
    int nextColumn = 0;
    bool rowHasText = false;
    while (part.next()) {
        QXmlStreamReader& xml = part.xml();
        if (xml.tokenType() != QXmlStreamReader::StartElement) {
            if (part.isEnd(u"row")) {
                if (rowHasText) {
                    if (int(rows.size()) >= kMaxImportRows) {
                        outcome.failure = tooManyRowsText();
                        rows.clear();
                        return outcome;
                    }
                    rows.push_back(std::move(row));
                    cellsByRow.push_back(std::move(cells));
                }
                cells = SparseRow();
                row = ImportRow();
                rowHasText = false;
            }
            continue;
        }
        if (xml.name() == u"row") {
            const int number = attribute(xml, u"r").toInt();
            row.fileRow = number > 0 ? number : nextRow;
            nextRow = row.fileRow + 1;
            nextColumn = 0;
            if ((row.fileRow & 0x3ff) == 0) {
                if (control.cancelled()) {
                    outcome.cancelled = true;
                    return outcome;
                }
                control.report(int(std::min<qint64>(99, xml.characterOffset() * 100 / expected)));
            }
            continue;
        }
        if (xml.name() != u"c")
            continue;

        const QXmlStreamAttributes attributes = xml.attributes();
        const int referenced = xlsxColumnOf(attributes.value(QLatin1String("r")));
        const int column = referenced >= 0 ? referenced : nextColumn;
        nextColumn = column + 1;
        const QString type = attributes.value(QLatin1String("t")).toString();
        const int style = attributes.value(QLatin1String("s")).toInt();
        QString value;
        QString inlineText;
        bool hasInline = false;
        while (part.next() && !part.isEnd(u"c")) {
            if (part.isStart(u"v")) {
                value = xml.readElementText();
            } else if (part.isStart(u"is")) {
                inlineText = readRichText(part, u"is");
                hasInline = true;
            }
        }
        if (xml.hasError())
            break;
        if (column >= kLastColumns) // beyond the last column a workbook can have
            continue;

        ImportCell cell;
        if (type == QLatin1String("s")) {
            bool ok = false;
            const qsizetype at = value.toLongLong(&ok);
            if (ok && at >= 0 && std::size_t(at) < mSharedStrings.size()) {
                cell.text = mSharedStrings[std::size_t(at)];
            } else {
                cell.text = QStringLiteral("#REF!");
                cell.error = true;
            }
        } else if (type == QLatin1String("inlineStr")) {
            cell.text = hasInline ? inlineText : value;
        } else if (type == QLatin1String("str")) {
            cell.text = value;
        } else if (type == QLatin1String("b")) {
            if (!value.isEmpty())
                cell.text = value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE")
                                                                  : QStringLiteral("FALSE");
        } else if (type == QLatin1String("e")) {
            cell.text = value;
            cell.error = !value.isEmpty();
        } else if (type == QLatin1String("d")) {
            const QDateTime moment = QDateTime::fromString(value, Qt::ISODate);
            if (moment.isValid()) {
                cell.text = dateText(moment.date());
                if (moment.time() != QTime(0, 0))
                    cell.text += moment.time().toString(QStringLiteral(" H:mm:ss"));
            } else {
                const QDate date = QDate::fromString(value, Qt::ISODate);
                cell.text = date.isValid() ? dateText(date) : value;
            }
        } else if (!value.isEmpty()) {
            const bool isDate = style >= 0 && std::size_t(style) < mDateStyles.size() &&
                                mDateStyles[std::size_t(style)];
            bool ok = false;
            const double number = value.toDouble(&ok);
            if (isDate && ok && number >= 0 && number < 2958466)
                cell.text = xlsxDateText(number, mDate1904);
            else
                cell.text = xlsxNumberText(value);
            if (cell.text.isEmpty()) {
                cell.text = value;
                cell.error = true;
            }
        }
        if (cell.text.isEmpty() && !cell.error)
            continue;
        if (++cellCount > kMaxImportCells) {
            outcome.failure = tooManyCellsText();
            rows.clear();
            return outcome;
        }
        usedColumns[std::size_t(column)] = true;
        cells.emplace_back(column, std::move(cell));
        rowHasText = true;
    }
    outcome.failure = part.failure(name);
    if (!outcome.failure.isEmpty()) {
        rows.clear();
        return outcome;
    }

    // The columns that hold anything, side by side.
    std::vector<int> compact(kLastColumns, -1);
    for (int c = 0; c < kLastColumns; ++c) {
        if (usedColumns[std::size_t(c)]) {
            compact[std::size_t(c)] = int(outcome.sheet.columnNames.size());
            outcome.sheet.columnNames.append(xlsxColumnName(c));
        }
    }
    if (qint64(rows.size()) * outcome.sheet.columnNames.size() > kMaxImportCells) {
        outcome.failure = tooManyCellsText();
        rows.clear();
        outcome.sheet.columnNames.clear();
        return outcome;
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        int width = 0;
        for (const auto& [column, cell] : cellsByRow[r])
            width = std::max(width, compact[std::size_t(column)] + 1);
        rows[r].cells.resize(std::size_t(width));
        // In the file's order: a column given twice in a row keeps its last cell.
        for (auto& [column, cell] : cellsByRow[r])
            rows[r].cells[std::size_t(compact[std::size_t(column)])] = std::move(cell);
    }
    control.report(100);
    return outcome;
}

QString xlsxNumberText(QStringView stored)
{
    const QStringView text = stored.trimmed();
    // Plain digits with an optional sign and fraction keep their form when a double holds them.
    int digits = 0;
    int leadingZeros = 0;
    bool plain = !text.isEmpty();
    bool point = false;
    bool seenDigit = false;
    for (qsizetype i = 0; i < text.size() && plain; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('-') && i == 0)
            continue;
        if (c == QLatin1Char('.') && !point) {
            point = true;
            continue;
        }
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            plain = false;
            break;
        }
        if (c == QLatin1Char('0') && !seenDigit)
            ++leadingZeros;
        else
            seenDigit = true;
        ++digits;
    }
    if (plain && digits > 0 && digits - leadingZeros <= 15 && !text.endsWith(u'.')) {
        QString result = text.toString();
        // "7.50" and "7." as "7.5" and "7": the number, not the way it was written.
        if (point) {
            while (result.endsWith(QLatin1Char('0')))
                result.chop(1);
            if (result.endsWith(QLatin1Char('.')))
                result.chop(1);
        }
        if (result == QLatin1String("-0"))
            result = QStringLiteral("0");
        return result;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return {};
    QString result = QString::number(value, 'g', 15);
    if (result.contains(QLatin1Char('e'))) {
        // Far from 1: written out in full, with its 15 digits, as long as that stays readable.
        const double rounded = result.toDouble();
        const double magnitude = std::fabs(rounded);
        if (magnitude >= 1e15 && magnitude < 1e21)
            return QString::number(rounded, 'f', 0);
        if (magnitude >= 1e-6 && magnitude < 1e15) {
            result = QString::number(value, 'f', 15);
            if (result.contains(QLatin1Char('.'))) {
                while (result.endsWith(QLatin1Char('0')))
                    result.chop(1);
                if (result.endsWith(QLatin1Char('.')))
                    result.chop(1);
            }
        }
    }
    return result;
}

QString xlsxDateText(double serial, bool date1904)
{
    const QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double whole = std::floor(serial);
    QString text = dateText(base.addDays(qint64(whole)));
    const int seconds = int(std::llround((serial - whole) * 86400.0));
    if (seconds > 0 && seconds < 86400)
        text += QTime(0, 0).addSecs(seconds).toString(QStringLiteral(" H:mm:ss"));
    return text;
}

bool isDateNumberFormat(int id, const QString& code)
{
    if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47))
        return true;
    if (code.isEmpty())
        return false;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i; // the next character is shown as it is, or only takes its room
        } else if (c == QLatin1Char('[')) {
            ++bracket;
        } else if (c == QLatin1Char(']')) {
            bracket = std::max(0, bracket - 1);
        } else if (bracket == 0) {
            const char letter = char(c.toLower().unicode());
            if (letter == 'd' || letter == 'm' || letter == 'y' || letter == 'h' || letter == 's')
                return true;
        }
    }
    return false;
}

int xlsxColumnOf(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && i < 4; ++i) {
        const char16_t c = reference[i].toUpper().unicode();
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c - u'A' + 1);
    }
    return i == 0 ? -1 : column - 1;
}

QString xlsxColumnName(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}
