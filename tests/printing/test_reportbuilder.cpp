// SPDX-License-Identifier: GPL-3.0-or-later
// Report building: formulas of computed columns, the table layout of a printed list and its
// pagination.
#include "printing/formula.h"
#include "printing/reportbuilder.h"
#include "printing/reportlayout.h"
#include "printing/reporttable.h"
#include "storage/fieldvalue.h"
#include "tests/support/commalocale.h"
#include "ui/reportlist.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace
{

// A table whose data row 1 holds the printed columns 数量, 第一列, 第三列, Code, 单价, 备注 and
// 算式 and, after them, a column that is not printed.
constexpr int kPrintedFormulaColumns = 7;
ReportTable formulaTable()
{
    ReportTable table = ReportTable::fromTemplate();
    table.insertColumns(2, kPrintedFormulaColumns - 1);
    table.appendRows(1);
    const QStringList titles = {QStringLiteral("数量"),   QStringLiteral("第一列"),
                                QStringLiteral("第三列"), QStringLiteral("Code"),
                                QStringLiteral("单价"),   QStringLiteral("备注"),
                                QStringLiteral("算式"),   QStringLiteral("隐藏")};
    const QStringList values = {QStringLiteral("7"),    QStringLiteral("2"),
                                QStringLiteral("1"),    QStringLiteral("1e3"),
                                QStringLiteral("-2.5"), QStringLiteral("1e-05"),
                                QStringLiteral("2+3"),  QStringLiteral("9")};
    for (int c = 1; c <= titles.size(); ++c) {
        table.setText(4, c, titles.at(c - 1));
        table.setText(5, c, values.at(c - 1));
    }
    return table;
}

constexpr RgbValue kBlack = 0;

} // namespace

class ReportBuilderTest : public QObject
{
    Q_OBJECT

private slots:
    void formula_data();
    void formula();
    void formulaNestingAndRandomText();
    void leadingNumber_data();
    void leadingNumber();
    void statisticsTotalText_data();
    void statisticsTotalText();
    void numbersIgnoreTheDesktopLanguage();
    void layoutWithSerialColumn();
    void layoutWithoutSerialColumnAndRemarks();
    void emptyListWithTotals();
    void statistics();
    void customColumns();
    void computedColumnOverNegativeAndFractionalValues();
    void gridLines_data();
    void gridLines();
    void colourModes();
    void insertionsKeepMergesAndLooks();
    void paginateByRowsPerPage();
    void paginateByHeight();
    void layoutLeavesTableAlone();

private:
    std::unique_ptr<ReportList> mList;
    PrintRequest request(QList<int> columns, bool serial) const;
    void fillList(const QList<ReportColumn>& columns, const std::vector<QStringList>& rows);
};

void ReportBuilderTest::fillList(const QList<ReportColumn>& columns,
                                 const std::vector<QStringList>& rows)
{
    mList = std::make_unique<ReportList>();
    mList->setColumns(columns);
    mList->appendRows(rows);
}

PrintRequest ReportBuilderTest::request(QList<int> columns, bool serial) const
{
    PrintRequest request;
    request.source = mList.get();
    request.title = QStringLiteral("库存报表");
    request.titleFont = {QStringLiteral("黑体"), QStringLiteral("255"), QStringLiteral("1"),
                         QStringLiteral("12")};
    request.dateLine = QStringLiteral("打印日期:2018年3月5日");
    request.columns = columns;
    request.serialColumn = serial;
    request.fontSize = 40;
    return request;
}

