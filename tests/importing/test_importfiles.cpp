// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the files an import starts from: a workbook holding every kind of cell, workbooks
// written by openpyxl and by LibreOffice, CSV files in UTF-8 and GBK with each separator, the
// title row and the column mapping with the problems of the rows, and hostile files refused
// with their reason.
#include "importing/csvreader.h"
#include "importing/importmapping.h"
#include "importing/importsource.h"
#include "importing/xlsxreader.h"
#include "tests/importing/importfiles.h"
#include "tests/support/commalocale.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// The rows of a sheet as "fileRow:cell|cell|..." (an error cell as "!text").
QStringList rowTexts(const ImportSheet& sheet)
{
    QStringList rows;
    for (const ImportRow& row : sheet.rows) {
        QStringList cells;
        for (const ImportCell& cell : row.cells)
            cells.append(cell.error ? QLatin1Char('!') + cell.text : cell.text);
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        rows.append(QString::number(row.fileRow) + QLatin1Char(':') + cells.join(QLatin1Char('|')));
    }
    return rows;
}

ReadOutcome readFile(const QString& path)
{
    ImportSource source;
    ReadOutcome failed;
    return source.open(path, failed.failure) ? source.read() : failed;
}

} // namespace

class TestImportFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void workbookCells_data();
    void workbookCells();
    void workbookByOtherPrograms();
    void csvFiles_data();
    void csvFiles();
    void mappingAndProblems_data();
    void mappingAndProblems();
    void hostileFiles_data();
    void hostileFiles();

private:
    QTemporaryDir mFolder;
};

void TestImportFiles::initTestCase()
{
    if (debianPython().isEmpty())
        QSKIP("python3 with openpyxl (Debian python3-openpyxl) is missing");
}

void TestImportFiles::workbookCells_data()
{
    QTest::addColumn<bool>("commaDesktop");
    QTest::newRow("C locale") << false;
    // 7.5 must not read as "7,5" on a German desktop.
    QTest::newRow("comma-decimal desktop") << true;
}

void TestImportFiles::workbookCells()
{
    QFETCH(bool, commaDesktop);
    std::unique_ptr<CommaDecimalLocale> comma;
    if (commaDesktop)
        comma = std::make_unique<CommaDecimalLocale>();
    const QString path = mFolder.filePath(QStringLiteral("cells.xlsx"));
    QVERIFY(writeHandWrittenWorkbook(path));

    XlsxWorkbook book;
    QVERIFY2(book.open(path), qPrintable(book.failure()));
    // The chart sheet has no cells and is not offered.
    QCOMPARE(book.sheetNames(), QStringList{QStringLiteral("数据")});
    const ReadOutcome outcome = book.readSheet(0);
    QVERIFY2(outcome.ok(), qPrintable(outcome.failure));
    // Column C is empty everywhere and left out; so is row 2.
    QCOMPARE(outcome.sheet.columnNames, QStringList({"A", "B", "D", "E", "F"}));
    const QStringList expected = {
        QStringLiteral("1:库存清单"),
        QStringLiteral("3:产品ID|产品名称 |数量"),
        QStringLiteral("4:0012|螺丝|7.5|TRUE|12"),
        QStringLiteral("5:M4|!#DIV/0!|0.0012|2018-3-5|2018-3-5 12:00:00"),
        QStringLiteral("6:x|0|||2018-3-5"),
        QStringLiteral("9:123456789012346000|!#REF!"),
    };
    QCOMPARE(rowTexts(outcome.sheet), expected);
}

