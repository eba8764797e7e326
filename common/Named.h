#pragma once

#include <QObject>
#include <QRect>
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

/// Creates a named child widget and places it at geometry within its parent.
template <typename T, typename Parent>
T* placed(Parent* parent, const char* name, const QRect& geometry)
{
    T* widget = named<T>(parent, name);
    widget->setGeometry(geometry);
    return widget;
}

} // namespace Zt_typro
