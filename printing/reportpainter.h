// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/reportlayout.h"
#include "printing/reporttable.h"

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

// A report colour (0x00BBGGRR) as a QColor.
QColor reportColour(RgbValue value);

// The text of a page number, "第 %d 页".
QString pageNumberText(int number);

// Draws the pages of a report with QPainter, for the preview and for the printer alike. The
// painter's coordinates must be table units (tenths of a millimetre) with the paper's top-left
// corner at the origin: scale the painter to the device first.
class ReportPainter
{
public:
    ReportPainter(const ReportTable& table, const ReportLayout& layout);

    // Page `page` (from 0): the white paper when `paper` is set, the page's rows inside the
    // margins at the layout's scale and, when a position is set, the page number.
    void paintPage(QPainter& painter, int page, bool paper = true) const;

    // The page number "第 %d 页" in 宋体 40 units high at a position (1..6 top left, centre,
    // right, bottom left, centre, right; anything else draws nothing), 40 units outside the
    // printable area.
    static void paintPageNumber(QPainter& painter, const QRect& printable, int position,
                                int number);

private:
    const ReportTable& mTable;
    const ReportLayout& mLayout;
    std::vector<int> mColumnLeft; // [column] left edge in table units; [columns + 1] the width
};
