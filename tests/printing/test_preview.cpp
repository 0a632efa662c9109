// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/pagejumpdialog.h"
#include "printing/preview.h"
#include "printing/previewview.h"
#include "printing/previewwindow.h"
#include "printing/printrun.h"
#include "printing/printsettings.h"
#include "printing/printsettingsdialog.h"
#include "printing/reportlayout.h"
#include "printing/reportpainter.h"
#include "printing/reporttable.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <vector>

namespace
{

// A report of one heading row and `rows` body rows of 100 units each, paged by rowsPerPage.
std::unique_ptr<ReportTable> makeReport(int rows, int rowsPerPage)
{
    auto report = std::make_unique<ReportTable>(ReportTable::fromTemplate());
    report->appendRows(rows + 1 - report->rowCount());
    report->setText(1, 1, QStringLiteral("产品名称"));
    report->setText(1, 2, QStringLiteral("产品库存"));
    for (int r = 2; r <= report->rowCount(); ++r) {
        report->setText(r, 1, QStringLiteral("螺丝 %1").arg(r - 1));
        report->setText(r, 2, QString::number(r * 10));
        report->setRowHeight(r, 100);
    }
    report->setLines(1, 1, report->rowCount(), 2, 63);
    report->setFixedRows(1);
    report->printSettings().rowsPerPage = rowsPerPage;
    report->printSettings().scaling = 100;
    return report;
}

// The preview window opened on a report; deleted by the caller.
std::unique_ptr<PreviewWindow> openPreview(AppContext& context, std::unique_ptr<ReportTable> report)
{
    return std::unique_ptr<PreviewWindow>(
        static_cast<PreviewWindow*>(openPrintPreview(context, std::move(report))));
}

QString indicator(const PreviewWindow& window)
{
    return window.findChild<QLabel*>(QStringLiteral("标签_页号"))->text();
}

void click(QWidget* window, const QString& button)
{
    auto* found = window->findChild<QPushButton*>(button);
    QVERIFY2(found, qPrintable(button));
    QTest::mouseClick(found, Qt::LeftButton);
}

// Clicks a radio button or check box on its indicator, as an operator would.
void tick(QAbstractButton* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

template <typename T> T* control(QWidget* dialog, const QString& name)
{
    T* found = dialog->findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// The colour of an image pixel, as a report colour is compared.
QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

private slots:
    void opensAsTopLevelPreview();
    void commandsInOneRow();
    void pagingStopsAtTheEnds();
    void zoomStaysWithinBounds_data();
    void zoomStaysWithinBounds();
    void pageJumpClampsToThePages();
    void pageJumpTarget_data();
    void pageJumpTarget();
    void resizeRefitsUntilZoomed();
    void fittingWidthAndHeight();

    void millimetreText_data();
    void millimetreText();
    void printerChoiceAndEntries();
    void printerChosenLastTimeIsRemembered();
    void dialogShowsTheStoredSettings();
    void rangeLabelsFollowTheRangeKind();
    void enablingRules();
    void confirmStoresTheSettings();
    void cancelKeepsTheSettings();
    void fileChooserFillsTheFileName();
    void printerSetupWithoutPrinter();

    void scalePercent_data();
    void scalePercent();
    void automaticPagingAtTheScale();
    void printedPages_data();
    void printedPages();
    void rowRangeKeepsHeadingsAndMerges();

    void paintsCellsClippedAndMergedOnce();
    void pageNumberStandsOutsideThePrintableArea();

    void printsCopiesToAPdfFile();
    void printToFileNeedsAName();
    void printWithoutPrinter();
    void printJobThatCannotStart();
    void abortEndsTheJob_data();
    void abortEndsTheJob();
    void printsThePageRangeOnly();
};

void TestPreview::opensAsTopLevelPreview()
{
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(5, 0));
    QCOMPARE(window->windowTitle(), QStringLiteral("打印预览"));
    QVERIFY(window->isWindow());
    QCOMPARE(window->parentWidget(), nullptr);
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    QCOMPARE(window->focusWidget(), window->view());
    QCOMPARE(window->view()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(window->view()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void TestPreview::commandsInOneRow()
{
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(5, 0));
    const QStringList captions = {"打印", "打印设置", "上页", "下页", "到指定页",
                                  "放大", "缩小",     "等宽", "等高", "退出"};
    QCOMPARE(PreviewWindow::commandCaptions(), captions);

    const QFontMetrics metrics(QApplication::font());
    int left = 5;
    for (const QString& caption : captions) {
        auto* button = control<QPushButton>(window.get(), QStringLiteral("按钮_") + caption);
        QCOMPARE(button->text(), caption);
        const QRect expected(left, 5,
                             metrics.horizontalAdvance(caption) +
                                 2 * metrics.horizontalAdvance(QLatin1Char('W')),
                             2 * metrics.height());
        QCOMPARE(button->geometry(), expected);
        left = expected.right() + 1 + 5;
    }
    auto* pageIndicator = control<QLabel>(window.get(), QStringLiteral("标签_页号"));
    QCOMPARE(pageIndicator->x(), left - 5 + 10);
    QCOMPARE(pageIndicator->width(), 80);
    QVERIFY(window->view()->y() >= 5 + 2 * metrics.height());
}

void TestPreview::pagingStopsAtTheEnds()
{
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(9, 3));
    QCOMPARE(indicator(*window), QStringLiteral("1 / 3"));
    click(window.get(), QStringLiteral("按钮_上页"));
    QCOMPARE(indicator(*window), QStringLiteral("1 / 3"));
    click(window.get(), QStringLiteral("按钮_下页"));
    click(window.get(), QStringLiteral("按钮_下页"));
    QCOMPARE(indicator(*window), QStringLiteral("3 / 3"));
    QCOMPARE(window->view()->page(), 2);
    click(window.get(), QStringLiteral("按钮_下页"));
    QCOMPARE(indicator(*window), QStringLiteral("3 / 3"));
    click(window.get(), QStringLiteral("按钮_上页"));
    QCOMPARE(indicator(*window), QStringLiteral("2 / 3"));
    // The keyboard goes back to the page view after a command.
    QCOMPARE(window->focusWidget(), window->view());
}

void TestPreview::zoomStaysWithinBounds_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::newRow("放大 from 2900") << 2900 << "按钮_放大" << 3000 << 3000;
    QTest::newRow("放大 from 1000") << 1000 << "按钮_放大" << 1200 << 1400;
    QTest::newRow("缩小 from 300") << 300 << "按钮_缩小" << 200 << 200;
    QTest::newRow("缩小 from 1000") << 1000 << "按钮_缩小" << 800 << 600;
}

void TestPreview::zoomStaysWithinBounds()
{
    QFETCH(int, start);
    QFETCH(QString, command);
    QFETCH(int, first);
    QFETCH(int, second);
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(5, 0));
    window->view()->zoomTo(start);
    click(window.get(), command);
    QCOMPARE(window->view()->scale(), first);
    QVERIFY(window->view()->isZoomed());
    click(window.get(), command);
    QCOMPARE(window->view()->scale(), second);
    QCOMPARE(window->view()->horizontalScrollBar()->value(), 0);
    QCOMPARE(window->view()->verticalScrollBar()->singleStep(), 30);
}

