// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/reportbuilder.h"

#include "printing/formula.h"
#include "storage/fieldvalue.h"
#include "ui/reportlist.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace
{

// Table units per point or per list pixel.
constexpr double kUnitsPerPixel = 3.3;
constexpr int kSerialColumnWidth = 130;
constexpr int kMargin = 180;
constexpr int kRemarksFontSize = 30;
constexpr int kRemarksLastRowHeight = 150;
constexpr int kFixedRows = 4;
constexpr double kLargestTitleFontSize = 10000;
// Significant digits of a statistics total: every digit of a total of decimal amounts, without
// the last bits of binary rounding (0.1 + 0.2 shows 0.3).
constexpr int kTotalDigits = 15;

int alignmentCode(Qt::Alignment alignment)
{
    const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignHCenter)
        return 5;
    if (horizontal & Qt::AlignRight)
        return 6;
    return 4;
}

// The title font description: face, text colour, bold flag and size in points, each applied
// only when the request carries it.
void applyTitleFont(ReportTable& table, const QStringList& font)
{
    const int columns = table.columnCount();
    if (font.size() > 0 && !font.at(0).isEmpty())
        table.setFontFace(1, 1, 1, columns, font.at(0));
    if (font.size() > 1)
        table.setTextColour(1, 1, 1, columns, font.at(1).trimmed().toUInt());
    if (font.size() > 2 && font.at(2) == QStringLiteral("1"))
        table.setBold(1, 1, 1, columns, true);
    if (font.size() > 3) {
        // A size the font dialog cannot give (none, or beyond any paper) keeps the template's.
        const double size = leadingNumberOf(font.at(3)) * kUnitsPerPixel;
        if (size >= 1 && size < kLargestTitleFontSize)
            table.setFontSize(1, 1, 1, columns, int(size));
    }
}

} // namespace

QString statisticsTotalText(double total, int decimals)
{
    if (decimals >= 0 && decimals <= kTotalDigits) {
        double scale = 1;
        for (int d = 0; d < decimals; ++d)
            scale *= 10;
        // Below 2^53 the whole number is exact, and so is the quotient's rounding to the
        // nearest double of the decimal total.
        const double scaled = std::round(total * scale);
        if (std::fabs(scaled) < 9007199254740992.0)
            total = scaled / scale;
    }
    if (!std::isfinite(total) || total == 0)
        return QStringLiteral("0");
    // The total rounded to 15 significant digits: "-d.dddddddddddddde±x".
    char scientific[64];
    const std::to_chars_result written =
        std::to_chars(scientific, scientific + sizeof scientific, total,
                      std::chars_format::scientific, kTotalDigits - 1);
    const std::string_view text(scientific, std::size_t(written.ptr - scientific));
    const std::size_t exponentAt = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + exponentAt + (text[exponentAt + 1] == '+' ? 2 : 1),
                    text.data() + text.size(), exponent);

    std::string digits;
    for (const char c : text.substr(0, exponentAt)) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    // Written out in full: whole digits, then the decimals that are not zero.
    std::string fixed = total < 0 ? "-" : "";
    if (exponent < 0) {
        fixed += "0.";
        fixed.append(std::size_t(-exponent - 1), '0');
        fixed += digits;
    } else if (digits.size() <= std::size_t(exponent) + 1) {
        fixed += digits;
        fixed.append(std::size_t(exponent) + 1 - digits.size(), '0');
    } else {
        fixed += digits.substr(0, std::size_t(exponent) + 1);
        fixed += '.';
        fixed += digits.substr(std::size_t(exponent) + 1);
    }
    return QString::fromLatin1(fixed.data(), qsizetype(fixed.size()));
}