void ReportBuilderTest::formula_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("value");
    const auto row = [](const char* name, const char* formula, const char* value) {
        QTest::newRow(name) << QString::fromUtf8(formula) << QString::fromUtf8(value);
    };

    row("reference", "[数量]*2", "14");
    row("several references", "[第一列]*[第三列]+[数量]", "9");
    row("leading minus", "-3+5", "2");
    row("minus after times", "2*-3", "-6");
    row("signs in a row", "1-+2--3", "2");
    row("division left to right", "8/2/2", "2");
    row("subtraction left to right", "10-3-2", "5");
    row("times before plus", "1+2*3", "7");
    row("power", "2^3", "8");
    row("power right to left", "2^3^2", "512");
    row("negative exponent", "2^-1", "0.5");
    row("power before sign", "-2^2", "-4");
    row("power before times", "2*3^2", "18");
    row("number before group multiplies", "12(52+13)", "780");
    row("window example", "[第一列]*12(52+13)/(14-3)-[第三列]", "140.8181818182");
    row("group before group multiplies", "(1+2)(3+4)", "21");
    row("reference before group multiplies", "[数量](1+1)", "14");
    row("nested groups", "((1+2)*3)", "9");
    row("division by zero", "1/0", "0");
    row("divisor too small", "1/0.00000001", "0");
    row("divisor at the limit", "1/0.0000001", "0");
    row("divisor just above the limit", "1/0.00000011", "9090909.090909");
    row("small divisor", "1/0.001", "1000");
    row("negative divisor", "1/-0.001", "-1000");
    row("values stay doubles", "1/3*3", "1");
    row("number with exponent", "1e3", "1000");
    row("number with signed exponent", "2.5E-1*4", "1");
    row("number with point only", ".5+5.", "5.5");
    row("upper E", "E", "2.718281828459");
    row("lower e", "e*2", "5.436563656918");
    row("pi", "Pi", "3.14159265359");
    row("constant before group multiplies", "pi(2)", "6.28318530718");
    row("number before constant", "2pi", "0");
    row("constant words only whole", "pie", "0");
    row("e right after a number", "2e", "0");
    row("reference in any case, e inside its cell", "[CODE]", "1000");
    row("cell with exponent", "[备注]*2", "2e-05");
    row("negative fractional cell", "[数量]*[单价]", "-17.5");
    row("negative cell times negative", "[单价]*-2", "5");
    row("cell is never formula text", "[算式]*2", "4");
    row("unknown reference", "[金额]+1", "1");
    row("column not printed", "[隐藏]+1", "1");
    row("reference without close", "[数量+1", "0");
    row("open without close", "(5", "0");
    row("open without close, one operand", "(5+1", "0");
    row("close without open", "5)+1", "0");
    row("close before open fails", "3)+(2", "0");
    row("empty group", "()", "0");
    row("missing operand", "2*", "0");
    row("two numbers", "2 3", "0");
    row("number after group", "(2)3", "0");
    row("unknown sign", "2#3", "0");
    row("unknown word", "x+1", "0");
    row("too large", "10^400", "0");
    row("too large a number", "1e999", "0");
    row("too small a number reads 0", "1e-999+1", "1");
    row("no real root", "(-8)^(1/3)", "0");
    row("zero without sign", "0*-1", "0");
    row("blanks", " 2 * 3 ", "6");
    row("empty", "", "0");
}

void ReportBuilderTest::formula()
{
    QFETCH(QString, formula);
    QFETCH(QString, value);
    const ReportTable table = formulaTable();
    QCOMPARE(numberText(evaluateFormula(formula, table, kPrintedFormulaColumns, 1)), value);
}

void ReportBuilderTest::formulaNestingAndRandomText()
{
    const ReportTable table = formulaTable();
    const auto value = [&table](const QString& formula) {
        return evaluateFormula(formula, table, kPrintedFormulaColumns, 1);
    };
    const auto repeated = [](const char* text, int times) {
        return QString::fromLatin1(text).repeated(times);
    };

    // Nesting the evaluator follows, and nesting 1,000 deep that it refuses without running out
    // of stack: parentheses, signs and powers.
    QCOMPARE(value(repeated("(", 50) + QStringLiteral("[数量]") + repeated(")", 50)), 7.0);
    QCOMPARE(value(repeated("(", 1000) + QStringLiteral("1") + repeated(")", 1000)), 0.0);
    QCOMPARE(value(repeated("-", 1000) + QStringLiteral("1")), 0.0);
    QCOMPARE(value(repeated("1^", 1000) + QStringLiteral("1")), 0.0);
    QCOMPARE(value(repeated("(", 100000)), 0.0);
    // A long flat formula is no nesting at all.
    QCOMPARE(value(QStringLiteral("1") + repeated("+1", 100000)), 100001.0);

    // Random text, pure bytes and formula-like, never crashes and never gives a value that is
    // not finite.
    std::mt19937 random(20180305);
    const QString alphabet = QStringLiteral("0123456789.eEpiPI+-*/^()[] 数量单价]");
    for (int i = 0; i < 4000; ++i) {
        const int length = int(random() % 48);
        QString formula;
        if (i % 2 == 0) {
            QByteArray bytes;
            for (int k = 0; k < length; ++k)
                bytes.append(char(random() % 256));
            formula = i % 4 == 0 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
        } else {
            for (int k = 0; k < length; ++k)
                formula.append(alphabet.at(qsizetype(random() % alphabet.size())));
        }
        const double result = value(formula);
        QVERIFY2(std::isfinite(result), qPrintable(formula));
    }
}

