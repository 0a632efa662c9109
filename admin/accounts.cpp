// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/accounts.h"

#include "core/passworddigest.h"
#include "storage/database.h"

RegistrationRefusal checkRegistration(const QString& user, const QString& password,
                                      const QString& repeatedPassword)
{
    // Not trimmed: a name of blanks is a name.
    if (user.isEmpty())
        return RegistrationRefusal::NameEmpty;
    if (password.isEmpty())
        return RegistrationRefusal::PasswordEmpty;
    if (password != repeatedPassword)
        return RegistrationRefusal::PasswordsDiffer;
    return RegistrationRefusal::None;
}

QString registrationRefusalText(RegistrationRefusal refusal)
{
    switch (refusal) {
    case RegistrationRefusal::None:
        return {};
    case RegistrationRefusal::NameEmpty:
        return QStringLiteral("用户名不能为空");
    case RegistrationRefusal::PasswordEmpty:
        return QStringLiteral("密码不能为空");
    case RegistrationRefusal::PasswordsDiffer:
        return QStringLiteral("两次密码输入不一致请重新输入");
    }
    return {};
}

bool registerAccount(Database& db, const QString& user, const QString& password)
{
    return db.ExecuteSql(QStringLiteral("insert into 用户登录模块(用户名,密码)values(?,?)"),
                         {user, passwordDigest(password)}) != 0;
}

QStringList accountNames(Database& db)
{
    QStringList names;
    const int handle = db.OpenTable(QStringLiteral("select *from 用户登录模块"));
    if (handle == 0)
        return names;
    for (; !db.IsEOF(handle); db.MoveNext(handle))
        names.append(db.readText(handle, QStringLiteral("用户名")));
    db.CloseTable(handle);
    return names;
}

bool changePassword(Database& db, const QString& user, const QString& newPassword)
{
    return db.ExecuteSql(QStringLiteral("update 用户登录模块 set 密码=? where 用户名=? "),
                         {passwordDigest(newPassword), user}) != 0;
}

bool deleteAccount(Database& db, const QString& user)
{
    return db.ExecuteSql(QStringLiteral("delete * from 用户登录模块 where 用户名=? "), {user}) != 0;
}
