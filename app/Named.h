#pragma once

#include <QObject>
#include <QString>

namespace Zt_typro
{

/// Creates a child object and gives it its component name, which is also its objectName.
template <typename T, typename Parent, typename... Args>
T* named(Parent* parent, const char* name, Args&&... args)
{
    T* object = new T(std::forward<Args>(args)..., parent);
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

} // namespace Zt_typro
