// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/login.h"

#include "core/passworddigest.h"
#include "core/passwordhash.h"
#include "storage/database.h"

#include <QStringList>

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

namespace
{

// The stored password of every row with the name (the name's letter case aside, one at most).
QStringList storedPasswords(Database& db, const QString& user)
{
    QStringList stored;
    const int handle =
        db.OpenTable(QStringLiteral("select 密码 from 用户登录模块 where 用户名=? "), {user});
    if (handle == 0)
        return stored;
    for (; !db.IsEOF(handle); db.MoveNext(handle))
        stored.append(db.readText(handle, QStringLiteral("密码")));
    db.CloseTable(handle);
    return stored;
}

// The check of every row; with upgrade, a matching legacy digest is replaced by a hash.
bool checkAccount(Database& db, const QString& user, const QString& password, bool upgrade)
{
    for (const QString& stored : storedPasswords(db, user)) {
        const PasswordCheck check = checkPassword(stored, password);
        if (check == PasswordCheck::Wrong)
            continue;
        if (check == PasswordCheck::MatchesLegacy && upgrade) {
            const QString hashed = hashPassword(password);
            // Only the row that still holds the digest just checked.
            if (!hashed.isEmpty())
                db.ExecuteSql(
                    QStringLiteral("update 用户登录模块 set 密码=? where 用户名=? and 密码=? "),
                    {hashed, user, stored});
        }
        return true;
    }
    return false;
}

} // namespace

bool accountMatches(Database& db, const QString& user, const QString& password)
{
    return checkAccount(db, user, password, false);
}

bool logInAccount(Database& db, const QString& user, const QString& password)
{
    return checkAccount(db, user, password, true);
}
