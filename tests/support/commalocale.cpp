// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/commalocale.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <clocale>
#include <cstring>

namespace
{

constexpr const char* kCandidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};

bool decimalPointIsComma()
{
    const std::lconv* conventions = std::localeconv();
    return conventions && std::strcmp(conventions->decimal_point, ",") == 0;
}

} // namespace

CommaDecimalLocale::CommaDecimalLocale()
    : mPreviousLocale(std::setlocale(LC_ALL, nullptr)), mPreviousQtLocale(QLocale())
{
    if (qEnvironmentVariableIsSet("LOCPATH"))
        mPreviousLocPath = qgetenv("LOCPATH");
    mActive = trySystemLocales();
    if (!mActive && mBuilt.isValid()) {
        // Not installed: build de_DE.UTF-8 from the locale sources and point the C library at it.
        const QString target = QDir(mBuilt.path()).filePath(QStringLiteral("de_DE.UTF-8"));
        QProcess localedef;
        localedef.start(QStringLiteral("localedef"),
                        {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                         QStringLiteral("UTF-8"), target});
        if (localedef.waitForFinished(60000) && localedef.exitStatus() == QProcess::NormalExit &&
            localedef.exitCode() == 0) {
            qputenv("LOCPATH", QFile::encodeName(mBuilt.path()));
            mActive = std::setlocale(LC_ALL, "de_DE.UTF-8") && decimalPointIsComma();
        }
    }
    if (mActive)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

CommaDecimalLocale::~CommaDecimalLocale()
{
    std::setlocale(LC_ALL, mPreviousLocale.c_str());
    if (mPreviousLocPath)
        qputenv("LOCPATH", *mPreviousLocPath);
    else
        qunsetenv("LOCPATH");
    QLocale::setDefault(mPreviousQtLocale);
}

bool CommaDecimalLocale::trySystemLocales()
{
    for (const char* name : kCandidates) {
        if (std::setlocale(LC_ALL, name) && decimalPointIsComma())
            return true;
    }
    std::setlocale(LC_ALL, mPreviousLocale.c_str());
    return false;
}
