// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "importing/sheetdata.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// How the columns of a sheet become stock-ins: the row of column titles, which column gives which
// field of a stock-in, and what is wrong with each data row.

enum class ImportField { Id, Name, Quantity, Unit, Remark };
constexpr int kImportFieldCount = 5;

// The field's title as the stock-in window calls it: "产品ID", "产品名称", "入库数量", "产品单位",
// "备注".
QString importFieldTitle(ImportField field);
// Whether the field must have a value in every row.
bool isRequiredField(ImportField field);

// The field a column title stands for: the program's own titles and the common ones (编码, 条码
// and 货号 the product ID; 名称 and 品名 the name; 数量 and 库存 the quantity; 单位 the unit;
// 备注 and 说明 the remark), letter case and blanks ignored.
std::optional<ImportField> fieldOfTitle(const QString& title);

// The index (into the sheet's rows) of the first row in which at least two cells are known
// titles; -1 when there is none.
int detectTitleRow(const ImportSheet& sheet);

// Column (into the sheet's columns) of each field, -1 for none.
using ColumnMapping = std::array<int, kImportFieldCount>;
// The columns whose titles in the row match the fields; each column serves one field, the first
// column with a field's title wins. With no title row (-1) no column is mapped.
ColumnMapping autoMapping(const ImportSheet& sheet, int titleRow);

// One data row as it will be stored, and what keeps it from being stored.
struct PreviewRow {
    int fileRow = 0;
    std::array<QString, kImportFieldCount> values;
    QString problem; // empty for a row that can be imported
};

struct ImportPreview {
    std::vector<PreviewRow> rows;
    int importable = 0;
    int problems = 0;
    int total() const { return int(rows.size()); }
};

// The rows after the title row (every row when there is none) with their mapped values: texts
// trimmed of blanks; the unit of an unmapped or empty unit column is the default unit, the remark
// of an unmapped remark column "无", as the stock-in window starts. A row without product ID and
// without name is no goods row (a totals or remarks line) and is left out. Problems: an empty
// required value (or its column not chosen), a quantity that is no number or below 1 (fractions
// allowed), a NUL character (the server refuses it), a cell the file marks as an error.
ImportPreview buildPreview(const ImportSheet& sheet, int titleRow, const ColumnMapping& mapping,
                           const QString& defaultUnit);

// "共 N 行，可导入 M 行，有问题 K 行".
QString importStatusText(const ImportPreview& preview);
