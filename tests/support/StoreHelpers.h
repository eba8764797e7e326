#pragma once

#include <QString>

class TD_M;

namespace Zt_typro
{

/// Restores the backup at source into the database of dm without asking: PrepareRestore and
/// CommitRestore in one, as the restore command does once the operator has said yes. Returns
/// the path of the copy of the replaced database. Throws AppError as they do.
QString RestoreDatabase(TD_M& dm, const QString& source);

} // namespace Zt_typro
