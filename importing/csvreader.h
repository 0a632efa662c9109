// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "importing/sheetdata.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

// Reads a CSV file: its encoding (UTF-8 with or without a byte-order mark, UTF-16 with one, else
// GB18030, which covers GBK) and its separator (comma, semicolon or tab) are detected and can be
// given by hand; fields in double quotes may hold separators, quotes (doubled) and line breaks.
// A text that the program's own export guarded with an apostrophe against being taken for a
// formula reads back without it.

enum class CsvEncoding { Utf8, Gb18030, Utf16 };
// The names offered in the "编码" drop-down, in the order of CsvEncoding.
QStringList csvEncodingNames();

struct CsvText {
    QString text;
    QString failure; // why the bytes are no text (a binary file), empty when they are
};

// The encoding the bytes are most likely in.
CsvEncoding detectCsvEncoding(const QByteArray& bytes);
// The bytes as text in the encoding, without a byte-order mark; a failure for a binary file.
CsvText decodeCsv(const QByteArray& bytes, CsvEncoding encoding);
// The separator the first lines use most: ',', ';' or '\t' (',' when none).
QChar detectCsvSeparator(const QString& text);
// The rows of the text; fails on a quote that is never closed and beyond 200,000 rows.
ReadOutcome parseCsv(const QString& text, QChar separator, const ReadControl& control = {});

// The bytes of a CSV file, at most 200 MB; a failure text when it cannot be read.
QByteArray readCsvBytes(const QString& path, QString& failure);
