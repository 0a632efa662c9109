// SPDX-License-Identifier: GPL-3.0-or-later
#include "labels/labelprint.h"

#include "labels/labelpainter.h"
#include "storage/replacementfile.h"

#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

#include <memory>

int LabelJob::labelCount() const
{
    return int(lots.size()) * std::max(0, options.copies);
}

BarcodeProblem jobBarcodeProblem(const LabelJob& job)
{
    if (!job.options.showBarcode)
        return BarcodeProblem::None;
    for (const LotLabel& lot : job.lots) {
        const BarcodeDrawing barcode = barcodeForLabel(job.options, lot);
        if (!barcode.isValid())
            return barcode.problem;
    }
    return BarcodeProblem::None;
}

namespace
{

QPageLayout pageLayoutOf(const QSizeF& size)
{
    // A label wider than tall is still printed as it is laid out: the page takes its size.
    return QPageLayout(QPageSize(size, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF());
}

struct PreparedLot {
    LabelLayout layout;
    BarcodeDrawing barcode;
    QSizeF page;
};

} // namespace

bool paintLabelJob(QPagedPaintDevice& device, const LabelJob& job, const LabelProgress& progress)
{
    const int copies = std::clamp(job.options.copies, 0, kMaxCopies);
    // Each lot laid out and its barcode encoded once, for all its copies.
    QList<PreparedLot> prepared;
    for (const LotLabel& lot : job.lots) {
        PreparedLot one;
        one.layout = layOutLabel(job.options, lot);
        one.barcode = barcodeForLabel(job.options, lot);
        if (!one.barcode.isValid())
            return false;
        one.page = pageSize(job.options, lot);
        prepared.append(one);
    }
    const int total = int(prepared.size()) * copies;
    if (total == 0)
        return true;

    const bool sheet = job.options.media == LabelMedia::SheetA4;
    QSizeF currentPage = prepared.first().page;
    if (!device.setPageLayout(pageLayoutOf(currentPage)))
        return false;
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setFullPage(true);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const auto toMillimetres = [&] {
        painter.resetTransform();
        painter.scale(device.logicalDpiX() / 25.4, device.logicalDpiY() / 25.4);
    };
    toMillimetres();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Bars on the printer's dot grid; a PDF file on the grid of 300 dots per inch, which the
    // common printers (300, 600, 1200 dpi) and renderings share.
    const auto* printer = dynamic_cast<const QPrinter*>(&device);
    const int dpi =
        printer && printer->outputFormat() == QPrinter::NativeFormat ? printer->resolution() : 300;
    const double dotPitch = 25.4 / std::max(72, dpi);

    // Sheets: the places of all labels; rolls and tape: one page per label.
    const std::vector<LabelPlacement> places =
        placeLabels(job.options, labelSize(job.options, job.lots.first()), total);
    int page = 0;
    bool ok = true;
    for (int index = 0; index < total && ok; ++index) {
        const PreparedLot& lot = prepared.at(index / std::max(1, copies));
        const LabelPlacement& place = places.at(std::size_t(index));
        if (place.page != page) {
            if (!sheet && lot.page != currentPage) {
                currentPage = lot.page;
                device.setPageLayout(pageLayoutOf(currentPage));
            }
            if (!device.newPage()) {
                ok = false;
                break;
            }
            toMillimetres();
            page = place.page;
        }
        paintLabel(painter, place.rect.topLeft(), lot.layout, lot.barcode, dotPitch);
        const bool pageDone = index + 1 == total || places.at(std::size_t(index + 1)).page != page;
        if (pageDone && progress && !progress(index + 1, total))
            ok = false;
    }
    if (!ok) {
        if (auto* printer = dynamic_cast<QPrinter*>(&device))
            printer->abort();
    }
    const bool ended = painter.end();
    return ok && ended;
}

bool printLabelJobToPdf(const QString& fileName, const LabelJob& job, const LabelProgress& progress)
{
    ReplacementFile output(fileName);
    if (!output.isValid())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setDocName(QStringLiteral("标签"));
    printer.setOutputFileName(output.path());
    if (!paintLabelJob(printer, job, progress))
        return false;
    return output.commit();
}
