// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class Database;

// The operator accounts of 用户登录模块: a user name and the digest of its password. Names and
// passwords are bound as parameters, so any typed text reaches the database unchanged.

// Why a registration is refused before anything is written, in the order the checks run.
enum class RegistrationRefusal { None, NameEmpty, PasswordEmpty, PasswordsDiffer };
RegistrationRefusal checkRegistration(const QString& user, const QString& password,
                                      const QString& repeatedPassword);
// The message the operator sees for a refusal (empty for None).
QString registrationRefusalText(RegistrationRefusal refusal);

// Adds the account with the digest of the password; false when the database refuses it (a name
// already registered, whatever its letter case).
bool registerAccount(Database& db, const QString& user, const QString& password);
// Every user name, in the order the database returns them (none when the query fails).
QStringList accountNames(Database& db);
// Stores the digest of the new password for the account.
bool changePassword(Database& db, const QString& user, const QString& newPassword);
bool deleteAccount(Database& db, const QString& user);
