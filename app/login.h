// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class Database;

// Why the typed name and password are refused before the account is looked up, in the order
// the checks run: a quote in the name, a quote in the password, no name, no password.
enum class LoginRefusal { None, NameForbidden, PasswordForbidden, NameEmpty, PasswordEmpty };

LoginRefusal checkLoginInput(const QString& user, const QString& password);
// The message the operator sees for a refusal (empty for None).
QString loginRefusalText(LoginRefusal refusal);

// Whether 用户登录模块 holds the user with this password: the account's row is read by its name
// and the stored hash (or legacy digest) is checked here, never in the SQL text. Changes nothing.
// A failing query (no database, no table) matches nobody.
bool accountMatches(Database& db, const QString& user, const QString& password);

// The login's check: as accountMatches, and an account that still holds a legacy MD5 digest gets
// the Argon2id hash of the password in its place (when that cannot be written the login still
// succeeds, and the digest is replaced at a later login).
bool logInAccount(Database& db, const QString& user, const QString& password);
