// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading printed labels back as a scanner would: PDF pages rendered by pdftoppm at 300 dpi and
// read by zbarimg.

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Renders every page of a PDF at 300 dpi into the folder; the PNG files in page order.
inline QStringList renderPages(const QString& pdf, const QString& folder)
{
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"),
                                              QStringLiteral("-png"), pdf, folder + "/page"});
    if (!render.waitForFinished(120000) || render.exitCode() != 0)
        return {};
    QStringList pages;
    const QStringList names = QDir(folder).entryList({"page*.png"}, QDir::Files, QDir::Name);
    for (const QString& name : names)
        pages.append(folder + QLatin1Char('/') + name);
    return pages;
}

// What zbarimg reads in an image: one "TYPE:content" per symbol, sorted.
inline QStringList readBarcodes(const QString& image)
{
    QProcess reader;
    reader.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), image});
    reader.waitForFinished(120000);
    QStringList symbols = QString::fromUtf8(reader.readAllStandardOutput())
                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    symbols.sort();
    return symbols;
}

// What the reader reads on the pages of a PDF of one label a page, page by page.
inline QStringList readPdf(const QString& pdf)
{
    QTemporaryDir folder;
    QStringList symbols;
    const QStringList pages = renderPages(pdf, folder.path());
    for (const QString& page : pages)
        symbols += readBarcodes(page);
    return symbols;
}
