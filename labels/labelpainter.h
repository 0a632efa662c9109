// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "labels/barcode.h"
#include "labels/labellayout.h"

#include <QPointF>
#include <QRectF>

class QPainter;

// The barcode of a lot's label (nothing is encoded when the label shows no barcode: the drawing
// is then empty but valid).
BarcodeDrawing barcodeForLabel(const LabelOptions& options, const LotLabel& lot);

// Draws a barcode into a rectangle, as large as it fits with its own proportions, centred.
// The painter's unit is one millimetre. With a dot pitch (millimetres per printer dot) each module
// is a whole number of dots and the barcode starts on a dot, so that a printer or a rasteriser
// of that resolution (or a multiple of it) keeps every bar's width exact.
void paintBarcode(QPainter& painter, const QRectF& rect, const BarcodeDrawing& barcode,
                  double dotPitch = 0);

// Draws one label with its top left corner at origin: the name, the barcode with its text and
// the small lines. The painter's unit is one millimetre. A barcode that could not be made leaves
// its room empty.
void paintLabel(QPainter& painter, const QPointF& origin, const LabelLayout& layout,
                const BarcodeDrawing& barcode, double dotPitch = 0);
