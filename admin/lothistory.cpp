// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/lothistory.h"

#include "core/listfill.h"
#include "movements/movementrules.h"
#include "storage/database.h"
#include "storage/recordset.h"
#include "ui/reportlist.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <optional>

namespace
{

// Where one kind of document is kept: its table and the fields the history reads. Every table
// names the lot in 入库单号 (the stock-in's own number).
struct DocumentTable {
    LotDocumentKind kind;
    const char* table;
    const char* number;
    const char* quantity;
    const char* date;
    const char* person;
    const char* resaleChoice; // returns only
};

constexpr std::array<DocumentTable, 7> kDocumentTables = {{
    {LotDocumentKind::StockIn, "入库管理模块", "入库单号", "入库数量", "入库时间", "入库人员",
     nullptr},
    {LotDocumentKind::Sale, "销售管理模块", "销售单号", "销售数量", "销售时间", "销售人员",
     nullptr},
    {LotDocumentKind::StockOut, "出库管理模块", "出库单号", "出库数量", "出库时间", "操作人员",
     nullptr},
    {LotDocumentKind::Lending, "借用管理模块", "借用单号", "借用数量", "借用时间", "审批人员",
     nullptr},
    {LotDocumentKind::SalesReturn, "退货管理模块", "退货单号", "退货数量", "退货时间", "操作人员",
     "是否影响二次销售"},
    {LotDocumentKind::LoanReturn, "归还管理模块", "归还单号", "归还数量", "归还时间", "接收人员",
     "是否影响二次销售"},
    {LotDocumentKind::Problem, "问题处理模块", "问题单号", "问题数量", "发现时间", "录入人员",
     nullptr},
}};

const QString kLotField = QStringLiteral("入库单号");

// A quantity as the movements read it: a number column's value, or the leading number of a
// text column (a typed "1.5" or "2abc"). Never a fatal read, whatever the column holds.
double quantityOf(const FieldValue& value)
{
    if (value.isInteger() || value.isReal())
        return value.asReal();
    return leadingNumber(value.forDisplay());
}

QString field(const char* name)
{
    return QString::fromUtf8(name);
}

// Appends the lot's documents of one table, read as the database hands them over; the product
// of the first one goes to `product`. A query that fails adds nothing.
void readDocuments(Database& db, const DocumentTable& source, const QString& lot,
                   std::vector<LotDocument>& documents, LotHistory::Product& product)
{
    // The columns are found once per table, on its first row.
    struct Columns {
        int id, name, unit, number, quantity, date, person, remark, choice;
    };
    std::optional<Columns> columns;
    std::vector<LotDocument> read;
    LotHistory::Product firstProduct;
    const bool ok = db.forEachRow(
        QStringLiteral("select * from ") + field(source.table) +
            QStringLiteral(" where 入库单号=? "),
        {lot}, [&](const RecordSet& set) {
            if (!columns) {
                columns =
                    Columns{set.findColumn(QStringLiteral("产品ID")),
                            set.findColumn(QStringLiteral("产品名称")),
                            set.findColumn(QStringLiteral("产品单位")),
                            set.findColumn(field(source.number)),
                            set.findColumn(field(source.quantity)),
                            set.findColumn(field(source.date)),
                            set.findColumn(field(source.person)),
                            set.findColumn(QStringLiteral("备注")),
                            source.resaleChoice ? set.findColumn(field(source.resaleChoice)) : -1};
                firstProduct = {set.currentDisplay(columns->id), set.currentDisplay(columns->name),
                                set.currentDisplay(columns->unit)};
            }
            LotDocument document;
            document.kind = source.kind;
            document.number = set.currentDisplay(columns->number);
            document.dateText = set.currentDisplay(columns->date);
            const FieldValue amount =
                columns->quantity >= 0 ? set.currentValue(columns->quantity) : FieldValue();
            document.quantityText = amount.forDisplay();
            document.quantity = quantityOf(amount);
            if (source.resaleChoice)
                document.resaleChoice = set.currentDisplay(columns->choice);
            document.person = set.currentDisplay(columns->person);
            document.remark = set.currentDisplay(columns->remark);
            read.push_back(std::move(document));
        });
    if (!ok)
        return;
    if (!read.empty())
        product = firstProduct;
    documents.insert(documents.end(), std::make_move_iterator(read.begin()),
                     std::make_move_iterator(read.end()));
}

// The timestamp digits of a document number (after its two-letter prefix), without leading
// zeros, so that a longer run of digits is the larger number.
QStringView numberDigits(const QString& number)
{
    qsizetype first = 0;
    while (first < number.size() && !number.at(first).isDigit())
        ++first;
    qsizetype last = first;
    while (last < number.size() && number.at(last).isDigit())
        ++last;
    while (first < last - 1 && number.at(first) == QLatin1Char('0'))
        ++first;
    return QStringView(number).mid(first, last - first);
}

// Document numbers by their digits (as numbers), then as texts.
int compareNumbers(QStringView digitsA, const QString& a, QStringView digitsB, const QString& b)
{
    if (digitsA.size() != digitsB.size())
        return digitsA.size() < digitsB.size() ? -1 : 1;
    if (const int digits = digitsA.compare(digitsB); digits != 0)
        return digits;
    return a.compare(b);
}

// The same day's order: the lot's stock-in first, then by document number (with its digits).
bool sameDayBefore(const LotDocument& a, QStringView digitsA, const LotDocument& b,
                   QStringView digitsB)
{
    const bool stockInA = a.kind == LotDocumentKind::StockIn;
    const bool stockInB = b.kind == LotDocumentKind::StockIn;
    if (stockInA != stockInB)
        return stockInA;
    return compareNumbers(digitsA, a.number, digitsB, b.number) < 0;
}

} // namespace

