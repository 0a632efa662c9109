// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class QTemporaryFile;

class QFile;

// Who may read a file that the program puts in place.
enum class FileAccess {
    // Read and write for the owner only (0600), whatever the file replaced: the database and its
    // backups, which hold the whole business and every account.
    OwnerOnly,
    // As the file replaced had it; a new file as the user's umask says, like any document:
    // exports and printed files.
    AsDocuments,
};

// A new file made beside a target, that takes the target's place only when committed: it is
// flushed to disk, given its permissions, renamed over the target in one step and the folder
// flushed, so that the target is always either the old file or the whole new one, also after a
// power cut. Not committed, it is removed.
//
// The new file is created exclusively (O_EXCL) in the target's folder, readable by the owner
// only, and stays open: writers write through file(), never reopening it by its name. Its name is
// the target's name followed by a dot and six random characters, so that no listing of "*.mdb"
// files shows it.
class ReplacementFile
{
public:
    explicit ReplacementFile(const QString& target, FileAccess access = FileAccess::AsDocuments);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Whether the new (empty) file could be made; false for example when the folder is missing.
    bool isValid() const;
    // The open new file to write (null when not valid).
    QFile* file() const;
    // Its name, only for a library that can write nothing but a named file (empty when not
    // valid).
    QString path() const;
    const QString& target() const { return mTarget; }

    // Puts the new file in place of the target. False when that fails (also when writing through
    // file() failed); the target is then as it was and the new file is removed.
    bool commit();
    // The same, but only where no target is: false, the existing target kept, when there is one.
    bool commitWithoutReplacing();

private:
    bool finish(bool replacing);

    QString mTarget;
    FileAccess mAccess;
    std::unique_ptr<QTemporaryFile> mFile;
    bool mCommitted = false;
};

// Flushes the file's content to disk (fsync). False when the file cannot be opened or flushed.
bool flushFileToDisk(const QString& path);
// Flushes a folder's entries (a rename or removal in it) to disk; does nothing where folders
// cannot be flushed.
bool flushFolderToDisk(const QString& folder);
// Renames from over to in one step, replacing to when it exists.
bool renameReplacing(const QString& from, const QString& to);
