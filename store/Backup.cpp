#include "store/Backup.h"

namespace Zt_typro
{

void BackupDatabaseInteractive(QWidget*)
{
}

void RestoreDatabaseInteractive(QWidget*)
{
}

} // namespace Zt_typro
