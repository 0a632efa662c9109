// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/inputbox.h"

#include "ui/keyboard.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

InputBox::InputBox(const InputRequest& request) : QDialog(request.owner)
{
    setWindowTitle(request.title);
    setWindowModality(Qt::ApplicationModal);
    setSizeGripEnabled(false);

    QString prompt = request.prompt;
    prompt.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    mPrompt = new QLabel(prompt, this);
    mPrompt->setTextFormat(Qt::PlainText);
    mPrompt->setWordWrap(true);
    mPrompt->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for three lines of prompt, so that the box keeps its size whatever the prompt.
    mPrompt->setMinimumHeight(mPrompt->fontMetrics().lineSpacing() * 3);

    mConfirm = new QPushButton(QStringLiteral("确认输入(&O)"), this);
    mConfirm->setDefault(true);
    mCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    connect(mConfirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(mCancel, &QPushButton::clicked, this, &QDialog::reject);

    mEdit = new QLineEdit(request.initialText, this);
    switch (request.mode) {
    case InputMode::Text:
        break;
    case InputMode::Integer:
        installIntegerFilter(mEdit);
        break;
    case InputMode::Password:
        mEdit->setEchoMode(QLineEdit::Password);
        break;
    case InputMode::Scan:
        takeScannerInput(mEdit);
        break;
    }

    // The prompt at the top left, the two buttons in a column on its right, the edit box
    // across the bottom.
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(mConfirm);
    buttons->addWidget(mCancel);
    buttons->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(mPrompt, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->addWidget(mEdit, 1, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // About twenty-two Chinese characters to a prompt line.
    mPrompt->setFixedWidth(mPrompt->fontMetrics().horizontalAdvance(QStringLiteral("汉")) * 22);

    setTabOrder(mEdit, mConfirm);
    setTabOrder(mConfirm, mCancel);
    mEdit->selectAll();
    mEdit->setFocus(Qt::OtherFocusReason);
}

QString InputBox::text() const
{
    return mEdit->text();
}
