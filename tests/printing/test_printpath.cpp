// SPDX-License-Identifier: GPL-3.0-or-later
// The real print path: a report printed from the print preview, through the print settings
// dialog, on a printer of a CUPS scheduler: the PDF printer of the throwaway scheduler that CTest
// starts (tools/cupsd.sh). The PDF file it wrote is read back.
#include "printing/preview.h"
#include "printing/previewwindow.h"
#include "printing/printrun.h"
#include "printing/printsettings.h"
#include "printing/reporttable.h"
#include "tests/support/testdatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

namespace
{

// The scheduler as tools/cupsd.sh describes it in the file TARNEL_TEST_CUPS names: lines of
// "socket", "printer", "output" or "unavailable" (why there is none) and the value.
QHash<QString, QString> readScheduler()
{
    QHash<QString, QString> scheduler;
    QFile file(qEnvironmentVariable("TARNEL_TEST_CUPS"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {{QStringLiteral("unavailable"), QStringLiteral("not started (run through CTest)")}};
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        scheduler.insert(line.section(QLatin1Char(' '), 0, 0), line.section(QLatin1Char(' '), 1));
    if (scheduler.value(QStringLiteral("output")).isEmpty())
        scheduler.insert(QStringLiteral("unavailable"), QStringLiteral("it did not start"));
    return scheduler;
}

// Lot numbers in a report of `rows` rows, 20 to a page.
QString lotNumber(int row)
{
    return QStringLiteral("rk201835%1").arg(7100 + row);
}

std::unique_ptr<ReportTable> lotReport(int rows)
{
    auto report = std::make_unique<ReportTable>(ReportTable::fromTemplate());
    report->appendRows(rows + 1 - report->rowCount());
    report->setText(1, 1, QStringLiteral("入库单号"));
    report->setText(1, 2, QStringLiteral("产品库存"));
    for (int r = 2; r <= report->rowCount(); ++r) {
        report->setText(r, 1, lotNumber(r - 1));
        report->setText(r, 2, QString::number(r * 10));
        report->setRowHeight(r, 100);
    }
    report->setLines(1, 1, report->rowCount(), 2, 63);
    report->setFixedRows(1);
    // Upright A4, as the printer's paper lies: a page on its side would come back turned.
    report->printSettings().landscape = false;
    report->printSettings().rowsPerPage = 20;
    report->printSettings().scaling = 100;
    return report;
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60'000) || process.exitCode() != 0)
        return QStringLiteral("(%1 failed: %2)")
            .arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The pages of a PDF file as grey pictures at 50 dots per inch.
QList<QImage> render(const QString& pdf, const QString& prefix)
{
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"),
                                     QStringLiteral("-gray"), QStringLiteral("-png"), pdf, prefix});
    QList<QImage> pages;
    const QFileInfo info(prefix);
    const QStringList files =
        info.dir().entryList({info.fileName() + QStringLiteral("-*.png")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        pages.append(QImage(info.dir().filePath(file)).convertToFormat(QImage::Format_Grayscale8));
    return pages;
}

// The shares of the reference's pixels that are dark (its ink) and of the pixels that differ
// clearly between the page and the reference, pictures of the same size.
std::pair<double, double> inkAndDifference(const QImage& page, const QImage& reference)
{
    qint64 dark = 0, differing = 0;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* first = page.constScanLine(y);
        const uchar* second = reference.constScanLine(y);
        for (int x = 0; x < page.width(); ++x) {
            dark += second[x] < 128;
            differing += std::abs(int(first[x]) - int(second[x])) > 96;
        }
    }
    const double pixels = double(page.width()) * page.height();
    return {dark / pixels, differing / pixels};
}

} // namespace

class TestPrintPath : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void reportPrintedOnThePdfPrinter();

private:
    QString mPrinter;
    QString mOutput;
};

void TestPrintPath::initTestCase()
{
    const QHash<QString, QString> scheduler = readScheduler();
    if (scheduler.contains(QStringLiteral("unavailable")))
        QSKIP(qPrintable(QStringLiteral("no throwaway CUPS scheduler: ") +
                         scheduler.value(QStringLiteral("unavailable"))));
    mPrinter = scheduler.value(QStringLiteral("printer"));
    mOutput = scheduler.value(QStringLiteral("output"));
    // Before the first look at the printers: the CUPS library reads it once.
    qputenv("CUPS_SERVER", scheduler.value(QStringLiteral("socket")).toLocal8Bit());
}

void TestPrintPath::reportPrintedOnThePdfPrinter()
{
    TestEnvironment env;
    QVERIFY2(QPrinterInfo::availablePrinterNames().contains(mPrinter),
             qPrintable(QPrinterInfo::availablePrinterNames().join(QLatin1Char(' '))));

    // The operator chooses the PDF printer in the print settings dialog, not a file, and
    // confirms; the report prints.
    std::unique_ptr<PreviewWindow> window(
        static_cast<PreviewWindow*>(openPrintPreview(env.context(), lotReport(30))));
    window->setDialogRunner([this](QDialog& dialog) {
        auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("组合框_打印机"));
        auto* toFile = dialog.findChild<QCheckBox*>(QStringLiteral("选择框_打印到文件"));
        auto* confirm = dialog.findChild<QPushButton*>(QStringLiteral("按钮_确认"));
        if (!printers || !toFile || !confirm)
            return int(QDialog::Rejected);
        printers->setCurrentIndex(printers->findData(mPrinter));
        if (toFile->isChecked())
            QTest::mouseClick(toFile, Qt::LeftButton);
        QTest::mouseClick(confirm, Qt::LeftButton);
        return dialog.result();
    });
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮_打印")), Qt::LeftButton);

