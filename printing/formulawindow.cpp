// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/formulawindow.h"

#include "core/context.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FormulaWindow::FormulaWindow(AppContext& context, const QStringList& printedColumns,
                             QWidget* parent)
    : QDialog(parent), mContext(context)
{
    setWindowTitle(QStringLiteral("公式设置"));
    setWindowModality(Qt::ApplicationModal);
    placeWindow(this, 50, 50, 380, 231);

    mNameBox = addEditBox(this, QStringLiteral("新列名编辑框"), QRect(88, 16, 88, 17));
    mColumns = new QComboBox(this);
    mColumns->setObjectName(QStringLiteral("列内容"));
    mColumns->setGeometry(88, 41, 88, 20);
    mFormulaBox = addEditBox(this, QStringLiteral("公式编辑框"), QRect(88, 67, 264, 31));
    addCaptionLabel(this, QStringLiteral("标签4"), QStringLiteral("新增列名:"),
                    QRect(32, 20, 51, 16), mNameBox);
    addCaptionLabel(this, QStringLiteral("标签1"), QStringLiteral("相关计算列:"),
                    QRect(19, 44, 65, 16), mColumns);
    addCaptionLabel(this, QStringLiteral("标签2"), QStringLiteral("公式:"), QRect(54, 67, 27, 16),
                    mFormulaBox);
    QLabel* operators = addCaptionLabel(
        this, QStringLiteral("标签5"),
        QStringLiteral("运算符号说明：“^”、“+”、“-”、“*”、“/”、括号嵌套"), QRect(56, 108, 294, 23));
    // The full-width quotes make the line wider than its place in most fonts: shrink the
    // lettering until the whole line shows.
    QFont font = operators->font();
    while (font.pointSizeF() > 6 &&
           QFontMetrics(font).horizontalAdvance(operators->text()) > operators->width()) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    operators->setFont(font);
    addCaptionLabel(this, QStringLiteral("标签3"),
                    QStringLiteral("公式样式:[第一列]*12(52+13)/(14-3)-[第三列]"),
                    QRect(57, 135, 264, 16));
    QPushButton* confirmButton = addCommandButton(this, QStringLiteral("确定"),
                                                  QStringLiteral("确定"), QRect(80, 166, 80, 24));
    QPushButton* cancelButton = addCommandButton(this, QStringLiteral("取消"),
                                                 QStringLiteral("取消"), QRect(200, 166, 80, 24));

    // No entry is chosen at first, so that choosing the first one adds its reference too.
    mColumns->addItems(printedColumns);
    mColumns->setCurrentIndex(-1);

    connect(mColumns, &QComboBox::activated, this, &FormulaWindow::appendReference);
    connect(confirmButton, &QPushButton::clicked, this, &FormulaWindow::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    mNameBox->setFocus();
}

QString FormulaWindow::columnName() const
{
    return mNameBox->text();
}

QString FormulaWindow::formula() const
{
    return mFormulaBox->text();
}

void FormulaWindow::appendReference(int index)
{
    if (index < 0)
        return;
    mFormulaBox->setText(mFormulaBox->text() + QLatin1Char('[') + mColumns->itemText(index) +
                         QLatin1Char(']'));
    mFormulaBox->setFocus();
    mFormulaBox->setCursorPosition(int(mFormulaBox->text().size()));
}

void FormulaWindow::confirm()
{
    if (columnName().isEmpty() || formula().isEmpty()) {
        mContext.dialogs().message(this, QStringLiteral("自定义列标题或者公式填写错误！"),
                                   QStringLiteral("提示"), MessageIcon::Error);
        return;
    }
    accept();
}