void ReportBuilderTest::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::addColumn<int>("decimals"); // -1: written with an exponent
    QTest::newRow("whole") << "12" << 12.0 << 0;
    QTest::newRow("blanks, decimals, unit") << "  7.5千克" << 7.5 << 1;
    QTest::newRow("signs") << "-3" << -3.0 << 0;
    QTest::newRow("point first") << "+.5" << 0.5 << 1;
    QTest::newRow("trailing zeros count") << "-2.50" << -2.5 << 2;
    QTest::newRow("exponent") << "1e-05" << 1e-05 << -1;
    QTest::newRow("e without digits") << "3e" << 3.0 << 0;
    QTest::newRow("comma is no point") << "12,5" << 12.0 << 0;
    QTest::newRow("no number") << "abc" << 0.0 << 0;
    QTest::newRow("point only") << "." << 0.0 << 0;
    QTest::newRow("sign only") << "-" << 0.0 << 0;
    QTest::newRow("empty") << "" << 0.0 << 0;
    QTest::newRow("too large") << "1e999" << 0.0 << -1;
    QTest::newRow("too small") << "1e-999" << 0.0 << -1;
    QTest::newRow("barcode") << "6901234567892" << 6901234567892.0 << 0;
}

void ReportBuilderTest::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QFETCH(int, decimals);
    QCOMPARE(leadingNumberOf(text), number);
    QCOMPARE(leadingNumberDecimals(text), decimals);
}

void ReportBuilderTest::statisticsTotalText_data()
{
    QTest::addColumn<double>("total");
    QTest::addColumn<int>("decimals"); // the most decimal places of the numbers added up
    QTest::addColumn<QString>("text");
    QTest::newRow("halves") << 1.5 + 1.5 << -1 << "3";
    QTest::newRow("tenths") << 0.1 + 0.2 << -1 << "0.3";
    QTest::newRow("negative") << -17.5 << -1 << "-17.5";
    QTest::newRow("fourteen digits") << 13802469135784.0 << -1 << "13802469135784";
    QTest::newRow("large, written out") << 1e20 << -1 << "100000000000000000000";
    QTest::newRow("small, written out") << 1e-5 << -1 << "0.00001";
    QTest::newRow("fifteen digits") << 2.0 / 3.0 << -1 << "0.666666666666667";
    QTest::newRow("rounding carries") << 99999999999999.99 << -1 << "100000000000000";
    QTest::newRow("zero") << 0.0 << -1 << "0";
    QTest::newRow("negative zero") << -0.0 << -1 << "0";
    QTest::newRow("not finite") << std::numeric_limits<double>::infinity() << -1 << "0";
    // Sums of many cells, rounded to the places of the numbers added up.
    QTest::newRow("1,000 times 3.35") << 3349.999999999942 << 2 << "3350";
    QTest::newRow("10,000 times 0.1") << 1000.0000000001588 << 1 << "1000";
    QTest::newRow("cancelling amounts") << 0.37000000000012 << 2 << "0.37";
    QTest::newRow("rounded to zero") << -0.0000000001 << 2 << "0";
    QTest::newRow("beyond exact wholes") << 1e20 << 2 << "100000000000000000000";
    QTest::newRow("more places than shown") << 2.0 / 3.0 << 17 << "0.666666666666667";
}

void ReportBuilderTest::statisticsTotalText()
{
    QFETCH(double, total);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(::statisticsTotalText(total, decimals), text);
}

void ReportBuilderTest::numbersIgnoreTheDesktopLanguage()
{
    // On a desktop that writes decimals with a comma, cells, formulas and totals still read and
    // write a point.
    CommaDecimalLocale german;
    if (!german.isActive())
        QSKIP("no comma-decimal locale could be made on this system");
    QCOMPARE(leadingNumberOf(QStringLiteral("7.5")), 7.5);
    QCOMPARE(leadingNumberOf(QStringLiteral("7,5")), 7.0);
    const ReportTable table = formulaTable();
    QCOMPARE(numberText(evaluateFormula(QStringLiteral("[单价]*0.5+[备注]"), table,
                                        kPrintedFormulaColumns, 1)),
             QStringLiteral("-1.24999"));
    QCOMPARE(::statisticsTotalText(0.1 + 0.2), QStringLiteral("0.3"));
}

