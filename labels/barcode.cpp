// SPDX-License-Identifier: GPL-3.0-or-later
#include "labels/barcode.h"

#include "labels/zintondemand.h"

#include <zint.h>

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <memory>

QString symbologyName(Symbology symbology)
{
    switch (symbology) {
    case Symbology::Code128:
        return QStringLiteral("Code 128");
    case Symbology::Ean13:
        return QStringLiteral("EAN-13");
    case Symbology::QrCode:
        return QStringLiteral("QR Code");
    }
    return {};
}

bool isEan13Content(const QString& content)
{
    if (content.size() != 12 && content.size() != 13)
        return false;
    return std::all_of(content.begin(), content.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

QList<Symbology> offeredSymbologies(const QString& content)
{
    if (isEan13Content(content))
        return {Symbology::Code128, Symbology::Ean13, Symbology::QrCode};
    return {Symbology::Code128, Symbology::QrCode};
}

int ean13CheckDigit(const QString& digits)
{
    // Weights 1 and 3 alternate from the left; the check digit tops the sum up to a multiple
    // of ten.
    int sum = 0;
    for (int i = 0; i < 12 && i < digits.size(); ++i)
        sum += (digits.at(i).unicode() - '0') * (i % 2 == 0 ? 1 : 3);
    return (10 - sum % 10) % 10;
}

QString barcodeProblemText(BarcodeProblem problem)
{
    switch (problem) {
    case BarcodeProblem::None:
        return {};
    case BarcodeProblem::WrongCheckDigit:
        return QStringLiteral("条码校验位不正确");
    case BarcodeProblem::Refused:
        return QStringLiteral("该内容无法生成条码");
    case BarcodeProblem::NoLibrary:
        return QStringLiteral("无法加载条码库，不能生成条码");
    }
    return {};
}

namespace
{

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using Symbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

// The content encoded; nothing when the library refuses it.
Symbol encodeOnce(Symbology symbology, const QByteArray& utf8, bool showText)
{
    Symbol symbol(ZBarcode_Create());
    if (!symbol)
        return nullptr;
    switch (symbology) {
    case Symbology::Code128:
        symbol->symbology = BARCODE_CODE128;
        break;
    case Symbology::Ean13:
        symbol->symbology = BARCODE_EANX;
        break;
    case Symbology::QrCode:
        symbol->symbology = BARCODE_QRCODE;
        // UTF-8 announced as such (ECI 26), so that a reader gives back Chinese text as typed.
        symbol->eci = 26;
        break;
    }
    symbol->input_mode = UNICODE_MODE;
    symbol->output_options |= BARCODE_QUIET_ZONES;
    symbol->show_hrt = showText ? 1 : 0;
    const int result = ZBarcode_Encode_and_Buffer_Vector(
        symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()),
        0);
    if (result >= ZINT_ERROR || !symbol->vector)
        return nullptr;
    return symbol;
}

BarcodeDrawing drawingOf(const zint_symbol& symbol)
{
    BarcodeDrawing drawing;
    const zint_vector& vector = *symbol.vector;
    drawing.size = QSizeF(vector.width, vector.height);
    for (const zint_vector_rect* rect = vector.rectangles; rect; rect = rect->next) {
        // Colour -1 is the foreground; the white rectangles of some symbologies stay paper.
        if (rect->colour == -1 || rect->colour == 7) {
            drawing.bars.append(QRectF(rect->x, rect->y, rect->width, rect->height));
            if (drawing.module <= 0 || rect->width < drawing.module)
                drawing.module = rect->width;
        }
    }
    for (const zint_vector_hexagon* hexagon = vector.hexagons; hexagon; hexagon = hexagon->next)
        drawing.hexagons.append(
            {QPointF(hexagon->x, hexagon->y), hexagon->diameter, hexagon->rotation});
    for (const zint_vector_string* string = vector.strings; string; string = string->next) {
        BarcodeText text;
        text.position = QPointF(string->x, string->y);
        text.fontSize = string->fsize;
        text.width = string->width;
        text.halign = string->halign;
        text.text =
            QString::fromUtf8(reinterpret_cast<const char*>(string->text),
                              qsizetype(std::strlen(reinterpret_cast<const char*>(string->text))));
        drawing.texts.append(text);
    }
    return drawing;
}

} // namespace

BarcodeDrawing encodeBarcode(Symbology symbology, const QString& content, bool showText)
{
    BarcodeDrawing refused;
    if (!zintLibraryLoaded()) {
        refused.problem = BarcodeProblem::NoLibrary;
        return refused;
    }
    if (symbology == Symbology::Ean13) {
        if (!isEan13Content(content)) {
            refused.problem = BarcodeProblem::Refused;
            return refused;
        }
        if (content.size() == 13 && content.back().unicode() - '0' != ean13CheckDigit(content)) {
            refused.problem = BarcodeProblem::WrongCheckDigit;
            return refused;
        }
    }
    if (content.isEmpty()) {
        refused.problem = BarcodeProblem::Refused;
        return refused;
    }
    // EAN-13 is given its twelve digits; the library adds the check digit.
    const QByteArray utf8 = (symbology == Symbology::Ean13 ? content.left(12) : content).toUtf8();

    const Symbol symbol = encodeOnce(symbology, utf8, showText);
    if (!symbol) {
        refused.problem = BarcodeProblem::Refused;
        return refused;
    }
    BarcodeDrawing drawing = drawingOf(*symbol);
    drawing.linear = symbology != Symbology::QrCode;
    drawing.encoded = symbology == Symbology::Ean13
                          ? content.left(12) + QString::number(ean13CheckDigit(content))
                          : content;
    return drawing;
}
