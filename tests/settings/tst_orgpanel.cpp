#include "app/Forms.h"
#include "app/MainWindow.h"
#include "settings/OrgPanel.h"
#include "store/Settings.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Zt_typro;

namespace
{
QVariant storedOrgValue(const QString& name)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("qc"));
    return settings.value(name);
}

void storeOrgValues(const QString& name, const QString& account, const QString& bank)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("qc"));
    settings.setValue(QStringLiteral("qc"), name);
    settings.setValue(QStringLiteral("zh"), account);
    settings.setValue(QStringLiteral("khh"), bank);
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
}

template <typename T>
T* component(const char* name)
{
    T* found = Frm_main->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qWarning("component %s not found", name);
    return found;
}
} // namespace

class TestOrgPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void panelHasItsComponents();
    void firstRunShowsEmptyFieldsAndStoresEmptyValues();
    void openingShowsTheStoredValues();
    void confirmStoresTrimmedFields_data();
    void confirmStoresTrimmedFields();
    void leavingStoresNothing_data();
    void leavingStoresNothing();
    void tabAndEnterMoveThroughTheFields();
    void unwritableSettingsKeepThePanelOpen();

private:
    void openFromMenu();

    std::unique_ptr<SettingsSandbox> m_sandbox;
    std::unique_ptr<FormsFixture> m_forms;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    OrgPanel* m_panel = nullptr;
};

void TestOrgPanel::init()
{
    m_sandbox = std::make_unique<SettingsSandbox>();
    QVERIFY(m_sandbox->valid());
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_forms = std::make_unique<FormsFixture>();
    m_panel = Frm_main->findChild<OrgPanel*>(QStringLiteral("Panel_dwset"));
    QVERIFY(m_panel);
    QCOMPARE(m_panel, Frm_main->Panel_dwset);
}

void TestOrgPanel::cleanup()
{
    m_panel = nullptr;
    m_forms.reset();
    m_prompter.reset();
    m_sandbox.reset();
}

void TestOrgPanel::openFromMenu()
{
    QAction* mnuzh = component<QAction>("mnuzh");
    QVERIFY(mnuzh);
    QVERIFY(mnuzh->isEnabled());
    mnuzh->trigger();
    QVERIFY(!m_panel->isHidden());
}

void TestOrgPanel::panelHasItsComponents()
{
    QCOMPARE(m_panel->parentWidget()->objectName(), QStringLiteral("ClientArea"));
    QCOMPARE(m_panel->geometry(), QRect(224, 80, 417, 225));
    QVERIFY(m_panel->isHidden());
    QCOMPARE(component<QLabel>("Label42")->text(), QStringLiteral("单位帐号设置"));
    QCOMPARE(component<QGroupBox>("GroupBox7")->title(), QStringLiteral("本单位"));
    QCOMPARE(component<QLabel>("Label39")->text(), QStringLiteral("单位全称:"));
    QCOMPARE(component<QLabel>("Label40")->text(), QStringLiteral("银行帐号:"));
    QCOMPARE(component<QLabel>("Label41")->text(), QStringLiteral("开 户 行:"));
    QCOMPARE(component<QPushButton>("Button_dwset_qd")->text(), QStringLiteral("确 定"));
    QCOMPARE(component<QPushButton>("Button_dwset_qx")->text(), QStringLiteral("取 消"));
    QCOMPARE(component<QPushButton>("BitBtn_dwset_close"), m_panel->closeButton());

    const QList<QLineEdit*> edits{m_panel->Edit_dwqc, m_panel->Edit_yhzh, m_panel->Edit_khh};
    const QStringList names{QStringLiteral("Edit_dwqc"), QStringLiteral("Edit_yhzh"), QStringLiteral("Edit_khh")};
    for (int i = 0; i < edits.size(); ++i) {
        QCOMPARE(component<QLineEdit>(names.at(i).toLatin1().constData()), edits.at(i));
        QCOMPARE(edits.at(i)->parentWidget(), m_panel->GroupBox7);
        QCOMPARE(edits.at(i)->width(), 281);
        QCOMPARE(edits.at(i)->echoMode(), QLineEdit::Normal);
        QCOMPARE(edits.at(i)->maxLength(), 32767); // Qt's own limit: none set
    }
}

