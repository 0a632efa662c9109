// SPDX-License-Identifier: GPL-3.0-or-later
#include "labels/labellayout.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace
{

// The name's largest and smallest type, the small lines' largest and smallest, in millimetres.
constexpr double kNameLargest = 4.0;
constexpr double kNameSmallest = 1.6;
constexpr double kSmallLargest = 2.2;
constexpr double kSmallSmallest = 1.4;
// Room between the parts of a label, and between a QR code and its texts.
constexpr double kGap = 0.8;
constexpr double kQrGap = 1.5;
// The barcode on the 62 mm tape: bars this tall, a QR code this wide.
constexpr double kTapeBarcodeHeight = 16.0;
constexpr double kTapeQrSide = 22.0;
// The name takes at most this share of a label's height above a linear barcode.
constexpr double kNameShare = 0.3;
constexpr double kSheetWidth = 210.0;
constexpr double kSheetHeight = 297.0;
constexpr QSizeF kSheetLabel(70.0, 37.0);

double lineHeight(double fontSize)
{
    return QFontMetricsF(labelFont(fontSize)).height() / kTextUnitsPerMm;
}

double textWidth(const QString& text, double fontSize)
{
    return QFontMetricsF(labelFont(fontSize)).horizontalAdvance(text) / kTextUnitsPerMm;
}

bool isBreakable(QChar c)
{
    // Chinese, Japanese and Korean text breaks between any two characters.
    return c.unicode() >= 0x2E80;
}

// The words of a text: runs of other characters, each Chinese character alone, each blank alone.
QStringList tokensOf(const QString& text)
{
    QStringList tokens;
    QString word;
    for (const QChar c : text) {
        if (c.isSpace() || isBreakable(c)) {
            if (!word.isEmpty())
                tokens.append(word);
            word.clear();
            tokens.append(c.isSpace() ? QStringLiteral(" ") : QString(c));
        } else {
            word.append(c);
        }
    }
    if (!word.isEmpty())
        tokens.append(word);
    return tokens;
}

// The name at the largest size that fits the room (at most maxLines lines), and its lines; at
// the smallest size the lines that do not fit are dropped and the last one is cut with "…".
std::pair<double, QStringList> fitName(const QString& name, double width, double height)
{
    for (double size = kNameLargest; size >= kNameSmallest - 1e-9; size -= 0.1) {
        const QStringList lines = wrapText(name, size, width);
        if (lines.size() * lineHeight(size) <= height + 1e-9)
            return {size, lines};
    }
    QStringList lines = wrapText(name, kNameSmallest, width);
    const int fitting = std::max(1, int(height / lineHeight(kNameSmallest)));
    if (lines.size() > fitting) {
        lines = lines.mid(0, fitting);
        const QFontMetricsF metrics(labelFont(kNameSmallest));
        lines.last() = metrics.elidedText(lines.last() + QStringLiteral("…"), Qt::ElideRight,
                                          width * kTextUnitsPerMm);
    }
    return {kNameSmallest, lines};
}

// The small lines' type: the largest (up to a share of the label's height) at which the longest
// line fits the width.
double smallFontFor(const QStringList& lines, double width, double labelHeight)
{
    double size = std::clamp(labelHeight * 0.085, kSmallSmallest, kSmallLargest);
    for (; size > kSmallSmallest; size -= 0.1) {
        const bool fits = std::all_of(lines.begin(), lines.end(), [&](const QString& line) {
            return textWidth(line, size) <= width + 1e-9;
        });
        if (fits)
            break;
    }
    return std::max(size, kSmallSmallest);
}

bool isQrBeside(const LabelOptions& options)
{
    return options.showBarcode && options.symbology == Symbology::QrCode;
}

} // namespace

QString mediaName(LabelMedia media)
{
    switch (media) {
    case LabelMedia::Roll40x30:
        return QStringLiteral("40×30 mm");
    case LabelMedia::Roll50x30:
        return QStringLiteral("50×30 mm");
    case LabelMedia::Roll60x40:
        return QStringLiteral("60×40 mm");
    case LabelMedia::Tape62:
        return QStringLiteral("62 mm 连续纸");
    case LabelMedia::SheetA4:
        return QStringLiteral("A4 3×8 (70×37 mm)");
    case LabelMedia::Custom:
        return QStringLiteral("自定义");
    }
    return {};
}

QList<LabelMedia> allMedia()
{
    return {LabelMedia::Roll40x30, LabelMedia::Roll50x30, LabelMedia::Roll60x40,
            LabelMedia::Tape62,    LabelMedia::SheetA4,   LabelMedia::Custom};
}

QString barcodeContentOf(const LabelOptions& options, const LotLabel& lot)
{
    return options.content == BarcodeContent::LotNumber ? lot.lot : lot.id;
}

QStringList smallLinesOf(const LabelOptions& options, const LotLabel& lot)
{
    QStringList lines;
    if (options.showId)
        lines.append(QStringLiteral("产品ID：") + lot.id);
    if (options.showLot)
        lines.append(QStringLiteral("入库单号：") + lot.lot);
    if (options.showUnit)
        lines.append(QStringLiteral("产品单位：") + lot.unit);
    return lines;
}

