// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class QTemporaryFile;

// A new file made beside a target, that takes the target's place only when committed: it is
// flushed to disk, given the permissions of the file it replaces, renamed over the target in one
// step and the folder flushed, so that the target is always either the old file or the whole new
// one, also after a power cut. Not committed, it is removed.
//
// The name of the new file is the target's name followed by a dot and six random characters, so
// that no listing of "*.mdb" files shows it.
class ReplacementFile
{
public:
    explicit ReplacementFile(const QString& target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Whether the new (empty) file could be made; false for example when the folder is missing.
    bool isValid() const;
    // Where to write the new content (empty when not valid).
    QString path() const;
    const QString& target() const { return mTarget; }

    // Puts the new file in place of the target. False when that fails; the target is then as it
    // was and the new file is removed.
    bool commit();

private:
    QString mTarget;
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
