// SPDX-License-Identifier: GPL-3.0-or-later
#include "insights/statisticswindow.h"

#include "core/clock.h"
#include "core/context.h"
#include "insights/chartlibrary.h"
#include "printing/printentry.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/ownedwindow.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace
{

constexpr int kOuterWidth = 900;
constexpr int kOuterHeight = 660;
constexpr int kClientWidth = kOuterWidth - kFrameWidth;
constexpr int kClientHeight = kOuterHeight - kFrameHeight;
const QString kInfoTitle = QStringLiteral("提示");

struct GroupingChoice {
    const char* caption;
    Grouping grouping;
};
constexpr GroupingChoice kGroupings[] = {
    {"按日", Grouping::Day},
    {"按周", Grouping::Week},
    {"按月", Grouping::Month},
    {"按年", Grouping::Year},
};

QString groupingName(Grouping grouping)
{
    for (const GroupingChoice& choice : kGroupings) {
        if (choice.grouping == grouping)
            return QString::fromUtf8(choice.caption);
    }
    return {};
}

QDateEdit* addDateBox(QWidget* window, const QString& name, const QString& caption, int left,
                      const QDate& date)
{
    auto* box = placeControl(new QDateEdit(date, window), name, QRect(left + 60, 10, 110, 24));
    box->setDisplayFormat(QStringLiteral("yyyy-M-d"));
    box->setCalendarPopup(true);
    addCaptionLabel(window, QStringLiteral("标签_") + caption, caption, QRect(left, 10, 58, 24),
                    box);
    return box;
}

} // namespace

StatisticsWindow::StatisticsWindow(AppContext& context)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("销售统计窗口"));
    setWindowTitle(QStringLiteral("销售统计"));
    placeWindow(this, 50, 50, kOuterWidth, kOuterHeight);

    // This month by default.
    const QDate today = mContext.clock().now().date();
    const QDate first(today.year(), today.month(), 1);
    mFrom = addDateBox(this, QStringLiteral("日期框_开始"), QStringLiteral("开始日期"), 8, first);
    mTo = addDateBox(this, QStringLiteral("日期框_结束"), QStringLiteral("结束日期"), 186,
                     first.addMonths(1).addDays(-1));

    mGrouping = new QButtonGroup(this);
    int left = 372;
    for (const GroupingChoice& choice : kGroupings) {
        const QString caption = QString::fromUtf8(choice.caption);
        auto* radio = placeControl(new QRadioButton(caption, this),
                                   QStringLiteral("单选框_") + caption, QRect(left, 12, 54, 20));
        mGrouping->addButton(radio, int(choice.grouping));
        left += 56;
    }
    mGrouping->button(int(Grouping::Day))->setChecked(true);

    mProductId = addEditBox(this, QStringLiteral("编辑框_产品ID"), QRect(650, 10, 110, 24));
    mProductId->setPlaceholderText(QStringLiteral("全部产品"));
    addCaptionLabel(this, QStringLiteral("标签_产品ID"), QStringLiteral("产品ID"),
                    QRect(602, 10, 46, 24), mProductId);
    auto* count = addCommandButton(this, QStringLiteral("按钮_统计"), QStringLiteral("统计"),
                                   QRect(kClientWidth - 84, 8, 76, 28));
    connect(count, &QPushButton::clicked, this, &StatisticsWindow::recount);
    connect(mProductId, &QLineEdit::returnPressed, this, &StatisticsWindow::recount);

    mTabs = placeControl(new QTabWidget(this), QStringLiteral("选择夹_统计"),
                         QRect(8, 44, kClientWidth - 16, kClientHeight - 44 - 44));
    auto* periodsPage = new QWidget;
    periodsPage->setObjectName(QStringLiteral("页_期间"));
    mTabs->addTab(periodsPage, QStringLiteral("期间统计"));
    auto* productsPage = new QWidget;
    productsPage->setObjectName(QStringLiteral("页_商品排行"));
    mTabs->addTab(productsPage, QStringLiteral("商品排行（前10名）"));
    const int pageWidth = kClientWidth - 16 - 8;
    const int pageHeight = kClientHeight - 44 - 44 - 36;

    mTable = placeControl(new ReportList(periodsPage), QStringLiteral("超级列表框_统计"),
                          QRect(4, 4, pageWidth - 8, 190));
    QList<ReportColumn> columns;
    for (const QString& title : statisticsColumnTitles()) {
        // The period on the left, the figures on the right.
        if (columns.isEmpty())
            columns.append({title, 130, Qt::AlignLeft});
        else
            columns.append({title, 110, Qt::AlignRight});
    }
    mTable->setColumns(columns);
    mCompare = placeControl(new QCheckBox(QStringLiteral("与上期比较"), periodsPage),
                            QStringLiteral("选择框_与上期比较"), QRect(4, 200, 120, 22));
    mCompare->setChecked(true);
    connect(mCompare, &QCheckBox::toggled, this, &StatisticsWindow::showPeriodChart);
    mPeriodChart = makeChart(periodsPage, QRect(4, 224, pageWidth - 8, pageHeight - 228));
    mProductChart = makeChart(productsPage, QRect(4, 4, pageWidth - 8, pageHeight - 8));
    connect(mTabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 1 && mTopProductsStale)
            showTopProducts();
    });

    const int buttonTop = kClientHeight - 38;
    auto* print = addCommandButton(this, QStringLiteral("按钮_打印"), QStringLiteral("打印"),
                                   QRect(8, buttonTop, 76, 28));
    connect(print, &QPushButton::clicked, this, &StatisticsWindow::printTable);
    auto* save = addCommandButton(this, QStringLiteral("按钮_保存图表"), QStringLiteral("保存图表"),
                                  QRect(92, buttonTop, 86, 28));
    connect(save, &QPushButton::clicked, this, &StatisticsWindow::saveChart);
    auto* close = addCommandButton(this, QStringLiteral("按钮_关闭"), QStringLiteral("关闭"),
                                   QRect(kClientWidth - 84, buttonTop, 76, 28));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    recount();
}

