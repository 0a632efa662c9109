// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/reportexport.h"
#include "printing/reporttable.h"
#include "ui/dialogservice.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class AppContext;
class QLabel;
class QProgressBar;

// The progress text of one page, "正在打印第 %d/%d 份 %d/%d 页到 %s ".
QString printProgressText(int copy, int copies, int page, int pages, const QString& target);
// Where the settings print to: "打印机", or "文件: " followed by the file name.
QString printTarget(const ReportPrintSettings& settings);

// The progress box of a print run, "正在打印，请稍候...": a text line, a progress bar and the
// button "中止打印(&C)" (the close box and Escape abort too).
class PrintProgressBox : public QDialog
{
    Q_OBJECT
public:
    explicit PrintProgressBox(QWidget* parent = nullptr);
    void setProgress(const QString& text, int percent);
    QString text() const;
    int percent() const;

signals:
    void abortRequested();

protected:
    void reject() override;

private:
    QLabel* mText = nullptr;
    QProgressBar* mBar = nullptr;
};

// Prints a report under its print settings: all copies of the chosen pages, to the chosen
// printer or to a file (a PDF file, whatever its name), showing the progress box and processing
// window events between pages so that the operator can abort. A file named .xlsx or .csv gets
// the whole report as a spreadsheet instead of pages, written page by page with the same
// progress box; an abort leaves no file.
class PrintRun
{
public:
    PrintRun(AppContext& context, QWidget* owner, ReportTable& table);

    // Told each page's progress text and bar position as the progress box shows them.
    void setProgressObserver(std::function<void(const QString&, int)> observer)
    {
        mObserver = std::move(observer);
    }

    // Runs the print; the messages of a failure are shown. True when every page was printed.
    bool run();

private:
    void tell(const QString& text, MessageIcon icon);
    // The progress box over the owner, shown; its abort sets mAborted.
    std::unique_ptr<PrintProgressBox> showProgressBox();
    // Writes the whole report into the spreadsheet file of the settings.
    bool writeSpreadsheet(const ReportPrintSettings& settings, ReportFileFormat format);

    AppContext& mContext;
    QWidget* mOwner;
    ReportTable& mTable;
    std::function<void(const QString&, int)> mObserver;
    bool mAborted = false;
};
