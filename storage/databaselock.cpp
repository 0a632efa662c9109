// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/databaselock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/vfs.h>
#include <unistd.h>

DatabaseFileLock::~DatabaseFileLock()
{
    unlock();
}

bool DatabaseFileLock::lock(const QString& path, Kind kind, int waitMs)
{
    unlock();
    if (isOnNetworkFileSystem(path))
        return true;
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return false;
    const int operation = (kind == Kind::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (::flock(descriptor, operation) == 0) {
            mDescriptor = descriptor;
            return true;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
            break;
        QThread::msleep(10);
    }
    ::close(descriptor);
    return false;
}

void DatabaseFileLock::unlock()
{
    // Closing the only descriptor of the open file lets go of the lock.
    if (mDescriptor >= 0)
        ::close(mDescriptor);
    mDescriptor = -1;
}

bool isOnNetworkFileSystem(const QString& path)
{
    struct statfs system = {};
    if (::statfs(QFile::encodeName(path).constData(), &system) != 0)
        return false;
    switch (static_cast<unsigned long>(system.f_type)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFE534D42UL: // SMB2
    case 0xFF534D42UL: // CIFS
    case 0x65735546UL: // FUSE (SSHFS and other user-space file systems)
    case 0x564CUL:     // NCP
    case 0x01021997UL: // 9P
    case 0x00C36400UL: // Ceph
    case 0x5346414FUL: // AFS
    case 0x73757245UL: // Coda
        return true;
    default:
        return false;
    }
}
