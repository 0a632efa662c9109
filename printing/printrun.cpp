// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printrun.h"

#include "core/context.h"
#include "printing/reportlayout.h"
#include "printing/reportpainter.h"
#include "storage/replacementfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

QString printProgressText(int copy, int copies, int page, int pages, const QString& target)
{
    return QStringLiteral("正在打印第 %1/%2 份 %3/%4 页到 %5 ")
        .arg(copy)
        .arg(copies)
        .arg(page)
        .arg(pages)
        .arg(target);
}

QString printTarget(const ReportPrintSettings& settings)
{
    if (settings.printToFile)
        return QStringLiteral("文件: ") + settings.fileName;
    return QStringLiteral("打印机");
}

PrintProgressBox::PrintProgressBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("正在打印，请稍候..."));
    mText = new QLabel(this);
    mText->setObjectName(QStringLiteral("标签_进度"));
    mText->setMinimumWidth(360);
    mBar = new QProgressBar(this);
    mBar->setObjectName(QStringLiteral("进度条_打印"));
    mBar->setRange(0, 100);
    mBar->setValue(0);
    auto* abort = new QPushButton(QStringLiteral("中止打印(&C)"), this);
    abort->setObjectName(QStringLiteral("按钮_中止"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mText);
    layout->addWidget(mBar);
    layout->addWidget(abort, 0, Qt::AlignHCenter);
    connect(abort, &QPushButton::clicked, this, &PrintProgressBox::abortRequested);
}

void PrintProgressBox::setProgress(const QString& text, int percent)
{
    mText->setText(text);
    mBar->setValue(percent);
}

QString PrintProgressBox::text() const
{
    return mText->text();
}

int PrintProgressBox::percent() const
{
    return mBar->value();
}

void PrintProgressBox::reject()
{
    emit abortRequested();
}

std::unique_ptr<PrintProgressBox> PrintRun::showProgressBox()
{
    auto progress = std::make_unique<PrintProgressBox>(mOwner);
    progress->setWindowModality(Qt::ApplicationModal);
    QObject::connect(progress.get(), &PrintProgressBox::abortRequested,
                     [this] { mAborted = true; });
    progress->show();
    return progress;
}

PrintRun::PrintRun(AppContext& context, QWidget* owner, ReportTable& table)
    : mContext(context), mOwner(owner), mTable(table)
{
}

void PrintRun::tell(const QString& text, MessageIcon icon)
{
    mContext.dialogs().message(mOwner, text, QStringLiteral("提示"), icon);
}

namespace
{

// The chosen printer; nothing when that printer is not there.
std::unique_ptr<QPrinter> printerFor(const ReportPrintSettings& settings)
{
    if (settings.printerName.isEmpty())
        return nullptr;
    const QPrinterInfo info = QPrinterInfo::printerInfo(settings.printerName);
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return nullptr;
    return printer;
}

// The resolution a file is printed at, as a high-resolution printer has it.
constexpr int kFileResolution = 1200;

} // namespace

