// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstddef>

// The passwords kept in 用户登录模块.密码: salted, slow Argon2id strings of libsodium
// ("$argon2id$v=19$m=65536,t=2,p=1$salt$hash"), which carry their own salt and cost. Databases
// made by earlier versions hold 32-digit MD5 digests instead; such a digest still logs in once.
//
// libsodium is loaded when a password is first hashed or checked, not at start-up. Hashing costs
// about a tenth of a second and 64 MiB: called on the user-interface thread, the work runs on a
// worker thread while the windows go on drawing (typed keys and clicks wait until it is done).

// The Argon2id string of the password at libsodium's interactive limits; empty when libsodium
// cannot be loaded or has no memory for it.
QString hashPassword(const QString& password);

// Whether a stored password is a legacy MD5 digest: 32 hexadecimal digits.
bool isLegacyDigest(const QString& stored);

enum class PasswordCheck {
    Wrong,         // no match (also an empty, unknown or damaged stored value)
    Matches,       // an Argon2id string that matches
    MatchesLegacy, // a legacy digest that matches: to be replaced by a hash
};
PasswordCheck checkPassword(const QString& stored, const QString& password);

// Tests only: hash with these (cheaper) limits instead of the interactive ones; 0, 0 restores the
// interactive limits. Checking always uses the limits written in the stored string.
void setPasswordHashCostForTests(unsigned long long operations, std::size_t memoryBytes);
