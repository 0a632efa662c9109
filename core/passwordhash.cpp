// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/passwordhash.h"

#include "core/passworddigest.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <sodium.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <future>

namespace
{

// The few libsodium functions the passwords need, found in libsodium.so.23 when first wanted.
// Linked, the library would be loaded at every start of the program, also by the operators who
// never log in.
struct Sodium {
    using Init = int (*)();
    using HashString = int (*)(char*, const char*, unsigned long long, unsigned long long,
                               std::size_t);
    using VerifyString = int (*)(const char*, const char*, unsigned long long);

    HashString hash = nullptr;
    VerifyString verify = nullptr;

    bool loaded() const { return hash && verify; }
};

const Sodium& sodium()
{
    static const Sodium library = [] {
        Sodium found;
        void* handle = dlopen("libsodium.so.23", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return found;
        const auto init = reinterpret_cast<Sodium::Init>(dlsym(handle, "sodium_init"));
        // 1: already initialised; -1: failure.
        if (!init || init() < 0)
            return found;
        found.hash = reinterpret_cast<Sodium::HashString>(dlsym(handle, "crypto_pwhash_str"));
        found.verify =
            reinterpret_cast<Sodium::VerifyString>(dlsym(handle, "crypto_pwhash_str_verify"));
        return found;
    }();
    return library;
}

std::atomic<unsigned long long> gOperations{0};
std::atomic<std::size_t> gMemoryBytes{0};

// Runs the work; on the user-interface thread, on a worker thread while events other than the
// operator's input are handled, so that the windows draw and timers run meanwhile.
template <typename Result> Result runKeepingWindowsDrawn(std::function<Result()> work)
{
    const QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread())
        return work();
    std::future<Result> result = std::async(std::launch::async, std::move(work));
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return result.get();
}

bool constantTimeEqual(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

QString hashPassword(const QString& password)
{
    const QByteArray bytes = password.toUtf8();
    const unsigned long long operations = gOperations.load();
    const std::size_t memory = gMemoryBytes.load();
    return runKeepingWindowsDrawn<QString>([bytes, operations, memory] {
        const Sodium& library = sodium();
        if (!library.loaded())
            return QString();
        char hashed[crypto_pwhash_STRBYTES] = {};
        if (library.hash(hashed, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                         operations ? operations : crypto_pwhash_OPSLIMIT_INTERACTIVE,
                         memory ? memory : crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
            return QString();
        return QString::fromLatin1(hashed);
    });
}

bool isLegacyDigest(const QString& stored)
{
    if (stored.size() != 32)
        return false;
    for (const QChar c : stored) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('F'))))
            return false;
    }
    return true;
}

PasswordCheck checkPassword(const QString& stored, const QString& password)
{
    if (isLegacyDigest(stored)) {
        return constantTimeEqual(passwordDigest(password).toLatin1(), stored.toLower().toLatin1())
                   ? PasswordCheck::MatchesLegacy
                   : PasswordCheck::Wrong;
    }
    const QByteArray hashed = stored.toLatin1();
    if (!stored.startsWith(QLatin1String("$argon2")) || hashed.size() >= crypto_pwhash_STRBYTES)
        return PasswordCheck::Wrong;
    const QByteArray bytes = password.toUtf8();
    const bool matches = runKeepingWindowsDrawn<bool>([hashed, bytes] {
        const Sodium& library = sodium();
        if (!library.loaded())
            return false;
        // libsodium reads a buffer of its full string size.
        char buffer[crypto_pwhash_STRBYTES] = {};
        std::memcpy(buffer, hashed.constData(), std::size_t(hashed.size()));
        return library.verify(buffer, bytes.constData(),
                              static_cast<unsigned long long>(bytes.size())) == 0;
    });
    return matches ? PasswordCheck::Matches : PasswordCheck::Wrong;
}

void setPasswordHashCostForTests(unsigned long long operations, std::size_t memoryBytes)
{
    gOperations = operations;
    gMemoryBytes = memoryBytes;
}
