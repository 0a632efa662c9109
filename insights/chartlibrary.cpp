// SPDX-License-Identifier: GPL-3.0-or-later
#include "insights/chartlibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace
{

const QString kLibraryFile = QStringLiteral("libtarnel_charts.so");

} // namespace

QStringList chartLibraryCandidates()
{
    const QDir program(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(program.filePath(QStringLiteral(TARNEL_CHART_LIBRARY_DIR) +
                                             QLatin1Char('/') + kLibraryFile))};
}

ChartViewFactory chartViewFactory(QString* error)
{
    // Loaded once and never unloaded: the charts on screen run its code.
    static ChartViewFactory factory = nullptr;
    static QString problem;
    static bool tried = false;
    if (!tried) {
        tried = true;
        problem = QStringLiteral("libtarnel_charts.so not found");
        for (const QString& candidate : chartLibraryCandidates()) {
            if (!QFileInfo::exists(candidate))
                continue;
            QLibrary library(candidate);
            factory = reinterpret_cast<ChartViewFactory>(library.resolve(kChartViewFactoryName));
            if (factory)
                break;
            problem = library.errorString();
        }
    }
    if (!factory && error)
        *error = problem;
    return factory;
}
