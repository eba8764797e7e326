#include "app/DataFolder.h"

#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace Zt_typro
{
namespace
{
const QString kDatabaseFile = QStringLiteral("pjzp.pdp");

// The folder, created for its owner only when it is not there yet.
QString ensureFolder(const QString& path)
{
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    const QFileInfo info(absolute);
    if (info.exists()) {
        if (!info.isDir())
            throw AppError(QStringLiteral("数据文件夹 %1 不是一个文件夹。").arg(QDir::toNativeSeparators(absolute)));
        return absolute;
    }
    if (!QDir().mkpath(absolute))
        throw AppError(QStringLiteral("无法建立数据文件夹 %1。").arg(QDir::toNativeSeparators(absolute)));
    QFile::setPermissions(absolute, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return absolute;
}
} // namespace

QString DefaultDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("quillmate"));
}

QString ChooseDataFolder(const QStringList& arguments, const QString& startFolder)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        QString folder;
        if (a == QLatin1String("--data"))
            folder = i + 1 < arguments.size() ? arguments.at(i + 1) : QString();
        else if (a.startsWith(QLatin1String("--data=")))
            folder = a.mid(7);
        else
            continue;
        if (folder.trimmed().isEmpty())
            throw AppError(QStringLiteral("--data 后面要写数据文件夹，如 --data /home/cashier/quillmate。"));
        return ensureFolder(folder);
    }
    // A register found where the program was started is used only when it is the user's own: a
    // file someone else left in a shared folder is not.
    const QFileInfo found(QDir(startFolder).filePath(kDatabaseFile));
    if (found.isFile() && found.ownerId() == ::getuid())
        return QDir::cleanPath(QDir(startFolder).absolutePath());
    return ensureFolder(DefaultDataFolder());
}

} // namespace Zt_typro
