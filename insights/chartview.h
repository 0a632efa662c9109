// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The charts of the statistics window, drawn by the chart library that tarnel_charts wraps. The
// program loads that library when a chart is first needed (chartlibrary.h), so that starting the
// program never loads it; this header is all the two share.

// Bars of one value per category, optionally with a line of earlier values over them.
struct BarChartData {
    QString title;
    QStringList categories;
    QString valuesName;
    QList<double> values;
    QString previousName; // the line's name; no line when previous is empty
    QList<double> previous;
    bool horizontal = false; // bars from the left (a ranking), first category on top
};

// A chart on screen. Its widget belongs to the parent given when it was made; the chart goes
// with it.
class ChartView
{
public:
    virtual QWidget* widget() = 0;
    virtual void showData(const BarChartData& data) = 0;
    // Saves the chart as a picture: a PDF page when path ends in ".pdf", otherwise a PNG image.
    // False when the file cannot be written.
    virtual bool save(const QString& path) = 0;

protected:
    ~ChartView() = default;
};

// The function the chart library exports under kChartViewFactoryName.
using ChartViewFactory = ChartView* (*)(QWidget* parent);
inline constexpr char kChartViewFactoryName[] = "tarnel_create_chart_view";
