// SPDX-License-Identifier: GPL-3.0-or-later
// The chart library: the bar charts of the statistics window, drawn with Qt Charts. Loaded by the
// program when a chart is first needed, through the factory below.
#include "insights/chartview.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QHorizontalBarSeries>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QValueAxis>

#include <algorithm>

namespace
{

// Above this many categories the labels stand upright, so that they do not overlap.
constexpr int kUprightLabels = 12;

class BarChartView : public QChartView, public ChartView
{
public:
    // The view is made with its chart: a chart set later releases the view's default chart,
    // which nothing would delete.
    explicit BarChartView(QWidget* parent) : QChartView(new QChart, parent)
    {
        setObjectName(QStringLiteral("图表"));
        setRenderHint(QPainter::Antialiasing);
        chart()->setAnimationOptions(QChart::NoAnimation);
        chart()->legend()->setAlignment(Qt::AlignBottom);
    }

    QWidget* widget() override { return this; }

    void showData(const BarChartData& data) override
    {
        QChart* chart = this->chart();
        chart->removeAllSeries();
        for (QAbstractAxis* axis : chart->axes()) {
            chart->removeAxis(axis); // gives the axis back to us
            delete axis;
        }
        QFont titleFont = font();
        titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
        titleFont.setBold(true);
        chart->setTitleFont(titleFont);
        chart->setTitle(data.title);

        QStringList categories = data.categories;
        QList<double> values = data.values;
        if (data.horizontal) {
            // The first category on top.
            std::reverse(categories.begin(), categories.end());
            std::reverse(values.begin(), values.end());
        }
        auto* set = new QBarSet(data.valuesName);
        set->setColor(QColor(0x2f, 0x6f, 0xb3));
        double low = 0;
        double high = 0;
        for (double value : std::as_const(values)) {
            set->append(value);
            low = std::min(low, value);
            high = std::max(high, value);
        }
        QAbstractBarSeries* bars = data.horizontal
                                       ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                                       : static_cast<QAbstractBarSeries*>(new QBarSeries);
        bars->append(set);
        chart->addSeries(bars);

        auto* categoryAxis = new QBarCategoryAxis;
        categoryAxis->append(categories);
        if (!data.horizontal && categories.size() > kUprightLabels) {
            categoryAxis->setLabelsAngle(-90);
            QFont small = categoryAxis->labelsFont();
            small.setPointSizeF(small.pointSizeF() * 0.85);
            categoryAxis->setLabelsFont(small);
        }
        auto* valueAxis = new QValueAxis;
        valueAxis->setLabelFormat(QStringLiteral("%.0f"));
        chart->addAxis(categoryAxis, data.horizontal ? Qt::AlignLeft : Qt::AlignBottom);
        chart->addAxis(valueAxis, data.horizontal ? Qt::AlignBottom : Qt::AlignLeft);
        bars->attachAxis(categoryAxis);
        bars->attachAxis(valueAxis);

        if (!data.horizontal && !data.previous.isEmpty()) {
            auto* line = new QLineSeries;
            line->setName(data.previousName);
            QPen pen(QColor(0xe0, 0x80, 0x20));
            pen.setWidthF(2.5);
            line->setPen(pen);
            line->setPointsVisible(true);
            for (int i = 0; i < data.previous.size(); ++i) {
                line->append(i, data.previous.at(i));
                low = std::min(low, data.previous.at(i));
                high = std::max(high, data.previous.at(i));
            }
            chart->addSeries(line);
            line->attachAxis(categoryAxis);
            line->attachAxis(valueAxis);
        }
        valueAxis->setRange(low, high > low ? high : low + 1);
        valueAxis->applyNiceNumbers();
        chart->legend()->setVisible(true);
    }

    bool save(const QString& path) override
    {
        if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
            QPdfWriter pdf(path);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageOrientation(QPageLayout::Landscape);
            pdf.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
            pdf.setResolution(300);
            pdf.setTitle(chart()->title());
            QPainter painter;
            if (!painter.begin(&pdf))
                return false;
            painter.setRenderHint(QPainter::Antialiasing);
            // The chart scaled to the page, kept in proportion: drawn, not copied as pixels.
            const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
            QSizeF size = QSizeF(viewport()->size());
            size.scale(QSizeF(page.size()), Qt::KeepAspectRatio);
            render(&painter, QRectF(QPointF(0, 0), size));
            return painter.end();
        }
        // Twice the size on screen: sharp when printed or shown in a document.
        QImage image(viewport()->size() * 2, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        render(&painter, QRectF(image.rect()));
        painter.end();
        return image.save(path, "PNG");
    }
};

} // namespace

extern "C" Q_DECL_EXPORT ChartView* tarnel_create_chart_view(QWidget* parent)
{
    return new BarChartView(parent);
}
