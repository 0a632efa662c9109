// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/accountwindow.h"

#include "admin/accounts.h"
#include "core/context.h"
#include "core/passworddigest.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/keyboard.h"
#include "ui/ownedwindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace
{

const QString kNoticeTitle = QStringLiteral("提示");

QGroupBox* addGroup(QWidget* parent, const QString& name, const QString& title, const QRect& rect)
{
    return placeControl(new QGroupBox(title, parent), name, rect);
}

QLineEdit* addPasswordBox(QWidget* parent, const QString& name, const QRect& rect)
{
    QLineEdit* box = addEditBox(parent, name, rect);
    box->setEchoMode(QLineEdit::Password);
    // Each typed character shows as "*", whatever the platform's own masking character.
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    return box;
}

} // namespace

AccountWindow::AccountWindow(AppContext& context, QWidget* loginWindow)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context),
      mLoginWindow(loginWindow)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("账号管理页面"));
    placeWindow(this, 50, 50, 370, 435);

    // The controls of each group are placed inside their group box.
    QGroupBox* registration = addGroup(this, QStringLiteral("分组框1"), QStringLiteral("注册账号"),
                                       QRect(24, 13, 320, 168));
    mUserBox = addEditBox(registration, QStringLiteral("编辑框_用户名"), QRect(133, 19, 104, 24));
    mPasswordBox =
        addPasswordBox(registration, QStringLiteral("编辑框_密码1"), QRect(133, 51, 104, 24));
    mRepeatedPasswordBox =
        addPasswordBox(registration, QStringLiteral("编辑框_密码2"), QRect(133, 83, 104, 24));
    addCaptionLabel(registration, QStringLiteral("透明标签1"), QStringLiteral("用户名："),
                    QRect(64, 19, 64, 24), mUserBox);
    addCaptionLabel(registration, QStringLiteral("透明标签2"), QStringLiteral("密  码："),
                    QRect(64, 51, 64, 24), mPasswordBox);
    addCaptionLabel(registration, QStringLiteral("透明标签3"), QStringLiteral("密  码："),
                    QRect(64, 83, 64, 24), mRepeatedPasswordBox);
    QPushButton* registerButton = addCommandButton(registration, QStringLiteral("按钮_注册"),
                                                   QStringLiteral("注册"), QRect(122, 120, 72, 27));

    QGroupBox* accounts = addGroup(this, QStringLiteral("分组框2"),
                                   QStringLiteral("修改及删除账号"), QRect(24, 195, 320, 168));
    mAccounts =
        placeControl(new QListWidget(accounts), QStringLiteral("列表框1"), QRect(6, 13, 208, 148));
    QPushButton* listButton = addCommandButton(accounts, QStringLiteral("按钮_显示"),
                                               QStringLiteral("显示账号"), QRect(228, 35, 72, 27));
    QPushButton* passwordButton =
        addCommandButton(accounts, QStringLiteral("按钮_修改密码"), QStringLiteral("修改密码"),
                         QRect(228, 73, 72, 27));
    QPushButton* deleteButton = addCommandButton(
        accounts, QStringLiteral("按钮_删除"), QStringLiteral("删除用户"), QRect(228, 113, 72, 27));

    placeControl(new QLabel(this), QStringLiteral("透明标签_状态"), QRect(1, 379, 360, 21));

    onEnterFocus(mUserBox, mPasswordBox);
    onEnterFocus(mPasswordBox, mRepeatedPasswordBox);
    onEnterFocus(mRepeatedPasswordBox, registerButton);
    onEnter(registerButton, [this] { registerAccount(); });
    connect(registerButton, &QPushButton::clicked, this, &AccountWindow::registerAccount);
    connect(listButton, &QPushButton::clicked, this, &AccountWindow::listAccounts);
    connect(passwordButton, &QPushButton::clicked, this, &AccountWindow::changePassword);
    connect(deleteButton, &QPushButton::clicked, this, &AccountWindow::deleteAccount);
    connect(mAccounts, &QListWidget::currentTextChanged, this,
            [this](const QString& name) { mSelectedName = name; });

    mUserBox->setFocus();
}

