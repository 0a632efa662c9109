// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The advisory lock (flock) by which the programs using one database file know of each other:
// every program holds it shared for as long as it has the file open, and whatever puts another
// file in its place (a restore) takes it exclusively, so that it never pulls the file away from
// under a running program. flock does not touch the byte-range locks SQLite itself takes.
//
// On a network file system the lock is not taken (and the calls succeed): there flock is turned
// into the same byte-range locks SQLite uses, and would stop the other programs' writes.
class DatabaseFileLock
{
public:
    enum class Kind { Shared, Exclusive };

    DatabaseFileLock() = default;
    ~DatabaseFileLock();
    DatabaseFileLock(const DatabaseFileLock&) = delete;
    DatabaseFileLock& operator=(const DatabaseFileLock&) = delete;

    // Takes the lock on the file, waiting at most waitMs (0: not at all) while another program
    // holds a lock that conflicts. False when it is held elsewhere or the file cannot be opened.
    // A lock held already is let go first.
    bool lock(const QString& path, Kind kind, int waitMs = 0);
    void unlock();
    bool isLocked() const { return mDescriptor >= 0; }

private:
    int mDescriptor = -1;
};

// Whether the file (or folder) lies on a network file system: NFS, SMB/CIFS, a FUSE file system
// such as SSHFS, and the like. False when that cannot be told.
bool isOnNetworkFileSystem(const QString& path);
