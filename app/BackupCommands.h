#pragma once

class QWidget;

namespace Zt_typro
{

/// mnubfClick: writes a consistent copy of the database to a file the operator chooses (the
/// name proposed carries today's date; ".pdp" is added to a name without a suffix).
void BackupDatabaseInteractive(QWidget* owner);

/// mnuhfClick: replaces the database from a backup the operator chooses, after a confirmation
/// that names the backup's date and its number of cheques. True when the database was replaced.
bool RestoreDatabaseInteractive(QWidget* owner);

} // namespace Zt_typro
