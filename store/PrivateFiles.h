#pragma once

#include <QString>

namespace Zt_typro
{

/// Makes a file the program has just created readable and writable by its owner only (0600), or
/// a folder it has just created usable by its owner only (0700): the database, its backups and
/// the password settings are nobody else's to read. Files that were there before are left as
/// they are by the callers. False when the mode could not be set (the file stays usable).
bool RestrictToOwner(const QString& path);

/// Creates folder (and its parents) when it is missing; a folder made here is restricted to
/// its owner. True when the folder exists afterwards.
bool MakePrivateFolder(const QString& folder);

} // namespace Zt_typro
