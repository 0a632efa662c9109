// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "labels/barcode.h"
#include "labels/labellayout.h"

#include <QList>
#include <QString>

#include <functional>

class QPagedPaintDevice;

// A print of labels: the options, and the lots whose labels are printed, each options.copies
// times in a row.
struct LabelJob {
    LabelOptions options;
    QList<LotLabel> lots;

    int labelCount() const;
};

// The first problem that keeps a job's barcodes from being made (None when every one can).
BarcodeProblem jobBarcodeProblem(const LabelJob& job);

// Told after each page: the labels printed so far and the total. Returning false aborts.
using LabelProgress = std::function<bool(int printed, int total)>;

// Paints a job onto a printer or PDF writer that has not started painting yet: rolls and tape
// one label per page of the label's size, A4 sheets of 24 from the start position. Every
// barcode is encoded once per lot. False when the device could not be painted on, a page could
// not be added, a barcode could not be made, or the progress aborted.
bool paintLabelJob(QPagedPaintDevice& device, const LabelJob& job,
                   const LabelProgress& progress = {});

// Prints a job into a PDF file, written beside it and put in its place only when complete.
bool printLabelJobToPdf(const QString& fileName, const LabelJob& job,
                        const LabelProgress& progress = {});