void ReportBuilderTest::layoutWithSerialColumn()
{
    fillList({{QStringLiteral("名称"), 100, Qt::AlignLeft},
              {QStringLiteral("数量"), 50, Qt::AlignRight},
              {QStringLiteral("单价"), 60, Qt::AlignHCenter}},
             {{"螺丝", "10", "0.5"}, {"螺母", "20", "0.2"}});
    PrintRequest req = request({0, 1, 2}, true);
    req.lineStyle = 0;
    req.paper = -1;
    req.pageNumberPosition = -1;
    req.rowsPerPage = 12;
    req.landscape = false;
    const std::unique_ptr<ReportTable> table = buildReport(req);
    QVERIFY(table);

    // Edge, serial, three columns, edge; title, date, rule, titles, two rows, rule.
    QCOMPARE(table->columnCount(), 6);
    QCOMPARE(table->rowCount(), 7);
    const QList<int> widths = {1, 130, 330, 165, 198, 1};
    for (int c = 1; c <= 6; ++c)
        QCOMPARE(table->columnWidth(c), widths.at(c - 1));
    const QList<int> heights = {117, 60, 1, 48, 45, 45, 1};
    for (int r = 1; r <= 7; ++r)
        QCOMPARE(table->rowHeight(r), heights.at(r - 1));

    QCOMPARE(table->spanOf(1, 3), QRect(2, 1, 5, 1));
    QCOMPARE(table->text(1, 2), QStringLiteral("库存报表"));
    const ReportCellStyle& title = table->style(1, 2);
    QCOMPARE(title.fontFace, QStringLiteral("黑体"));
    QCOMPARE(title.fontSize, 39);
    QCOMPARE(title.textColour, RgbValue(255));
    QVERIFY(title.bold);
    QCOMPARE(title.alignment, 5);

    QCOMPARE(table->spanOf(2, 2), QRect(2, 2, 5, 1));
    QCOMPARE(table->text(2, 2), QStringLiteral("打印日期:2018年3月5日"));
    QCOMPARE(table->style(2, 2).alignment, 9);
    QVERIFY(table->style(2, 2).bold);
    QCOMPARE(table->style(2, 2).fontSize, 30);

    QCOMPARE(table->spanOf(3, 2), QRect(2, 3, 4, 1));
    for (const int rule : {3, 7}) {
        QVERIFY(table->style(rule, 2).hasBackground);
        QCOMPARE(table->style(rule, 2).background, kBlack);
        QCOMPARE(table->style(rule, 2).top, 1);
        QCOMPARE(table->style(rule, 2).bottom, 1);
    }

    const QStringList titles = {"序号", "名称", "数量", "单价"};
    for (int c = 2; c <= 5; ++c) {
        QCOMPARE(table->text(4, c), titles.at(c - 2));
        QCOMPARE(table->style(4, c).alignment, 5);
        QVERIFY(table->style(4, c).bold);
    }
    QCOMPARE(table->text(5, 2), QStringLiteral("1"));
    QCOMPARE(table->text(6, 2), QStringLiteral("2"));
    QCOMPARE(table->text(6, 3), QStringLiteral("螺母"));
    QCOMPARE(table->text(5, 5), QStringLiteral("0.5"));
    // The report names the list's own texts: they stay when the list is refilled, in a row
    // range taken from it too.
    mList->clear();
    mList->appendRows({{"垫片", "1", "9"}});
    QCOMPARE(table->text(6, 3), QStringLiteral("螺母"));
    QCOMPARE(rowRangeOf(*table, 2, 2).text(5, 3), QStringLiteral("螺母"));
    const QList<int> alignments = {5, 4, 6, 5};
    for (int c = 2; c <= 5; ++c)
        QCOMPARE(table->style(5, c).alignment, alignments.at(c - 2));

    // Black edge columns beside the titles and data; body font on rows 4 to the last but one.
    for (const int edge : {1, 6}) {
        for (int r = 4; r <= 6; ++r) {
            QCOMPARE(table->style(r, edge).background, kBlack);
            QCOMPARE(table->style(r, edge).left, 1);
            QCOMPARE(table->style(r, edge).right, 1);
        }
        QVERIFY(!table->style(2, edge).hasBackground);
    }
    QCOMPARE(table->style(6, 4).fontSize, 40);
    QCOMPARE(table->style(7, 4).fontSize, 30);

    QCOMPARE(table->fixedRows(), 4);
    const ReportPrintSettings& settings = table->printSettings();
    QCOMPARE(settings.marginLeft, 180);
    QCOMPARE(settings.marginTop, 180);
    QCOMPARE(settings.marginRight, 180);
    QCOMPARE(settings.marginBottom, 180);
    QCOMPARE(settings.paper, -1);
    QCOMPARE(settings.pageNumberPosition, -1);
    QCOMPARE(settings.rowsPerPage, 12);
    QVERIFY(!settings.landscape);
}

