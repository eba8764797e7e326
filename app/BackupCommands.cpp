#include "app/BackupCommands.h"

#include "common/Clock.h"
#include "common/Error.h"
#include "common/Prompt.h"
#include "store/Backup.h"
#include "store/DataModule.h"

#include <QDir>
#include <QFileInfo>

namespace Zt_typro
{
namespace
{
const QString kFilter = QStringLiteral("数据库文件 (*.pdp);;所有文件 (*)");

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

void BackupDatabaseInteractive(QWidget* owner)
{
    const QString proposed = QFileInfo(D_M->databasePath()).absoluteDir().filePath(ProposedBackupName(Today()));
    const QString chosen = prompter().fileName(owner, QStringLiteral("备份数据"), proposed, kFilter, true);
    const QString target = ResolveSaveTarget(owner, chosen, QStringLiteral("pdp"));
    if (target.isEmpty())
        return;
    BackupDatabase(*D_M, target);
    prompter().inform(owner, QStringLiteral("提示"), QStringLiteral("数据已备份到 %1。").arg(native(target)));
}

bool RestoreDatabaseInteractive(QWidget* owner)
{
    const QString databasePath = D_M->databasePath();
    const QString folder = QFileInfo::exists(BackupFolder(databasePath)) ? BackupFolder(databasePath)
                                                                         : QFileInfo(databasePath).absolutePath();
    const QString chosen = prompter().fileName(owner, QStringLiteral("恢复数据"), folder, kFilter, false);
    if (chosen.isEmpty())
        return false;
    BackupInfo info;
    try {
        info = InspectBackup(chosen);
    } catch (const AppError& e) {
        throw AppError(e.message() + QStringLiteral("\n当前的数据库没有被改动。"));
    }
    const QString question = QStringLiteral("确实要用备份 %1 恢复数据吗？\n备份日期: %2\n其中有支票 %3 张。\n"
                                            "当前的数据库将先备份到 backup 文件夹，然后被替换。")
                                 .arg(native(QFileInfo(chosen).absoluteFilePath()), BackupDateText(info))
                                 .arg(info.cheques);
    if (!prompter().confirm(owner, QStringLiteral("提示"), question))
        return false;
    const QString safety = RestoreDatabase(*D_M, chosen);
    QString done = QStringLiteral("数据已恢复，现有支票 %1 张。").arg(info.cheques);
    if (!safety.isEmpty())
        done += QStringLiteral("\n恢复前的数据库已备份为 %1。").arg(native(safety));
    prompter().inform(owner, QStringLiteral("提示"), done);
    return true;
}

} // namespace Zt_typro
