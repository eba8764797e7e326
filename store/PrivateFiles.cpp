#include "store/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Zt_typro
{

bool RestrictToOwner(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

bool MakePrivateFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(folder))
        return false;
    RestrictToOwner(folder);
    return true;
}

} // namespace Zt_typro
