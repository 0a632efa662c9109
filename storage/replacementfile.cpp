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
#include <unistd.h>
#endif

namespace
{

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The permissions a new file gets when it replaces nothing: read and write for the owner, read
// for everybody else.
constexpr QFileDevice::Permissions kNewFilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
    QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;

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

ReplacementFile::ReplacementFile(const QString& target)
    : mTarget(target), mFile(std::make_unique<QTemporaryFile>(target + QStringLiteral(".XXXXXX")))
{
    if (mFile->open())
        mFile->close(); // the name stays reserved; writers open it themselves
    else
        mFile.reset();
}

ReplacementFile::~ReplacementFile() = default;

bool ReplacementFile::isValid() const
{
    return mFile != nullptr;
}

QString ReplacementFile::path() const
{
    return mFile ? mFile->fileName() : QString();
}

bool ReplacementFile::commit()
{
    if (!mFile || mCommitted)
        return false;
    const QString path = mFile->fileName();
    const QFileInfo old(mTarget);
    const QFileDevice::Permissions permissions =
        old.exists() ? old.permissions() : kNewFilePermissions;
    if (!QFile::setPermissions(path, permissions) || !flushFileToDisk(path) ||
        !renameReplacing(path, mTarget))
        return false;
    mCommitted = true;
    mFile->setAutoRemove(false);
    // The rename itself reaches the disk with the folder; the new content is already there.
    flushFolderToDisk(QFileInfo(mTarget).absolutePath());
    return true;
}
