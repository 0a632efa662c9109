// SPDX-License-Identifier: GPL-3.0-or-later
// Labels without a window: printed to PDF, rendered with pdftoppm and read back by a real
// barcode reader (zbarimg); the layout of every medium; refused contents; the saved choices.

#include "labels/barcode.h"
#include "labels/labellayout.h"
#include "labels/labellots.h"
#include "labels/labelprint.h"
#include "labels/labelsettings.h"
#include "labels/zintondemand.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

namespace
{

// Renders every page of a PDF at 300 dpi; the PNG files in page order.
QStringList renderPages(const QString& pdf, const QString& folder)
{
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), pdf,
                  folder + QStringLiteral("/page")});
    if (!render.waitForFinished(120000) || render.exitCode() != 0)
        return {};
    QStringList pages;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    for (const QString& name : names)
        pages.append(folder + QLatin1Char('/') + name);
    return pages;
}

// What zbarimg reads in an image: one "TYPE:content" per symbol.
QStringList readBarcodes(const QString& image)
{
    QProcess reader;
    reader.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), image});
    reader.waitForFinished(120000);
    const QString output = QString::fromUtf8(reader.readAllStandardOutput());
    QStringList symbols = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    symbols.sort();
    return symbols;
}

// The place of a sheet position on a page rendered at 300 dpi, a millimetre inside its cell.
QRect cellArea(int position)
{
    const double dotsPerMm = 300 / 25.4;
    const SheetPosition cell = sheetPositionOf(position);
    return QRect(int(((cell.column - 1) * 70 + 1) * dotsPerMm),
                 int((0.5 + (cell.row - 1) * 37 + 1) * dotsPerMm), int(68 * dotsPerMm),
                 int(35 * dotsPerMm));
}

bool hasInk(const QImage& image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (line[x] < 128)
                return true;
        }
    }
    return false;
}

// The positions of a rendered sheet that carry a label, with what the reader reads in each
// (read cell by cell: a reader gives a code that occurs several times in one image only once).
QList<QPair<int, QStringList>> readSheet(const QString& page, const QString& folder)
{
    QList<QPair<int, QStringList>> labels;
    const QImage sheet(page);
    for (int position = 1; position <= kLabelsPerSheet; ++position) {
        const QImage part = sheet.copy(cellArea(position));
        if (!hasInk(part))
            continue;
        const QString file = folder + QStringLiteral("/cell%1.png").arg(position);
        part.save(file);
        labels.append({position, readBarcodes(file)});
    }
    return labels;
}

LotLabel lotOf(const QString& id, const QString& lot = QStringLiteral("rk201835972"))
{
    return {lot, id, QStringLiteral("红富士苹果 特级 5kg 礼盒装"), QStringLiteral("箱")};
}

bool inside(const QRectF& inner, const QSizeF& label)
{
    return inner.isEmpty() ||
           QRectF(QPointF(0, 0), label).adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(inner);
}

} // namespace

class TestLabels : public QObject
{
    Q_OBJECT
private slots:
    void barcodeLibraryLoadedOnFirstUse();
    void readBackByBarcodeReader_data();
    void readBackByBarcodeReader();
    void sheetStartsAtChosenPosition();
    void refusedContents_data();
    void refusedContents();
    void everyPartFitsItsLabel_data();
    void everyPartFitsItsLabel();
    void longNameShrinksAndWraps();
    void tapeLengthFollowsContent();
    void copiesOfStock_data();
    void copiesOfStock();
    void choicesKeptInSettings();
};

void TestLabels::barcodeLibraryLoadedOnFirstUse()
{
    // The program does not link zint: it is loaded when the first barcode is made.
    QVERIFY(!dlopen(kZintLibraryName, RTLD_NOW | RTLD_NOLOAD));
    QVERIFY(encodeBarcode(Symbology::Code128, QStringLiteral("A1")).isValid());
    void* loaded = dlopen(kZintLibraryName, RTLD_NOW | RTLD_NOLOAD);
    QVERIFY(loaded);
    dlclose(loaded);
}