void TestPreview::pageJumpClampsToThePages()
{
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(10, 2));
    QString typed;
    QString prompt;
    QString title;
    int answer = QDialog::Accepted;
    window->setDialogRunner([&](QDialog& dialog) {
        auto* jump = qobject_cast<PageJumpDialog*>(&dialog);
        if (!jump)
            return int(QDialog::Rejected);
        title = jump->windowTitle();
        prompt = control<QLabel>(jump, QStringLiteral("标签_页号"))->text();
        QTest::keyClicks(jump->pageBox(), typed);
        return answer;
    });

    typed = QStringLiteral("9");
    click(window.get(), QStringLiteral("按钮_到指定页"));
    QCOMPARE(title, QStringLiteral("页面跳转:"));
    QCOMPARE(prompt, QStringLiteral("请输入欲跳转到页号(1-5):"));
    QCOMPARE(indicator(*window), QStringLiteral("5 / 5"));

    typed = QStringLiteral("0");
    click(window.get(), QStringLiteral("按钮_到指定页"));
    QCOMPARE(indicator(*window), QStringLiteral("1 / 5"));

    typed = QStringLiteral("3");
    answer = QDialog::Rejected;
    click(window.get(), QStringLiteral("按钮_到指定页"));
    QCOMPARE(indicator(*window), QStringLiteral("1 / 5"));
    QCOMPARE(window->focusWidget(), window->view());
}

void TestPreview::pageJumpTarget_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("page");
    QTest::newRow("inside") << "3" << 3;
    QTest::newRow("leading number") << "4页" << 4;
    QTest::newRow("past the end") << "99" << 5;
    QTest::newRow("negative") << "-2" << 1;
    QTest::newRow("empty") << "" << 1;
    QTest::newRow("text") << "abc" << 1;
}

void TestPreview::pageJumpTarget()
{
    QFETCH(QString, typed);
    QFETCH(int, page);
    QCOMPARE(::pageJumpTarget(typed, 5), page);
}

void TestPreview::resizeRefitsUntilZoomed()
{
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(5, 0));
    PreviewView* view = window->view();
    window->showNormal();
    window->resize(700, 500);
    QTest::qWait(20);
    const int fitted = fittedScale(view->viewport()->height(), view->extentAtActualSize().height());
    QCOMPARE(view->scale(), fitted);

    window->resize(700, 900);
    QTest::qWait(20);
    const int refitted =
        fittedScale(view->viewport()->height(), view->extentAtActualSize().height());
    QVERIFY(refitted > fitted);
    QCOMPARE(view->scale(), refitted);
    QVERIFY(!view->isZoomed());

    click(window.get(), QStringLiteral("按钮_放大"));
    QCOMPARE(view->scale(), refitted + 200);
    window->resize(700, 500);
    QTest::qWait(20);
    QCOMPARE(view->scale(), refitted + 200);
}

