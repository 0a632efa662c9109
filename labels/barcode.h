// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

// The kinds of barcode a label can carry, in the order the label window offers them.
enum class Symbology { Code128, Ean13, QrCode };

// "Code 128", "EAN-13", "QR Code".
QString symbologyName(Symbology symbology);
// The kinds offered for a content: EAN-13 only for a content of 12 or 13 digits.
QList<Symbology> offeredSymbologies(const QString& content);
// True for exactly 12 or 13 ASCII digits.
bool isEan13Content(const QString& content);
// The check digit (0 to 9) of the first twelve digits of an EAN-13 content.
int ean13CheckDigit(const QString& digits);

// Why a content gives no barcode.
enum class BarcodeProblem {
    None,
    WrongCheckDigit, // a 13th EAN-13 digit that is not the check digit of the twelve before it
    Refused,         // the symbology cannot hold the content (a character Code 128 has not)
    NoLibrary,       // the barcode library could not be loaded
};
// The operator's message for a problem: "条码校验位不正确", "该内容无法生成条码", ...
QString barcodeProblemText(BarcodeProblem problem);

// One line of human-readable text of a barcode, as the barcode library placed it: the baseline
// point (horizontal centre, left or right end by halign), the font size and the width the text
// should take (0 when free).
struct BarcodeText {
    QPointF position;
    double fontSize = 0;
    double width = 0;
    int halign = 0; // 0 centre, 1 left, 2 right
    QString text;
};

// A regular hexagon of a symbology drawn with them, by its centre and the diameter of its
// circumscribed circle.
struct BarcodeHexagon {
    QPointF centre;
    double diameter = 0;
    int rotation = 0;
};

// An encoded barcode as shapes in the barcode library's own units (quiet zones included):
// drawn with QPainter they stay vectors, so that a PDF holds sharp bars at any size.
struct BarcodeDrawing {
    BarcodeProblem problem = BarcodeProblem::None;
    QSizeF size;
    QList<QRectF> bars;
    QList<BarcodeHexagon> hexagons;
    QList<BarcodeText> texts;
    // Bars (Code 128, EAN-13) rather than squares (QR Code).
    bool linear = true;
    // The width of the narrowest bar or square (one module), in the library's units.
    double module = 0;
    // The content the symbol holds (for EAN-13 the thirteen digits, check digit included).
    QString encoded;

    bool isValid() const { return problem == BarcodeProblem::None; }
};

// Encodes a content. showText puts the human-readable text under linear barcodes (the painter
// fits their bars to the height of their room).
BarcodeDrawing encodeBarcode(Symbology symbology, const QString& content, bool showText = true);