std::unique_ptr<ReportTable> buildReport(const PrintRequest& request)
{
    const ReportList* source = request.source.data();
    if (source == nullptr)
        return nullptr;
    const QList<ReportColumn>& listColumns = source->reportModel()->columns();

    QList<int> selected;
    for (const int column : request.columns) {
        if (column >= 0 && column < listColumns.size())
            selected.append(column);
    }
    const int C = source->rowCount();
    const int K = int(selected.size());
    const int S = request.serialColumn ? 1 : 0;
    const int M = int(request.customColumns.size());
    const QString totalsMode = request.totals.value(0);
    const bool totalsRow = totalsMode == QStringLiteral("一");
    const bool statisticsRow = totalsMode == QStringLiteral("二");
    const bool hasSummaryRow = totalsRow || statisticsRow;

    auto report = std::make_unique<ReportTable>(ReportTable::fromTemplate());
    ReportTable& table = *report;
    const auto columns = [&table] {
        return table.columnCount();
    };
    const auto rows = [&table] {
        return table.rowCount();
    };

    // The selected columns (and the serial column) before the template's trailing column, one
    // row per list row and the summary row.
    table.insertColumns(2, K - 1 + S);
    table.appendRows(hasSummaryRow ? C + 1 : C);

    if (S == 1) {
        table.setColumnWidth(1, kSerialColumnWidth);
        table.setAlignment(4, 1, C + 1, 1, 5);
    }
    for (int i = 1; i <= K; ++i) {
        const int listColumn = selected.at(i - 1);
        table.setColumnWidth(i + S, int(source->columnWidth(listColumn) * kUnitsPerPixel));
        table.setAlignment(5, i + S, C, 1, alignmentCode(listColumns.at(listColumn).alignment));
    }

    // Title.
    table.merge(1, 1, 1, columns());
    table.setText(1, 1, request.title);
    applyTitleFont(table, request.titleFont);
    table.setAlignment(1, 1, 1, columns(), 5);
    table.setRowHeight(1, 3 * table.style(1, 1).fontSize);

    // Column titles.
    if (S == 1)
        table.setText(4, 1, QStringLiteral("序号"));
    for (int i = 1; i <= K; ++i)
        table.setText(4, i + S, source->columnTitle(selected.at(i - 1)));
    table.setAlignment(4, 1, 1, K + S, 5);

    // The list's rows, cell by cell: the table names the list's own texts, without copies.
    const ReportRows& listRows = source->reportModel()->rows();
    const TextPool::Shift shared = table.shareTexts(listRows.texts());
    char digits[16];
    for (int r = 1; r <= C; ++r) {
        if (S == 1) {
            const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, r);
            table.setTextUtf8(r + 4, 1, QByteArrayView(digits, written.ptr - digits));
        }
        for (int i = 1; i <= K; ++i)
            table.setTextRef(
                r + 4, i + S,
                TextPool::shifted(listRows.cellRef(r - 1, selected.at(i - 1)), shared));
    }
    const int headingFontSize = table.style(4, 1).fontSize;
    table.setRowHeight(4, int(headingFontSize * 1.6));
    for (int r = 5; r <= C + 4; ++r)
        table.setRowHeight(r, int(headingFontSize * 1.5));

    // Computed columns before the trailing column, over the printed columns of each row.
    if (M > 0) {
        const int first = columns();
        table.insertColumns(first, M);
        for (int j = 0; j < M; ++j)
            table.setText(4, first + j, request.customColumns.at(j).first);
        for (int j = 0; j < M; ++j) {
            const QString& formula = request.customColumns.at(j).second;
            for (int r = 1; r <= C; ++r)
                table.setText(r + 4, first + j,
                              numberText(evaluateFormula(formula, table, K + S, r)));
        }
        table.setAlignment(5, first, C, M, 5);
    }

    const int summaryRow = C + 5;
    if (totalsRow) {
        table.setText(summaryRow, 1,
                      QStringLiteral(" 合计共 ") + QString::number(C) + QStringLiteral(" 条记录"));
        table.setBold(summaryRow, 1, 1, 2, true);
        table.setRowHeight(summaryRow, int(table.style(C + 3, 1).fontSize * 1.6));
        table.merge(summaryRow, 1, 1, columns() - 1);
    } else if (statisticsRow) {
        table.setText(summaryRow, 1, QStringLiteral("统 计"));
        for (qsizetype n = 1; n < request.totals.size(); ++n) {
            const QString& name = request.totals.at(n);
            for (int c = 1; c <= columns() - 1; ++c) {
                if (table.text(4, c) != name)
                    continue;
                double sum = 0;
                int decimals = 0; // -1 once a number has an exponent
                for (int r = 5; r <= C + 4; ++r) {
                    const QString text = table.text(r, c);
                    sum += leadingNumberOf(text);
                    const int places = leadingNumberDecimals(text);
                    decimals = places < 0 || decimals < 0 ? -1 : std::max(decimals, places);
                }
                table.setText(summaryRow, c, statisticsTotalText(sum, decimals));
            }
        }
        table.setBold(summaryRow, 1, 1, columns(), true);
        table.setAlignment(summaryRow, 1, 1, columns(), 5);
    }

    // Date line.
    table.merge(2, 1, 1, columns());
    table.setText(2, 1, request.dateLine);
    table.setAlignment(2, 1, 1, columns(), 9);
    table.setBold(2, 1, 1, columns(), true);
    table.setFontSize(2, 1, 1, columns(), table.style(4, 1).fontSize);

    // Grid lines from the column titles down.
    switch (request.lineStyle) {
    case 1:
        table.setLines(4, 1, rows() - 3, columns(), LineInnerVertical | LineInnerHorizontal, 0);
        break;
    case 2:
        table.setLines(4, 1, rows() - 3, columns(), LineInnerHorizontal, 1);
        break;
    case 3:
        table.setLines(4, 1, rows() - 3, columns(), LineInnerVertical, 0);
        table.setLines(4, 1, 1, columns(), LineInnerHorizontal, 1);
        break;
    case 4:
        table.setLines(4, 1, rows() - 3, columns(), LineInnerHorizontal, 0);
        break;
    default:
        break;
    }

    // Background colours, over all columns but the trailing one.
    const int mode = request.colours[0];
    const RgbValue colour1 = RgbValue(request.colours[1]);
    const RgbValue colour2 = RgbValue(request.colours[2]);
    const RgbValue colour3 = RgbValue(request.colours[3]);
    const int coloured = columns() - 1;
    if (mode >= 1 && mode <= 3)
        table.setBackground(4, 1, 1, coloured, colour1);
    if (mode == 1) {
        table.setBackground(5, 1, C, coloured, colour2);
        if (request.rowsPerPage > 0)
            table.setLines(request.rowsPerPage, 1, 1, coloured, LineBottom, 0);
    } else if (mode == 2) {
        for (int r = 1; r <= C; ++r)
            table.setBackground(r + 4, 1, 1, coloured, r % 2 == 1 ? colour2 : colour3);
    } else if (mode == 3) {
        for (int j = 1; j <= coloured; ++j)
            table.setBackground(5, j, C, 1, j % 2 == 1 ? colour2 : colour3);
    }
    if (mode >= 1 && mode <= 3 && hasSummaryRow)
        table.setBackground(rows(), 1, 1, coloured, colour1);

    // Black rules under the date line and under the data.
    table.merge(3, 1, 1, columns() - 1);
    table.setLines(3, 1, 1, columns() - 1, 15, 0);
    table.setBackground(3, 1, 1, columns() - 1, 0);
    table.setRowHeight(3, 1);
    const int ruleRow = hasSummaryRow ? C + 6 : C + 5;
    table.insertRows(ruleRow, 1);
    table.setLines(ruleRow, 1, 1, columns(), 15, 0);
    table.setBackground(ruleRow, 1, 1, columns(), 0);
    table.setRowHeight(ruleRow, 1);

    // Black edge columns beside the column titles, data and summary row.
    table.insertColumns(1, 1);
    const int edgeRows = (hasSummaryRow ? C + 5 : C + 4) - 3;
    for (const int edge : {1, columns()}) {
        table.setLines(4, edge, edgeRows, 1, 15, 0);
        table.setBackground(4, edge, edgeRows, 1, 0);
        table.setColumnWidth(edge, 1);
    }

    if (!request.remarks.isEmpty()) {
        table.appendRows(3);
        const int first = rows() - 2;
        table.setText(first, 1, request.remarks);
        table.setFontSize(first, 1, 3, columns() - 1, kRemarksFontSize);
        table.setAlignment(first, 1, 3, columns() - 1, 1);
        table.merge(first, 1, 3, columns() - 1);
        table.setRowHeight(rows(), kRemarksLastRowHeight);
    }

    // Body font size (the remarks included, the last row not), bold centred column titles.
    table.setFontSize(4, 1, rows() - 4, columns(), request.fontSize);
    table.setAlignment(4, 1, 1, columns(), 5);
    table.setBold(4, 1, 1, columns(), true);
    table.setFixedRows(kFixedRows);

    ReportPrintSettings& settings = table.printSettings();
    settings.marginLeft = kMargin;
    settings.marginTop = kMargin;
    settings.marginRight = kMargin;
    settings.marginBottom = kMargin;
    settings.paper = request.paper;
    settings.landscape = request.landscape;
    settings.rowsPerPage = request.rowsPerPage;
    settings.pageNumberPosition = request.pageNumberPosition;
    report->setPrintPermission(request.permission);
    return report;
}