void TestImportFiles::workbookByOtherPrograms()
{
    const QString path = mFolder.filePath(QStringLiteral("openpyxl.xlsx"));
    QVERIFY(writeOpenpyxlWorkbook(
        path, {QStringLiteral("商品清单"), QString(), QStringLiteral("货号|品名|库存|单位|说明"),
               QStringLiteral("0012|螺丝|#7.5|个|=1+2"), QStringLiteral("A-2|垫片|#120||")}));
    const QStringList expected = {
        QStringLiteral("1:商品清单"), QStringLiteral("3:货号|品名|库存|单位|说明"),
        QStringLiteral("4:0012|螺丝|7.5|个"), QStringLiteral("5:A-2|垫片|120")};
    XlsxWorkbook book;
    QVERIFY2(book.open(path), qPrintable(book.failure()));
    QCOMPARE(book.sheetNames(), QStringList({QStringLiteral("库存"), QStringLiteral("第二页")}));
    ReadOutcome outcome = book.readSheet(0);
    QVERIFY2(outcome.ok(), qPrintable(outcome.failure));
    // openpyxl stores no value for a formula: the cell reads empty.
    QCOMPARE(rowTexts(outcome.sheet), expected);
    QCOMPARE(rowTexts(book.readSheet(1).sheet), QStringList{QStringLiteral("1:另一张")});

    // The same workbook saved by LibreOffice, which computes the formula.
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice (Debian libreoffice-calc-nogui) is missing: its workbook is not read");
    const QString out = mFolder.filePath(QStringLiteral("lo"));
    QProcess convert;
    convert.start(soffice,
                  {"-env:UserInstallation=file://" + mFolder.filePath("profile"), "--headless",
                   "--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", out, path});
    QVERIFY(convert.waitForFinished(180000));
    outcome = readFile(out + QStringLiteral("/openpyxl.xlsx"));
    QVERIFY2(outcome.ok(), qPrintable(outcome.failure));
    QStringList computed = expected;
    computed[2] += QStringLiteral("|3");
    QCOMPARE(rowTexts(outcome.sheet), computed);
}

void TestImportFiles::csvFiles_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoding"); // "UTF-8", "UTF-8 BOM" or an iconv name
    QTest::addColumn<int>("detected");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("rows");

    // The same text in each encoding (all but UTF-8 written by iconv).
    const std::pair<const char*, CsvEncoding> encodings[] = {
        {"UTF-8 BOM", CsvEncoding::Utf8},
        {"UTF-8", CsvEncoding::Utf8},
        {"GBK", CsvEncoding::Gb18030},
        {"GB18030", CsvEncoding::Gb18030},
        {"UTF-16", CsvEncoding::Utf16}}; // with its BOM
    for (const auto& [name, detected] : encodings)
        QTest::newRow(name) << QStringLiteral("产品ID,产品名称,入库数量\r\n0012,螺丝 M4,7.5\r\n")
                            << name << int(detected) << ","
                            << QStringList{"1:产品ID|产品名称|入库数量", "2:0012|螺丝 M4|7.5"};
    QTest::newRow("semicolons, a comma in a text")
        << QStringLiteral("编码;名称;数量\n1;螺丝, 大;3\n2;垫片;4\n") << "UTF-8"
        << int(CsvEncoding::Utf8) << ";"
        << QStringList{"1:编码|名称|数量", "2:1|螺丝, 大|3", "3:2|垫片|4"};
    QTest::newRow("tabs, empty lines and columns")
        << QStringLiteral("编码\t\t名称\n\n1\t\t螺丝\n\t\t\n2\t\t垫片") << "UTF-8"
        << int(CsvEncoding::Utf8) << "\t" << QStringList{"1:编码|名称", "3:1|螺丝", "5:2|垫片"};
    QTest::newRow("quotes, a line break, the export's formula guard")
        << QStringLiteral(
               "产品ID,备注\r\n\"'=1+2\",\"第一行\r\n第二行\"\r\n'-5,\"含\"\"引号\"\"\"\r\n"
               "a,'@x\r\n''=y,b")
        << "UTF-8" << int(CsvEncoding::Utf8) << ","
        << QStringList{"1:产品ID|备注", "2:=1+2|第一行\r\n第二行", "4:-5|含\"引号\"", "5:a|@x",
                       "6:'=y|b"};
}

