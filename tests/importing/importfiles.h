// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Spreadsheet files for the import tests, written at test time by other programs: Python's
// openpyxl and zipfile modules (Debian python3-openpyxl), iconv and LibreOffice.

// The Debian Python (which has openpyxl), or empty when missing.
QString debianPython();
// Runs the Python script with the arguments; false (and a warning with its output) on failure.
bool runPython(const QString& script, const QStringList& arguments = {});
// Writes a workbook with openpyxl: the first sheet's rows, cells separated by '|', a cell
// "=..." a formula, "#n" the number n, anything else a text.
bool writeOpenpyxlWorkbook(const QString& path, const QStringList& rows);
// The text in the encoding, through iconv.
bool writeWithIconv(const QString& path, const QString& text, const QString& encoding);
// A workbook written part by part with Python's zipfile, every kind of cell in its sheet.
bool writeHandWrittenWorkbook(const QString& path);
// A hostile file of the kind: "text", "nosheet", "bomb", "entities", "brokenxml", "million",
// "millioncsv", "quote", "binary".
bool writeHostileFile(const QString& kind, const QString& path);
