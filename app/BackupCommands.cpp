#include "app/BackupCommands.h"

#include "common/Clock.h"
#include "common/Error.h"
#include "common/LongWork.h"
#include "common/Prompt.h"
#include "store/Backup.h"
#include "store/DataModule.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

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
    // A large register takes a while to copy: on a thread of its own, the window painting on.
    D_M->ensureConnected();
    D_M->checkFileUnchanged();
    const QString databasePath = D_M->databasePath();
    RunLongWork(owner, QStringLiteral("备份数据"), QStringLiteral("正在备份数据到 %1 …").arg(native(target)), false,
                [&](const WorkProgress&) { BackupDatabaseApart(databasePath, target); });
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
    const QString shown = native(QFileInfo(chosen).absoluteFilePath());

    // Reading a large backup takes a while. It runs on a thread of its own (on connections of
    // its own) while the window repaints and shows how far it has come; the operator may stop
    // it, as nothing has been changed yet.
    std::unique_ptr<PreparedRestore> prepared;
    try {
        RunLongWork(owner, QStringLiteral("恢复数据"), QStringLiteral("正在读取备份 %1 …").arg(shown), true,
                    [&](const WorkProgress& progress) { prepared = PrepareRestore(databasePath, chosen, progress); });
    } catch (const AppError& e) {
        throw AppError(e.message() + QStringLiteral("\n当前的数据库没有被改动。"));
    }
    if (!prepared)
        return false;

    QString question = QStringLiteral("确实要用备份 %1 恢复数据吗？\n备份日期: %2\n其中有支票 %3 张。\n")
                           .arg(shown, BackupDateText(prepared->info))
                           .arg(prepared->info.cheques);
    if (prepared->layoutRowsAdded > 0)
        question += prepared->layoutFromCurrent
                        ? QStringLiteral("备份中缺少 %1 项打印格式，将沿用当前数据库中的设置。\n")
                              .arg(prepared->layoutRowsAdded)
                        : QStringLiteral("备份中缺少 %1 项打印格式，将使用新数据库的默认位置，请恢复后检查打印格式。\n")
                              .arg(prepared->layoutRowsAdded);
    question += QStringLiteral("当前的数据库将先备份到 backup 文件夹，然后被替换。");
    if (!prompter().confirm(owner, QStringLiteral("提示"), question))
        return false;
    const QString safety = CommitRestore(*D_M, *prepared);
    QString done = QStringLiteral("数据已恢复，现有支票 %1 张。").arg(prepared->info.cheques);
    if (!safety.isEmpty())
        done += QStringLiteral("\n恢复前的数据库已备份为 %1。").arg(native(safety));
    prompter().inform(owner, QStringLiteral("提示"), done);
    return true;
}

} // namespace Zt_typro
