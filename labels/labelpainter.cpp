// SPDX-License-Identifier: GPL-3.0-or-later
#include "labels/labelpainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{

enum class Alignment { Left, Centre, Right };

// Draws a text with its baseline starting (or centred, or ending) at a point in millimetres, at
// the font height in millimetres.
void drawText(QPainter& painter, const QPointF& baseline, const QString& text, double fontSize,
              Alignment alignment)
{
    const QFont font = labelFont(fontSize);
    const double width = QFontMetricsF(font).horizontalAdvance(text) / kTextUnitsPerMm;
    double x = baseline.x();
    if (alignment == Alignment::Centre)
        x -= width / 2;
    else if (alignment == Alignment::Right)
        x -= width;
    painter.save();
    painter.translate(x, baseline.y());
    painter.scale(1 / kTextUnitsPerMm, 1 / kTextUnitsPerMm);
    painter.setFont(font);
    painter.drawText(QPointF(0, 0), text);
    painter.restore();
}

// Lines of text from the top of a rectangle, centred or from its left edge.
void drawLines(QPainter& painter, const QRectF& rect, const QStringList& lines, double fontSize,
               bool centred)
{
    const QFontMetricsF metrics(labelFont(fontSize));
    const double ascent = metrics.ascent() / kTextUnitsPerMm;
    const double height = metrics.height() / kTextUnitsPerMm;
    for (int i = 0; i < lines.size(); ++i) {
        const double baseline = rect.top() + i * height + ascent;
        if (centred)
            drawText(painter, QPointF(rect.center().x(), baseline), lines.at(i), fontSize,
                     Alignment::Centre);
        else
            drawText(painter, QPointF(rect.left(), baseline), lines.at(i), fontSize,
                     Alignment::Left);
    }
}

QPolygonF hexagon(const BarcodeHexagon& shape)
{
    QPolygonF polygon;
    const double radius = shape.diameter / 2;
    // Pointy top for rotation 0 and 180, flat top for 90 and 270.
    const double start = (shape.rotation == 90 || shape.rotation == 270) ? 0.0 : 30.0;
    for (int i = 0; i < 6; ++i) {
        const double angle = (start + 60.0 * i) * std::numbers::pi / 180.0;
        polygon << shape.centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    return polygon;
}

} // namespace

BarcodeDrawing barcodeForLabel(const LabelOptions& options, const LotLabel& lot)
{
    if (!options.showBarcode)
        return {};
    return encodeBarcode(options.symbology, barcodeContentOf(options, lot));
}

namespace
{

// The scale (millimetres per unit of the drawing) with each module a whole number of dots, at
// least one.
double snappedScale(double scale, const BarcodeDrawing& barcode, double dotPitch)
{
    if (dotPitch <= 0 || barcode.module <= 0)
        return scale;
    const double dots = std::max(1.0, std::floor(barcode.module * scale / dotPitch + 1e-6));
    return dots * dotPitch / barcode.module;
}

// A point moved onto the page's dot grid.
QPointF snappedPoint(const QPainter& painter, const QPointF& point, double dotPitch)
{
    const QTransform toDevice = painter.transform();
    if (dotPitch <= 0 || !toDevice.isInvertible())
        return point;
    const double dotX = dotPitch * toDevice.m11();
    const double dotY = dotPitch * toDevice.m22();
    if (dotX <= 0 || dotY <= 0)
        return point;
    const QPointF device = toDevice.map(point);
    return toDevice.inverted().map(
        QPointF(std::round(device.x() / dotX) * dotX, std::round(device.y() / dotY) * dotY));
}

Alignment alignmentOf(const BarcodeText& text)
{
    return text.halign == 1   ? Alignment::Left
           : text.halign == 2 ? Alignment::Right
                              : Alignment::Centre;
}

// The human-readable text of a Code 128 symbol: as tall as is legible (up to 2.4 mm) while it
// fits the barcode's width.
double readableTextSize(const QString& text, double drawnSize, double width)
{
    double size = std::clamp(drawnSize, 1.6, 2.4);
    while (size > 1.0 &&
           QFontMetricsF(labelFont(size)).horizontalAdvance(text) / kTextUnitsPerMm > width)
        size -= 0.1;
    return size;
}

} // namespace

