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
/// - otherwise the starting folder when it already holds "pjzp.pdp" of the user's own (started from
///   a terminal in the folder of an existing register);
/// - otherwise the user's own data folder, $XDG_DATA_HOME/quillmate ("~/.local/share/quillmate"),
///   created 0700: a launcher starts the program in whatever folder the desktop likes.
///
/// Throws AppError with a message in Chinese when "--data" has no folder, names something that is
/// not a folder, or the folder cannot be created.
QString ChooseDataFolder(const QStringList& arguments, const QString& startFolder);

/// "$XDG_DATA_HOME/quillmate": the default data folder.
QString DefaultDataFolder();

} // namespace Zt_typro
