// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "labels/barcode.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

// The label media the label window offers, in its order.
enum class LabelMedia { Roll40x30, Roll50x30, Roll60x40, Tape62, SheetA4, Custom };

// "40×30 mm", "50×30 mm", "60×40 mm", "62 mm 连续纸", "A4 3×8 (70×37 mm)", "自定义".
QString mediaName(LabelMedia media);
QList<LabelMedia> allMedia();

// A4 sheets of labels: three columns of eight rows of 70 by 37 millimetres.
inline constexpr int kSheetColumns = 3;
inline constexpr int kSheetRows = 8;
inline constexpr int kLabelsPerSheet = kSheetColumns * kSheetRows;
inline constexpr double kTapeWidth = 62.0;
inline constexpr int kMaxCopies = 1000;

// What the barcode holds.
enum class BarcodeContent { ProductId, LotNumber };

// One stock lot, as its label shows it.
struct LotLabel {
    QString lot;  // 入库单号
    QString id;   // 产品ID
    QString name; // 产品名称
    QString unit; // 产品单位
};

// The operator's choices of the label window; every length in millimetres.
struct LabelOptions {
    LabelMedia media = LabelMedia::Roll50x30;
    QSizeF customSize = QSizeF(50, 30);
    double margin = 2.0;
    bool showName = true;
    bool showBarcode = true;
    bool showId = true;
    bool showLot = true;
    bool showUnit = true;
    BarcodeContent content = BarcodeContent::ProductId;
    Symbology symbology = Symbology::Code128;
    int copies = 1;
    int startPosition = 1; // on an A4 sheet, 1 to 24, row by row from the top left
    bool allLots = false;  // 全部同类批次
};

// The text the barcode of a lot holds under the options.
QString barcodeContentOf(const LabelOptions& options, const LotLabel& lot);

// The small lines under the barcode ("产品ID：..."), those switched on, in order.
QStringList smallLinesOf(const LabelOptions& options, const LotLabel& lot);

// Fonts of a label are sized in hundredths of a millimetre (pixel sizes in that unit), so that
// a label measures and paints the same on the screen and on any printer.
inline constexpr double kTextUnitsPerMm = 100.0;
QFont labelFont(double heightMm);

// Where everything of one label goes, in millimetres from the label's top left corner.
struct LabelLayout {
    QSizeF size;
    QRectF nameRect;
    QStringList nameLines;   // the name wrapped to the width of nameRect
    double nameFontSize = 0; // mm
    QRectF barcodeRect;
    QRectF smallRect;
    QStringList smallLines;
    double smallFontSize = 0; // mm
    // Texts centred over a linear barcode; beside a QR code they start at their column's left.
    bool centred = true;
};

// The size of one label: the preset's, the custom one, or for the 62 mm tape as long as the
// content needs.
QSizeF labelSize(const LabelOptions& options, const LotLabel& lot);

// Lays out one label: the name wrapped and shrunk until it fits its room, the barcode taking
// what the text leaves (a QR code square at the left, the texts beside it), the small lines at
// the bottom.
LabelLayout layOutLabel(const LabelOptions& options, const LotLabel& lot);

// The name wrapped into lines of at most width millimetres at the font height (words kept whole
// where they fit, Chinese text broken between characters).
QStringList wrapText(const QString& text, double fontSizeMm, double widthMm);

// Where one printed label goes: the page (from 0) and its rectangle on the page in millimetres.
struct LabelPlacement {
    int page = 0;
    QRectF rect;
};

// The page of the media: the label itself for rolls and tape, A4 for the sheet.
QSizeF pageSize(const LabelOptions& options, const LotLabel& lot);

// The places of count labels: one label per page on rolls and tape; on A4 sheets from the start
// position on, row by row, filling further sheets from their first position.
std::vector<LabelPlacement> placeLabels(const LabelOptions& options, const QSizeF& label,
                                        int count);

// The cell of a sheet position (1 to 24): its row and column from 1.
struct SheetPosition {
    int row = 1;
    int column = 1;
};
SheetPosition sheetPositionOf(int position);
