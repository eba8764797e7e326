#include "tests/support/TestEnv.h"

#include "app/Forms.h"
#include "common/Clock.h"

#include <QTest>

namespace Zt_typro
{

TempWorkDir::TempWorkDir()
    : m_previous(QDir::currentPath())
{
    QVERIFY2(m_dir.isValid(), "temporary folder");
    QDir::setCurrent(m_dir.path());
}

TempWorkDir::~TempWorkDir()
{
    QDir::setCurrent(m_previous);
}

FormsFixture::FormsFixture()
{
    PrepareApplication();
    CreateForms();
}

FormsFixture::~FormsFixture()
{
    DestroyForms();
    SetToday(QDate());
}

} // namespace Zt_typro
