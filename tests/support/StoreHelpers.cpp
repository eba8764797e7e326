#include "tests/support/StoreHelpers.h"

#include "store/DataModule.h"
#include "store/Restore.h"

namespace Zt_typro
{

QString RestoreDatabase(TD_M& dm, const QString& source)
{
    const std::unique_ptr<PreparedRestore> prepared = PrepareRestore(dm.databasePath(), source);
    return CommitRestore(dm, *prepared);
}

} // namespace Zt_typro