void ReportBuilderTest::layoutWithoutSerialColumnAndRemarks()
{
    fillList({{QStringLiteral("名称"), 100, Qt::AlignLeft},
              {QStringLiteral("数量"), 50, Qt::AlignRight},
              {QStringLiteral("单价"), 60, Qt::AlignHCenter}},
             {{"螺丝", "10", "0.5"}});
    PrintRequest req = request({0, 2}, false);
    req.remarks = QStringLiteral("仓库主管签字");
    const std::unique_ptr<ReportTable> table = buildReport(req);

    QCOMPARE(table->columnCount(), 4);
    QCOMPARE(table->text(4, 2), QStringLiteral("名称"));
    QCOMPARE(table->text(4, 3), QStringLiteral("单价"));
    QCOMPARE(table->text(5, 3), QStringLiteral("0.5"));

    // Title, date, rule, titles, one row, rule, three remarks rows.
    QCOMPARE(table->rowCount(), 9);
    QCOMPARE(table->text(7, 1), QStringLiteral("仓库主管签字"));
    QCOMPARE(table->spanOf(8, 2), QRect(1, 7, 3, 3));
    QCOMPARE(table->style(7, 1).alignment, 1);
    QCOMPARE(table->style(7, 1).fontSize, 40);
    QCOMPARE(table->style(9, 1).fontSize, 30);
    QVERIFY(!table->style(7, 1).hasBackground);
    QCOMPARE(table->rowHeight(7), 60);
    QCOMPARE(table->rowHeight(9), 150);
}

void ReportBuilderTest::emptyListWithTotals()
{
    fillList({{QStringLiteral("名称"), 100, Qt::AlignLeft}}, {});
    PrintRequest req = request({0}, false);
    req.totals = {QStringLiteral("一")};
    const std::unique_ptr<ReportTable> table = buildReport(req);

    // Title, date, rule, titles, totals, rule; edge, 名称, edge.
    QCOMPARE(table->rowCount(), 6);
    QCOMPARE(table->columnCount(), 3);
    QCOMPARE(table->text(4, 2), QStringLiteral("名称"));
    QCOMPARE(table->text(5, 2), QStringLiteral(" 合计共 0 条记录"));
    QVERIFY(table->style(5, 2).bold);
    QCOMPARE(table->spanOf(5, 2), QRect(2, 5, 1, 1));
    QCOMPARE(table->rowHeight(5), 48);
    QCOMPARE(table->style(5, 1).background, kBlack);
    QCOMPARE(table->rowHeight(6), 1);
}