    // It is the remembered printer now.
    QCOMPARE(window->report().printSettings().printerName, mPrinter);
    QCOMPARE(window->report().printSettings().printToFile, false);
    QCOMPARE(lastChosenPrinter(env.context().settings()), mPrinter);

    // Once the job is done, the printer has written one PDF file: two A4 pages.
    const QDir output(mOutput);
    QTRY_VERIFY_WITH_TIMEOUT(
        !output.entryList({QStringLiteral("*.pdf")}).isEmpty() &&
            run(QStringLiteral("lpstat"), {QStringLiteral("-o"), mPrinter}).trimmed().isEmpty(),
        90'000);
    const QStringList files = output.entryList({QStringLiteral("*.pdf")});
    QCOMPARE(files.size(), 1);
    const QString printed = output.filePath(files.first());
    const QString info = run(QStringLiteral("pdfinfo"), {printed});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages: +2\n"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("595 x 842 pts (A4)")), qPrintable(info));

    // Its pages look like the same report printed to a file by the program itself. (The
    // printer's way through PostScript keeps the glyphs but not their characters, so the pages
    // are compared as pictures.)
    QTemporaryDir dir;
    ReportPrintSettings& settings = window->report().printSettings();
    settings.printToFile = true;
    settings.fileName = dir.filePath(QStringLiteral("reference.pdf"));
    QVERIFY(PrintRun(env.context(), nullptr, window->report()).run());
    const QList<QImage> pages = render(printed, dir.filePath(QStringLiteral("printed")));
    const QList<QImage> expected = render(settings.fileName, dir.filePath(QStringLiteral("file")));
    QCOMPARE(pages.size(), 2);
    QCOMPARE(expected.size(), 2);
    for (qsizetype page = 0; page < pages.size(); ++page) {
        QCOMPARE(pages[page].size(), expected[page].size());
        // A blank page differs in as many pixels as the reference has ink, a shifted one in
        // twice as many; the two ways of drawing the glyphs differ in about a fifth.
        const auto [ink, differing] = inkAndDifference(pages[page], expected[page]);
        qInfo("page %d: ink %.4f, differing %.4f", int(page + 1), ink, differing);
        QVERIFY2(ink > 0.005 && differing < ink / 3,
                 qPrintable(QStringLiteral("ink %1, differing %2").arg(ink).arg(differing)));
    }
    QFile::remove(printed);
}

QTEST_MAIN(TestPrintPath)
#include "test_printpath.moc"
