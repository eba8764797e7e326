#pragma once

#include <QDir>
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
