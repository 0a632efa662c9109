// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/login.h"

#include "core/passworddigest.h"
#include "storage/database.h"

LoginRefusal checkLoginInput(const QString& user, const QString& password)
{
    if (hasForbiddenCharacter(user))
        return LoginRefusal::NameForbidden;
    if (hasForbiddenCharacter(password))
        return LoginRefusal::PasswordForbidden;
    if (user.isEmpty())
        return LoginRefusal::NameEmpty;
    if (password.isEmpty())
        return LoginRefusal::PasswordEmpty;
    return LoginRefusal::None;
}

QString loginRefusalText(LoginRefusal refusal)
{
    switch (refusal) {
    case LoginRefusal::None:
        break;
    case LoginRefusal::NameForbidden:
        return QStringLiteral("用户名中存在违禁字符");
    case LoginRefusal::PasswordForbidden:
        return QStringLiteral("密码中存在违禁字符");
    case LoginRefusal::NameEmpty:
        return QStringLiteral("请输入用户名");
    case LoginRefusal::PasswordEmpty:
        return QStringLiteral("请输入密码");
    }
    return {};
}

bool accountMatches(Database& db, const QString& user, const QString& password)
{
    const int handle =
        db.OpenTable(QStringLiteral("select * from 用户登录模块 where 用户名=? and 密码=? "),
                     {user, passwordDigest(password)});
    if (handle == 0)
        return false;
    const bool found = !db.IsBOF(handle);
    db.CloseTable(handle);
    return found;
}
