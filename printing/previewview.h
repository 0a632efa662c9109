// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/reportlayout.h"

#include <QAbstractScrollArea>
#include <QSize>

class ReportTable;

// The scale steps of the preview, in per mille of actual size.
constexpr int kMinimumScale = 200;
constexpr int kMaximumScale = 3000;
constexpr int kScaleStep = 200;
// The scroll bars move by this many pixels a step.
constexpr int kScrollStep = 30;

// "放大" and "缩小": the next scale up or down, kept within 200 to 3000.
int zoomedIn(int scale);
int zoomedOut(int scale);
// "等宽" / "等高": the scale that fits an extent measured at actual size into the view's length
// (below 200 it is 200; a fit is not held to the zoom commands' 3000).
int fittedScale(int viewLength, double extentAtActualSize);

// The page view of the print preview: one page of the report on white paper over a dark grey
// background, at a per-mille scale (1000 is actual size), with both scroll bars. Until the
// operator zooms, every resize fits the page height into the view.
class PreviewView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit PreviewView(QWidget* parent = nullptr);

    // The report and its layout shown; both stay owned by the caller.
    void showReport(const ReportTable* table, const ReportLayout* layout);
    void setPage(int page);
    int page() const { return mPage; }

    int scale() const { return mScale; }
    // Sets the scale chosen by the operator: the zoomed flag is set.
    void zoomTo(int scale);
    void fitWidth();
    void fitHeight();
    bool isZoomed() const { return mZoomed; }

    // The page extent (paper plus a border) in pixels at actual size.
    QSizeF extentAtActualSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void setScale(int scale);
    QSize extent() const;
    void updateScrollBars();
    double pixelsPerUnitX() const;
    double pixelsPerUnitY() const;

    const ReportTable* mTable = nullptr;
    const ReportLayout* mLayout = nullptr;
    int mPage = 0;
    int mScale = 1000;
    bool mZoomed = false;
};
