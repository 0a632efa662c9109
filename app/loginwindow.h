// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppContext;
class QLineEdit;

// The login window "用户登录": logs an operator in or out and leads the administrator to the
// account settings.
class LoginWindow : public QWidget
{
    Q_OBJECT
public:
    explicit LoginWindow(AppContext& context);

    void logIn();
    void logOut();
    void openUserSettings();

private:
    AppContext& mContext;
    QLineEdit* mUserBox = nullptr;
    QLineEdit* mPasswordBox = nullptr;
};