void TestLabels::readBackByBarcodeReader_data()
{
    QTest::addColumn<int>("symbology");
    QTest::addColumn<int>("media");
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("copies");
    QTest::addColumn<QString>("read");

    const auto code128 = int(Symbology::Code128);
    const auto ean13 = int(Symbology::Ean13);
    const auto qr = int(Symbology::QrCode);
    QTest::newRow("Code 128, 50×30")
        << code128 << int(LabelMedia::Roll50x30) << QStringLiteral("AB-2024-x7") << 3
        << QStringLiteral("CODE-128:AB-2024-x7");
    QTest::newRow("Code 128, 40×30, long")
        << code128 << int(LabelMedia::Roll40x30) << QStringLiteral("rk20181225235959") << 1
        << QStringLiteral("CODE-128:rk20181225235959");
    QTest::newRow("EAN-13 of 12 digits")
        << ean13 << int(LabelMedia::Roll40x30) << QStringLiteral("690123456789") << 2
        << QStringLiteral("EAN-13:6901234567892");
    QTest::newRow("EAN-13 of 13 digits")
        << ean13 << int(LabelMedia::Roll60x40) << QStringLiteral("4006381333931") << 1
        << QStringLiteral("EAN-13:4006381333931");
    QTest::newRow("QR, Chinese, tape")
        << qr << int(LabelMedia::Tape62) << QStringLiteral("苹果-红富士 A级") << 2
        << QStringLiteral("QR-Code:苹果-红富士 A级");
    QTest::newRow("QR, 50×30") << qr << int(LabelMedia::Roll50x30) << QStringLiteral("仓库编号-7")
                               << 1 << QStringLiteral("QR-Code:仓库编号-7");
    QTest::newRow("Code 128, A4, two sheets")
        << code128 << int(LabelMedia::SheetA4) << QStringLiteral("A-1") << 26
        << QStringLiteral("CODE-128:A-1");
    QTest::newRow("Code 128, custom 30×20")
        << code128 << int(LabelMedia::Custom) << QStringLiteral("X9") << 1
        << QStringLiteral("CODE-128:X9");
}

void TestLabels::readBackByBarcodeReader()
{
    QFETCH(int, symbology);
    QFETCH(int, media);
    QFETCH(QString, content);
    QFETCH(int, copies);
    QFETCH(QString, read);

    LabelJob job;
    job.options.symbology = Symbology(symbology);
    job.options.media = LabelMedia(media);
    job.options.customSize = QSizeF(30, 20);
    job.options.copies = copies;
    job.lots = {lotOf(content)};

    QTemporaryDir dir;
    if (qEnvironmentVariableIsSet("TARNEL_KEEP_LABELS"))
        dir.setAutoRemove(false);
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
    QVERIFY(printLabelJobToPdf(pdf, job));
    const QStringList pages = renderPages(pdf, dir.path());
    const int perPage = job.options.media == LabelMedia::SheetA4 ? kLabelsPerSheet : 1;
    QCOMPARE(pages.size(), (copies + perPage - 1) / perPage);

    QStringList symbols;
    for (const QString& page : pages) {
        if (perPage == 1) {
            symbols += readBarcodes(page);
            continue;
        }
        const QList<QPair<int, QStringList>> cells = readSheet(page, dir.path());
        for (const auto& cell : cells)
            symbols += cell.second;
    }
    QCOMPARE(symbols, QStringList(QList<QString>(copies, read)));

    // Rolls print one label a page, of the label's size.
    if (perPage == 1) {
        const QImage first(pages.first());
        const QSizeF size = labelSize(job.options, job.lots.first());
        QCOMPARE(qRound(first.width() * 25.4 / 300), qRound(size.width()));
        QCOMPARE(qRound(first.height() * 25.4 / 300), qRound(size.height()));
    }
}

void TestLabels::sheetStartsAtChosenPosition()
{
    QCOMPARE(sheetPositionOf(5).row, 2);
    QCOMPARE(sheetPositionOf(5).column, 2);

    LabelJob job;
    job.options.media = LabelMedia::SheetA4;
    job.options.startPosition = 5;
    job.options.copies = 2;
    job.lots = {lotOf(QStringLiteral("S-5"))};
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    QVERIFY(printLabelJobToPdf(pdf, job));
    const QStringList pages = renderPages(pdf, dir.path());
    QCOMPARE(pages.size(), 1);
    const QList<QPair<int, QStringList>> cells = readSheet(pages.first(), dir.path());
    QList<int> inked;
    for (const auto& cell : cells) {
        inked.append(cell.first);
        QCOMPARE(cell.second, QStringList{QStringLiteral("CODE-128:S-5")});
    }
    // The first label in row 2, column 2; the next beside it.
    QCOMPARE(inked, (QList<int>{5, 6}));
}

