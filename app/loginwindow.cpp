// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/loginwindow.h"

#include "admin/windows.h"
#include "app/login.h"
#include "core/clock.h"
#include "core/context.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/keyboard.h"
#include "ui/ownedwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

LoginWindow::LoginWindow(AppContext& context)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("用户登录"));
    placeWindow(this, 50, 50, 341, 227);

    QLabel* userLabel = addCaptionLabel(this, QStringLiteral("透明标签1"), QStringLiteral("用户名"),
                                        QRect(58, 56, 54, 20));
    mUserBox = addEditBox(this, QStringLiteral("编辑框_用户名"), QRect(132, 56, 120, 20));
    QLabel* passwordLabel = addCaptionLabel(this, QStringLiteral("透明标签2"),
                                            QStringLiteral("密  码"), QRect(58, 98, 54, 20));
    mPasswordBox = addEditBox(this, QStringLiteral("编辑框_密码"), QRect(132, 98, 120, 20));
    mPasswordBox->setEchoMode(QLineEdit::Password);
    // Each typed character shows as "*", whatever the platform's own masking character.
    mPasswordBox->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    userLabel->setBuddy(mUserBox);
    passwordLabel->setBuddy(mPasswordBox);

    QPushButton* logInButton = addCommandButton(this, QStringLiteral("按钮_登录"),
                                                QStringLiteral("登录"), QRect(45, 144, 64, 26));
    QPushButton* settingsButton = addCommandButton(
        this, QStringLiteral("按钮_用户设置"), QStringLiteral("用户设置"), QRect(133, 144, 64, 26));
    QPushButton* logOutButton = addCommandButton(this, QStringLiteral("按钮_注销"),
                                                 QStringLiteral("注销"), QRect(221, 144, 64, 26));
    connect(logInButton, &QPushButton::clicked, this, &LoginWindow::logIn);
    connect(settingsButton, &QPushButton::clicked, this, &LoginWindow::openUserSettings);
    connect(logOutButton, &QPushButton::clicked, this, &LoginWindow::logOut);

    onEnterFocus(mUserBox, mPasswordBox);
    onEnter(mPasswordBox, [this] { logIn(); });
    mUserBox->setFocus();
}

void LoginWindow::logIn()
{
    const QString user = mUserBox->text();
    const QString password = mPasswordBox->text();
    const QString title = QStringLiteral("提示");
    const LoginRefusal refusal = checkLoginInput(user, password);
    if (refusal != LoginRefusal::None) {
        mContext.dialogs().message(this, loginRefusalText(refusal), title,
                                   MessageIcon::Information);
        if (refusal == LoginRefusal::NameEmpty)
            mUserBox->setFocus();
        else if (refusal == LoginRefusal::PasswordEmpty)
            mPasswordBox->setFocus();
        return;
    }
    // Too many failures for the name lately: refused without looking at the password.
    LoginThrottle& throttle = mContext.loginThrottle();
    if (throttle.isRefused(user, mContext.clock().now())) {
        mContext.dialogs().message(this, QStringLiteral("登录失败次数过多，请稍后再试"), title,
                                   MessageIcon::Information);
        return;
    }
    if (!logInAccount(mContext.database(), user, password)) {
        throttle.noteFailure(user, mContext.clock().now());
        mContext.dialogs().message(this, QStringLiteral("用户名或密码不正确"), title,
                                   MessageIcon::Information);
        return;
    }
    throttle.noteSuccess(user);
    mContext.dialogs().message(this, QStringLiteral("登录成功"), title, MessageIcon::Information);
    // The main window answers the new session user: title, stock list, database, delete button.
    mContext.setSessionUser(user);
    close();
}

void LoginWindow::logOut()
{
    mContext.setSessionUser(QString());
}

void LoginWindow::openUserSettings()
{
    if (!mContext.isAdministrator()) {
        mContext.dialogs().message(
            this, QStringLiteral("为保证数据库安全，必须管理员登录后方可操作！！！"));
        return;
    }
    openAccountWindow(mContext, this);
}
