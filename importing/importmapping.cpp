// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/importmapping.h"

#include "movements/movementrules.h"

#include <QHash>

#include <cmath>

QString importFieldTitle(ImportField field)
{
    switch (field) {
    case ImportField::Id:
        return QStringLiteral("产品ID");
    case ImportField::Name:
        return QStringLiteral("产品名称");
    case ImportField::Quantity:
        return QStringLiteral("入库数量");
    case ImportField::Unit:
        return QStringLiteral("产品单位");
    case ImportField::Remark:
        return QStringLiteral("备注");
    }
    return {};
}

bool isRequiredField(ImportField field)
{
    return field == ImportField::Id || field == ImportField::Name || field == ImportField::Quantity;
}

namespace
{

// A title without blanks (full-width ones too) and in lower case.
QString titleKey(const QString& title)
{
    QString key;
    key.reserve(title.size());
    for (const QChar c : title) {
        if (!c.isSpace())
            key.append(c.toLower());
    }
    return key;
}

const QHash<QString, ImportField>& knownTitles()
{
    static const QHash<QString, ImportField> titles = [] {
        QHash<QString, ImportField> known;
        const auto add = [&known](ImportField field, std::initializer_list<const char16_t*> names) {
            for (const char16_t* name : names)
                known.insert(titleKey(QString::fromUtf16(name)), field);
        };
        add(ImportField::Id, {u"产品ID", u"ID", u"编码", u"条码", u"货号"});
        add(ImportField::Name, {u"产品名称", u"名称", u"品名"});
        add(ImportField::Quantity, {u"入库数量", u"产品库存", u"数量", u"库存"});
        add(ImportField::Unit, {u"产品单位", u"单位"});
        add(ImportField::Remark, {u"备注", u"说明"});
        return known;
    }();
    return titles;
}

} // namespace

std::optional<ImportField> fieldOfTitle(const QString& title)
{
    const auto found = knownTitles().constFind(titleKey(title));
    if (found == knownTitles().constEnd())
        return std::nullopt;
    return *found;
}

int detectTitleRow(const ImportSheet& sheet)
{
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        int known = 0;
        for (const ImportCell& cell : sheet.rows[r].cells) {
            if (!cell.error && fieldOfTitle(cell.text))
                ++known;
        }
        if (known >= 2)
            return int(r);
    }
    return -1;
}

ColumnMapping autoMapping(const ImportSheet& sheet, int titleRow)
{
    ColumnMapping mapping;
    mapping.fill(-1);
    if (titleRow < 0 || std::size_t(titleRow) >= sheet.rows.size())
        return mapping;
    const ImportRow& titles = sheet.rows[std::size_t(titleRow)];
    for (std::size_t c = 0; c < titles.cells.size(); ++c) {
        if (titles.cells[c].error)
            continue;
        if (const std::optional<ImportField> field = fieldOfTitle(titles.cells[c].text)) {
            int& column = mapping[std::size_t(*field)];
            if (column < 0)
                column = int(c);
        }
    }
    return mapping;
}

ImportPreview buildPreview(const ImportSheet& sheet, int titleRow, const ColumnMapping& mapping,
                           const QString& defaultUnit)
{
    ImportPreview preview;
    preview.rows.reserve(sheet.rows.size());
    const QString separator = QStringLiteral("；");
    for (std::size_t r = std::size_t(titleRow + 1); r < sheet.rows.size(); ++r) {
        const ImportRow& row = sheet.rows[r];
        PreviewRow result;
        result.fileRow = row.fileRow;
        QStringList problems;
        for (int f = 0; f < kImportFieldCount; ++f) {
            const auto field = ImportField(f);
            const ImportCell* cell = row.cell(mapping[std::size_t(f)]);
            QString& value = result.values[std::size_t(f)];
            if (cell) {
                value = cell->text.trimmed();
                if (cell->error)
                    problems.append(QStringLiteral("%1单元格错误（%2）")
                                        .arg(importFieldTitle(field), cell->text));
            }
            if (field == ImportField::Unit && value.isEmpty())
                value = defaultUnit;
            if (field == ImportField::Remark && mapping[std::size_t(f)] < 0)
                value = QStringLiteral("无");
        }
        const QString& id = result.values[std::size_t(ImportField::Id)];
        const QString& name = result.values[std::size_t(ImportField::Name)];
        if (id.isEmpty() && name.isEmpty())
            continue;

        for (int f = 0; f < kImportFieldCount; ++f) {
            const auto field = ImportField(f);
            const QString& value = result.values[std::size_t(f)];
            if (isRequiredField(field) && value.isEmpty())
                problems.append(importFieldTitle(field) + QStringLiteral("为空"));
            else if (value.contains(QChar(0)))
                problems.append(importFieldTitle(field) + QStringLiteral("含有空字符"));
        }
        const QString& quantity = result.values[std::size_t(ImportField::Quantity)];
        if (!quantity.isEmpty() && !row.cell(mapping[std::size_t(ImportField::Quantity)])->error) {
            bool ok = false;
            const double value = quantity.toDouble(&ok);
            if (!ok || !std::isfinite(value))
                problems.append(QStringLiteral("入库数量不是数字"));
            else if (value <= 0)
                problems.append(QStringLiteral("入库数量不是正数"));
            else if (!isAcceptedQuantity(value))
                problems.append(QStringLiteral("入库数量小于 1"));
        }
        problems.removeDuplicates();
        result.problem = problems.join(separator);
        if (result.problem.isEmpty())
            ++preview.importable;
        else
            ++preview.problems;
        preview.rows.push_back(std::move(result));
    }
    return preview;
}

QString importStatusText(const ImportPreview& preview)
{
    return QStringLiteral("共 %1 行，可导入 %2 行，有问题 %3 行")
        .arg(preview.total())
        .arg(preview.importable)
        .arg(preview.problems);
}