QFont labelFont(double heightMm)
{
    QFont font;
    font.setPixelSize(std::max(1, int(std::lround(heightMm * kTextUnitsPerMm))));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QStringList wrapText(const QString& text, double fontSizeMm, double widthMm)
{
    QStringList lines;
    QString line;
    const auto fits = [&](const QString& candidate) {
        return textWidth(candidate, fontSizeMm) <= widthMm + 1e-9;
    };
    const auto finishLine = [&] {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines.append(trimmed);
        line.clear();
    };
    for (const QString& token : tokensOf(text)) {
        if (fits(line + token)) {
            line += token;
            continue;
        }
        finishLine();
        if (token == QLatin1String(" "))
            continue;
        if (fits(token)) {
            line = token;
            continue;
        }
        // A word wider than the line is broken between its characters.
        for (const QChar c : token) {
            if (!line.isEmpty() && !fits(line + c))
                finishLine();
            line += c;
        }
    }
    finishLine();
    return lines;
}

QSizeF labelSize(const LabelOptions& options, const LotLabel& lot)
{
    switch (options.media) {
    case LabelMedia::Roll40x30:
        return {40, 30};
    case LabelMedia::Roll50x30:
        return {50, 30};
    case LabelMedia::Roll60x40:
        return {60, 40};
    case LabelMedia::SheetA4:
        return kSheetLabel;
    case LabelMedia::Custom:
        return options.customSize;
    case LabelMedia::Tape62:
        break;
    }
    // The tape is as long as the content at its full size.
    const double margin = std::max(0.0, options.margin);
    const double inner = kTapeWidth - 2 * margin;
    const QStringList small = smallLinesOf(options, lot);
    const double smallHeight = small.size() * lineHeight(kSmallLargest);
    const double textWidthRoom = isQrBeside(options) ? inner - kTapeQrSide - kQrGap : inner;
    const double nameHeight =
        options.showName && !lot.name.isEmpty()
            ? wrapText(lot.name, kNameLargest, textWidthRoom).size() * lineHeight(kNameLargest)
            : 0;
    double content = 0;
    if (isQrBeside(options)) {
        content = std::max(kTapeQrSide, nameHeight + kGap + smallHeight);
    } else {
        content = nameHeight + smallHeight;
        if (options.showBarcode)
            content += kTapeBarcodeHeight + 2 * kGap;
    }
    return {kTapeWidth, std::max(10.0, std::ceil(content + 2 * margin))};
}

LabelLayout layOutLabel(const LabelOptions& options, const LotLabel& lot)
{
    LabelLayout layout;
    layout.size = labelSize(options, lot);
    const double margin =
        std::clamp(options.margin, 0.0, std::min(layout.size.width(), layout.size.height()) / 3);
    const QRectF inner(margin, margin, layout.size.width() - 2 * margin,
                       layout.size.height() - 2 * margin);

    QRectF textColumn = inner;
    if (isQrBeside(options)) {
        const double side = std::min(inner.height(), inner.width() * 0.45);
        layout.barcodeRect =
            QRectF(inner.left(), inner.top() + (inner.height() - side) / 2, side, side);
        textColumn.setLeft(inner.left() + side + kQrGap);
        layout.centred = false;
    }

    layout.smallLines = smallLinesOf(options, lot);
    if (!layout.smallLines.isEmpty()) {
        layout.smallFontSize =
            smallFontFor(layout.smallLines, textColumn.width(), layout.size.height());
        const double height = layout.smallLines.size() * lineHeight(layout.smallFontSize);
        layout.smallRect =
            QRectF(textColumn.left(), textColumn.bottom() - height, textColumn.width(), height);
    }
    const double smallTop =
        layout.smallLines.isEmpty() ? textColumn.bottom() : layout.smallRect.top() - kGap / 2;

    const bool linearBarcode = options.showBarcode && !isQrBeside(options);
    if (options.showName && !lot.name.isEmpty()) {
        double room = smallTop - textColumn.top();
        if (linearBarcode)
            room = std::min(room, inner.height() * kNameShare);
        const auto [size, lines] = fitName(lot.name, textColumn.width(), std::max(0.0, room));
        layout.nameFontSize = size;
        layout.nameLines = lines;
        layout.nameRect = QRectF(textColumn.left(), textColumn.top(), textColumn.width(),
                                 lines.size() * lineHeight(size));
    }
    if (linearBarcode) {
        const double top =
            layout.nameLines.isEmpty() ? inner.top() : layout.nameRect.bottom() + kGap;
        layout.barcodeRect =
            QRectF(inner.left(), top, inner.width(), std::max(0.0, smallTop - kGap / 2 - top));
    }
    return layout;
}

QSizeF pageSize(const LabelOptions& options, const LotLabel& lot)
{
    if (options.media == LabelMedia::SheetA4)
        return {kSheetWidth, kSheetHeight};
    return labelSize(options, lot);
}

SheetPosition sheetPositionOf(int position)
{
    const int index = std::clamp(position, 1, kLabelsPerSheet) - 1;
    return {index / kSheetColumns + 1, index % kSheetColumns + 1};
}

std::vector<LabelPlacement> placeLabels(const LabelOptions& options, const QSizeF& label, int count)
{
    std::vector<LabelPlacement> places;
    places.reserve(std::size_t(std::max(0, count)));
    if (options.media != LabelMedia::SheetA4) {
        for (int i = 0; i < count; ++i)
            places.push_back({i, QRectF(QPointF(0, 0), label)});
        return places;
    }
    // The grid is centred on the sheet (8 × 37 mm leave half a millimetre above and below).
    const double top = (kSheetHeight - kSheetRows * kSheetLabel.height()) / 2;
    const double left = (kSheetWidth - kSheetColumns * kSheetLabel.width()) / 2;
    const int first = std::clamp(options.startPosition, 1, kLabelsPerSheet) - 1;
    for (int i = 0; i < count; ++i) {
        const int position = first + i;
        const int cell = position % kLabelsPerSheet;
        places.push_back(
            {position / kLabelsPerSheet, QRectF(left + (cell % kSheetColumns) * kSheetLabel.width(),
                                                top + (cell / kSheetColumns) * kSheetLabel.height(),
                                                kSheetLabel.width(), kSheetLabel.height())});
    }
    return places;
}
