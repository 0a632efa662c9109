// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/pagejumpdialog.h"

#include "ui/dialogservice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

int pageJumpTarget(const QString& typed, int pageCount)
{
    const qint64 page = leadingInteger(typed.trimmed());
    return int(std::clamp<qint64>(page, 1, std::max(1, pageCount)));
}

PageJumpDialog::PageJumpDialog(int pageCount, QWidget* parent)
    : QDialog(parent), mPageCount(std::max(1, pageCount))
{
    setWindowTitle(QStringLiteral("页面跳转:"));
    auto* prompt =
        new QLabel(QStringLiteral("请输入欲跳转到页号(%1-%2):").arg(1).arg(mPageCount), this);
    prompt->setObjectName(QStringLiteral("标签_页号"));
    mPage = new QLineEdit(this);
    mPage->setObjectName(QStringLiteral("编辑框_页号"));
    prompt->setBuddy(mPage);
    auto* confirm = new QPushButton(QStringLiteral("确定(&O)"), this);
    confirm->setObjectName(QStringLiteral("按钮_确定"));
    confirm->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    cancel->setObjectName(QStringLiteral("按钮_取消"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(mPage);
    layout->addLayout(buttons);

    connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    mPage->setFocus();
}

int PageJumpDialog::target() const
{
    return pageJumpTarget(mPage->text(), mPageCount);
}
