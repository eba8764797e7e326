#pragma once

class QWidget;

namespace Zt_typro
{

/// mnubfClick: writes a consistent copy of the database to a file the operator chooses.
void BackupDatabaseInteractive(QWidget* owner);

/// mnuhfClick: replaces the database from a backup the operator chooses, after a confirmation.
void RestoreDatabaseInteractive(QWidget* owner);

} // namespace Zt_typro