void TestLabels::refusedContents_data()
{
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("eanOffered");

    const QString refused = QStringLiteral("该内容无法生成条码");
    const QString wrongCheck = QStringLiteral("条码校验位不正确");
    QTest::newRow("Chinese in Code 128")
        << int(Symbology::Code128) << QStringLiteral("苹果01") << refused << false;
    QTest::newRow("empty content") << int(Symbology::Code128) << QString() << refused << false;
    QTest::newRow("wrong EAN check digit")
        << int(Symbology::Ean13) << QStringLiteral("6901234567891") << wrongCheck << true;
    QTest::newRow("EAN of 11 digits")
        << int(Symbology::Ean13) << QStringLiteral("69012345678") << refused << false;
    QTest::newRow("EAN with a letter")
        << int(Symbology::Ean13) << QStringLiteral("69012345678A") << refused << false;
    QTest::newRow("EAN of full-width digits")
        << int(Symbology::Ean13) << QStringLiteral("６９０１２３４５６７８９") << refused << false;
    QTest::newRow("right EAN check digit")
        << int(Symbology::Ean13) << QStringLiteral("6901234567892") << QString() << true;
    QTest::newRow("Chinese in a QR code")
        << int(Symbology::QrCode) << QStringLiteral("苹果") << QString() << false;
}

void TestLabels::refusedContents()
{
    QFETCH(int, symbology);
    QFETCH(QString, content);
    QFETCH(QString, message);
    QFETCH(bool, eanOffered);

    QCOMPARE(offeredSymbologies(content).contains(Symbology::Ean13), eanOffered);
    const BarcodeDrawing drawing = encodeBarcode(Symbology(symbology), content);
    QCOMPARE(barcodeProblemText(drawing.problem), message);

    // A job with a refused barcode prints nothing: no file.
    LabelJob job;
    job.options.symbology = Symbology(symbology);
    job.lots = {lotOf(content)};
    QCOMPARE(barcodeProblemText(jobBarcodeProblem(job)), message);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("refused.pdf"));
    QCOMPARE(printLabelJobToPdf(pdf, job), message.isEmpty());
    QCOMPARE(QFile::exists(pdf), message.isEmpty());
}

void TestLabels::everyPartFitsItsLabel_data()
{
    QTest::addColumn<int>("media");
    QTest::addColumn<int>("symbology");
    for (const LabelMedia media : allMedia()) {
        for (const Symbology symbology : {Symbology::Code128, Symbology::QrCode})
            QTest::newRow(
                qPrintable(mediaName(media) + QLatin1Char('/') + symbologyName(symbology)))
                << int(media) << int(symbology);
    }
}

void TestLabels::everyPartFitsItsLabel()
{
    QFETCH(int, media);
    QFETCH(int, symbology);
    LabelOptions options;
    options.media = LabelMedia(media);
    options.symbology = Symbology(symbology);
    options.customSize = QSizeF(35, 25);
    const LotLabel lot = lotOf(QStringLiteral("ID-0001"));
    const LabelLayout layout = layOutLabel(options, lot);
    QVERIFY(!layout.nameLines.isEmpty());
    QCOMPARE(layout.smallLines.size(), 3);
    for (const QRectF& part : {layout.nameRect, layout.barcodeRect, layout.smallRect})
        QVERIFY2(inside(part, layout.size), qPrintable(mediaName(options.media)));
    // Name, barcode and small lines do not overlap.
    QVERIFY(!layout.nameRect.intersects(layout.smallRect));
    QVERIFY(!layout.barcodeRect.intersects(layout.smallRect));
    QVERIFY(!layout.barcodeRect.intersects(layout.nameRect));
    QVERIFY(layout.barcodeRect.height() >= 5);
    if (options.symbology == Symbology::QrCode)
        QCOMPARE(layout.barcodeRect.width(), layout.barcodeRect.height());

    // Lines switched off take no room.
    options.showId = options.showLot = options.showUnit = options.showName = false;
    const LabelLayout bare = layOutLabel(options, lot);
    QVERIFY(bare.smallLines.isEmpty() && bare.nameLines.isEmpty());
    QVERIFY(bare.barcodeRect.height() > layout.barcodeRect.height() ||
            options.symbology == Symbology::QrCode);
}