void TestOrgPanel::firstRunShowsEmptyFieldsAndStoresEmptyValues()
{
    const QString orgFile = m_sandbox->path(QStringLiteral("Bexholt/qc.conf"));
    QVERIFY(!QFile::exists(orgFile));
    m_panel->Edit_dwqc->setText(QStringLiteral("上次的"));

    openFromMenu();
    QCOMPARE(m_panel->Edit_dwqc->text(), QString());
    QCOMPARE(m_panel->Edit_yhzh->text(), QString());
    QCOMPARE(m_panel->Edit_khh->text(), QString());
    QVERIFY(QFile::exists(orgFile));

    QTest::mouseClick(m_panel->Button_dwset_qd, Qt::LeftButton);
    QVERIFY(m_panel->isHidden());
    for (const char* name : {"qc", "zh", "khh"}) {
        const QVariant value = storedOrgValue(QString::fromLatin1(name));
        QVERIFY2(value.isValid(), name);
        QCOMPARE(value.toString(), QString());
    }
    QVERIFY(m_prompter->questions.isEmpty());
}

void TestOrgPanel::openingShowsTheStoredValues()
{
    storeOrgValues(QStringLiteral("某某有限公司"), QStringLiteral("0200123456789"), QStringLiteral("中国工商银行"));
    openFromMenu();
    QCOMPARE(m_panel->Edit_dwqc->text(), QStringLiteral("某某有限公司"));
    QCOMPARE(m_panel->Edit_yhzh->text(), QStringLiteral("0200123456789"));
    QCOMPARE(m_panel->Edit_khh->text(), QStringLiteral("中国工商银行"));

    // Settings are never cached: a change made meanwhile shows at the next opening.
    m_panel->Button_dwset_qxClick();
    storeOrgValues(QStringLiteral("新名称"), QStringLiteral("1"), QStringLiteral("2"));
    openFromMenu();
    QCOMPARE(m_panel->Edit_dwqc->text(), QStringLiteral("新名称"));
    QCOMPARE(m_panel->Edit_yhzh->text(), QStringLiteral("1"));
    QCOMPARE(m_panel->Edit_khh->text(), QStringLiteral("2"));
}

void TestOrgPanel::confirmStoresTrimmedFields_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("bank");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("storedAccount");
    QTest::addColumn<QString>("storedBank");
    QTest::newRow("as typed") << QStringLiteral("某某有限公司") << QStringLiteral("0200123456789")
                              << QStringLiteral("中国工商银行") << QStringLiteral("某某有限公司")
                              << QStringLiteral("0200123456789") << QStringLiteral("中国工商银行");
    QTest::newRow("blanks around go, inside stay")
        << QStringLiteral("  某某 有限公司  ") << QStringLiteral("\t0200 1234 ") << QStringLiteral("\u3000中国 工商银行\u3000")
        << QStringLiteral("某某 有限公司") << QStringLiteral("0200 1234") << QStringLiteral("中国 工商银行");
    QTest::newRow("blanks only") << QStringLiteral("   ") << QStringLiteral(" ") << QStringLiteral("\t")
                                 << QString() << QString() << QString();
    QTest::newRow("quotes and commas are text") << QStringLiteral("O'Brien, \"甲\"") << QStringLiteral("1,2")
                                                << QStringLiteral("=;[x]") << QStringLiteral("O'Brien, \"甲\"")
                                                << QStringLiteral("1,2") << QStringLiteral("=;[x]");
}

void TestOrgPanel::confirmStoresTrimmedFields()
{
    QFETCH(QString, name);
    QFETCH(QString, account);
    QFETCH(QString, bank);
    QFETCH(QString, storedName);
    QFETCH(QString, storedAccount);
    QFETCH(QString, storedBank);

    openFromMenu();
    m_panel->Edit_dwqc->setText(name);
    m_panel->Edit_yhzh->setText(account);
    m_panel->Edit_khh->setText(bank);
    QTest::mouseClick(m_panel->Button_dwset_qd, Qt::LeftButton);
    QVERIFY(m_panel->isHidden());
    QCOMPARE(ReadOrgName(), storedName);
    QCOMPARE(ReadOrgAccount(), storedAccount);
    QCOMPARE(ReadOrgBank(), storedBank);
    QCOMPARE(storedOrgValue(QStringLiteral("qc")).toString(), storedName);
    QCOMPARE(storedOrgValue(QStringLiteral("zh")).toString(), storedAccount);
    QCOMPARE(storedOrgValue(QStringLiteral("khh")).toString(), storedBank);

    // Opened again, the panel shows what was stored.
    openFromMenu();
    QCOMPARE(m_panel->Edit_dwqc->text(), storedName);
    QCOMPARE(m_panel->Edit_yhzh->text(), storedAccount);
    QCOMPARE(m_panel->Edit_khh->text(), storedBank);
}

void TestOrgPanel::leavingStoresNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("取 消") << QStringLiteral("Button_dwset_qx");
    QTest::newRow("close button") << QStringLiteral("BitBtn_dwset_close");
}

