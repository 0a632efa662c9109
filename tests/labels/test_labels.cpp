// SPDX-License-Identifier: GPL-3.0-or-later
// Labels without a window: printed to PDF, rendered with pdftoppm and read back by a real
// barcode reader (zbarimg); the layout of every medium; refused contents; the saved choices.

#include "labels/barcode.h"
#include "labels/labellayout.h"
#include "labels/labellots.h"
#include "labels/labelprint.h"
#include "labels/labelsettings.h"
#include "labels/zintondemand.h"
#include "tests/labels/barcodereader.h"

#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

namespace
{

// The sheet positions of a rendered A4 page that carry a barcode, with what the reader reads in
// each (read cell by cell, a millimetre inside the cell: a reader gives a code that occurs several
// times in one image only once).
QList<QPair<int, QStringList>> readSheet(const QString& page, const QString& folder)
{
    const double dotsPerMm = 300 / 25.4;
    const QImage sheet(page);
    QList<QPair<int, QStringList>> labels;
    for (int position = 1; position <= kLabelsPerSheet; ++position) {
        const SheetPosition cell = sheetPositionOf(position);
        const QString file = folder + QStringLiteral("/cell%1.png").arg(position);
        sheet
            .copy(int(((cell.column - 1) * 70 + 1) * dotsPerMm),
                  int((0.5 + (cell.row - 1) * 37 + 1) * dotsPerMm), int(68 * dotsPerMm),
                  int(35 * dotsPerMm))
            .save(file);
        const QStringList read = readBarcodes(file);
        if (!read.isEmpty())
            labels.append({position, read});
    }
    return labels;
}

LotLabel lotOf(const QString& id)
{
    return {QStringLiteral("rk201835972"), id, QStringLiteral("红富士苹果 特级 5kg 礼盒装"),
            QStringLiteral("箱")};
}

} // namespace

class TestLabels : public QObject
{
    Q_OBJECT
private slots:
    void barcodeLibraryLoadedOnFirstUse();
    void readBackByBarcodeReader_data();
    void readBackByBarcodeReader();
    void refusedContents_data();
    void refusedContents();
    void everyPartFitsItsLabel_data();
    void everyPartFitsItsLabel();
    void longNameShrinksWrapsAndLengthensTape();
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
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<LabelMedia>("media");
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("read");

    const auto code128 = Symbology::Code128;
    const auto qr = Symbology::QrCode;
    const auto a4 = LabelMedia::SheetA4;
    QTest::newRow("Code 128, 50×30")
        << code128 << LabelMedia::Roll50x30 << "AB-2024-x7" << 3 << 1 << "CODE-128:AB-2024-x7";
    QTest::newRow("Code 128, 40×30, long") << code128 << LabelMedia::Roll40x30 << "rk20181225235959"
                                           << 1 << 1 << "CODE-128:rk20181225235959";
    QTest::newRow("EAN-13 of 12 digits") << Symbology::Ean13 << LabelMedia::Roll40x30
                                         << "690123456789" << 2 << 1 << "EAN-13:6901234567892";
    QTest::newRow("EAN-13 of 13 digits") << Symbology::Ean13 << LabelMedia::Roll60x40
                                         << "4006381333931" << 1 << 1 << "EAN-13:4006381333931";
    QTest::newRow("QR, Chinese, tape")
        << qr << LabelMedia::Tape62 << "苹果-红富士 A级" << 2 << 1 << "QR-Code:苹果-红富士 A级";
    QTest::newRow("QR, 50×30") << qr << LabelMedia::Roll50x30 << "仓库编号-7" << 1 << 1
                               << "QR-Code:仓库编号-7";
    QTest::newRow("Code 128, custom 30×20")
        << code128 << LabelMedia::Custom << "X9" << 1 << 1 << "CODE-128:X9";
    QTest::newRow("A4, two sheets") << code128 << a4 << "A-1" << 26 << 1 << "CODE-128:A-1";
    // Position 5 is row 2, column 2: the first label there, the next beside it.
    QTest::newRow("A4 from position 5") << code128 << a4 << "S-5" << 2 << 5 << "CODE-128:S-5";
}

