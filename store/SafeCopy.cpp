#include "store/SafeCopy.h"

#include "common/Error.h"
#include "store/PrivateFiles.h"
#include "store/StoreLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace Zt_typro
{
namespace
{
// A part file untouched this long is left over from a copy that was killed.
constexpr qint64 kStalePartSeconds = 60 * 60;
} // namespace

// Renames from to to, replacing a file already there in one step (rename(2) on POSIX,
// MoveFileEx with MOVEFILE_REPLACE_EXISTING on Windows): a reader of to sees the old file or
// the new one, never a part of either.
bool ReplaceFile(const QString& from, const QString& to, QString* error)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            ec);
    if (ec && error)
        *error = QString::fromLocal8Bit(ec.message());
    return !ec;
}

// A name beside target that no other file has, for building target's new content.
QString PartFileBeside(const QString& target, const char* kind)
{
    const QFileInfo info(target);
    return info.absoluteDir().filePath(QStringLiteral(".") + info.fileName() + QLatin1Char('.') + QLatin1String(kind) +
                                       QLatin1Char('-') + QUuid::createUuid().toString(QUuid::Id128));
}

bool IsPartFileName(const QString& name)
{
    static const QRegularExpression own(QStringLiteral("^\\..+\\.(part|restore)-[0-9a-f]{32}(-journal|-wal|-shm)?$"));
    return own.match(name).hasMatch();
}

bool SyncFile(const QString& path)
{
    // Read-only: a file that is not there is not made here.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

// Part files of this program's own naming (see partFileBeside) that a backup or restore killed
// half-way left behind, with their journals. One untouched for an hour is no longer being
// written by anyone (a copy in progress writes on all the time) and is removed.
void RemoveStalePartFiles(const QDir& folder)
{
    const QDateTime stale = QDateTime::currentDateTimeUtc().addSecs(-kStalePartSeconds);
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!IsPartFileName(file.fileName()) || file.lastModified().toUTC() > stale)
            continue;
        if (QFile::remove(file.absoluteFilePath()))
            qCDebug(lcBackup) << "stale part file removed:" << file.absoluteFilePath();
        else
            qCWarning(lcBackup) << "stale part file not removed:" << file.absoluteFilePath();
    }
}

QString SafeWrite(const QString& target, ExistingFile existing, const std::function<void(const QString& part)>& write,
                  const std::function<QString(const QString& reason)>& failure)
{
    const QFileInfo info(target);
    const QString part = PartFileBeside(info.absoluteFilePath());
    // The part file is made its owner's alone before a byte goes into it: another user who could
    // open it while it is written (in a folder others may read) would keep reading through that
    // handle whatever its mode became later.
    {
        QFile made(part);
        if (!made.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            throw AppError(failure(made.errorString()));
    }
    try {
        write(part);
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    RestrictToOwner(part);
    QString error;
    if (!SyncFile(part))
        error = QStringLiteral("无法把 %1 写到磁盘上").arg(QDir::toNativeSeparators(part));
    QString written;
    if (error.isEmpty() && existing == ExistingFile::Replace) {
        if (ReplaceFile(part, info.absoluteFilePath(), &error))
            written = info.absoluteFilePath();
    } else if (error.isEmpty() && existing == ExistingFile::KeepExisting) {
        // QFile::rename never replaces (not even a link that leads nowhere): what took the name
        // first stays, and the new file goes.
        const QString path = info.absoluteFilePath();
        const auto taken = [&] { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); };
        if (!taken() && QFile::rename(part, path))
            return path;
        if (taken()) {
            QFile::remove(part);
            qCDebug(lcBackup) << "kept the file already there:" << path;
            return {};
        }
        error = QStringLiteral("无法把文件命名为 %1").arg(QDir::toNativeSeparators(path));
    } else if (error.isEmpty()) {
        // QFile::rename never replaces: a name taken meanwhile gets the next number.
        const QDir folder = info.absoluteDir();
        for (int n = 1; n < 1000 && written.isEmpty(); ++n) {
            const QString name =
                n == 1 ? info.fileName()
                       : QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix());
            if (!QFileInfo::exists(folder.filePath(name)) && QFile::rename(part, folder.filePath(name)))
                written = folder.filePath(name);
        }
        if (written.isEmpty())
            error = QStringLiteral("无法把文件命名为 %1").arg(QDir::toNativeSeparators(info.absoluteFilePath()));
    }
    if (written.isEmpty()) {
        QFile::remove(part);
        throw AppError(failure(error));
    }
    return written;
}

} // namespace Zt_typro
