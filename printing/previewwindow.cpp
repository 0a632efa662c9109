// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/previewwindow.h"

#include "core/context.h"
#include "printing/pagejumpdialog.h"
#include "printing/previewview.h"
#include "printing/printrun.h"
#include "printing/printsettings.h"
#include "printing/printsettingsdialog.h"
#include "ui/geometry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace
{

// Room around and between the commands, and before the page indicator.
constexpr int kEdge = 5;
constexpr int kIndicatorGap = 10;
constexpr int kIndicatorWidth = 80;

const QColor kWindowBackground(192, 192, 192);

struct Command {
    const char16_t* caption;
    const char16_t* name;
    void (PreviewWindow::*action)();
};

const std::array<Command, 10> kCommands = {{
    {u"打印", u"按钮_打印", &PreviewWindow::print},
    {u"打印设置", u"按钮_打印设置", &PreviewWindow::printSettings},
    {u"上页", u"按钮_上页", &PreviewWindow::previousPage},
    {u"下页", u"按钮_下页", &PreviewWindow::nextPage},
    {u"到指定页", u"按钮_到指定页", &PreviewWindow::jumpToPage},
    {u"放大", u"按钮_放大", &PreviewWindow::zoomIn},
    {u"缩小", u"按钮_缩小", &PreviewWindow::zoomOut},
    {u"等宽", u"按钮_等宽", &PreviewWindow::fitWidth},
    {u"等高", u"按钮_等高", &PreviewWindow::fitHeight},
    {u"退出", u"按钮_退出", nullptr},
}};

} // namespace

QString pageIndicatorText(int page, int pageCount)
{
    return QStringLiteral("%1 / %2").arg(page).arg(pageCount);
}

QStringList PreviewWindow::commandCaptions()
{
    QStringList captions;
    for (const Command& command : kCommands)
        captions.append(QString::fromUtf16(command.caption));
    return captions;
}

PreviewWindow::PreviewWindow(AppContext& context, std::unique_ptr<ReportTable> report)
    : QWidget(nullptr, Qt::Window), mContext(context), mReport(std::move(report)),
      mRunner([](QDialog& dialog) { return dialog.exec(); })
{
    if (!mReport)
        mReport = std::make_unique<ReportTable>(ReportTable::fromTemplate());
    // A new report prints on the printer chosen last time; the print settings dialog selects it
    // when it is still installed and otherwise falls back to the default printer.
    if (mReport->printSettings().printerName.isEmpty())
        mReport->printSettings().printerName = lastChosenPrinter(mContext.settings());
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("打印预览"));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kWindowBackground);
    setPalette(colours);
    setAutoFillBackground(true);

    // Each command is as wide as its caption plus two letters "W", and two lines of text high.
    const QFontMetrics metrics(QApplication::font());
    const int extraWidth = 2 * metrics.horizontalAdvance(QLatin1Char('W'));
    const int height = 2 * metrics.height();
    int left = kEdge;
    for (const Command& command : kCommands) {
        const QString caption = QString::fromUtf16(command.caption);
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromUtf16(command.name));
        const int width = metrics.horizontalAdvance(caption) + extraWidth;
        button->setGeometry(left, kEdge, width, height);
        left += width + kEdge;
        if (!command.action) {
            connect(button, &QPushButton::clicked, this, &QWidget::close);
            continue;
        }
        connect(button, &QPushButton::clicked, this, [this, action = command.action] {
            (this->*action)();
            mView->setFocus();
        });
    }
    mIndicator = new QLabel(this);
    mIndicator->setObjectName(QStringLiteral("标签_页号"));
    mIndicator->setGeometry(left - kEdge + kIndicatorGap, kEdge, kIndicatorWidth, height);
    mIndicator->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    mViewTop = kEdge + height + kEdge;
    mView = new PreviewView(this);
    repaginate();
    placeWindow(this, 50, 50, 380, 380);
    mView->setFocus();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    mView->setGeometry(0, mViewTop, width(), std::max(0, this->height() - mViewTop));
}

void PreviewWindow::closeEvent(QCloseEvent* event)
{
    // The report is being printed from: the window stays until the print run ends.
    if (mPrinting) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void PreviewWindow::repaginate()
{
    mLayout = layoutReport(*mReport);
    mView->showReport(mReport.get(), &mLayout);
    showPage(std::clamp(mPage, 0, pageCount() - 1));
}

void PreviewWindow::showPage(int page)
{
    mPage = page;
    mView->setPage(page);
    mIndicator->setText(pageIndicatorText(page + 1, pageCount()));
}

void PreviewWindow::previousPage()
{
    if (mPage > 0)
        showPage(mPage - 1);
}

void PreviewWindow::nextPage()
{
    if (mPage + 1 < pageCount())
        showPage(mPage + 1);
}

void PreviewWindow::jumpToPage()
{
    PageJumpDialog dialog(pageCount(), this);
    if (mRunner(dialog) == QDialog::Accepted)
        showPage(dialog.target() - 1);
}

void PreviewWindow::zoomIn()
{
    mView->zoomTo(zoomedIn(mView->scale()));
}

void PreviewWindow::zoomOut()
{
    mView->zoomTo(zoomedOut(mView->scale()));
}

void PreviewWindow::fitWidth()
{
    mView->fitWidth();
}

void PreviewWindow::fitHeight()
{
    mView->fitHeight();
}

bool PreviewWindow::editSettings()
{
    PrintSettingsDialog dialog(mContext, mReport->printSettings(), this);
    dialog.setDialogRunner(mRunner);
    if (mRunner(dialog) != QDialog::Accepted)
        return false;
    mReport->printSettings() = dialog.settings();
    rememberChosenPrinter(mContext.settings(), mReport->printSettings().printerName);
    return true;
}

void PreviewWindow::printSettings()
{
    if (editSettings())
        repaginate();
}

void PreviewWindow::print()
{
    if (!editSettings())
        return;
    repaginate();
    mPrinting = true;
    PrintRun run(mContext, this, *mReport);
    run.setProgressObserver(mProgressObserver);
    run.run();
    mPrinting = false;
}
