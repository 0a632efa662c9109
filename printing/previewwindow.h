// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/reportlayout.h"
#include "printing/reporttable.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class AppContext;
class PreviewView;
class QDialog;
class QLabel;

// The page indicator text, "%d / %d" with the page (from 1) and the page count.
QString pageIndicatorText(int page, int pageCount);

// The print preview "打印预览": ten commands in a row along the top, the page indicator, and the
// page view below. Top-level without an owner; it owns the report and deletes itself when
// closed.
class PreviewWindow : public QWidget
{
    Q_OBJECT
public:
    using DialogRunner = std::function<int(QDialog&)>;

    PreviewWindow(AppContext& context, std::unique_ptr<ReportTable> report);
    ~PreviewWindow() override;

    // The captions of the ten commands, in their order.
    static QStringList commandCaptions();

    // Runs the modal dialogs (page jump, print settings and the printer's own settings);
    // exec() unless replaced.
    void setDialogRunner(DialogRunner runner) { mRunner = std::move(runner); }
    // Told each page's progress text and bar position during a print run.
    void setProgressObserver(std::function<void(const QString&, int)> observer)
    {
        mProgressObserver = std::move(observer);
    }

    ReportTable& report() { return *mReport; }
    PreviewView* view() const { return mView; }
    int page() const { return mPage; } // from 0
    int pageCount() const { return int(mLayout.pages.size()); }

    // The commands.
    void print();
    void printSettings();
    void previousPage();
    void nextPage();
    void jumpToPage();
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void fitHeight();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool editSettings();
    void repaginate();
    void showPage(int page);

    AppContext& mContext;
    std::unique_ptr<ReportTable> mReport;
    ReportLayout mLayout;
    int mPage = 0;
    bool mPrinting = false;
    DialogRunner mRunner;
    std::function<void(const QString&, int)> mProgressObserver;

    QLabel* mIndicator = nullptr;
    PreviewView* mView = nullptr;
    int mViewTop = 0;
};
