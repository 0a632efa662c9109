// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class AppContext;
class QLineEdit;
class QListWidget;

// "账号管理页面": the administrator registers operator accounts, lists them, sets a new password
// for one and deletes one. Closing it also closes the login window it was opened from.
class AccountWindow : public QWidget
{
    Q_OBJECT
public:
    AccountWindow(AppContext& context, QWidget* loginWindow);
    ~AccountWindow() override;

    // The actions of the four buttons.
    void registerAccount();
    void listAccounts();
    void changePassword();
    void deleteAccount();

private:
    // The window's actions are the administrator's: after a logout (the login window stays open
    // with it) each of them shows the refusal and does nothing.
    bool administratorLoggedIn();
    bool hasSelectedAccount() const;
    void fillAccountList();

    AppContext& mContext;
    QPointer<QWidget> mLoginWindow;
    QLineEdit* mUserBox = nullptr;
    QLineEdit* mPasswordBox = nullptr;
    QLineEdit* mRepeatedPasswordBox = nullptr;
    QListWidget* mAccounts = nullptr;
    // The name of the account last made current in the list.
    QString mSelectedName;
};