void TestPreview::fittingWidthAndHeight()
{
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(5, 0));
    PreviewView* view = window->view();
    window->showNormal();
    window->resize(900, 600);
    QTest::qWait(20);

    click(window.get(), QStringLiteral("按钮_等宽"));
    QCOMPARE(view->scale(),
             fittedScale(view->viewport()->width(), view->extentAtActualSize().width()));
    QVERIFY(view->isZoomed());
    click(window.get(), QStringLiteral("按钮_等高"));
    QCOMPARE(view->scale(),
             fittedScale(view->viewport()->height(), view->extentAtActualSize().height()));

    // The extent is the paper (A4 landscape) plus 100 across and 150 down, in pixels at actual
    // size; a fit below 200 per mille gives 200.
    const double dpi = view->viewport()->logicalDpiX();
    QCOMPARE(view->extentAtActualSize().width(), (2970 + 100) * dpi / 254.0);
    QCOMPARE(fittedScale(10, 1000), 200);
    QCOMPARE(fittedScale(500, 1000), 500);
    // A small paper in a large view fits beyond the zoom commands' 3000; "放大" then gives 3000.
    QCOMPARE(fittedScale(4000, 1000), 4000);
    QCOMPARE(zoomedIn(4000), 3000);
}

void TestPreview::millimetreText_data()
{
    QTest::addColumn<int>("tenths");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 180 << "18";
    QTest::newRow("tenths") << 185 << "18.5";
    QTest::newRow("zero") << 0 << "0";
    QTest::newRow("below one") << 5 << "0.5";
    QTest::newRow("negative") << -185 << "-18.5";
    QTest::newRow("negative below one") << -5 << "-0.5";
    QTest::newRow("negative whole") << -20 << "-2";
}

void TestPreview::millimetreText()
{
    QFETCH(int, tenths);
    QFETCH(QString, text);
    QCOMPARE(::millimetreText(tenths), text);
}

void TestPreview::printerChoiceAndEntries()
{
    QCOMPARE(printerEntryText(QString(), QStringLiteral("HP")), QStringLiteral("本地 上的 HP"));
    QCOMPARE(printerEntryText(QStringLiteral("LPT1:"), QStringLiteral("HP")),
             QStringLiteral("LPT1: 上的 HP"));
    const QStringList names = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    QCOMPARE(initialPrinterIndex(names, QStringLiteral("C"), QStringLiteral("B")), 2);
    QCOMPARE(initialPrinterIndex(names, QStringLiteral("gone"), QStringLiteral("B")), 1);
    QCOMPARE(initialPrinterIndex(names, QString(), QString()), 0);
    QCOMPARE(initialPrinterIndex({}, QStringLiteral("A"), QStringLiteral("A")), -1);
}

void TestPreview::printerChosenLastTimeIsRemembered()
{
    TestEnvironment env;
    QSettings& settings = env.context().settings();
    QCOMPARE(lastChosenPrinter(settings), QString());

    // The printer confirmed in the dialog is kept in the operator's settings. The printer list
    // holds what is installed here; the test adds its own printer to it.
    auto window = openPreview(env.context(), makeReport(12, 0));
    QCOMPARE(window->report().printSettings().printerName, QString());
    QString selectedOnOpening = QStringLiteral("unset");
    const auto choose = [&](const QString& printer) {
        return [&selectedOnOpening, printer](QDialog& dialog) {
            auto* printers = control<QComboBox>(&dialog, QStringLiteral("组合框_打印机"));
            selectedOnOpening = printers->currentData().toString();
            if (!printer.isEmpty()) {
                printers->addItem(printerEntryText(QString(), printer), printer);
                printers->setCurrentIndex(printers->count() - 1);
            }
            control<QPushButton>(&dialog, QStringLiteral("按钮_确认"))->click();
            return dialog.result();
        };
    };
    window->setDialogRunner(choose(QStringLiteral("仓库打印机")));
    click(window.get(), QStringLiteral("按钮_打印设置"));
    QCOMPARE(window->report().printSettings().printerName, QStringLiteral("仓库打印机"));
    QCOMPARE(lastChosenPrinter(settings), QStringLiteral("仓库打印机"));
    QCOMPARE(settings.value(QStringLiteral("打印设置/上次打印机")).toString(),
             QStringLiteral("仓库打印机"));

    // The next report starts from it; the dialog selects it only while it is installed, and
    // confirming with no printer at all keeps the name remembered.
    window = openPreview(env.context(), makeReport(12, 0));
    QCOMPARE(window->report().printSettings().printerName, QStringLiteral("仓库打印机"));
    window->setDialogRunner(choose(QString()));
    click(window.get(), QStringLiteral("按钮_打印设置"));
    const QList<QPrinterInfo> installed = QPrinterInfo::availablePrinters();
    if (installed.isEmpty()) {
        QCOMPARE(selectedOnOpening, QString());
        QCOMPARE(lastChosenPrinter(settings), QStringLiteral("仓库打印机"));
        return;
    }
    QVERIFY(selectedOnOpening != QStringLiteral("仓库打印机"));
    QCOMPARE(lastChosenPrinter(settings), selectedOnOpening);

    // An installed printer remembered is selected when the dialog opens.
    rememberChosenPrinter(settings, installed.last().printerName());
    window = openPreview(env.context(), makeReport(12, 0));
    window->setDialogRunner(choose(QString()));
    click(window.get(), QStringLiteral("按钮_打印设置"));
    QCOMPARE(selectedOnOpening, installed.last().printerName());
}