void TestImportFiles::csvFiles()
{
    QFETCH(QString, text);
    QFETCH(QString, encoding);
    QFETCH(int, detected);
    QFETCH(QString, separator);
    QFETCH(QStringList, rows);
    const QString path = mFolder.filePath(QStringLiteral("file.csv"));
    if (encoding.startsWith(QLatin1String("UTF-8"))) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (encoding.endsWith(QLatin1String("BOM")))
            file.write("\xEF\xBB\xBF");
        file.write(text.toUtf8());
    } else {
        QVERIFY(writeWithIconv(path, text, encoding));
    }
    ImportSource source;
    QString failure;
    QVERIFY2(source.open(path, failure), qPrintable(failure));
    QCOMPARE(int(source.encoding), detected);
    QCOMPARE(QString(source.separator), separator);
    const ReadOutcome outcome = source.read();
    QVERIFY2(outcome.ok(), qPrintable(outcome.failure));
    QCOMPARE(rowTexts(outcome.sheet), rows);
}

void TestImportFiles::mappingAndProblems_data()
{
    QTest::addColumn<QStringList>("lines"); // cells separated by '|', "!x" an error cell
    QTest::addColumn<int>("titleRow");
    QTest::addColumn<QList<int>>("mapping");
    QTest::addColumn<QStringList>("preview"); // fileRow:values|problem

    const QList<int> none = {-1, -1, -1, -1, -1};
    QTest::newRow("our titles, blanks and case ignored")
        << QStringList{"库存表", "产 品 id|产品名称|产品库存|产品单位|备　注", "A1|螺丝|10|盒|无"}
        << 1 << QList<int>{0, 1, 2, 3, 4} << QStringList{"3:A1|螺丝|10|盒|无|"};
    QTest::newRow("common titles, the first of two wins, default unit and remark")
        << QStringList{"条码|品名|数量|库存|说明", "B2|垫片|2.5|9|"} << 0
        << QList<int>{0, 1, 2, -1, 4} << QStringList{"2:B2|垫片|2.5|个||"};
    QTest::newRow("one known title is no title row")
        << QStringList{"编码|颜色", "C3|红"} << -1 << none
        << QStringList{"1:编码|颜色||个|无|入库数量为空", "2:C3|红||个|无|入库数量为空"};
    // Each line with its preview row (none: no goods row).
    const std::pair<const char*, const char*> problems[] = {
        {"|螺丝|1", "2:|螺丝|1|个|无|产品ID为空"},
        {"D4||1", "3:D4||1|个|无|产品名称为空"},
        {"D5|钉|", "4:D5|钉||个|无|入库数量为空"},
        {"D6|钉|abc", "5:D6|钉|abc|个|无|入库数量不是数字"},
        {"D7|钉|0", "6:D7|钉|0|个|无|入库数量不是正数"},
        {"D8|钉|-3", "7:D8|钉|-3|个|无|入库数量不是正数"},
        {"D9|钉|0.5", "8:D9|钉|0.5|个|无|入库数量小于 1"},
        {"D10|钉|1e400", "9:D10|钉|1e400|个|无|入库数量不是数字"}, // beyond a double
        {"D11|!#N/A|2", "10:D11|#N/A|2|个|无|产品名称单元格错误（#N/A）"},
        {"D12|钉|1.5", "11:D12|钉|1.5|个|无|"}, // fractions allowed
        {"||", nullptr},
        {"||5", nullptr},                          // a totals line
        {" D15 | 钉 | 3 ", "14:D15|钉|3|个|无|"}}; // blanks trimmed
    QStringList lines{"货号|名称|数量"}, preview;
    for (const auto& [line, row] : problems) {
        lines.append(QString::fromUtf8(line));
        if (row)
            preview.append(QString::fromUtf8(row));
    }
    QTest::newRow("problems") << lines << 0 << QList<int>{0, 1, 2, -1, -1} << preview;
}

