// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class AppContext;
class QComboBox;
class QLineEdit;

// "公式设置": defines one computed column of the current print, a name and a formula over the
// printed columns. Accepted only with both filled in; the settings window then adds the column.
class FormulaWindow : public QDialog
{
    Q_OBJECT
public:
    // The columns offered for references are the checked columns of the print.
    FormulaWindow(AppContext& context, const QStringList& printedColumns, QWidget* parent);

    QString columnName() const;
    QString formula() const;

private:
    void appendReference(int index);
    void confirm();

    AppContext& mContext;
    QLineEdit* mNameBox = nullptr;
    QComboBox* mColumns = nullptr;
    QLineEdit* mFormulaBox = nullptr;
};