void TestPreview::dialogShowsTheStoredSettings()
{
    TestEnvironment env;
    ReportPrintSettings settings;
    settings.marginTop = 185;
    settings.marginBottom = -5;
    settings.marginLeft = 200;
    settings.scaling = 150;
    settings.rangeKind = 1;
    settings.rangeStart = 2;
    settings.rangeEnd = 0;
    settings.copies = 3;
    settings.pageNumberPosition = 5;
    settings.oddEven = 2;
    PrintSettingsDialog dialog(env.context(), settings);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("打印设置对话框"));
    QCOMPARE(control<MillimetreBox>(&dialog, QStringLiteral("编辑框_上边距"))->text(),
             QStringLiteral("18.5"));
    QCOMPARE(control<MillimetreBox>(&dialog, QStringLiteral("编辑框_下边距"))->text(),
             QStringLiteral("-0.5"));
    QCOMPARE(control<MillimetreBox>(&dialog, QStringLiteral("编辑框_左边距"))->text(),
             QStringLiteral("20"));
    QVERIFY(control<QRadioButton>(&dialog, QStringLiteral("单选框_自定义"))->isChecked());
    QCOMPARE(control<QSpinBox>(&dialog, QStringLiteral("编辑框_缩放百分比"))->value(), 150);
    QVERIFY(control<QRadioButton>(&dialog, QStringLiteral("单选框_页范围"))->isChecked());
    QVERIFY(control<QCheckBox>(&dialog, QStringLiteral("选择框_打印到结尾"))->isChecked());
    QCOMPARE(control<QComboBox>(&dialog, QStringLiteral("组合框_页号位置"))->currentText(),
             QStringLiteral("下边中"));
    QCOMPARE(control<QComboBox>(&dialog, QStringLiteral("组合框_奇偶页"))->currentText(),
             QStringLiteral("仅打印偶数页"));
    QCOMPARE(control<QSpinBox>(&dialog, QStringLiteral("编辑框_份数"))->value(), 3);
}

void TestPreview::rangeLabelsFollowTheRangeKind()
{
    TestEnvironment env;
    PrintSettingsDialog dialog(env.context(), ReportPrintSettings());
    dialog.show();
    auto* start = control<QLabel>(&dialog, QStringLiteral("标签_起始"));
    auto* end = control<QLabel>(&dialog, QStringLiteral("标签_结束"));
    QCOMPARE(start->text(), QStringLiteral("起始页号:"));
    QCOMPARE(end->text(), QStringLiteral("结束页号:"));
    tick(control<QRadioButton>(&dialog, QStringLiteral("单选框_行范围")));
    QCOMPARE(start->text(), QStringLiteral("起始行号:"));
    QCOMPARE(end->text(), QStringLiteral("结束行号:"));
    tick(control<QRadioButton>(&dialog, QStringLiteral("单选框_页范围")));
    QCOMPARE(start->text(), QStringLiteral("起始页号:"));
    QCOMPARE(end->text(), QStringLiteral("结束页号:"));
}

void TestPreview::enablingRules()
{
    TestEnvironment env;
    ReportPrintSettings settings;
    settings.rangeEnd = 0;
    PrintSettingsDialog dialog(env.context(), settings);
    dialog.show();
    auto* toFile = control<QCheckBox>(&dialog, QStringLiteral("选择框_打印到文件"));
    auto* fileName = control<QLineEdit>(&dialog, QStringLiteral("编辑框_文件名"));
    auto* browse = control<QPushButton>(&dialog, QStringLiteral("按钮_选择文件"));
    auto* start = control<QSpinBox>(&dialog, QStringLiteral("编辑框_起始"));
    auto* end = control<QSpinBox>(&dialog, QStringLiteral("编辑框_结束"));
    auto* toEnd = control<QCheckBox>(&dialog, QStringLiteral("选择框_打印到结尾"));
    auto* percent = control<QSpinBox>(&dialog, QStringLiteral("编辑框_缩放百分比"));

    QVERIFY(!fileName->isEnabled() && !browse->isEnabled());
    QVERIFY(!start->isEnabled() && !end->isEnabled() && !toEnd->isEnabled());
    QVERIFY(!percent->isEnabled());

    tick(toFile);
    QVERIFY(fileName->isEnabled() && browse->isEnabled());

    tick(control<QRadioButton>(&dialog, QStringLiteral("单选框_行范围")));
    QVERIFY(start->isEnabled() && toEnd->isEnabled());
    QVERIFY(toEnd->isChecked());
    QVERIFY(!end->isEnabled());
    tick(toEnd);
    QVERIFY(end->isEnabled());
    tick(control<QRadioButton>(&dialog, QStringLiteral("单选框_所有页")));
    QVERIFY(!start->isEnabled() && !end->isEnabled() && !toEnd->isEnabled());

    tick(control<QRadioButton>(&dialog, QStringLiteral("单选框_自定义")));
    QVERIFY(percent->isEnabled());
    tick(control<QRadioButton>(&dialog, QStringLiteral("单选框_压缩到纸宽")));
    QVERIFY(!percent->isEnabled());
    tick(toFile);
    QVERIFY(!fileName->isEnabled() && !browse->isEnabled());
}

