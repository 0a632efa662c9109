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

    void registerAccount();
    void listAccounts();
    void changePassword();
    void deleteAccount();

private:
    bool hasSelectedAccount() const;

    AppContext& mContext;
    QPointer<QWidget> mLoginWindow;
    QLineEdit* mUserBox = nullptr;
    QLineEdit* mPasswordBox = nullptr;
    QLineEdit* mRepeatedPasswordBox = nullptr;
    QListWidget* mAccounts = nullptr;
    // The name of the account last made current in the list.
    QString mSelectedName;
};