void TestLabels::readBackByBarcodeReader()
{
    QFETCH(Symbology, symbology);
    QFETCH(LabelMedia, media);
    QFETCH(QString, content);
    QFETCH(int, copies);
    QFETCH(int, start);
    QFETCH(QString, read);

    LabelJob job;
    job.options.symbology = symbology;
    job.options.media = media;
    job.options.customSize = QSizeF(30, 20);
    job.options.copies = copies;
    job.options.startPosition = start;
    job.lots = {lotOf(content)};

    QTemporaryDir dir;
    dir.setAutoRemove(!qEnvironmentVariableIsSet("TARNEL_KEEP_LABELS"));
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
    QVERIFY(printLabelJobToPdf(pdf, job));
    // Rolls print one label a page; an A4 sheet from the start position on, sheet after sheet.
    const int perPage = media == LabelMedia::SheetA4 ? kLabelsPerSheet : 1;
    QList<QPair<int, QStringList>> labels, expected;
    for (int i = start - 1; i < start - 1 + copies; ++i)
        expected.append({i % perPage + 1, {read}});
    const QStringList pages = renderPages(pdf, dir.path());
    QCOMPARE(pages.size(), (start - 2 + copies) / perPage + 1);
    for (const QString& page : pages)
        labels += perPage > 1 ? readSheet(page, dir.path())
                              : QList<QPair<int, QStringList>>{{1, readBarcodes(page)}};
    QCOMPARE(labels, expected);
    QCOMPARE(sheetPositionOf(5).row, 2);
    QCOMPARE(sheetPositionOf(5).column, 2);

    // A roll's page has the label's size, a sheet's A4.
    const QImage first(pages.first());
    const QSizeF size = perPage > 1 ? QSizeF(210, 297) : labelSize(job.options, job.lots.first());
    QCOMPARE(qRound(first.width() * 25.4 / 300), qRound(size.width()));
    QCOMPARE(qRound(first.height() * 25.4 / 300), qRound(size.height()));
}

void TestLabels::refusedContents_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("eanOffered");

    const QString refused = QStringLiteral("该内容无法生成条码");
    const auto ean = Symbology::Ean13;
    QTest::newRow("Chinese in Code 128") << Symbology::Code128 << "苹果01" << refused << false;
    QTest::newRow("empty content") << Symbology::Code128 << QString() << refused << false;
    QTest::newRow("wrong EAN check digit")
        << ean << "6901234567891" << QStringLiteral("条码校验位不正确") << true;
    QTest::newRow("EAN of 11 digits") << ean << "69012345678" << refused << false;
    QTest::newRow("EAN with a letter") << ean << "69012345678A" << refused << false;
    QTest::newRow("EAN of full-width digits")
        << ean << "６９０１２３４５６７８９" << refused << false;
    QTest::newRow("right EAN check digit") << ean << "6901234567892" << QString() << true;
    QTest::newRow("Chinese in a QR code") << Symbology::QrCode << "苹果" << QString() << false;
}

void TestLabels::refusedContents()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, content);
    QFETCH(QString, message);
    QFETCH(bool, eanOffered);

    QCOMPARE(offeredSymbologies(content).contains(Symbology::Ean13), eanOffered);
    QCOMPARE(barcodeProblemText(encodeBarcode(symbology, content).problem), message);

    // A job with a refused barcode prints nothing: no file.
    LabelJob job;
    job.options.symbology = symbology;
    job.lots = {lotOf(content)};
    QCOMPARE(barcodeProblemText(jobBarcodeProblem(job)), message);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("refused.pdf"));
    QCOMPARE(printLabelJobToPdf(pdf, job), message.isEmpty());
    QCOMPARE(QFile::exists(pdf), message.isEmpty());
}