void TestOrgPanel::leavingStoresNothing()
{
    QFETCH(QString, button);
    storeOrgValues(QStringLiteral("某某有限公司"), QStringLiteral("0200123456789"), QStringLiteral("中国工商银行"));
    openFromMenu();
    m_panel->Edit_dwqc->setText(QStringLiteral("改过的名称"));
    m_panel->Edit_yhzh->setText(QStringLiteral("999"));
    m_panel->Edit_khh->setText(QString());

    auto* leave = component<QPushButton>(button.toLatin1().constData());
    QVERIFY(leave);
    QTest::mouseClick(leave, Qt::LeftButton);
    QVERIFY(m_panel->isHidden());
    QCOMPARE(storedOrgValue(QStringLiteral("qc")).toString(), QStringLiteral("某某有限公司"));
    QCOMPARE(storedOrgValue(QStringLiteral("zh")).toString(), QStringLiteral("0200123456789"));
    QCOMPARE(storedOrgValue(QStringLiteral("khh")).toString(), QStringLiteral("中国工商银行"));
    // The hidden panel keeps the edited text until it is opened again.
    QCOMPARE(m_panel->Edit_dwqc->text(), QStringLiteral("改过的名称"));

    openFromMenu();
    QCOMPARE(m_panel->Edit_dwqc->text(), QStringLiteral("某某有限公司"));
    QCOMPARE(m_panel->Edit_yhzh->text(), QStringLiteral("0200123456789"));
    QCOMPARE(m_panel->Edit_khh->text(), QStringLiteral("中国工商银行"));
}

void TestOrgPanel::tabAndEnterMoveThroughTheFields()
{
    Frm_main->show();
    QVERIFY(QTest::qWaitForWindowActive(Frm_main));
    openFromMenu();

    m_panel->Edit_dwqc->setFocus();
    QTRY_VERIFY(m_panel->Edit_dwqc->hasFocus());
    QTest::keyClick(m_panel->Edit_dwqc, Qt::Key_Tab);
    QTRY_VERIFY(m_panel->Edit_yhzh->hasFocus());
    QTest::keyClick(m_panel->Edit_yhzh, Qt::Key_Tab);
    QTRY_VERIFY(m_panel->Edit_khh->hasFocus());

    m_panel->Edit_dwqc->setFocus();
    QTRY_VERIFY(m_panel->Edit_dwqc->hasFocus());
    QTest::keyClicks(m_panel->Edit_dwqc, QStringLiteral("abc"));
    QTest::keyClick(m_panel->Edit_dwqc, Qt::Key_Return);
    QTRY_VERIFY(m_panel->Edit_yhzh->hasFocus());
    QTest::keyClick(m_panel->Edit_yhzh, Qt::Key_Enter, Qt::KeypadModifier);
    QTRY_VERIFY(m_panel->Edit_khh->hasFocus());
    // Enter in the first two fields only moves: nothing is stored yet.
    QVERIFY(!m_panel->isHidden());
    QCOMPARE(m_panel->Edit_dwqc->text(), QStringLiteral("abc"));
    QVERIFY(!storedOrgValue(QStringLiteral("qc")).isValid());
    // Enter in the last field runs "确 定": stored, and the panel closes.
    QTest::keyClick(m_panel->Edit_khh, Qt::Key_Return);
    QVERIFY(m_panel->isHidden());
    QCOMPARE(storedOrgValue(QStringLiteral("qc")).toString(), QStringLiteral("abc"));
}

void TestOrgPanel::unwritableSettingsKeepThePanelOpen()
{
    openFromMenu();
    // The organisation's settings folder is taken by a plain file: nothing can be written.
    {
        QFile blocker(m_sandbox->path(QStringLiteral("Bexholt")));
        QVERIFY(QDir(m_sandbox->path(QStringLiteral("Bexholt"))).removeRecursively());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    m_panel->Edit_dwqc->setText(QStringLiteral(" 某某有限公司 "));
    QTest::mouseClick(m_panel->Button_dwset_qd, Qt::LeftButton);

    QCOMPARE(m_prompter->questions.size(), 1);
    QCOMPARE(m_prompter->last().kind, QStringLiteral("error"));
    QCOMPARE(m_prompter->last().caption, QStringLiteral("Quillmate"));
    QCOMPARE(m_prompter->last().text,
             QStringLiteral("设置没有保存: 无法写入 %1。").arg(m_sandbox->path(QStringLiteral("Bexholt/qc.conf"))));
    QVERIFY(!m_panel->isHidden());
    QCOMPARE(m_panel->Edit_dwqc->text(), QStringLiteral(" 某某有限公司 "));
}

QTEST_MAIN(TestOrgPanel)
#include "tst_orgpanel.moc"
