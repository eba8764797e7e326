#include "app/DataFolder.h"

#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Zt_typro
{
namespace
{
const QString kDatabaseFile = QStringLiteral("pjzp.pdp");

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// A user as a message names one: "nobody（用户号 65534）".
QString userText(uid_t uid)
{
    struct passwd entry
    {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QStringLiteral("%1（用户号 %2）").arg(QString::fromLocal8Bit(found->pw_name)).arg(uid);
    return QStringLiteral("用户号 %1").arg(uid);
}

// Why folder may not hold the register: it belongs to another user, or others may write in it
// (and so put a register of their own there, or swap the user's for one). Empty when it may, or
// when it is not there.
QString folderProblem(const QString& folder)
{
    struct stat st
    {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return {};
    if (st.st_uid != ::getuid())
        return QStringLiteral("数据文件夹 %1 属于另一个用户 %2，不是您的。别人可以在里面放入或替换数据库文件，"
                              "本程序不使用这样的文件夹。请用 --data 另选一个您自己的文件夹。")
            .arg(native(folder), userText(st.st_uid));
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("数据文件夹 %1 除了您以外别人也可以写入 (权限 %2)。别人可以在里面放入或替换数据库文件，"
                              "本程序不使用这样的文件夹。请收回别人的写权限 (chmod go-w %1)，"
                              "或用 --data 另选一个只有您能写入的文件夹。")
            .arg(native(folder), QString::number(st.st_mode & 07777, 8));
    return {};
}

// Why the register in folder may not be opened: it, or the link in its place, belongs to another
// user, or the link leads nowhere. Empty when it may, or when there is none yet.
QString fileProblem(const QString& folder)
{
    const QString path = QDir(folder).filePath(kDatabaseFile);
    const QByteArray encoded = QFile::encodeName(path);
    struct stat st
    {};
    if (::lstat(encoded.constData(), &st) != 0)
        return {};
    const auto othersFile = [&](uid_t owner) {
        return QStringLiteral("数据文件夹 %1 中的数据库文件 %2 属于另一个用户 %3，不是您的。本程序不打开别人的"
                              "数据库文件，以免运行别人放进去的内容。如果它确实是您的数据，请让管理员把它改为属于您"
                              " (chown)；否则请用 --data 另选一个您自己的文件夹。")
            .arg(native(folder), kDatabaseFile, userText(owner));
    };
    if (st.st_uid != ::getuid())
        return othersFile(st.st_uid);
    if (S_ISLNK(st.st_mode)) {
        if (::stat(encoded.constData(), &st) != 0)
            return QStringLiteral("数据文件夹 %1 中的数据库文件 %2 是指向 %3 的链接，但它指向的文件不存在。"
                                  "请把链接指向的数据库放回原处（如接上存放它的磁盘）；要从空的数据库开始，"
                                  "请先删除这个链接。")
                .arg(native(folder), kDatabaseFile, native(QFileInfo(path).symLinkTarget()));
        if (st.st_uid != ::getuid())
            return othersFile(st.st_uid);
    }
    return {};
}

// The folder, created for its owner only when it is not there yet; refused (AppError) when it is
// not the user's alone or holds a register that is not the user's.
QString ensureFolder(const QString& path)
{
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    const QFileInfo info(absolute);
    if (info.exists()) {
        if (!info.isDir())
            throw AppError(QStringLiteral("数据文件夹 %1 不是一个文件夹。").arg(native(absolute)));
    } else {
        if (!QDir().mkpath(absolute))
            throw AppError(QStringLiteral("无法建立数据文件夹 %1。").arg(native(absolute)));
        QFile::setPermissions(absolute, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    for (const QString& problem : {folderProblem(absolute), fileProblem(absolute)})
        if (!problem.isEmpty())
            throw AppError(problem);
    return absolute;
}
} // namespace

QString DefaultDataFolder()
{
    // The XDG rule: a relative XDG_DATA_HOME is ignored (it would name another folder from each
    // folder the program is started in).
    QString base = QFile::decodeName(qgetenv("XDG_DATA_HOME"));
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(QDir::cleanPath(base)).filePath(QStringLiteral("quillmate"));
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
    // A register found where the program was started is used only when it is the user's own, in
    // a folder of the user's alone: a file someone else left, or could have swapped, in a shared
    // folder is not.
    const QString start = QDir::cleanPath(QDir(startFolder).absolutePath());
    const QFileInfo found(QDir(start).filePath(kDatabaseFile));
    if (found.isFile() && found.ownerId() == ::getuid() && folderProblem(start).isEmpty() &&
        fileProblem(start).isEmpty())
        return start;
    return ensureFolder(DefaultDataFolder());
}

} // namespace Zt_typro