ChartView* StatisticsWindow::makeChart(QWidget* page, const QRect& rect)
{
    QString error;
    if (ChartViewFactory factory = chartViewFactory(&error)) {
        ChartView* chart = factory(page);
        chart->widget()->setGeometry(rect);
        return chart;
    }
    auto* missing = placeControl(new QLabel(QStringLiteral("图表无法显示：") + error, page),
                                 QStringLiteral("标签_图表"), rect);
    missing->setAlignment(Qt::AlignCenter);
    return nullptr;
}

StatisticsRequest StatisticsWindow::request() const
{
    StatisticsRequest request;
    request.from = mFrom->date();
    request.to = mTo->date();
    request.grouping = Grouping(mGrouping->checkedId());
    request.productId = mProductId->text().trimmed();
    return request;
}

void StatisticsWindow::recount()
{
    mShown = request();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    mStatistics = readSalesStatistics(mContext.database(), mShown);
    mTable->clear();
    mTable->appendRows(statisticsRows(mStatistics));
    showPeriodChart();
    mTopProductsStale = true;
    if (mTabs->currentIndex() == 1)
        showTopProducts();
    QApplication::restoreOverrideCursor();
    if (!mStatistics.ok)
        mContext.dialogs().message(this, QStringLiteral("统计失败"), kInfoTitle);
}

void StatisticsWindow::showPeriodChart()
{
    if (!mPeriodChart)
        return;
    BarChartData data;
    data.title = QStringLiteral("净销售额（%1）").arg(groupingName(mShown.grouping));
    data.valuesName = QStringLiteral("净销售额");
    for (const PeriodFigures& figures : std::as_const(mStatistics.periods)) {
        // Days and weeks without their year, so that many of them fit under the bars.
        if (mShown.grouping == Grouping::Day)
            data.categories.append(figures.label.section(QLatin1Char('-'), 1, 2));
        else if (mShown.grouping == Grouping::Week)
            data.categories.append(figures.label.section(QChar(u'年'), 1));
        else
            data.categories.append(figures.label);
        data.values.append(figures.net());
    }
    if (mCompare->isChecked()) {
        data.previousName = QStringLiteral("上期净销售额");
        data.previous = mStatistics.previousNet;
    }
    mPeriodChart->showData(data);
}

void StatisticsWindow::showTopProducts()
{
    mTopProductsStale = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    mTopProducts = readTopProducts(mContext.database(), mShown);
    QApplication::restoreOverrideCursor();
    if (!mProductChart)
        return;
    BarChartData data;
    data.title = QStringLiteral("净销售额前10名商品");
    data.valuesName = QStringLiteral("净销售额");
    data.horizontal = true;
    for (const ProductFigures& product : std::as_const(mTopProducts)) {
        data.categories.append(product.productName.isEmpty()
                                   ? product.productId
                                   : product.productId + QLatin1Char(' ') + product.productName);
        data.values.append(product.net());
    }
    mProductChart->showData(data);
}

void StatisticsWindow::printTable()
{
    openPrintSettings(mContext, this, mTable);
}

void StatisticsWindow::saveChart()
{
    ChartView* view = chart(mTabs->currentIndex());
    if (!view) {
        mContext.dialogs().message(this, QStringLiteral("图表无法显示"), kInfoTitle);
        return;
    }
    if (mTabs->currentIndex() == 1 && mTopProductsStale)
        showTopProducts();
    const std::optional<QString> path = mContext.dialogs().chooseSaveFile(
        this, QStringLiteral("保存图表"), QStringLiteral("销售统计.png"),
        QStringLiteral("PNG 图片 (*.png);;PDF 文件 (*.pdf)"), QStringLiteral("png"));
    if (!path)
        return;
    if (!view->save(*path)) {
        mContext.dialogs().message(this, QStringLiteral("保存图表失败"), kInfoTitle);
        return;
    }
    mContext.dialogs().message(this, QStringLiteral("图表已保存"), kInfoTitle);
}
