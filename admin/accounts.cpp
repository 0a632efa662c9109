// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/accounts.h"

#include "core/passworddigest.h"
#include "core/passwordhash.h"
#include "storage/database.h"

RegistrationRefusal checkRegistration(const QString& user, const QString& password,
                                      const QString& repeatedPassword)
{
    if (hasForbiddenCharacter(user))
        return RegistrationRefusal::NameForbidden;
    if (hasForbiddenCharacter(password))
        return RegistrationRefusal::PasswordForbidden;
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
    case RegistrationRefusal::NameForbidden:
        return QStringLiteral("用户名中存在违禁字符");
    case RegistrationRefusal::PasswordForbidden:
        return QStringLiteral("密码中存在违禁字符");
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
    const QString hashed = hashPassword(password);
    if (hashed.isEmpty())
        return false;
    return db.ExecuteSql(QStringLiteral("insert into 用户登录模块(用户名,密码)values(?,?)"),
                         {user, hashed}) != 0;
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

namespace
{

// Runs the statement on the account's row when the row is there, in one transaction with the
// look-up: false when there is no such row (so nothing changed) or a statement fails.
bool changeExistingAccount(Database& db, const QString& user, const QString& sql,
                           const QVariantList& params)
{
    Transaction transaction(db, TransactionMode::Immediate);
    if (!transaction.isActive())
        return false;
    const int handle =
        db.OpenTable(QStringLiteral("select 用户名 from 用户登录模块 where 用户名=? "), {user});
    if (handle == 0)
        return false;
    const bool found = !db.IsEOF(handle);
    db.CloseTable(handle);
    return found && db.ExecuteSql(sql, params) != 0 && transaction.commit();
}

} // namespace

bool changePassword(Database& db, const QString& user, const QString& newPassword)
{
    // Hashed before the transaction: other workstations do not wait for it.
    const QString hashed = hashPassword(newPassword);
    if (hashed.isEmpty())
        return false;
    return changeExistingAccount(
        db, user, QStringLiteral("update 用户登录模块 set 密码=? where 用户名=? "), {hashed, user});
}

bool isUndeletableAccount(const QString& user)
{
    return user == QLatin1String("admin");
}

bool deleteAccount(Database& db, const QString& user)
{
    if (isUndeletableAccount(user))
        return false;
    return changeExistingAccount(
        db, user, QStringLiteral("delete * from 用户登录模块 where 用户名=? "), {user});
}
