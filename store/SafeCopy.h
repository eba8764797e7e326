#pragma once

#include <QString>

#include <functional>

class QDir;

namespace Zt_typro
{

// Every file the program writes whole (a backup, the copy taken before a restore or an upgrade,
// the database a restore builds, the server's dump, an export) is written under a part-file
// name beside its place first and takes its real name only when it is whole and on the disk:
// no half-written file ever carries a real name. The part files all share one naming, so that
// one clean-up finds every part file a killed copy left behind.

/// A name beside target that no other file has, for building target's new content:
/// ".<target's name>.<kind>-<32 hex digits>" (kind "part", or "restore" for a restore's database).
QString PartFileBeside(const QString& target, const char* kind = "part");

/// True when name (a file name without folder) is a part file of PartFileBeside's naming, or
/// its journal.
bool IsPartFileName(const QString& name);

/// Renames from to to, replacing a file already there in one step (rename(2) on POSIX): a reader
/// of to sees the old file or the new one, never a part of either. False with the reason when
/// it cannot.
bool ReplaceFile(const QString& from, const QString& to, QString* error);

/// Writes the file at path through to the disk. False when it cannot be opened or flushed.
bool SyncFile(const QString& path);

/// Removes the part files in folder that a copy killed half-way left behind, with their
/// journals: one untouched for an hour is no longer written by anyone.
void RemoveStalePartFiles(const QDir& folder);

/// What becomes of a file already at the target's name.
enum class ExistingFile
{
    Replace,      // the new file takes its place, in one step
    KeepNumbered, // it stays; the new file takes the first free name "<stem>-2.<suffix>", "-3", ...
    KeepExisting  // it stays and the new file is dropped: SafeWrite returns an empty name
};

/// The safe copy: write(part) writes the new content into a part file beside target, which is
/// there, empty and its owner's only (0600), before write is called (nobody else can open it
/// while it is written); the part file is then flushed to the disk and renamed to target (see
/// ExistingFile). Returns the name the file took. Whatever fails, the part file is removed and
/// target is as it was: what write throws goes on to the caller; a failure of the rename throws
/// AppError(failure(reason)).
QString SafeWrite(const QString& target, ExistingFile existing, const std::function<void(const QString& part)>& write,
                  const std::function<QString(const QString& reason)>& failure);

} // namespace Zt_typro
