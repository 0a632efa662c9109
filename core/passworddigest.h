// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The bytes of a text in the Chinese ANSI code page (GBK, code page 936), as the stored password
// digests were made from. A character GBK cannot hold becomes "?".
QByteArray gbkBytes(const QString& text);
// The same through glibc's iconv, used when Qt is built without ICU and knows no GBK.
QByteArray gbkBytesByIconv(const QString& text);

// The password digest kept in 用户登录模块.密码: MD5 of the GBK bytes of the password, as 32
// lowercase hexadecimal digits.
QString passwordDigest(const QString& password);

// The single and the double quote may appear in neither user names nor passwords.
bool hasForbiddenCharacter(const QString& text);