void TestPreview::confirmStoresTheSettings()
{
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(12, 0));
    window->setDialogRunner([](QDialog& dialog) {
        auto* settings = qobject_cast<PrintSettingsDialog*>(&dialog);
        if (!settings)
            return int(QDialog::Rejected);
        const auto type = [&](const QString& name, const QString& text) {
            auto* box = control<QAbstractSpinBox>(settings, name);
            box->selectAll();
            QTest::keyClicks(box, text);
        };
        type(QStringLiteral("编辑框_上边距"), QStringLiteral("12.5"));
        type(QStringLiteral("编辑框_下边距"), QStringLiteral("10"));
        type(QStringLiteral("编辑框_左边距"), QStringLiteral("0.5"));
        type(QStringLiteral("编辑框_右边距"), QStringLiteral("20"));
        control<QRadioButton>(settings, QStringLiteral("单选框_自定义"))->click();
        type(QStringLiteral("编辑框_缩放百分比"), QStringLiteral("150"));
        control<QRadioButton>(settings, QStringLiteral("单选框_页范围"))->click();
        type(QStringLiteral("编辑框_起始"), QStringLiteral("2"));
        control<QCheckBox>(settings, QStringLiteral("选择框_打印到结尾"))->click();
        type(QStringLiteral("编辑框_结束"), QStringLiteral("0"));
        control<QComboBox>(settings, QStringLiteral("组合框_奇偶页"))->setCurrentIndex(1);
        type(QStringLiteral("编辑框_份数"), QStringLiteral("3"));
        control<QComboBox>(settings, QStringLiteral("组合框_页号位置"))->setCurrentIndex(6);
        type(QStringLiteral("编辑框_首页页号"), QStringLiteral("7"));
        control<QCheckBox>(settings, QStringLiteral("选择框_重复尾行"))->click();
        control<QCheckBox>(settings, QStringLiteral("选择框_表格线"))->click();
        type(QStringLiteral("编辑框_每页行数"), QStringLiteral("4"));
        control<QCheckBox>(settings, QStringLiteral("选择框_打印到文件"))->click();
        control<QLineEdit>(settings, QStringLiteral("编辑框_文件名"))
            ->setText(QStringLiteral("/tmp/报表.prn"));
        control<QPushButton>(settings, QStringLiteral("按钮_确认"))->click();
        return settings->result();
    });
    QCOMPARE(indicator(*window), QStringLiteral("1 / 1"));
    click(window.get(), QStringLiteral("按钮_打印设置"));

    const ReportPrintSettings& stored = window->report().printSettings();
    QCOMPARE(stored.marginTop, 125);
    QCOMPARE(stored.marginBottom, 100);
    QCOMPARE(stored.marginLeft, 5);
    QCOMPARE(stored.marginRight, 200);
    QCOMPARE(stored.scaling, 150);
    QCOMPARE(stored.rangeKind, 1);
    QCOMPARE(stored.rangeStart, 2);
    QCOMPARE(stored.rangeEnd, 1); // not to the end, and nothing above 0 typed
    QCOMPARE(stored.oddEven, 1);
    QCOMPARE(stored.copies, 3);
    QCOMPARE(stored.pageNumberPosition, 6);
    QCOMPARE(stored.firstPageNumber, 7);
    QVERIFY(stored.repeatLastRow);
    QVERIFY(stored.autoGridLines);
    QCOMPARE(stored.rowsPerPage, 4);
    QVERIFY(stored.printToFile);
    QCOMPARE(stored.fileName, QStringLiteral("/tmp/报表.prn"));
    if (QPrinterInfo::availablePrinters().isEmpty())
        QCOMPARE(stored.printerName, QString());
    // Repaginated with the new settings: 12 rows, 4 a page.
    QCOMPARE(indicator(*window), QStringLiteral("1 / 3"));
}

void TestPreview::cancelKeepsTheSettings()
{
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(12, 0));
    window->setDialogRunner([](QDialog& dialog) {
        control<QSpinBox>(&dialog, QStringLiteral("编辑框_每页行数"))->setValue(2);
        control<QPushButton>(&dialog, QStringLiteral("按钮_取消"))->click();
        return dialog.result();
    });
    click(window.get(), QStringLiteral("按钮_打印设置"));
    QCOMPARE(window->report().printSettings().rowsPerPage, 0);
    QCOMPARE(indicator(*window), QStringLiteral("1 / 1"));
}

void TestPreview::fileChooserFillsTheFileName()
{
    TestEnvironment env;
    ReportPrintSettings settings;
    settings.printToFile = true;
    PrintSettingsDialog dialog(env.context(), settings);
    env.dialogs().answerSaveFile(QStringLiteral("/tmp/月报"));
    control<QPushButton>(&dialog, QStringLiteral("按钮_选择文件"))->click();
    QCOMPARE(env.dialogs().choosers(), QStringList{QStringLiteral("file:请选择欲打印到文件名:")});
    // The suffix is the dialog's to add, before its overwrite question.
    QCOMPARE(env.dialogs().saveFileSuffixes(), QStringList{QStringLiteral("prn")});
    auto* fileName = control<QLineEdit>(&dialog, QStringLiteral("编辑框_文件名"));
    QCOMPARE(fileName->text(), QStringLiteral("/tmp/月报.prn"));
    QCOMPARE(fileName->selectedText(), fileName->text());

    env.dialogs().answerSaveFile(std::nullopt);
    control<QPushButton>(&dialog, QStringLiteral("按钮_选择文件"))->click();
    QCOMPARE(fileName->text(), QStringLiteral("/tmp/月报.prn"));
}

