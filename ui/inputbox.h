// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/dialogservice.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The application's input box: a prompt of up to three lines, one edit box and the buttons
// "确认输入(&O)" and "取消(&C)". In integer mode only digits and "-" can be typed.
class InputBox : public QDialog
{
    Q_OBJECT
public:
    explicit InputBox(const InputRequest& request);

    QString text() const;
    QLineEdit* editBox() const { return mEdit; }
    QPushButton* confirmButton() const { return mConfirm; }
    QPushButton* cancelButton() const { return mCancel; }

private:
    QLabel* mPrompt = nullptr;
    QLineEdit* mEdit = nullptr;
    QPushButton* mConfirm = nullptr;
    QPushButton* mCancel = nullptr;
};