void ReportBuilderTest::statistics()
{
    fillList({{QStringLiteral("数量"), 50, Qt::AlignRight},
              {QStringLiteral("数量"), 50, Qt::AlignRight},
              {QStringLiteral("名称"), 100, Qt::AlignLeft}},
             {{"1.5", "2.7", "甲"}, {"1.5", "3件", "乙"}});
    PrintRequest req = request({0, 1, 2}, false);
    req.totals = {QStringLiteral("二"), QStringLiteral("数量")};
    std::unique_ptr<ReportTable> table = buildReport(req);

    // Exact sums of the cells' leading numbers: 1.5 + 1.5 and 2.7 + 3. Column 1's sum replaces
    // the caption.
    QCOMPARE(table->text(7, 2), QStringLiteral("3"));
    QCOMPARE(table->text(7, 3), QStringLiteral("5.7"));
    QCOMPARE(table->text(7, 4), QString());
    QVERIFY(table->style(7, 4).bold);
    QCOMPARE(table->style(7, 4).alignment, 5);
    QCOMPARE(table->rowHeight(8), 1);

    // With the serial column first the caption stays; a computed column can be summed.
    req.serialColumn = true;
    req.customColumns = {{QStringLiteral("两倍"), QStringLiteral("[名称]+[数量]*2")}};
    req.totals = {QStringLiteral("二"), QStringLiteral("两倍")};
    table = buildReport(req);
    QCOMPARE(table->text(4, 6), QStringLiteral("两倍"));
    QCOMPARE(table->text(7, 2), QStringLiteral("统 计"));
    QCOMPARE(table->text(7, 6), QStringLiteral("6"));

    // A whole sum keeps all its digits (barcodes summed).
    fillList({{QStringLiteral("条码"), 100, Qt::AlignLeft}},
             {{"6901234567892"}, {"6901234567892"}});
    req = request({0}, false);
    req.totals = {QStringLiteral("二"), QStringLiteral("条码")};
    table = buildReport(req);
    QCOMPARE(table->text(7, 2), QStringLiteral("13802469135784"));

    // A long list adds up to its exact decimal total, without the binary remainders that a
    // thousand additions gather.
    fillList({{QStringLiteral("单价"), 50, Qt::AlignRight},
              {QStringLiteral("数量"), 50, Qt::AlignRight}},
             std::vector<QStringList>(1000, {QStringLiteral("3.35"), QStringLiteral("0.1")}));
    req = request({0, 1}, false);
    req.totals = {QStringLiteral("二"), QStringLiteral("单价"), QStringLiteral("数量")};
    table = buildReport(req);
    QCOMPARE(table->text(1005, 2), QStringLiteral("3350"));
    QCOMPARE(table->text(1005, 3), QStringLiteral("100"));
}

void ReportBuilderTest::customColumns()
{
    fillList({{QStringLiteral("数量"), 50, Qt::AlignRight},
              {QStringLiteral("单价"), 50, Qt::AlignRight}},
             {{"7", "3"}, {"2.5", "4"}});
    PrintRequest req = request({0, 1}, true);
    req.customColumns = {{QStringLiteral("金额"), QStringLiteral("[数量]*[单价]")},
                         {QStringLiteral("编号"), QStringLiteral("[序号]*10")},
                         {QStringLiteral("坏"), QStringLiteral("1/0")}};
    const std::unique_ptr<ReportTable> table = buildReport(req);

    // Edge, serial, two columns, three computed columns, edge.
    QCOMPARE(table->columnCount(), 8);
    QCOMPARE(table->text(4, 5), QStringLiteral("金额"));
    QCOMPARE(table->text(5, 5), QStringLiteral("21"));
    QCOMPARE(table->text(6, 5), QStringLiteral("10"));
    QCOMPARE(table->text(6, 6), QStringLiteral("20"));
    QCOMPARE(table->text(5, 7), QStringLiteral("0"));
    QCOMPARE(table->style(5, 5).alignment, 5);
    QCOMPARE(table->spanOf(1, 2), QRect(2, 1, 7, 1));
    QCOMPARE(table->columnWidth(8), 1);
}

void ReportBuilderTest::computedColumnOverNegativeAndFractionalValues()
{
    fillList({{QStringLiteral("产品名称"), 100, Qt::AlignLeft},
              {QStringLiteral("产品库存"), 50, Qt::AlignRight}},
             {{"螺丝", "10"}, {"螺母", "-2.5"}, {"垫片", "0.1"}, {"弹簧", "0.2"}});
    PrintRequest req = request({0, 1}, false);
    req.customColumns = {{QStringLiteral("负两倍"), QStringLiteral("[产品库存]*-2")}};
    req.totals = {QStringLiteral("二"), QStringLiteral("产品库存"), QStringLiteral("负两倍")};
    const std::unique_ptr<ReportTable> table = buildReport(req);

    // Edge, 产品名称, 产品库存, 负两倍, edge; the statistics row is row 9.
    QCOMPARE(table->text(4, 4), QStringLiteral("负两倍"));
    const QStringList doubled = {"-20", "5", "-0.2", "-0.4"};
    for (int r = 0; r < 4; ++r)
        QCOMPARE(table->text(5 + r, 4), doubled.at(r));
    QCOMPARE(table->text(9, 2), QStringLiteral("统 计"));
    QCOMPARE(table->text(9, 3), QStringLiteral("7.8"));
    QCOMPARE(table->text(9, 4), QStringLiteral("-15.6"));
}