void TestImportFiles::mappingAndProblems()
{
    QFETCH(QStringList, lines);
    QFETCH(int, titleRow);
    QFETCH(QList<int>, mapping);
    QFETCH(QStringList, preview);
    ImportSheet sheet;
    for (int r = 0; r < lines.size(); ++r) {
        ImportRow row;
        row.fileRow = r + 1;
        const QStringList cells = lines[r].split(QLatin1Char('|'));
        for (const QString& text : cells) {
            const bool error = text.startsWith(QLatin1Char('!'));
            row.cells.push_back({error ? text.mid(1) : text, error});
        }
        sheet.rows.push_back(row);
    }
    QCOMPARE(detectTitleRow(sheet), titleRow);
    const ColumnMapping columns = autoMapping(sheet, titleRow);
    QCOMPARE(QList<int>(columns.begin(), columns.end()), mapping);
    // Without a title row the test maps the first two columns by hand.
    ColumnMapping used = columns;
    if (titleRow < 0) {
        used[0] = 0;
        used[1] = 1;
    }
    const ImportPreview result = buildPreview(sheet, titleRow, used, QStringLiteral("个"));
    QStringList texts;
    int problems = 0;
    for (const PreviewRow& row : result.rows) {
        QStringList values(row.values.begin(), row.values.end());
        texts.append(QString::number(row.fileRow) + QLatin1Char(':') +
                     values.join(QLatin1Char('|')) + QLatin1Char('|') + row.problem);
        problems += row.problem.isEmpty() ? 0 : 1;
    }
    QCOMPARE(texts, preview);
    QCOMPARE(result.problems, problems);
    QCOMPARE(importStatusText(result), QStringLiteral("共 %1 行，可导入 %2 行，有问题 %3 行")
                                           .arg(texts.size())
                                           .arg(texts.size() - problems)
                                           .arg(problems));
}

void TestImportFiles::hostileFiles_data()
{
    QTest::addColumn<QString>("fileName"); // the kind of writeHostileFile() and the suffix
    QTest::addColumn<QString>("reason");
    const auto row = [](const char* name, const char* file, const QString& reason) {
        QTest::newRow(name) << QString::fromUtf8(file) << reason;
    };
    row("not a zip", "text.xlsx", "不是 Excel 工作簿（不是 zip 文件）");
    row("a zip without a sheet", "nosheet.xlsx", "不是 Excel 工作簿（缺少 xl/workbook.xml）");
    row("a zip bomb", "bomb.xlsx", "解压后的内容超过 200 MB");
    row("entity expansion", "entities.xlsx",
        "xl/worksheets/sheet1.xml 含有文档类型定义（DTD），不予读取");
    row("broken XML", "brokenxml.xlsx",
        "xl/worksheets/sheet1.xml 不是有效的 XML（Opening and ending tag mismatch.）");
    row("1,000,000 rows in a workbook", "million.xlsx", tooManyRowsText());
    row("1,000,000 rows in a CSV file", "millioncsv.csv", tooManyRowsText());
    row("a workbook as wide as it can be", "widesheet.xlsx", tooManyCellsText());
    row("a CSV file of commas", "commas.csv", tooManyCellsText());
    row("a quote never closed", "quote.csv", "第 2 行的引号没有闭合");
    row("a binary file named .csv", "binary.csv", "不是文本文件");
}

void TestImportFiles::hostileFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QString, reason);
    const QString path = mFolder.filePath(fileName);
    QVERIFY(writeHostileFile(fileName.section(QLatin1Char('.'), 0, 0), path));
    const ReadOutcome outcome = readFile(path);
    QCOMPARE(outcome.failure, reason);
    QVERIFY(outcome.sheet.rows.empty());
    QFile::remove(path);
}

QTEST_MAIN(TestImportFiles)
#include "test_importfiles.moc"
