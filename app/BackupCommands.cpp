#include "app/BackupCommands.h"

#include "common/Clock.h"
#include "common/Error.h"
#include "common/LongWork.h"
#include "common/Prompt.h"
#include "store/Backup.h"
#include "store/DataModule.h"
#include "store/Restore.h"
#include "store/SharedStore.h"

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

namespace
{
// The shared register is copied by the server's own tool, as its administrator would.
void backupSharedRegister(QWidget* owner)
{
    const QString proposed = QDir::current().filePath(
        QStringLiteral("quillmate-%1.dump").arg(Today().toString(QStringLiteral("yyyyMMdd"))));
    const QString chosen = prompter().fileName(owner, QStringLiteral("备份数据"), proposed,
                                               QStringLiteral("服务器备份 (*.dump);;所有文件 (*)"), true);
    const QString target = ResolveSaveTarget(owner, chosen, QStringLiteral("dump"));
    if (target.isEmpty())
        return;
    const QString connection = D_M->sharedConnection();
    const QString user = D_M->sharedUser();
    const QString password = D_M->sharedPassword();
    RunLongWork(owner, QStringLiteral("备份数据"),
                QStringLiteral("服务器正在备份共享登记簿到 %1 …").arg(native(target)), false,
                [&](const WorkProgress&) { DumpSharedRegister(connection, user, password, target); });
    prompter().inform(owner, QStringLiteral("提示"),
                      QStringLiteral("共享登记簿已由服务器备份 (pg_dump) 到 %1。\n"
                                     "恢复它请交给服务器的管理员 (pg_restore)。")
                          .arg(native(target)));
}
} // namespace

void BackupDatabaseInteractive(QWidget* owner)
{
    if (D_M->isShared()) {
        backupSharedRegister(owner);
        return;
    }
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
    if (D_M->isShared()) {
        prompter().inform(owner, QStringLiteral("提示"),
                          QStringLiteral("现在使用的是共享服务器上的登记簿 (%1)。\n"
                                         "共享登记簿由服务器的管理员用服务器的备份恢复 (pg_restore)，"
                                         "不能在这里恢复。没有做任何改动。")
                              .arg(D_M->sharedConnection()));
        return false;
    }
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