void TestPreview::printerSetupWithoutPrinter()
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("a printer is installed here");
    TestEnvironment env;
    PrintSettingsDialog dialog(env.context(), ReportPrintSettings());
    env.dialogs().answerMessage(MessageAnswer::Ok);
    control<QPushButton>(&dialog, QStringLiteral("按钮_设置"))->click();
    QCOMPARE(env.dialogs().shown().size(), 1);
    QCOMPARE(env.dialogs().last().text, QStringLiteral("不能打开打印机设备."));
    QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
    QCOMPARE(env.dialogs().last().icon, MessageIcon::Error);
}

void TestPreview::scalePercent_data()
{
    QTest::addColumn<int>("scaling");
    QTest::addColumn<int>("printable");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("percent");
    QTest::newRow("fit, narrow report") << -1 << 1740 << 870 << 200;
    QTest::newRow("fit, wide report") << -1 << 1740 << 3480 << 50;
    QTest::newRow("shrink, narrow report") << -2 << 1740 << 870 << 100;
    QTest::newRow("shrink, wide report") << -2 << 1740 << 3480 << 50;
    QTest::newRow("shrink, truncated") << -2 << 1000 << 3000 << 33;
    QTest::newRow("custom") << 150 << 1740 << 870 << 150;
    QTest::newRow("fit, empty report") << -1 << 1740 << 0 << 100;
    QTest::newRow("custom zero") << 0 << 1740 << 870 << 1;
}

void TestPreview::scalePercent()
{
    QFETCH(int, scaling);
    QFETCH(int, printable);
    QFETCH(int, total);
    QFETCH(int, percent);
    QCOMPARE(::scalePercent(scaling, printable, total), percent);
}

void TestPreview::automaticPagingAtTheScale()
{
    // A4 landscape with margins of 180: 2100 - 360 = 1740 units high, the heading row 60.
    auto report = makeReport(40, 0);
    report->printSettings().scaling = 100;
    ReportLayout actual = layoutReport(*report);
    QCOMPARE(actual.paper, QSize(2970, 2100));
    QCOMPARE(actual.printable, QRect(180, 180, 2610, 1740));
    QCOMPARE(actual.pages.front().rows.size(), std::size_t(1 + 16)); // 60 + 16 x 100 <= 1740
    QCOMPARE(actual.pages.size(), std::size_t(3));

    // At twice the size a page holds half the rows: nothing runs off the paper.
    report->printSettings().scaling = 200;
    ReportLayout doubled = layoutReport(*report);
    QCOMPARE(doubled.percent, 200);
    QCOMPARE(doubled.pages.front().rows.size(), std::size_t(1 + 8)); // 60 + 8 x 100 <= 870
    QCOMPARE(doubled.pages.size(), std::size_t(5));
    // The report's own settings are left as they were.
    QCOMPARE(report->printSettings().marginTop, 180);
    QCOMPARE(report->printSettings().marginBottom, 180);

    report->printSettings().paper = 1;
    report->printSettings().landscape = false;
    QCOMPARE(layoutReport(*report).paper, QSize(2970, 4200));
    report->printSettings().devicePaper = QSize(1000, 1500);
    QCOMPARE(layoutReport(*report).paper, QSize(1000, 1500));
}

void TestPreview::printedPages_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("oddEven");
    QTest::addColumn<std::vector<int>>("pages");
    QTest::newRow("all") << 0 << 3 << 4 << 0 << std::vector<int>{0, 1, 2, 3, 4};
    QTest::newRow("page range") << 1 << 2 << 3 << 0 << std::vector<int>{1, 2};
    QTest::newRow("to the end") << 1 << 4 << 0 << 0 << std::vector<int>{3, 4};
    QTest::newRow("end past the pages") << 1 << 4 << 9 << 0 << std::vector<int>{3, 4};
    QTest::newRow("odd") << 0 << 1 << 0 << 1 << std::vector<int>{0, 2, 4};
    QTest::newRow("even") << 0 << 1 << 0 << 2 << std::vector<int>{1, 3};
    QTest::newRow("even of a range") << 1 << 2 << 4 << 2 << std::vector<int>{1, 3};
    QTest::newRow("row range prints all its pages")
        << 2 << 2 << 3 << 0 << std::vector<int>{0, 1, 2, 3, 4};
}

void TestPreview::printedPages()
{
    QFETCH(int, kind);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, oddEven);
    QFETCH(std::vector<int>, pages);
    ReportPrintSettings settings;
    settings.rangeKind = kind;
    settings.rangeStart = start;
    settings.rangeEnd = end;
    settings.oddEven = oddEven;
    QCOMPARE(::printedPages(settings, 5), pages);
}