bool PrintRun::run()
{
    // Asked at every print and export: whoever is at the desk now may not be who opened it.
    if (!mTable.mayPrint(mOwner))
        return false;
    const ReportPrintSettings settings = mTable.printSettings();
    if (settings.printToFile && settings.fileName.trimmed().isEmpty()) {
        tell(QStringLiteral("未指定欲打印到的文件名称"), MessageIcon::Warning);
        return false;
    }
    if (settings.printToFile) {
        const ReportFileFormat format = reportFileFormatOf(settings.fileName);
        if (format != ReportFileFormat::Pages)
            return writeSpreadsheet(settings, format);
    }
    std::unique_ptr<QPrinter> printer;
    if (!settings.printToFile) {
        printer = printerFor(settings);
        if (!printer) {
            tell(QStringLiteral("无法创建打印机设备"), MessageIcon::Error);
            return false;
        }
    }

    const PrintSelection selection = selectPrintedPages(mTable);
    // Even pages of a one-page report: there is nothing to print, and no job is started.
    if (selection.pages.empty())
        return true;
    const ReportTable& table = selection.rowRange ? *selection.rowRange : mTable;
    const QSize paper = selection.layout.paper;
    const QSize portrait = settings.landscape ? paper.transposed() : paper;
    const QPageLayout pageLayout(
        QPageSize(QSizeF(portrait) / 10.0, QPageSize::Millimeter),
        settings.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());

    // A file is printed as PDF into a new file beside the chosen one, written through the file
    // the program made and checked after the last page; it takes the chosen name only when every
    // page has been written: an aborted or failed run (a full disk) leaves no partial file that
    // looks complete, and a file it was to replace stays as it was.
    std::unique_ptr<ReplacementFile> output;
    std::unique_ptr<QPdfWriter> pdf;
    QPagedPaintDevice* device = nullptr;
    if (settings.printToFile) {
        output = std::make_unique<ReplacementFile>(settings.fileName);
        if (!output->isValid()) {
            tell(QStringLiteral("创建打印作业失败"), MessageIcon::Error);
            return false;
        }
        pdf = std::make_unique<QPdfWriter>(output->file());
        pdf->setResolution(kFileResolution);
        pdf->setTitle(QStringLiteral("报表"));
        pdf->setCreator(QCoreApplication::applicationName());
        device = pdf.get();
    } else {
        printer->setDocName(QStringLiteral("报表"));
        printer->setCopyCount(1); // the copies are printed one after the other below
        printer->setFullPage(true);
        device = printer.get();
    }
    device->setPageLayout(pageLayout);
    QPainter painter;
    if (!painter.begin(device)) {
        tell(QStringLiteral("创建打印作业失败"), MessageIcon::Error);
        return false;
    }
    // Table units (tenths of a millimetre) to device pixels, from the paper's corner.
    painter.scale(device->logicalDpiX() / 254.0, device->logicalDpiY() / 254.0);

    const std::unique_ptr<PrintProgressBox> progress = showProgressBox();

    const ReportPainter pages(table, selection.layout);
    const QString target = printTarget(settings);
    const int copies = std::max(1, settings.copies);
    const int pageCount = int(selection.pages.size());
    bool pageFailed = false;
    bool first = true;
    mAborted = false;
    for (int copy = 1; copy <= copies && !mAborted && !pageFailed; ++copy) {
        for (int page = 1; page <= pageCount; ++page) {
            if (!first && !device->newPage()) {
                pageFailed = true;
                break;
            }
            first = false;
            const QString text = printProgressText(copy, copies, page, pageCount, target);
            const int percent = ((copy - 1) * pageCount + page) * 100 / (copies * pageCount);
            progress->setProgress(text, percent);
            if (mObserver)
                mObserver(text, percent);
            pages.paintPage(painter, selection.pages[std::size_t(page - 1)], false);
            QCoreApplication::processEvents();
            if (mAborted)
                break;
        }
    }
    if (mAborted && printer)
        printer->abort();
    const bool ended = painter.end();
    // Hidden, not closed: closing the box is the operator's way to abort.
    progress->hide();

    if (mAborted)
        return false;
    // A write that failed (a full disk) shows in the file's error, whatever the painter made of
    // it; the new file is then removed.
    if (output && output->file()->error() != QFileDevice::NoError) {
        tell(QStringLiteral("打印失败"), MessageIcon::Error);
        return false;
    }
    if (pageFailed || !ended) {
        tell(QStringLiteral("打印页失败"), MessageIcon::Error);
        return false;
    }
    if (output && !output->commit()) {
        tell(QStringLiteral("打印失败"), MessageIcon::Error);
        return false;
    }
    return true;
}

bool PrintRun::writeSpreadsheet(const ReportPrintSettings& settings, ReportFileFormat format)
{
    // Written beside the chosen file and put in its place only when complete, as a printed file
    // is: an abort or a failure leaves no file, and a file it was to replace stays as it was. The
    // writer goes before the new file does.
    ReplacementFile output(settings.fileName);
    ReportSheet sheet = reportSheetOf(mTable);
    const QSize paper = paperOf(settings);
    sheet.paper = settings.landscape ? paper.transposed() : paper;
    sheet.landscape = settings.landscape;
    const std::unique_ptr<SheetWriter> writer = SheetWriter::make(format);
    if (!output.isValid() || !writer || !writer->begin(sheet, output)) {
        tell(QStringLiteral("创建打印作业失败"), MessageIcon::Error);
        return false;
    }

    // One file holds one copy; the rows are written page by page, as the pages would print.
    const std::vector<std::vector<int>> pages = sheetRowsByPage(sheet, layoutReport(mTable).pages);
    const std::unique_ptr<PrintProgressBox> progress = showProgressBox();
    const QString target = printTarget(settings);
    const int pageCount = int(pages.size());
    bool rowFailed = false;
    mAborted = false;
    for (int page = 1; page <= pageCount && !rowFailed; ++page) {
        const QString text = printProgressText(1, 1, page, pageCount, target);
        const int percent = page * 100 / pageCount;
        progress->setProgress(text, percent);
        if (mObserver)
            mObserver(text, percent);
        for (const int row : pages[std::size_t(page - 1)]) {
            if (!writer->writeRow(row)) {
                rowFailed = true;
                break;
            }
        }
        QCoreApplication::processEvents();
        if (mAborted)
            break;
    }
    progress->hide();

    if (mAborted)
        return false;
    if (rowFailed || !writer->finish() || !output.commit()) {
        tell(QStringLiteral("打印页失败"), MessageIcon::Error);
        return false;
    }
    return true;
}