void ReportBuilderTest::gridLines_data()
{
    QTest::addColumn<int>("lineStyle");
    QTest::addColumn<int>("vertical");
    QTest::addColumn<int>("horizontal");

    QTest::newRow("none") << 0 << 0 << 0;
    QTest::newRow("grid") << 1 << 1 << 1;
    QTest::newRow("dotted rows") << 2 << 0 << 2;
    QTest::newRow("columns") << 3 << 1 << 0;
    QTest::newRow("rows") << 4 << 0 << 1;
}

void ReportBuilderTest::gridLines()
{
    QFETCH(int, lineStyle);
    QFETCH(int, vertical);
    QFETCH(int, horizontal);
    fillList({{QStringLiteral("名称"), 100, Qt::AlignLeft},
              {QStringLiteral("数量"), 50, Qt::AlignRight}},
             {{"a", "1"}, {"b", "2"}});
    PrintRequest req = request({0, 1}, false);
    req.lineStyle = lineStyle;
    const std::unique_ptr<ReportTable> table = buildReport(req);

    // Between the two data rows and between the two printed columns.
    QCOMPARE(table->style(5, 2).right, vertical);
    QCOMPARE(table->style(5, 3).left, vertical);
    QCOMPARE(table->style(5, 2).bottom, horizontal);
    QCOMPARE(table->style(6, 2).top, horizontal);
    // Row 4 is above row 5 inside the range: its bottom follows the horizontal lines.
    QCOMPARE(table->style(4, 3).bottom, horizontal);
}