void paintBarcode(QPainter& painter, const QRectF& rect, const BarcodeDrawing& barcode,
                  double dotPitch)
{
    if (!barcode.isValid() || barcode.size.isEmpty() || rect.isEmpty())
        return;
    const QSizeF size = barcode.size;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);

    if (!barcode.linear) {
        // Squares keep their proportions: as large as the room allows, centred.
        const double scale =
            snappedScale(std::min(rect.width() / size.width(), rect.height() / size.height()),
                         barcode, dotPitch);
        const QPointF corner =
            snappedPoint(painter,
                         QPointF(rect.left() + (rect.width() - size.width() * scale) / 2,
                                 rect.top() + (rect.height() - size.height() * scale) / 2),
                         dotPitch);
        painter.translate(corner);
        painter.scale(scale, scale);
        for (const QRectF& square : barcode.bars)
            painter.drawRect(square);
        for (const BarcodeHexagon& shape : barcode.hexagons)
            painter.drawPolygon(hexagon(shape));
        painter.restore();
        return;
    }

    // Bars take the room's width; their height is what the text under them leaves.
    const double scale = snappedScale(rect.width() / size.width(), barcode, dotPitch);
    const QPointF corner = snappedPoint(
        painter, QPointF(rect.left() + (rect.width() - size.width() * scale) / 2, rect.top()),
        dotPitch);
    const auto bar = [&](const QRectF& unit, double height) {
        return QRectF(corner.x() + unit.x() * scale, corner.y() + unit.y() * scale,
                      unit.width() * scale, height);
    };
    if (barcode.texts.size() == 1) {
        // One line of text centred under the bars (Code 128), drawn legibly.
        const BarcodeText& text = barcode.texts.first();
        const double fontSize =
            readableTextSize(text.text, text.fontSize * scale, size.width() * scale);
        const QFontMetricsF metrics(labelFont(fontSize));
        const double gap = 0.3;
        const double barHeight =
            std::max(1.5, rect.height() - metrics.height() / kTextUnitsPerMm - gap);
        for (const QRectF& unit : barcode.bars)
            painter.drawRect(bar(unit, barHeight));
        painter.setPen(Qt::black);
        drawText(painter,
                 QPointF(corner.x() + text.position.x() * scale,
                         corner.y() + barHeight + gap + metrics.ascent() / kTextUnitsPerMm),
                 text.text, fontSize, alignmentOf(text));
    } else {
        // The library's own arrangement (EAN-13: the digits between the guard bars), with every
        // bar lengthened or shortened by what the room's height asks.
        const double stretch = rect.height() - size.height() * scale;
        double shortest = size.height();
        for (const QRectF& unit : barcode.bars)
            shortest = std::min(shortest, unit.height());
        const double change = std::max(stretch, (0.2 - 1) * shortest * scale);
        for (const QRectF& unit : barcode.bars)
            painter.drawRect(bar(unit, unit.height() * scale + change));
        painter.setPen(Qt::black);
        for (const BarcodeText& text : barcode.texts)
            drawText(painter,
                     QPointF(corner.x() + text.position.x() * scale,
                             corner.y() + text.position.y() * scale + change),
                     text.text, text.fontSize * scale, alignmentOf(text));
    }
    painter.restore();
}

void paintLabel(QPainter& painter, const QPointF& origin, const LabelLayout& layout,
                const BarcodeDrawing& barcode, double dotPitch)
{
    painter.save();
    painter.translate(origin);
    painter.setPen(Qt::black);
    const bool centred = layout.centred;
    drawLines(painter, layout.nameRect, layout.nameLines, layout.nameFontSize, centred);
    paintBarcode(painter, layout.barcodeRect, barcode, dotPitch);
    drawLines(painter, layout.smallRect, layout.smallLines, layout.smallFontSize, centred);
    painter.restore();
}
