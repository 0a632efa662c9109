// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QTemporaryDir>

#include <optional>
#include <string>

// Puts the whole process, the C library and Qt alike, into a locale that writes decimals with a
// comma (German), as on an operator's German desktop, and restores the previous locale when it
// goes. Where the system has no such locale installed, it is built from the system's locale
// sources into a temporary folder. isActive() tells whether a comma locale is in force.
class CommaDecimalLocale
{
public:
    CommaDecimalLocale();
    ~CommaDecimalLocale();
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    bool isActive() const { return mActive; }

private:
    bool trySystemLocales();

    std::string mPreviousLocale;
    std::optional<QByteArray> mPreviousLocPath;
    QLocale mPreviousQtLocale;
    QTemporaryDir mBuilt;
    bool mActive = false;
};