void ReportBuilderTest::colourModes()
{
    fillList({{QStringLiteral("名称"), 100, Qt::AlignLeft},
              {QStringLiteral("数量"), 50, Qt::AlignRight}},
             {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    const RgbValue one = rgbValue(222, 223, 206);
    const RgbValue two = rgbValue(239, 239, 222);
    const RgbValue three = rgbValue(1, 2, 3);
    PrintRequest req = request({0, 1}, false);
    req.lineStyle = 0;
    req.totals = {QStringLiteral("一")};
    req.rowsPerPage = 5;

    // Rows 4 to 8: titles, three data rows, totals; columns 2 and 3 hold the list.
    req.colours = {1, int(one), int(two), 0};
    std::unique_ptr<ReportTable> table = buildReport(req);
    QCOMPARE(table->style(4, 2).background, one);
    QCOMPARE(table->style(6, 3).background, two);
    QCOMPARE(table->style(8, 2).background, one);
    QCOMPARE(table->style(5, 2).bottom, 1);
    QCOMPARE(table->style(5, 3).bottom, 1);
    QCOMPARE(table->style(6, 2).bottom, 0);

    req.colours = {2, int(one), int(two), int(three)};
    table = buildReport(req);
    QCOMPARE(table->style(5, 3).background, two);
    QCOMPARE(table->style(6, 3).background, three);
    QCOMPARE(table->style(7, 2).background, two);
    QCOMPARE(table->style(8, 3).background, one);
    QCOMPARE(table->style(5, 2).bottom, 0);

    req.colours = {3, int(one), int(two), int(three)};
    table = buildReport(req);
    QCOMPARE(table->style(4, 3).background, one);
    QCOMPARE(table->style(6, 2).background, two);
    QCOMPARE(table->style(6, 3).background, three);
    QCOMPARE(table->style(8, 3).background, one);
}

void ReportBuilderTest::insertionsKeepMergesAndLooks()
{
    ReportTable table = ReportTable::fromTemplate();
    table.merge(2, 1, 2, 2);
    table.setBackground(2, 2, 1, 1, 0x123456);
    table.setRowHeight(2, 80);

    // Inserted before the range the merge moves; inside it the merge grows.
    table.insertRows(1, 1);
    QCOMPARE(table.spanOf(3, 1), QRect(1, 3, 2, 2));
    QCOMPARE(table.rowHeight(3), 80);
    table.insertColumns(2, 2);
    QCOMPARE(table.spanOf(3, 1), QRect(1, 3, 4, 2));
    QCOMPARE(table.columnCount(), 4);
    QCOMPARE(table.columnWidth(2), 300);

    // A row inserted below copies the row above; appended rows are template rows.
    table.insertRows(4, 1);
    QCOMPARE(table.spanOf(3, 1), QRect(1, 3, 4, 3));
    QCOMPARE(table.style(4, 4).background, RgbValue(0x123456));
    QCOMPARE(table.rowHeight(4), 80);
    QVERIFY(table.text(4, 4).isEmpty());
    table.setLines(table.rowCount(), 1, 1, 4, 15, 1);
    table.appendRows(1);
    QCOMPARE(table.rowCount(), 7);
    QCOMPARE(table.style(7, 4).top, 0);
    QCOMPARE(table.rowHeight(7), 60);

    // Frame bits touch only the range's edges; the inner bits only its inside.
    table.setLines(1, 1, 2, 3, LineLeft | LineTop, 0);
    QCOMPARE(table.style(1, 1).left, 1);
    QCOMPARE(table.style(1, 2).left, 0);
    QCOMPARE(table.style(2, 1).top, 0);
    QCOMPARE(table.style(1, 3).right, 0);
}

void ReportBuilderTest::paginateByRowsPerPage()
{
    fillList({{QStringLiteral("名称"), 100, Qt::AlignLeft}}, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}});
    PrintRequest req = request({0}, false);
    req.rowsPerPage = 2;
    const std::unique_ptr<ReportTable> table = buildReport(req);

    // Rows 5 to 10 (five data rows and the rule) two by two, headings on every page.
    const std::vector<ReportPage> pages = paginate(*table);
    QCOMPARE(pages.size(), std::size_t(3));
    QCOMPARE(pages[0].rows, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    QCOMPARE(pages[2].rows, (std::vector<int>{1, 2, 3, 4, 9, 10}));
}

void ReportBuilderTest::paginateByHeight()
{
    ReportTable table = ReportTable::fromTemplate();
    table.setFixedRows(4);
    QCOMPARE(paginate(table).size(), std::size_t(1));
    QCOMPARE(paginate(table)[0].rows, (std::vector<int>{1, 2, 3, 4}));

    // Portrait A4: 2970 - 2 x 180 = 2610 printable; headings 240; rows of 60 → 39 per page.
    table.appendRows(100);
    table.printSettings().paper = -1;
    table.printSettings().landscape = false;
    std::vector<ReportPage> pages = paginate(table);
    QCOMPARE(pages.size(), std::size_t(3));
    QCOMPARE(pages[0].rows.size(), std::size_t(4 + 39));
    QCOMPARE(pages[2].rows.size(), std::size_t(4 + 22));
    QCOMPARE(pages[1].rows.front(), 1);
    QCOMPARE(pages[1].rows[4], 44);

    // Landscape: 2100 - 360 = 1740, 25 rows a page. A row taller than a page has its own page.
    table.printSettings().landscape = true;
    QCOMPARE(paginate(table).size(), std::size_t(4));
    table.setRowHeight(50, 5000);
    pages = paginate(table);
    QCOMPARE(pages[1].rows.back(), 49);
    QCOMPARE(pages[2].rows, (std::vector<int>{1, 2, 3, 4, 50}));

    // Rows merged together stay on one page: 74 to 76 would straddle pages 4 and 5.
    QCOMPARE(pages[3].rows.back(), 75);
    table.merge(74, 1, 3, 2);
    pages = paginate(table);
    QCOMPARE(pages[3].rows.back(), 73);
    QCOMPARE(pages[4].rows[4], 74);
}

void ReportBuilderTest::layoutLeavesTableAlone()
{
    // A report at 50 percent holds twice the rows a page; laying it out leaves its settings and
    // cells as they were. A style outside the table reads as the default and takes no writes.
    ReportTable table = ReportTable::fromTemplate();
    table.setFixedRows(4);
    table.appendRows(100);
    table.printSettings().paper = -1;
    table.printSettings().scaling = 50;
    const ReportPrintSettings before = table.printSettings();
    const ReportLayout layout = layoutReport(table);
    QCOMPARE(layout.percent, 50);
    QCOMPARE(layout.printableTableHeight(), 2 * layout.printable.height());
    QCOMPARE(layout.pages.size(), paginate(table, layout.printableTableHeight()).size());
    QCOMPARE(table.printSettings().marginTop, before.marginTop);
    QCOMPARE(table.printSettings().marginBottom, before.marginBottom);

    ReportCellStyle bold;
    bold.bold = true;
    table.setStyle(0, 1, bold);
    ReportCellStyle large;
    large.fontSize = 99;
    table.setStyle(table.rowCount() + 1, table.columnCount() + 1, large);
    QVERIFY(!table.style(0, 1).bold);
    QCOMPARE(std::as_const(table).style(-3, 7).fontSize, ReportCellStyle().fontSize);
}

QTEST_MAIN(ReportBuilderTest)
#include "test_reportbuilder.moc"