void TestPreview::rowRangeKeepsHeadingsAndMerges()
{
    auto report = makeReport(10, 2);
    report->setBackground(4, 1, 1, 2, rgbValue(255, 0, 0));
    report->merge(5, 1, 2, 2);
    ReportTable range = rowRangeOf(*report, 3, 5);
    QCOMPARE(range.rowCount(), 1 + 3);
    QCOMPARE(range.fixedRows(), 1);
    QCOMPARE(range.text(1, 1), QStringLiteral("产品名称"));
    QCOMPARE(range.text(2, 1), QStringLiteral("螺丝 3"));
    QCOMPARE(range.text(4, 1), QStringLiteral("螺丝 5"));
    QVERIFY(range.style(2, 2).hasBackground);
    QVERIFY(!range.style(3, 2).hasBackground);
    QCOMPARE(range.rowHeight(2), 100);
    QCOMPARE(range.spanOf(4, 2), QRect(1, 3, 2, 2));
    QCOMPARE(range.printSettings().rowsPerPage, 2);

    report->printSettings().rangeKind = 2;
    report->printSettings().rangeStart = 3;
    report->printSettings().rangeEnd = 0;
    const PrintSelection selection = selectPrintedPages(*report);
    QVERIFY(selection.rowRange.has_value());
    QCOMPARE(selection.rowRange->rowCount(), 1 + 8);
    QCOMPARE(selection.layout.pages.size(), std::size_t(4));
}

void TestPreview::paintsCellsClippedAndMergedOnce()
{
    // Two columns of 200 units, drawn one unit to a pixel on a small paper without margins.
    ReportTable table = ReportTable::fromTemplate();
    table.setColumnWidth(1, 200);
    table.setColumnWidth(2, 200);
    table.setBackground(1, 1, 1, 1, rgbValue(255, 0, 0));
    table.setText(2, 1, QStringLiteral("很长很长很长很长很长很长很长很长很长很长的文字"));
    table.merge(3, 1, 2, 2);
    table.setBackground(3, 1, 2, 2, rgbValue(0, 0, 255));
    table.setLines(2, 2, 1, 1, 15, 0);
    ReportPrintSettings& settings = table.printSettings();
    settings.devicePaper = QSize(500, 300);
    settings.landscape = false;
    settings.marginLeft = settings.marginTop = settings.marginRight = settings.marginBottom = 0;
    settings.scaling = 100;
    const ReportLayout layout = layoutReport(table);

    QImage image(500, 300, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    ReportPainter(table, layout).paintPage(painter, 0);
    painter.end();

    QCOMPARE(pixel(image, 100, 30), QColor(255, 0, 0)); // background of (1, 1)
    QCOMPARE(pixel(image, 300, 30), QColor(Qt::white)); // (1, 2) has none
    QCOMPARE(pixel(image, 450, 30), QColor(Qt::white)); // paper beyond the table
    // The long text of (2, 1) stops at its cell: nothing of it in (2, 2).
    bool inked = false;
    for (int x = 0; x < 190 && !inked; ++x)
        inked = pixel(image, x, 90) != QColor(Qt::white);
    QVERIFY(inked);
    for (int x = 205; x < 395; ++x)
        QCOMPARE(pixel(image, x, 90), QColor(Qt::white));
    // The frame of (2, 2), and the merged range over rows 3 and 4 in one colour.
    QCOMPARE(pixel(image, 300, 60), QColor(Qt::black));
    QCOMPARE(pixel(image, 200, 90), QColor(Qt::black));
    QCOMPARE(pixel(image, 200, 180), QColor(0, 0, 255));
    QCOMPARE(pixel(image, 390, 230), QColor(0, 0, 255));
}

void TestPreview::pageNumberStandsOutsideThePrintableArea()
{
    QCOMPARE(pageNumberText(3), QStringLiteral("第 3 页"));
    const QRect printable(100, 200, 800, 600);
    const auto inkRows = [&](int position) {
        QImage image(1000, 1000, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        ReportPainter::paintPageNumber(painter, printable, position, 12);
        painter.end();
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) != QColor(Qt::white))
                    ink |= QRect(x, y, 1, 1);
        return ink;
    };
    const QRect topCentre = inkRows(2);
    QVERIFY(!topCentre.isEmpty());
    QVERIFY(topCentre.bottom() < 200 - 40 + 1);
    QVERIFY(topCentre.top() > 200 - 40 - 60);
    QVERIFY(qAbs(topCentre.center().x() - 500) < 10);
    const QRect bottomRight = inkRows(6);
    QVERIFY(bottomRight.top() >= 800 + 40);
    QVERIFY(bottomRight.right() <= 900 && bottomRight.right() > 880);
    const QRect bottomLeft = inkRows(4);
    QVERIFY(bottomLeft.left() >= 100 && bottomLeft.left() < 110);
    QVERIFY(inkRows(0).isEmpty());
}

namespace
{

// Sets the print settings dialog to print to a file with a number of copies, and confirms.
PreviewWindow::DialogRunner printToFile(const QString& fileName, int copies)
{
    return [fileName, copies](QDialog& dialog) {
        auto* settings = qobject_cast<PrintSettingsDialog*>(&dialog);
        if (!settings)
            return int(QDialog::Rejected);
        control<QCheckBox>(settings, QStringLiteral("选择框_打印到文件"))->setChecked(true);
        control<QLineEdit>(settings, QStringLiteral("编辑框_文件名"))->setText(fileName);
        control<QSpinBox>(settings, QStringLiteral("编辑框_份数"))->setValue(copies);
        control<QPushButton>(settings, QStringLiteral("按钮_确认"))->click();
        return settings->result();
    };
}

} // namespace

