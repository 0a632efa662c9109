// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/replacementfile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The user's umask, read without changing it where the system tells it.
mode_t userUmask()
{
#ifndef Q_OS_WIN
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line; !(line = status.readLine()).isEmpty();) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
#else
    return 0;
#endif
}

} // namespace

bool flushFileToDisk(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

bool flushFolderToDisk(const QString& folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder); // a rename is written through by the file system itself
    return true;
#else
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
#endif
}

bool renameReplacing(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(nativePath(from), nativePath(to), error);
    return !error;
}

ReplacementFile::ReplacementFile(const QString& target, FileAccess access)
    : mTarget(target), mAccess(access),
      mFile(std::make_unique<QTemporaryFile>(target + QStringLiteral(".XXXXXX")))
{
    // QTemporaryFile creates the file with O_CREAT | O_EXCL and mode 0600, and keeps it open.
    if (!mFile->open())
        mFile.reset();
}

ReplacementFile::~ReplacementFile() = default;

bool ReplacementFile::isValid() const
{
    return mFile != nullptr;
}

QFile* ReplacementFile::file() const
{
    return mFile.get();
}

QString ReplacementFile::path() const
{
    return mFile ? mFile->fileName() : QString();
}

bool ReplacementFile::commit()
{
    return finish(true);
}

bool ReplacementFile::commitWithoutReplacing()
{
    return finish(false);
}

bool ReplacementFile::finish(bool replacing)
{
    if (!mFile || mCommitted || !mFile->flush() || mFile->error() != QFileDevice::NoError)
        return false;
    const QString path = mFile->fileName();
#ifndef Q_OS_WIN
    mode_t mode = 0600;
    if (mAccess == FileAccess::AsDocuments) {
        struct stat old = {};
        mode = ::stat(QFile::encodeName(mTarget).constData(), &old) == 0 ? (old.st_mode & 07777)
                                                                         : (0666 & ~userUmask());
    }
    if (::fchmod(mFile->handle(), mode) != 0 || ::fsync(mFile->handle()) != 0)
        return false;
#else
    if (_commit(mFile->handle()) != 0)
        return false;
#endif
    if (replacing ? !renameReplacing(path, mTarget) : !QFile::rename(path, mTarget))
        return false;
    mCommitted = true;
    mFile->setAutoRemove(false);
    mFile->close();
    // The rename itself reaches the disk with the folder; the new content is already there.
    flushFolderToDisk(QFileInfo(mTarget).absolutePath());
    return true;
}