AccountWindow::~AccountWindow()
{
    if (mLoginWindow)
        mLoginWindow->close();
}

bool AccountWindow::administratorLoggedIn()
{
    if (mContext.isAdministrator())
        return true;
    mContext.dialogs().message(this,
                               QStringLiteral("为保证数据库安全，必须管理员登录后方可操作！！！"));
    return false;
}

bool AccountWindow::hasSelectedAccount() const
{
    const QListWidgetItem* item = mAccounts->currentItem();
    return item && item->isSelected();
}

void AccountWindow::registerAccount()
{
    if (!administratorLoggedIn())
        return;
    const QString user = mUserBox->text();
    const QString password = mPasswordBox->text();
    const RegistrationRefusal refusal =
        checkRegistration(user, password, mRepeatedPasswordBox->text());
    if (refusal == RegistrationRefusal::NameForbidden ||
        refusal == RegistrationRefusal::PasswordForbidden) {
        // As the login window says it.
        mContext.dialogs().message(this, registrationRefusalText(refusal), kNoticeTitle,
                                   MessageIcon::Information);
        return;
    }
    if (refusal != RegistrationRefusal::None) {
        mContext.dialogs().message(this, registrationRefusalText(refusal));
        return;
    }
    if (!::registerAccount(mContext.database(), user, password)) {
        mContext.dialogs().message(this, QStringLiteral("用户注册失败"), kNoticeTitle);
        return;
    }
    mContext.dialogs().message(this, QStringLiteral("用户注册成功"), kNoticeTitle);
    mUserBox->clear();
    mPasswordBox->clear();
    mRepeatedPasswordBox->clear();
}

void AccountWindow::listAccounts()
{
    if (administratorLoggedIn())
        fillAccountList();
}

void AccountWindow::fillAccountList()
{
    mAccounts->clear();
    mAccounts->addItems(accountNames(mContext.database()));
}

void AccountWindow::changePassword()
{
    if (!administratorLoggedIn())
        return;
    if (!hasSelectedAccount()) {
        mContext.dialogs().message(this, QStringLiteral("请选择要更改密码的账号"), kNoticeTitle);
        return;
    }
    // A cancelled box counts as an empty password.
    const QString password = mContext.dialogs()
                                 .input(this, QStringLiteral("请输入新密码"),
                                        QStringLiteral("修改密码"), QString(), InputMode::Text)
                                 .value_or(QString());
    if (password.isEmpty()) {
        mContext.dialogs().message(this, QStringLiteral("密码不能为空"), kNoticeTitle);
        return;
    }
    if (hasForbiddenCharacter(password)) {
        mContext.dialogs().message(this, QStringLiteral("密码中存在违禁字符"), kNoticeTitle,
                                   MessageIcon::Information);
        return;
    }
    if (!::changePassword(mContext.database(), mSelectedName, password)) {
        mContext.dialogs().message(this, QStringLiteral("密码修改失败"), kNoticeTitle);
        return;
    }
    mContext.dialogs().message(this, QStringLiteral("密码修改成功，新密码为") + password,
                               kNoticeTitle);
}

void AccountWindow::deleteAccount()
{
    if (!administratorLoggedIn() || !hasSelectedAccount())
        return;
    if (isUndeletableAccount(mSelectedName)) {
        mContext.dialogs().message(this, QStringLiteral("admin账号不能删除"), kNoticeTitle);
        return;
    }
    const MessageAnswer answer = mContext.dialogs().message(
        this, QStringLiteral("是否删除该用户？此操作无法恢复!!!"), QStringLiteral("警告"),
        MessageIcon::None, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
        return;
    if (!::deleteAccount(mContext.database(), mSelectedName)) {
        mContext.dialogs().message(this, QStringLiteral("删除用户失败"), kNoticeTitle);
        return;
    }
    fillAccountList();
    mContext.dialogs().message(this, QStringLiteral("删除用户成功"), kNoticeTitle);
}