void TestPreview::printsCopiesToAPdfFile()
{
    TestEnvironment env;
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("out.prn"));
    auto report = makeReport(9, 3);
    report->printSettings().pageNumberPosition = 5;
    auto window = openPreview(env.context(), std::move(report));
    window->setDialogRunner(printToFile(fileName, 2));
    QStringList texts;
    QList<int> bar;
    QStringList shownTexts;
    window->setProgressObserver([&](const QString& text, int percent) {
        texts.append(text);
        bar.append(percent);
        auto* box = window->findChild<PrintProgressBox*>();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("正在打印，请稍候..."));
        shownTexts.append(box->text());
        QCOMPARE(box->percent(), percent);
        QCOMPARE(box->findChild<QPushButton*>()->text(), QStringLiteral("中止打印(&C)"));
    });
    click(window.get(), QStringLiteral("按钮_打印"));

    const QString target = QStringLiteral("文件: ") + fileName;
    QStringList expected;
    for (int copy = 1; copy <= 2; ++copy)
        for (int page = 1; page <= 3; ++page)
            expected.append(
                QStringLiteral("正在打印第 %1/2 份 %2/3 页到 %3 ").arg(copy).arg(page).arg(target));
    QCOMPARE(texts, expected);
    QCOMPARE(shownTexts, expected);
    QCOMPARE(bar, (QList<int>{16, 33, 50, 66, 83, 100}));
    QVERIFY(env.dialogs().shown().isEmpty());
    QVERIFY(!window->findChild<PrintProgressBox*>());

    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(4).startsWith("%PDF"));
    QVERIFY(file.size() > 1000);
    QCOMPARE(window->report().printSettings().copies, 2);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("out.prn")});
}

void TestPreview::printToFileNeedsAName()
{
    TestEnvironment env;
    auto window = openPreview(env.context(), makeReport(9, 3));
    window->setDialogRunner(printToFile(QString(), 1));
    int pages = 0;
    window->setProgressObserver([&](const QString&, int) { ++pages; });
    env.dialogs().answerMessage(MessageAnswer::Ok);
    click(window.get(), QStringLiteral("按钮_打印"));
    QCOMPARE(env.dialogs().texts(), QStringList{QStringLiteral("未指定欲打印到的文件名称")});
    QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
    QCOMPARE(pages, 0);
}

void TestPreview::printWithoutPrinter()
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("a printer is installed here");
    TestEnvironment env;
    auto report = makeReport(9, 3);
    report->printSettings().printerName = QStringLiteral("没有这台打印机");
    PrintRun run(env.context(), nullptr, *report);
    env.dialogs().answerMessage(MessageAnswer::Ok);
    QVERIFY(!run.run());
    QCOMPARE(env.dialogs().texts(), QStringList{QStringLiteral("无法创建打印机设备")});
}

void TestPreview::printJobThatCannotStart()
{
    TestEnvironment env;
    QTemporaryDir folder;
    auto report = makeReport(9, 3);
    report->printSettings().printToFile = true;
    report->printSettings().fileName = folder.filePath(QStringLiteral("没有的文件夹/out.prn"));
    PrintRun run(env.context(), nullptr, *report);
    env.dialogs().answerMessage(MessageAnswer::Ok);
    QVERIFY(!run.run());
    QCOMPARE(env.dialogs().texts(), QStringList{QStringLiteral("创建打印作业失败")});
}

void TestPreview::abortEndsTheJob_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("new file") << QByteArray();
    QTest::newRow("file being replaced") << QByteArray("last month's report");
}

void TestPreview::abortEndsTheJob()
{
    QFETCH(QByteArray, before);
    TestEnvironment env;
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("out.pdf"));
    if (!before.isEmpty()) {
        QFile old(fileName);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(before);
    }
    auto report = makeReport(9, 3);
    report->printSettings().printToFile = true;
    report->printSettings().fileName = fileName;
    report->printSettings().copies = 2;
    QWidget owner;
    PrintRun run(env.context(), &owner, *report);
    int pages = 0;
    run.setProgressObserver([&](const QString&, int) {
        if (++pages == 2)
            owner.findChild<PrintProgressBox*>()->findChild<QPushButton*>()->click();
    });
    QVERIFY(!run.run());
    QCOMPARE(pages, 2);
    QVERIFY(env.dialogs().shown().isEmpty());
    // No partial print is left that looks like a whole one; a file it was to replace stays.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             before.isEmpty() ? QStringList() : QStringList{QStringLiteral("out.pdf")});
    if (!before.isEmpty()) {
        QFile old(fileName);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), before);
    }
}

void TestPreview::printsThePageRangeOnly()
{
    TestEnvironment env;
    QTemporaryDir folder;
    auto report = makeReport(15, 3);
    ReportPrintSettings& settings = report->printSettings();
    settings.printToFile = true;
    settings.fileName = folder.filePath(QStringLiteral("range.pdf"));
    settings.rangeKind = 1;
    settings.rangeStart = 2;
    settings.rangeEnd = 0;
    settings.oddEven = 2;
    PrintRun run(env.context(), nullptr, *report);
    QStringList texts;
    run.setProgressObserver([&](const QString& text, int) { texts.append(text); });
    QVERIFY(run.run());
    // Pages 2 to 5 of 5, the even ones: 2 and 4.
    QCOMPARE(texts.size(), 2);
    QVERIFY(texts.last().startsWith(QStringLiteral("正在打印第 1/1 份 2/2 页到 文件: ")));
}

QTEST_MAIN(TestPreview)
#include "test_preview.moc"