void TestLabels::longNameShrinksAndWraps()
{
    LabelOptions options;
    options.media = LabelMedia::Roll40x30;
    LotLabel lot = lotOf(QStringLiteral("A1"));
    lot.name = QStringLiteral("短名");
    const LabelLayout shortName = layOutLabel(options, lot);
    QCOMPARE(shortName.nameLines, QStringList{lot.name});

    lot.name =
        QStringLiteral("进口特级红富士苹果礼盒装 Premium Fuji Apples Gift Box 5kg 每箱十二个");
    const LabelLayout longName = layOutLabel(options, lot);
    QVERIFY(longName.nameLines.size() > 1);
    QVERIFY(longName.nameFontSize < shortName.nameFontSize);
    // Words stay whole; every line fits the width.
    QVERIFY(longName.nameLines.join(QLatin1Char(' ')).contains(QStringLiteral("Premium")));
    for (const QString& line : longName.nameLines)
        QCOMPARE(wrapText(line, longName.nameFontSize, longName.nameRect.width()).size(), 1);
}

void TestLabels::tapeLengthFollowsContent()
{
    LabelOptions options;
    options.media = LabelMedia::Tape62;
    LotLabel lot = lotOf(QStringLiteral("A1"));
    lot.name = QStringLiteral("短名");
    const QSizeF shortTape = labelSize(options, lot);
    lot.name = QString(60, QChar(0x82F9)); // sixty Chinese characters
    const QSizeF longTape = labelSize(options, lot);
    QCOMPARE(shortTape.width(), kTapeWidth);
    QVERIFY(longTape.height() > shortTape.height());
    options.showBarcode = false;
    QVERIFY(labelSize(options, lot).height() < longTape.height());
}

void TestLabels::copiesOfStock_data()
{
    QTest::addColumn<double>("stock");
    QTest::addColumn<int>("copies");
    QTest::newRow("whole") << 12.0 << 12;
    QTest::newRow("one") << 1.0 << 1;
    QTest::newRow("fraction") << 7.5 << 0;
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("negative") << -3.0 << 0;
    QTest::newRow("above the most") << 5000.0 << kMaxCopies;
}

void TestLabels::copiesOfStock()
{
    QFETCH(double, stock);
    QFETCH(int, copies);
    QCOMPARE(::copiesOfStock(stock), copies);
}

void TestLabels::choicesKeptInSettings()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    SavedLabelSettings saved;
    saved.options.media = LabelMedia::Custom;
    saved.options.customSize = QSizeF(72.5, 41);
    saved.options.margin = 1.5;
    saved.options.symbology = Symbology::QrCode;
    saved.options.content = BarcodeContent::LotNumber;
    saved.options.showUnit = false;
    saved.printerName = QStringLiteral("标签机");
    saved.printToFile = true;
    saved.fileName = QStringLiteral("/tmp/标签.pdf");
    {
        QSettings settings(file, QSettings::IniFormat);
        writeLabelSettings(settings, saved);
    }
    QSettings settings(file, QSettings::IniFormat);
    const SavedLabelSettings read = readLabelSettings(settings);
    QCOMPARE(read.options.media, LabelMedia::Custom);
    QCOMPARE(read.options.customSize, QSizeF(72.5, 41));
    QCOMPARE(read.options.margin, 1.5);
    QCOMPARE(read.options.symbology, Symbology::QrCode);
    QCOMPARE(read.options.content, BarcodeContent::LotNumber);
    QCOMPARE(read.options.showUnit, false);
    QCOMPARE(read.options.showName, true);
    QCOMPARE(read.printerName, saved.printerName);
    QCOMPARE(read.printToFile, true);
    QCOMPARE(read.fileName, saved.fileName);

    // Garbage keeps the defaults.
    settings.setValue(kLabelSettingsGroup + QStringLiteral("/尺寸"), QStringLiteral("99"));
    settings.setValue(kLabelSettingsGroup + QStringLiteral("/边距"), QStringLiteral("2,5"));
    settings.setValue(kLabelSettingsGroup + QStringLiteral("/条码类型"), QStringLiteral("x"));
    const SavedLabelSettings garbled = readLabelSettings(settings);
    const LabelOptions defaults;
    QCOMPARE(garbled.options.media, defaults.media);
    QCOMPARE(garbled.options.margin, defaults.margin);
    QCOMPARE(garbled.options.symbology, defaults.symbology);
}

QTEST_MAIN(TestLabels)
#include "test_labels.moc"
