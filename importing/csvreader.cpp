// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/csvreader.h"

#include <QFile>
#include <QStringDecoder>

#include <array>

QStringList csvEncodingNames()
{
    return {QStringLiteral("UTF-8"), QStringLiteral("GB18030"), QStringLiteral("UTF-16")};
}

CsvEncoding detectCsvEncoding(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return CsvEncoding::Utf8;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return CsvEncoding::Utf16;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    Q_UNUSED(text)
    return utf8.hasError() ? CsvEncoding::Gb18030 : CsvEncoding::Utf8;
}

CsvText decodeCsv(const QByteArray& bytes, CsvEncoding encoding)
{
    CsvText result;
    if (encoding != CsvEncoding::Utf16 && bytes.contains('\0')) {
        result.failure = QStringLiteral("不是文本文件");
        return result;
    }
    QByteArrayView data(bytes);
    switch (encoding) {
    case CsvEncoding::Utf8: {
        if (data.startsWith("\xEF\xBB\xBF"))
            data = data.sliced(3);
        QStringDecoder decoder(QStringDecoder::Utf8);
        result.text = decoder.decode(data);
        break;
    }
    case CsvEncoding::Utf16: {
        QStringDecoder decoder(data.startsWith("\xFE\xFF") ? QStringDecoder::Utf16BE
                                                           : QStringDecoder::Utf16LE);
        if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF"))
            data = data.sliced(2);
        result.text = decoder.decode(data);
        break;
    }
    case CsvEncoding::Gb18030: {
        QStringDecoder decoder("GB18030");
        if (!decoder.isValid()) {
            result.failure = QStringLiteral("本机不支持 GB18030 编码");
            return result;
        }
        result.text = decoder.decode(data);
        break;
    }
    }
    // Control characters other than tabs and line ends, or undecodable bytes, in more than one
    // character of fifty: no text a spreadsheet wrote.
    qsizetype odd = 0;
    const qsizetype sample = std::min<qsizetype>(result.text.size(), 65536);
    for (qsizetype i = 0; i < sample; ++i) {
        const char16_t c = result.text[i].unicode();
        if ((c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n') || c == 0xFFFD || c == 0)
            ++odd;
    }
    if (odd * 50 > sample) {
        result.text.clear();
        result.failure = QStringLiteral("不是文本文件");
    }
    return result;
}

QChar detectCsvSeparator(const QString& text)
{
    // Lines holding each separator outside quotes, over the first 50 lines.
    constexpr std::array<char16_t, 3> kSeparators = {u',', u';', u'\t'};
    std::array<int, 3> lines = {0, 0, 0};
    std::array<int, 3> inLine = {0, 0, 0};
    bool quoted = false;
    int lineCount = 0;
    for (qsizetype i = 0; i <= text.size() && lineCount < 50; ++i) {
        const char16_t c = i < text.size() ? text[i].unicode() : u'\n';
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && (c == u'\n' || c == u'\r')) {
            for (std::size_t s = 0; s < kSeparators.size(); ++s) {
                if (inLine[s] > 0)
                    ++lines[s];
                inLine[s] = 0;
            }
            ++lineCount;
        } else if (!quoted) {
            for (std::size_t s = 0; s < kSeparators.size(); ++s) {
                if (c == kSeparators[s])
                    ++inLine[s];
            }
        }
    }
    std::size_t best = 0;
    for (std::size_t s = 1; s < kSeparators.size(); ++s) {
        if (lines[s] > lines[best])
            best = s;
    }
    return QChar(kSeparators[best]);
}

namespace
{

// The program's export puts an apostrophe before a text that a spreadsheet would take for a
// formula ("=1+2" is written "'=1+2"); one apostrophe comes off where apostrophes precede one of
// those signs.
QString unguarded(QString text)
{
    qsizetype quotes = 0;
    while (quotes < text.size() && text[quotes] == QLatin1Char('\''))
        ++quotes;
    if (quotes > 0 && quotes < text.size()) {
        const QChar sign = text[quotes];
        if (sign == QLatin1Char('=') || sign == QLatin1Char('+') || sign == QLatin1Char('-') ||
            sign == QLatin1Char('@'))
            text.remove(0, 1);
    }
    return text;
}

} // namespace

ReadOutcome parseCsv(const QString& text, QChar separatorChar, const ReadControl& control)
{
    ReadOutcome outcome;
    std::vector<ImportRow>& rows = outcome.sheet.rows;
    const char16_t separator = separatorChar.unicode();
    const qsizetype size = text.size();
    const QChar* data = text.constData();
    int line = 1;
    ImportRow row;
    row.fileRow = 1;
    QString field;
    bool rowHasText = false;
    int columnCount = 0;
    qsizetype i = 0;

    qint64 cellCount = 0; // of the rows kept
    const auto endField = [&] {
        ImportCell cell;
        cell.text = unguarded(std::move(field));
        field = QString();
        if (!cell.text.isEmpty())
            rowHasText = true;
        row.cells.push_back(std::move(cell));
    };
    const auto endRow = [&]() -> bool {
        endField();
        if (rowHasText) {
            if (int(rows.size()) >= kMaxImportRows) {
                outcome.failure = tooManyRowsText();
                rows.clear();
                return false;
            }
            while (!row.cells.empty() && row.cells.back().text.isEmpty())
                row.cells.pop_back();
            cellCount += qint64(row.cells.size());
            columnCount = std::max(columnCount, int(row.cells.size()));
            rows.push_back(std::move(row));
        }
        row = ImportRow();
        row.fileRow = line;
        rowHasText = false;
        return true;
    };

    while (i < size) {
        if ((rows.size() & 0x3ff) == 0 && row.cells.empty()) {
            if (control.cancelled()) {
                outcome.cancelled = true;
                return outcome;
            }
            control.report(int(i * 100 / size));
        }
        const char16_t c = data[i].unicode();
        if (c == u'"' && field.isEmpty()) {
            // A quoted field: up to the quote not followed by another.
            const int startLine = line;
            ++i;
            bool closed = false;
            while (i < size) {
                const char16_t q = data[i].unicode();
                if (q == u'"') {
                    if (i + 1 < size && data[i + 1] == QLatin1Char('"')) {
                        field.append(QLatin1Char('"'));
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (q == u'\n' || (q == u'\r' && !(i + 1 < size && data[i + 1] == u'\n')))
                    ++line;
                field.append(data[i]);
                ++i;
            }
            if (!closed) {
                outcome.failure = QStringLiteral("第 %1 行的引号没有闭合").arg(startLine);
                rows.clear();
                return outcome;
            }
            // Text after the closing quote belongs to the field, as spreadsheets read it.
            while (i < size && data[i] != separatorChar && data[i] != QLatin1Char('\r') &&
                   data[i] != QLatin1Char('\n'))
                field.append(data[i++]);
            continue;
        }
        if (c == separator) {
            endField();
            ++i;
            if (cellCount + qint64(row.cells.size()) > kMaxImportCells) {
                outcome.failure = tooManyCellsText();
                rows.clear();
                return outcome;
            }
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < size && data[i + 1] == QLatin1Char('\n'))
                ++i;
            ++i;
            ++line;
            if (!endRow())
                return outcome;
            continue;
        }
        field.append(data[i]);
        ++i;
    }
    if (!field.isEmpty() || !row.cells.empty()) {
        if (!endRow())
            return outcome;
    }
    std::vector<QString> names;
    for (int c = 0; c < columnCount; ++c)
        names.push_back(QString::number(c + 1));
    dropEmptyColumns(outcome.sheet, names);
    control.report(100);
    return outcome;
}

QByteArray readCsvBytes(const QString& path, QString& failure)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = file.errorString();
        return {};
    }
    if (file.size() > kMaxPartBytes) {
        failure = QStringLiteral("文件超过 200 MB");
        return {};
    }
    QByteArray bytes = file.read(kMaxPartBytes + 1);
    if (bytes.size() > kMaxPartBytes) {
        failure = QStringLiteral("文件超过 200 MB");
        return {};
    }
    return bytes;
}
