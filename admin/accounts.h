// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class Database;

// The operator accounts of 用户登录模块: a user name and the Argon2id hash of its password. Names
// and passwords are bound as parameters, so any typed text reaches the database unchanged.

// Why a registration is refused before anything is written, in the order the checks run. A quote
// is refused as the login window refuses it: such an account could never log in.
enum class RegistrationRefusal {
    None,
    NameForbidden,
    PasswordForbidden,
    NameEmpty,
    PasswordEmpty,
    PasswordsDiffer
};
RegistrationRefusal checkRegistration(const QString& user, const QString& password,
                                      const QString& repeatedPassword);
// The message the operator sees for a refusal (empty for None).
QString registrationRefusalText(RegistrationRefusal refusal);

// Adds the account with the hash of the password; false when the database refuses it (a name
// already registered, whatever its letter case) or the password cannot be hashed.
bool registerAccount(Database& db, const QString& user, const QString& password);
// Every user name, in the order the database returns them (none when the query fails).
QStringList accountNames(Database& db);
// Stores the hash of the new password for the account. False when nothing was changed: no such
// account (deleted meanwhile at another workstation), or a failure.
bool changePassword(Database& db, const QString& user, const QString& newPassword);
// The account without which nobody could reach the administrator's functions again.
bool isUndeletableAccount(const QString& user);
// Deletes the account. False when nothing was deleted: no such account, the administrator's own
// account, or a failure.
bool deleteAccount(Database& db, const QString& user);
