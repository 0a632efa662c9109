// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/reportexport.h"

#include "storage/replacementfile.h"

#include <QFile>
#include <QHash>

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <string>

#ifndef Q_OS_WIN
#include <locale.h>
#endif

namespace
{

// The longest text a spreadsheet cell holds, in characters.
constexpr qsizetype kLongestCellText = 32767;
// The significant digits a spreadsheet keeps of a number.
constexpr int kSpreadsheetDigits = 15;
const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// The signs that make a spreadsheet read a text as a formula, also after a tab or carriage
// return that it skips.
bool isFormulaSign(QChar character)
{
    return character == QLatin1Char('=') || character == QLatin1Char('+') ||
           character == QLatin1Char('-') || character == QLatin1Char('@') ||
           character == QLatin1Char('\t') || character == QLatin1Char('\r');
}

bool isAsciiDigit(QChar character)
{
    return character >= QLatin1Char('0') && character <= QLatin1Char('9');
}

} // namespace

ReportFileFormat reportFileFormatOf(const QString& fileName)
{
    if (fileName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return ReportFileFormat::Xlsx;
    if (fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        return ReportFileFormat::Csv;
    return ReportFileFormat::Pages;
}

ReportSheet reportSheetOf(const ReportTable& table)
{
    const int rowCount = table.rowCount();
    const int columnCount = table.columnCount();
    const auto isMergeStart = [&table](int row, int column) {
        const QRect span = table.spanOf(row, column);
        return span.y() == row && span.x() == column && span.width() * span.height() > 1;
    };

    // Columns: an edge column one unit wide is only drawn, unless it holds a text of its own
    // (not the start of a range merged over other columns, whose text the sheet moves along).
    std::vector<int> sheetColumn(std::size_t(columnCount) + 1, -1);
    std::vector<int> columns;
    for (int c = 1; c <= columnCount; ++c) {
        bool ownText = false;
        for (int r = 1; r <= rowCount && !ownText; ++r)
            ownText = !table.text(r, c).isEmpty() && !isMergeStart(r, c);
        if (table.columnWidth(c) <= 1 && !ownText)
            continue;
        sheetColumn[std::size_t(c)] = int(columns.size());
        columns.push_back(c);
    }

    // Rows: a black rule one unit high is only drawn, and a row without text that merged ranges
    // from above cover (the remarks' second and third rows) adds nothing.
    std::vector<int> sheetRow(std::size_t(rowCount) + 1, -1);
    ReportSheet sheet;
    sheet.columnCount = int(columns.size());
    for (int r = 1; r <= rowCount; ++r) {
        bool hasText = false;
        for (int c = 1; c <= columnCount && !hasText; ++c)
            hasText = !table.text(r, c).isEmpty();
        if (!hasText) {
            if (table.rowHeight(r) <= 1)
                continue;
            bool covered = !columns.empty();
            for (const int c : columns)
                covered = covered && table.spanOf(r, c).y() < r;
            if (covered)
                continue;
        }
        sheetRow[std::size_t(r)] = int(sheet.tableRows.size());
        sheet.tableRows.push_back(r);
        if (r <= table.fixedRows())
            sheet.headingRows = int(sheet.tableRows.size());
    }

    // Cells: each merged range's text and look in the first sheet cell it still covers, the
    // other cells it covers empty.
    sheet.rows.assign(sheet.tableRows.size(), std::vector<SheetCell>(columns.size()));
    const auto cellOf = [&table](int row, int column) {
        const ReportCellStyle& style = table.style(row, column);
        // The first row is the title (or the column titles of a table without one).
        return SheetCell{table.text(row, column), style.bold || row == 1, style.alignment};
    };
    for (std::size_t s = 0; s < sheet.tableRows.size(); ++s) {
        const int r = sheet.tableRows[s];
        for (std::size_t k = 0; k < columns.size(); ++k) {
            if (table.spanOf(r, columns[k]).width() * table.spanOf(r, columns[k]).height() == 1)
                sheet.rows[s][k] = cellOf(r, columns[k]);
        }
    }
    for (const QRect& merged : table.merges()) {
        int firstColumn = -1;
        int lastColumn = -1;
        for (int c = merged.x(); c < merged.x() + merged.width() && c <= columnCount; ++c) {
            if (const int k = sheetColumn[std::size_t(c)]; k >= 0) {
                firstColumn = firstColumn < 0 ? k : firstColumn;
                lastColumn = k;
            }
        }
        int firstRow = -1;
        int lastRow = -1;
        for (int r = merged.y(); r < merged.y() + merged.height() && r <= rowCount; ++r) {
            if (const int s = sheetRow[std::size_t(r)]; s >= 0) {
                firstRow = firstRow < 0 ? s : firstRow;
                lastRow = s;
            }
        }
        if (firstColumn < 0 || firstRow < 0)
            continue;
        sheet.rows[std::size_t(firstRow)][std::size_t(firstColumn)] =
            cellOf(merged.y(), merged.x());
        const QRect range(firstColumn, firstRow, lastColumn - firstColumn + 1,
                          lastRow - firstRow + 1);
        if (range.width() * range.height() > 1)
            sheet.merges.push_back(range);
    }

    for (const int c : columns)
        sheet.columnWidths.push_back(table.columnWidth(c));
    return sheet;
}

std::vector<std::vector<int>> sheetRowsByPage(const ReportSheet& sheet,
                                              const std::vector<ReportPage>& pages)
{
    std::vector<std::vector<int>> batches;
    const int total = int(sheet.tableRows.size());
    int next = 0;
    for (const ReportPage& page : pages) {
        const int last =
            page.rows.empty() ? 0 : *std::max_element(page.rows.begin(), page.rows.end());
        std::vector<int> batch;
        while (next < total && sheet.tableRows[std::size_t(next)] <= last)
            batch.push_back(next++);
        batches.push_back(std::move(batch));
    }
    if (batches.empty())
        batches.emplace_back();
    while (next < total)
        batches.back().push_back(next++);
    return batches;
}

bool isNumberText(const QString& text)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    if (i < size && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < size && isAsciiDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < size && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < size && isAsciiDigit(text.at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < size && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        ++i;
        if (i < size && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
            ++i;
        qsizetype exponent = 0;
        while (i < size && isAsciiDigit(text.at(i))) {
            ++i;
            ++exponent;
        }
        if (exponent == 0)
            return false;
    }
    return i == size;
}

std::optional<SheetNumber> sheetNumberOf(const QString& text)
{
    // Sign, whole digits without a leading zero (a lone 0 aside), and decimals after a point.
    const qsizetype size = text.size();
    qsizetype i = 0;
    const QChar sign =
        size > 0 && (text.at(0) == QLatin1Char('+') || text.at(0) == QLatin1Char('-'))
            ? text.at(i++)
            : QChar();
    const qsizetype wholeStart = i;
    while (i < size && isAsciiDigit(text.at(i)))
        ++i;
    const qsizetype wholeDigits = i - wholeStart;
    if (wholeDigits == 0 || (wholeDigits > 1 && text.at(wholeStart) == QLatin1Char('0')))
        return std::nullopt;
    qsizetype decimals = 0;
    if (i < size && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < size && isAsciiDigit(text.at(i))) {
            ++i;
            ++decimals;
        }
        if (decimals == 0)
            return std::nullopt;
    }
    if (i != size)
        return std::nullopt;

    // Every digit shown must be one the spreadsheet keeps.
    qsizetype firstSignificant = wholeStart;
    while (firstSignificant < size && (text.at(firstSignificant) == QLatin1Char('0') ||
                                       text.at(firstSignificant) == QLatin1Char('.')))
        ++firstSignificant;
    qsizetype significant = 0;
    for (qsizetype d = firstSignificant; d < size; ++d)
        significant += isAsciiDigit(text.at(d)) ? 1 : 0;
    if (significant > kSpreadsheetDigits)
        return std::nullopt;

    const std::string number = text.mid(wholeStart).toStdString();
    double value = 0;
    if (std::from_chars(number.data(), number.data() + number.size(), value).ec != std::errc())
        return std::nullopt;
    // A negative zero would show as "0".
    if (sign == QLatin1Char('-') && value == 0)
        return std::nullopt;

    SheetNumber result;
    result.value = sign == QLatin1Char('-') ? -value : value;
    result.format = sign == QLatin1Char('+') ? QStringLiteral("+0") : QStringLiteral("0");
    if (decimals > 0)
        result.format += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
    return result;
}

QString csvGuarded(const QString& text)
{
    qsizetype apostrophes = 0;
    while (apostrophes < text.size() && text.at(apostrophes) == QLatin1Char('\''))
        ++apostrophes;
    if (apostrophes < text.size() && isFormulaSign(text.at(apostrophes)) &&
        (apostrophes > 0 || !isNumberText(text)))
        return QLatin1Char('\'') + text;
    return text;
}

QString csvField(const QString& text)
{
    QString field = csvGuarded(text);
    if (field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
        field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'))) {
        field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        field = QLatin1Char('"') + field + QLatin1Char('"');
    }
    return field;
}

QString csvLine(const QStringList& texts)
{
    QStringList fields;
    fields.reserve(texts.size());
    for (const QString& text : texts)
        fields.append(csvField(text));
    return fields.join(QLatin1Char(','));
}

namespace
{

// A CSV file: UTF-8 with a byte-order mark (so that spreadsheet programs read Chinese), one line
// per sheet row ended by CR LF, as RFC 4180 has it.
class CsvWriter : public SheetWriter
{
public:
    bool begin(const ReportSheet& sheet, ReplacementFile& output) override
    {
        mSheet = &sheet;
        mFile = output.file();
        return mFile && mFile->write(kUtf8ByteOrderMark, 3) == 3;
    }

    bool writeRow(int row) override
    {
        QStringList texts;
        for (const SheetCell& cell : mSheet->rows[std::size_t(row)])
            texts.append(cell.text);
        const QByteArray line = (csvLine(texts) + QStringLiteral("\r\n")).toUtf8();
        return mFile->write(line) == line.size();
    }

    // The new file itself is closed when it is put in place.
    bool finish() override { return mFile->flush() && mFile->error() == QFileDevice::NoError; }

private:
    const ReportSheet* mSheet = nullptr;
    QFile* mFile = nullptr;
};

// The C library writes numbers in the C locale on this thread while it lives. The spreadsheet
// library writes cell values and column widths with printf, which follows the desktop's locale:
// on a German or Russian desktop 7.5 would go into the file as "7,5", which reads back as 0.
class CNumbersOnThisThread
{
public:
    CNumbersOnThisThread()
    {
#ifndef Q_OS_WIN
        const locale_t current = duplocale(uselocale(locale_t(0)));
        if (!current)
            return;
        mLocale = newlocale(LC_NUMERIC_MASK, "C", current);
        if (!mLocale) {
            freelocale(current);
            return;
        }
        mPrevious = uselocale(mLocale);
#endif
    }
    ~CNumbersOnThisThread()
    {
#ifndef Q_OS_WIN
        if (mLocale) {
            uselocale(mPrevious);
            freelocale(mLocale);
        }
#endif
    }
    CNumbersOnThisThread(const CNumbersOnThisThread&) = delete;
    CNumbersOnThisThread& operator=(const CNumbersOnThisThread&) = delete;

private:
#ifndef Q_OS_WIN
    locale_t mLocale = locale_t(0);
    locale_t mPrevious = locale_t(0);
#endif
};

// An Excel workbook of one sheet "报表": numbers as numeric cells shown with their texts, every
// other text as a string cell (never a formula); the report's merges, bold cells, alignments and
// column widths; the rows down to the column titles frozen.
class XlsxWriter : public SheetWriter
{
public:
    ~XlsxWriter() override
    {
        // Not finished: nothing more is written, the memory is returned.
        if (mWorkbook)
            lxw_workbook_free(mWorkbook);
    }

    bool begin(const ReportSheet& sheet, ReplacementFile& output) override
    {
        mSheet = &sheet;
        lxw_workbook_options options = {};
        // The library writes a workbook only to a named file: the new file the program made.
        mWorkbook = workbook_new_opt(QFile::encodeName(output.path()).constData(), &options);
        if (!mWorkbook)
            return false;
        mWorksheet = workbook_add_worksheet(mWorkbook, "报表");
        if (!mWorksheet)
            return false;

        for (std::size_t c = 0; c < sheet.columnWidths.size(); ++c) {
            if (worksheet_set_column(mWorksheet, lxw_col_t(c), lxw_col_t(c),
                                     characterWidth(sheet.columnWidths[c]), nullptr))
                return false;
        }
        if (sheet.headingRows > 0 && std::size_t(sheet.headingRows) < sheet.rows.size())
            worksheet_freeze_panes(mWorksheet, lxw_row_t(sheet.headingRows), 0);
        setUpPages(sheet);

        mMergeAt.assign(sheet.rows.size(), std::vector<int>(std::size_t(sheet.columnCount), -1));
        mCovered.assign(sheet.rows.size(),
                        std::vector<bool>(std::size_t(sheet.columnCount), false));
        for (std::size_t m = 0; m < sheet.merges.size(); ++m) {
            const QRect& range = sheet.merges[m];
            for (int r = range.top(); r <= range.bottom(); ++r)
                for (int c = range.left(); c <= range.right(); ++c)
                    mCovered[std::size_t(r)][std::size_t(c)] = true;
            mMergeAt[std::size_t(range.top())][std::size_t(range.left())] = int(m);
        }
        return true;
    }

    bool writeRow(int row) override
    {
        const std::vector<SheetCell>& cells = mSheet->rows[std::size_t(row)];
        for (int c = 0; c < int(cells.size()); ++c) {
            const int merge = mMergeAt[std::size_t(row)][std::size_t(c)];
            if (merge < 0 && mCovered[std::size_t(row)][std::size_t(c)])
                continue;
            const SheetCell& cell = cells[std::size_t(c)];
            const std::optional<SheetNumber> number = sheetNumberOf(cell.text);
            lxw_format* format =
                formatFor(cell.bold, cell.alignment, number ? number->format : QString(),
                          !number && cell.text.contains(QLatin1Char('\n')));
            if (merge >= 0) {
                const QRect& range = mSheet->merges[std::size_t(merge)];
                if (worksheet_merge_range(mWorksheet, lxw_row_t(range.top()),
                                          lxw_col_t(range.left()), lxw_row_t(range.bottom()),
                                          lxw_col_t(range.right()), "", format))
                    return false;
            }
            if (cell.text.isEmpty())
                continue;
            lxw_error written = LXW_NO_ERROR;
            if (number) {
                written = worksheet_write_number(mWorksheet, lxw_row_t(row), lxw_col_t(c),
                                                 number->value, format);
            } else {
                const QByteArray text = cell.text.left(kLongestCellText).toUtf8();
                written = worksheet_write_string(mWorksheet, lxw_row_t(row), lxw_col_t(c),
                                                 text.constData(), format);
            }
            if (written != LXW_NO_ERROR)
                return false;
        }
        return true;
    }

    bool finish() override
    {
        lxw_workbook* workbook = mWorkbook;
        mWorkbook = nullptr; // closing frees it, whatever the outcome
        // The whole file is written here, numbers included.
        const CNumbersOnThisThread numbers;
        return workbook && workbook_close(workbook) == LXW_NO_ERROR;
    }

private:
    // Printed from the spreadsheet program, the sheet looks like the report: its paper and
    // orientation, every column on one page's width, the heading rows (title, date line, column
    // titles) on every page and the page number in the footer.
    void setUpPages(const ReportSheet& sheet)
    {
        if (const int paper = excelPaperOf(sheet.paper))
            worksheet_set_paper(mWorksheet, uint8_t(paper));
        if (sheet.landscape)
            worksheet_set_landscape(mWorksheet);
        else
            worksheet_set_portrait(mWorksheet);
        worksheet_fit_to_pages(mWorksheet, 1, 0);
        if (sheet.headingRows > 0 && std::size_t(sheet.headingRows) < sheet.rows.size())
            worksheet_repeat_rows(mWorksheet, 0, lxw_row_t(sheet.headingRows - 1));
        worksheet_set_footer(mWorksheet, "&C&P / &N");
    }

    // The spreadsheet's paper code of a paper size in table units; 0 (the default) for others.
    static int excelPaperOf(const QSize& paper)
    {
        if (paper.isEmpty())
            return 0;
        const int narrow = std::min(paper.width(), paper.height());
        const int wide = std::max(paper.width(), paper.height());
        struct Known {
            int code, narrow, wide;
        };
        static constexpr Known kKnown[] = {{9, 2100, 2970},  {8, 2970, 4200},  {11, 1480, 2100},
                                           {13, 1820, 2570}, {12, 2570, 3640}, {1, 2159, 2794},
                                           {5, 2159, 3556},  {70, 1050, 1480}};
        for (const Known& known : kKnown) {
            if (std::abs(narrow - known.narrow) <= 20 && std::abs(wide - known.wide) <= 20)
                return known.code;
        }
        return 0;
    }

    // A width in table units (tenths of a millimetre) as a spreadsheet column width: characters
    // of the default font, 7 pixels each at 96 pixels per inch, plus 5 pixels of padding.
    static double characterWidth(int units)
    {
        const double pixels = units * 96.0 / 254.0;
        return std::max(1.0, (pixels - 5.0) / 7.0);
    }

    lxw_format* formatFor(bool bold, int alignment, const QString& numberFormat, bool wrap)
    {
        const QString key = numberFormat + QLatin1Char(bold ? 'b' : '-') +
                            QLatin1Char(wrap ? 'w' : '-') + QString::number(alignment);
        if (lxw_format* known = mFormats.value(key))
            return known;
        lxw_format* format = workbook_add_format(mWorkbook);
        if (bold)
            format_set_bold(format);
        switch (alignment) {
        case 1:
            format_set_align(format, LXW_ALIGN_LEFT);
            format_set_align(format, LXW_ALIGN_VERTICAL_TOP);
            break;
        case 4:
            format_set_align(format, LXW_ALIGN_LEFT);
            format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
            break;
        case 5:
            format_set_align(format, LXW_ALIGN_CENTER);
            format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
            break;
        case 6:
            format_set_align(format, LXW_ALIGN_RIGHT);
            format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
            break;
        case 9:
            format_set_align(format, LXW_ALIGN_RIGHT);
            format_set_align(format, LXW_ALIGN_VERTICAL_BOTTOM);
            break;
        default:
            break;
        }
        if (!numberFormat.isEmpty())
            format_set_num_format(format, numberFormat.toLatin1().constData());
        if (wrap)
            format_set_text_wrap(format);
        mFormats.insert(key, format);
        return format;
    }

    const ReportSheet* mSheet = nullptr;
    lxw_workbook* mWorkbook = nullptr;
    lxw_worksheet* mWorksheet = nullptr;
    QHash<QString, lxw_format*> mFormats;
    std::vector<std::vector<int>> mMergeAt;
    std::vector<std::vector<bool>> mCovered;
};

} // namespace

std::unique_ptr<SheetWriter> SheetWriter::make(ReportFileFormat format)
{
    switch (format) {
    case ReportFileFormat::Xlsx:
        return std::make_unique<XlsxWriter>();
    case ReportFileFormat::Csv:
        return std::make_unique<CsvWriter>();
    case ReportFileFormat::Pages:
        break;
    }
    return nullptr;
}
