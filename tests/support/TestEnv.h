#pragma once

#include <QDir>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

namespace Zt_typro
{

/// A fresh temporary folder made the current working directory for the lifetime of the object,
/// so "pjzp.pdp" and any other file the program writes land there. The previous working
/// directory comes back afterwards.
class TempWorkDir
{
public:
    TempWorkDir();
    ~TempWorkDir();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

/// Points the per-user settings at a fresh empty folder for the lifetime of the object.
class SettingsSandbox
{
public:
    SettingsSandbox()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    bool valid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

/// The long-lived forms for a GUI test, built by the same function start-up uses, in a fresh
/// working folder; destroyed in reverse order afterwards.
class FormsFixture
{
public:
    FormsFixture();
    ~FormsFixture();
    const TempWorkDir& workDir() const { return m_work; }

private:
    TempWorkDir m_work;
};

} // namespace Zt_typro
