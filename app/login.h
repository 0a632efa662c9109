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

// Whether 用户登录模块 holds the user with the digest of this password. A failing query (no
// database, no table) matches nobody.
bool accountMatches(Database& db, const QString& user, const QString& password);