QString lotDocumentKindText(LotDocumentKind kind)
{
    switch (kind) {
    case LotDocumentKind::StockIn:
        return QStringLiteral("入库");
    case LotDocumentKind::Sale:
        return QStringLiteral("销售");
    case LotDocumentKind::StockOut:
        return QStringLiteral("出库");
    case LotDocumentKind::Lending:
        return QStringLiteral("借用");
    case LotDocumentKind::SalesReturn:
        return QStringLiteral("退货");
    case LotDocumentKind::LoanReturn:
        return QStringLiteral("归还");
    case LotDocumentKind::Problem:
        return QStringLiteral("问题");
    }
    return {};
}

double lotDocumentEffect(LotDocumentKind kind, double quantity, const QString& resaleChoice)
{
    switch (kind) {
    case LotDocumentKind::StockIn:
        return quantity;
    case LotDocumentKind::Sale:
    case LotDocumentKind::StockOut:
    case LotDocumentKind::Lending:
        return -quantity;
    case LotDocumentKind::SalesReturn:
    case LotDocumentKind::LoanReturn:
        return resaleChoice == QStringLiteral("不影响") ? quantity : 0.0;
    case LotDocumentKind::Problem:
        return 0.0;
    }
    return 0.0;
}

QDate lotDocumentDate(const QString& text)
{
    // The form the windows write ("2018-3-5", ASCII digits and hyphens) is read by hand; any
    // other form goes through the pattern.
    qsizetype at = 0;
    const auto number = [&text, &at](int most) {
        int value = 0;
        const qsizetype first = at;
        while (at < text.size() && at - first < most && text.at(at) >= QLatin1Char('0') &&
               text.at(at) <= QLatin1Char('9'))
            value = value * 10 + (text.at(at++).unicode() - '0');
        return at > first ? value : -1;
    };
    const auto hyphen = [&text, &at] {
        return at < text.size() && text.at(at++) == QLatin1Char('-');
    };
    const int year = number(4);
    if (year >= 0 && hyphen()) {
        const int month = number(2);
        if (month >= 0 && hyphen()) {
            const int day = number(2);
            if (day >= 0 && (at == text.size() || !text.at(at).isDigit()))
                return QDate(year, month, day);
        }
    }

    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,4})\\s*[-/年]\\s*(\\d{1,2})\\s*[-/月]\\s*(\\d{1,2})(?!\\d)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

bool lotDocumentBefore(const LotDocument& a, const LotDocument& b)
{
    const QDate dateA = lotDocumentDate(a.dateText);
    const QDate dateB = lotDocumentDate(b.dateText);
    if (dateA.isValid() != dateB.isValid())
        return dateA.isValid();
    if (dateA != dateB)
        return dateA < dateB;
    return sameDayBefore(a, numberDigits(a.number), b, numberDigits(b.number));
}

QString lotEffectText(double effect)
{
    const QString text = quantityText(effect);
    if (effect > 0 && text != QStringLiteral("0"))
        return QStringLiteral("+") + text;
    return text;
}

