// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "insights/salesstatistics.h"

#include <QWidget>

class AppContext;
class ChartView;
class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QLineEdit;
class QTabWidget;
class ReportList;

// "销售统计": the sales and returns of a date range per day, week, month or year as a table with
// a totals row and a chart of the net amount (with the periods before it for comparison), and
// the ten products with the highest net amount on a second tab. For the administrator; owned by
// the main window.
class StatisticsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit StatisticsWindow(AppContext& context);

    ReportList* table() const { return mTable; }
    const SalesStatistics& statistics() const { return mStatistics; }
    const QList<ProductFigures>& topProducts() const { return mTopProducts; }
    // The request the controls make.
    StatisticsRequest request() const;
    // Reads the figures of the request and shows them ("统计").
    void recount();
    // "打印": hands the table to the print settings.
    void printTable();
    // "保存图表": the chart of the tab in view, as PNG or PDF (the name's extension decides).
    void saveChart();
    // The chart of a tab (0: the periods, 1: the products); null when the chart library cannot be
    // loaded.
    ChartView* chart(int tab) const { return tab == 0 ? mPeriodChart : mProductChart; }

private:
    void showPeriodChart();
    void showTopProducts();
    ChartView* makeChart(QWidget* page, const QRect& rect);

    AppContext& mContext;
    QDateEdit* mFrom = nullptr;
    QDateEdit* mTo = nullptr;
    QButtonGroup* mGrouping = nullptr;
    QLineEdit* mProductId = nullptr;
    QCheckBox* mCompare = nullptr;
    QTabWidget* mTabs = nullptr;
    ReportList* mTable = nullptr;
    ChartView* mPeriodChart = nullptr;
    ChartView* mProductChart = nullptr;
    SalesStatistics mStatistics;
    StatisticsRequest mShown;
    QList<ProductFigures> mTopProducts;
    bool mTopProductsStale = true;
};
