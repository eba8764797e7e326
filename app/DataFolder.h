#pragma once

#include <QString>
#include <QStringList>

namespace Zt_typro
{

/// The folder the program keeps its data in: the database "pjzp.pdp", its "backup/" folder and the
/// first place exports are proposed. Chosen once at start-up, from the command line (after Qt has
/// taken its own options) and the folder the program was started in:
///
/// - "--data DIR" (or "--data=DIR"): DIR, created (0700) when it does not exist;
/// - otherwise the starting folder when it already holds "pjzp.pdp" of the user's own and only the
///   user may write in it (started from a terminal in the folder of an existing register);
/// - otherwise the user's own data folder, $XDG_DATA_HOME/quillmate ("~/.local/share/quillmate"
///   when XDG_DATA_HOME is unset or not an absolute path), created 0700: a launcher starts the
///   program in whatever folder the desktop likes.
///
/// A register someone else could have planted is never used: the folder chosen by "--data" or the
/// default one must belong to the user and be writable by nobody else, and a "pjzp.pdp" in it (or
/// the file a link of that name leads to) must belong to the user; a link that leads nowhere is
/// the register missing.
///
/// Throws AppError with a message in Chinese when "--data" has no folder, names something that is
/// not a folder, the folder cannot be created, or it or its register fails the rule above (the
/// message names the folder, the file and whose they are).
QString ChooseDataFolder(const QStringList& arguments, const QString& startFolder);

/// "$XDG_DATA_HOME/quillmate" ("~/.local/share/quillmate" when XDG_DATA_HOME is unset or relative):
/// the default data folder.
QString DefaultDataFolder();

} // namespace Zt_typro