LotHistory LotHistory::load(Database& db, const QString& lot)
{
    std::optional<double> stock;
    Product product;
    const int handle =
        db.OpenTable(QStringLiteral("select * from 总数据库模块 where 入库单号=? "), {lot});
    if (handle != 0) {
        if (!db.IsEOF(handle)) {
            stock = quantityOf(db.ReadColByName(handle, QStringLiteral("产品库存")));
            product = {db.readDisplay(handle, QStringLiteral("产品ID")),
                       db.readDisplay(handle, QStringLiteral("产品名称")),
                       db.readDisplay(handle, QStringLiteral("产品单位"))};
        }
        db.CloseTable(handle);
    }

    // A lot whose stock row was deleted still shows its product, from its documents (the
    // stock-in's table is read first).
    std::vector<LotDocument> documents;
    for (const DocumentTable& source : kDocumentTables) {
        LotHistory::Product documentProduct;
        readDocuments(db, source, lot, documents, documentProduct);
        if (!stock && product.name.isEmpty() && product.id.isEmpty())
            product = documentProduct;
    }
    return LotHistory(lot, std::move(documents), stock, product);
}

LotHistory::LotHistory(QString lot, std::vector<LotDocument> documents, std::optional<double> stock,
                       Product product)
    : mLot(std::move(lot)), mDocuments(std::move(documents)), mStock(stock),
      mProduct(std::move(product))
{
    // Each date is read once, not at every comparison.
    // Each date and each number's digits are read once, not at every comparison.
    struct Keyed {
        QDate date;
        QStringView digits;
        LotDocument* document;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(mDocuments.size());
    for (LotDocument& document : mDocuments)
        keyed.push_back(
            {lotDocumentDate(document.dateText), numberDigits(document.number), &document});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.date.isValid() != b.date.isValid())
            return a.date.isValid();
        if (a.date != b.date)
            return a.date < b.date;
        return sameDayBefore(*a.document, a.digits, *b.document, b.digits);
    });
    std::vector<LotDocument> ordered;
    ordered.reserve(mDocuments.size());
    double balance = 0;
    for (const Keyed& entry : keyed) {
        LotDocument& document = *entry.document;
        document.effect =
            lotDocumentEffect(document.kind, document.quantity, document.resaleChoice);
        balance += document.effect;
        document.balance = balance;
        ordered.push_back(std::move(document));
    }
    mDocuments = std::move(ordered);
}

double LotHistory::ledgerStock() const
{
    return mDocuments.empty() ? 0.0 : mDocuments.back().balance;
}

bool LotHistory::isBalanced() const
{
    return !(std::abs(ledgerStock() - stock()) > kQuantityTolerance);
}

QString LotHistory::statusText() const
{
    if (!isBalanced())
        return QStringLiteral("账实不符：台账 %1，库存 %2")
            .arg(quantityText(ledgerStock()), quantityText(stock()));
    return QStringLiteral("共有 %1 条记录，当前库存 %2")
        .arg(QString::number(mDocuments.size()), quantityText(stock()));
}

QList<ReportColumn> LotHistory::listColumns()
{
    return numberedColumns({
        {QStringLiteral("类别"), 50, Qt::AlignHCenter},
        {QStringLiteral("单号"), 130},
        {QStringLiteral("日期"), 90},
        {QStringLiteral("数量"), 70, Qt::AlignRight},
        {QStringLiteral("影响"), 70, Qt::AlignRight},
        {QStringLiteral("经手人"), 90},
        {QStringLiteral("备注"), 140},
        {QStringLiteral("结存"), 80, Qt::AlignRight},
    });
}

ReportRows LotHistory::packedListRows() const
{
    ReportRows rows;
    int position = 1;
    for (const LotDocument& document : mDocuments) {
        rows.beginRow();
        rows.addCell(QString::number(position++));
        rows.addCell(lotDocumentKindText(document.kind));
        rows.addCell(document.number);
        rows.addCell(document.dateText);
        rows.addCell(document.quantityText);
        rows.addCell(lotEffectText(document.effect));
        rows.addCell(document.person);
        rows.addCell(document.remark);
        rows.addCell(quantityText(document.balance));
    }
    return rows;
}

std::vector<QStringList> LotHistory::listRows() const
{
    const ReportRows packed = packedListRows();
    std::vector<QStringList> rows;
    rows.reserve(std::size_t(packed.rowCount()));
    for (int r = 0; r < packed.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < packed.cellCount(r); ++c)
            row.append(packed.cell(r, c));
        rows.push_back(row);
    }
    return rows;
}