void TestLabels::everyPartFitsItsLabel_data()
{
    QTest::addColumn<LabelMedia>("media");
    QTest::addColumn<Symbology>("symbology");
    for (const LabelMedia media : allMedia()) {
        for (const Symbology symbology : {Symbology::Code128, Symbology::QrCode})
            QTest::addRow("%s/%s", qPrintable(mediaName(media)),
                          qPrintable(symbologyName(symbology)))
                << media << symbology;
    }
}

void TestLabels::everyPartFitsItsLabel()
{
    QFETCH(LabelMedia, media);
    QFETCH(Symbology, symbology);
    LabelOptions options{.media = media, .customSize = QSizeF(35, 25), .symbology = symbology};
    const LotLabel lot = lotOf(QStringLiteral("ID-0001"));
    const LabelLayout layout = layOutLabel(options, lot);
    QVERIFY(!layout.nameLines.isEmpty());
    QCOMPARE(layout.smallLines.size(), 3);
    const QRectF label = QRectF(QPointF(0, 0), layout.size).adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
    const QRectF parts[] = {layout.nameRect, layout.barcodeRect, layout.smallRect};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(parts[i].isEmpty() || label.contains(parts[i]));
        // Name, barcode and small lines do not overlap.
        QVERIFY(!parts[i].intersects(parts[(i + 1) % 3]));
    }
    QVERIFY(layout.barcodeRect.height() >= 5);
    if (symbology == Symbology::QrCode)
        QCOMPARE(layout.barcodeRect.width(), layout.barcodeRect.height());

    // Lines switched off take no room.
    options.showId = options.showLot = options.showUnit = options.showName = false;
    const LabelLayout bare = layOutLabel(options, lot);
    QVERIFY(bare.smallLines.isEmpty() && bare.nameLines.isEmpty());
    QVERIFY(bare.barcodeRect.height() > layout.barcodeRect.height() ||
            symbology == Symbology::QrCode);
}

void TestLabels::longNameShrinksWrapsAndLengthensTape()
{
    LabelOptions roll, tape;
    roll.media = LabelMedia::Roll40x30;
    tape.media = LabelMedia::Tape62;
    LotLabel lot = lotOf(QStringLiteral("A1"));
    lot.name = QStringLiteral("短名");
    const LabelLayout shortName = layOutLabel(roll, lot);
    const QSizeF shortTape = labelSize(tape, lot);
    QCOMPARE(shortName.nameLines, QStringList{lot.name});
    QCOMPARE(shortTape.width(), kTapeWidth);

    lot.name =
        QStringLiteral("进口特级红富士苹果礼盒装 Premium Fuji Apples Gift Box 5kg 每箱十二个");
    const LabelLayout longName = layOutLabel(roll, lot);
    QVERIFY(longName.nameLines.size() > 1);
    QVERIFY(longName.nameFontSize < shortName.nameFontSize);
    // Words stay whole; every line fits the width.
    QVERIFY(longName.nameLines.join(QLatin1Char(' ')).contains(QStringLiteral("Premium")));
    for (const QString& line : longName.nameLines)
        QCOMPARE(wrapText(line, longName.nameFontSize, longName.nameRect.width()).size(), 1);

    // The tape grows with the name, and shrinks without the barcode.
    lot.name = QString(60, QChar(0x82F9)); // sixty Chinese characters
    const QSizeF longTape = labelSize(tape, lot);
    QVERIFY(longTape.height() > shortTape.height());
    tape.showBarcode = false;
    QVERIFY(labelSize(tape, lot).height() < longTape.height());
}

void TestLabels::choicesKeptInSettings()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    const SavedLabelSettings saved{.options = {.media = LabelMedia::Custom,
                                               .customSize = QSizeF(72.5, 41),
                                               .margin = 1.5,
                                               .showUnit = false,
                                               .content = BarcodeContent::LotNumber,
                                               .symbology = Symbology::QrCode},
                                   .printerName = QStringLiteral("标签机"),
                                   .printToFile = true,
                                   .fileName = QStringLiteral("/tmp/标签.pdf")};
    {
        QSettings writer(file, QSettings::IniFormat);
        writeLabelSettings(writer, saved);
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
