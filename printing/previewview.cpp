// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/previewview.h"

#include "printing/reportpainter.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace
{

// Around the paper: 50 units left, right and above, 100 below; the extent is the paper plus
// 100 across and 150 down.
constexpr int kBorder = 50;
constexpr int kExtraWidth = 100;
constexpr int kExtraHeight = 150;
constexpr int kShadowOffset = 15;
constexpr double kUnitsPerInch = 254.0;

const QColor kBackground(128, 128, 128);
const QColor kShadow(64, 64, 64);

} // namespace

int zoomedIn(int scale)
{
    return std::clamp(scale + kScaleStep, kMinimumScale, kMaximumScale);
}

int zoomedOut(int scale)
{
    return std::clamp(scale - kScaleStep, kMinimumScale, kMaximumScale);
}

int fittedScale(int viewLength, double extentAtActualSize)
{
    if (extentAtActualSize <= 0)
        return 1000;
    const double scale = std::floor(viewLength * 1000.0 / extentAtActualSize);
    return int(std::max(scale, double(kMinimumScale)));
}

PreviewView::PreviewView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("页面视图"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Window, kBackground);
    viewport()->setPalette(colours);
    viewport()->setAutoFillBackground(true);
}

void PreviewView::showReport(const ReportTable* table, const ReportLayout* layout)
{
    mTable = table;
    mLayout = layout;
    // A new paper is fitted again unless the operator chose a scale.
    if (!mZoomed)
        setScale(fittedScale(viewport()->height(), extentAtActualSize().height()));
    else
        updateScrollBars();
    viewport()->update();
}

void PreviewView::setPage(int page)
{
    mPage = page;
    viewport()->update();
}

void PreviewView::zoomTo(int scale)
{
    mZoomed = true;
    setScale(std::clamp(scale, kMinimumScale, kMaximumScale));
}

void PreviewView::fitWidth()
{
    mZoomed = true;
    setScale(fittedScale(viewport()->width(), extentAtActualSize().width()));
}

void PreviewView::fitHeight()
{
    mZoomed = true;
    setScale(fittedScale(viewport()->height(), extentAtActualSize().height()));
}

void PreviewView::setScale(int scale)
{
    mScale = scale;
    updateScrollBars();
    viewport()->update();
}

double PreviewView::pixelsPerUnitX() const
{
    return viewport()->logicalDpiX() / kUnitsPerInch * mScale / 1000.0;
}

double PreviewView::pixelsPerUnitY() const
{
    return viewport()->logicalDpiY() / kUnitsPerInch * mScale / 1000.0;
}

QSizeF PreviewView::extentAtActualSize() const
{
    const QSize paper = mLayout ? mLayout->paper : paperSize(0);
    return {(paper.width() + kExtraWidth) * viewport()->logicalDpiX() / kUnitsPerInch,
            (paper.height() + kExtraHeight) * viewport()->logicalDpiY() / kUnitsPerInch};
}

QSize PreviewView::extent() const
{
    const QSize paper = mLayout ? mLayout->paper : paperSize(0);
    return {int(std::ceil((paper.width() + kExtraWidth) * pixelsPerUnitX())),
            int(std::ceil((paper.height() + kExtraHeight) * pixelsPerUnitY()))};
}

void PreviewView::updateScrollBars()
{
    const QSize pixels = extent();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, pixels.width() - view.width()));
    horizontalScrollBar()->setSingleStep(kScrollStep);
    horizontalScrollBar()->setPageStep(std::max(kScrollStep, view.width()));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setRange(0, std::max(0, pixels.height() - view.height()));
    verticalScrollBar()->setSingleStep(kScrollStep);
    verticalScrollBar()->setPageStep(std::max(kScrollStep, view.height()));
    verticalScrollBar()->setValue(0);
}

void PreviewView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (!mZoomed)
        setScale(fittedScale(viewport()->height(), extentAtActualSize().height()));
    else
        updateScrollBars();
}

void PreviewView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void PreviewView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kBackground);
    if (!mTable || !mLayout)
        return;

    // A page smaller than the view stands in its middle; a larger one scrolls.
    const QSize pixels = extent();
    const QSize view = viewport()->size();
    const int left = pixels.width() < view.width() ? (view.width() - pixels.width()) / 2
                                                   : -horizontalScrollBar()->value();
    const int top = pixels.height() < view.height() ? (view.height() - pixels.height()) / 2
                                                    : -verticalScrollBar()->value();
    painter.translate(left, top);
    painter.scale(pixelsPerUnitX(), pixelsPerUnitY());
    painter.translate(kBorder, kBorder);
    painter.fillRect(QRectF(QPointF(kShadowOffset, kShadowOffset), QSizeF(mLayout->paper)),
                     kShadow);
    ReportPainter(*mTable, *mLayout).paintPage(painter, mPage);
}
