#include "app/Forms.h"
#include "app/Login.h"
#include "app/MainWindow.h"
#include "common/Error.h"
#include "common/PasswordHash.h"
#include "settings/PasswordPanel.h"
#include "store/Settings.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Zt_typro;

namespace
{
QVariant storedPassword()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"),
                       QStringLiteral("pass"));
    return settings.value(QStringLiteral("pass"));
}

// Hashes for the tests use few rounds; the rounds are part of the stored text.
constexpr int kFewRounds = 1000;
} // namespace

class TestPassword : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // The hash
    void pbkdf2MatchesPublishedVectors_data();
    void pbkdf2MatchesPublishedVectors();
    void hashTextHasItsFormAndAFreshSalt();
    void passwordMatches_data();
    void passwordMatches();
    void tooManyRounds_isADamagedValue();

    // The panel
    void panelHasItsComponents();
    void openingClearsTheFields();
    void refusalsStoreNothing_data();
    void refusalsStoreNothing();
    void changeStoresAHashThatLogsIn();
    void leavingStoresNothing_data();
    void leavingStoresNothing();
    void unwritableSettingsKeepThePanelOpen();

private:
    void openFromMenu();
    void fill(const QString& old, const QString& fresh, const QString& again);
    bool logsIn(const QString& entry);

    std::unique_ptr<SettingsSandbox> m_sandbox;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormsFixture> m_forms;
    PasswordPanel* m_panel = nullptr;
};

void TestPassword::init()
{
    m_sandbox = std::make_unique<SettingsSandbox>();
    QVERIFY(m_sandbox->valid());
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_forms = std::make_unique<FormsFixture>();
    m_panel = Frm_main->findChild<PasswordPanel*>(QStringLiteral("Panel_pass"));
    QVERIFY(m_panel);
    QCOMPARE(m_panel, Frm_main->Panel_pass);
}

void TestPassword::cleanup()
{
    m_panel = nullptr;
    m_forms.reset();
    m_prompter.reset();
    m_sandbox.reset();
}

void TestPassword::openFromMenu()
{
    auto* pass_set = Frm_main->findChild<QAction*>(QStringLiteral("pass_set"));
    QVERIFY2(pass_set, "menu item pass_set");
    QVERIFY(pass_set->isEnabled());
    pass_set->trigger();
    QVERIFY(!m_panel->isHidden());
}

void TestPassword::fill(const QString& old, const QString& fresh, const QString& again)
{
    m_panel->Edit_old_pass->setText(old);
    m_panel->Edit_newpass->setText(fresh);
    m_panel->Edit_newpass_too->setText(again);
}

/// Tries entry on the login dialog; true when it let the operator in.
bool TestPassword::logsIn(const QString& entry)
{
    Frm_main->hide();
    const qsizetype asked = m_prompter->questions.size();
    Frm_login->Edit_pass->setText(entry);
    Frm_login->Button_yes->click();
    const bool in = Frm_main->isVisible();
    // A refusal says so; a login does not.
    if (in == (m_prompter->questions.size() != asked))
        qWarning("login and message disagree for %s", qPrintable(entry));
    return in && m_prompter->questions.size() == asked;
}

void TestPassword::pbkdf2MatchesPublishedVectors_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("salt");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<QByteArray>("derived");
    // RFC 7914, section 11: PBKDF2-HMAC-SHA256 test vectors, 64 bytes (two blocks).
    QTest::newRow("passwd/salt/1")
        << QByteArray("passwd") << QByteArray("salt") << 1
        << QByteArray::fromHex("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                               "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    QTest::newRow("Password/NaCl/80000")
        << QByteArray("Password") << QByteArray("NaCl") << 80000
        << QByteArray::fromHex("4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
                               "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d");
}

void TestPassword::pbkdf2MatchesPublishedVectors()
{
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, salt);
    QFETCH(int, rounds);
    QFETCH(QByteArray, derived);
    QCOMPARE(Pbkdf2HmacSha256(password, salt, rounds, 64).toHex(), derived.toHex());
    // A shorter key is the start of the longer one; a longer one goes on into a third block.
    QCOMPARE(Pbkdf2HmacSha256(password, salt, rounds, 20).toHex(), derived.left(20).toHex());
    QCOMPARE(Pbkdf2HmacSha256(password, salt, rounds, 70).left(64).toHex(), derived.toHex());
}

void TestPassword::hashTextHasItsFormAndAFreshSalt()
{
    const QString first = PasswordHash(QStringLiteral("秘密 1"), kFewRounds);
    const QString second = PasswordHash(QStringLiteral("秘密 1"), kFewRounds);
    const QRegularExpression form(QStringLiteral("^pbkdf2-sha256\\$1000\\$[A-Za-z0-9+/]{22}==\\$[A-Za-z0-9+/]{43}=$"));
    QVERIFY2(form.match(first).hasMatch(), qPrintable(first));
    QVERIFY(IsPasswordHash(first));
    QVERIFY(first != second);
    QVERIFY(!first.contains(QStringLiteral("秘密")));

    // The hash part is PBKDF2 of the UTF-8 password with the stored salt and rounds.
    const QStringList parts = first.split(u'$');
    const QByteArray salt = QByteArray::fromBase64(parts.at(2).toLatin1());
    QCOMPARE(parts.at(3).toLatin1(),
             Pbkdf2HmacSha256(QStringLiteral("秘密 1").toUtf8(), salt, kFewRounds, 32).toBase64());

    const QString standard = PasswordHash(QStringLiteral("x"));
    QVERIFY2(standard.startsWith(QStringLiteral("pbkdf2-sha256$%1$").arg(kPasswordRounds)), qPrintable(standard));
    QVERIFY(kPasswordRounds >= 100000);
}

void TestPassword::passwordMatches_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("matches");

    const QString hash = PasswordHash(QStringLiteral("Secret密码"), kFewRounds);
    QTest::newRow("hash, right") << QStringLiteral("Secret密码") << hash << true;
    QTest::newRow("hash, other case") << QStringLiteral("secret密码") << hash << false;
    QTest::newRow("hash, shorter") << QStringLiteral("Secret") << hash << false;
    QTest::newRow("hash, empty") << QString() << hash << false;
    QTest::newRow("hash text typed in") << hash << hash << false;
    QTest::newRow("hash of empty") << QString() << PasswordHash(QString(), kFewRounds) << true;

    QTest::newRow("plain, right") << QStringLiteral("abc") << QStringLiteral("abc") << true;
    QTest::newRow("plain, other case") << QStringLiteral("ABC") << QStringLiteral("abc") << false;
    QTest::newRow("plain, longer") << QStringLiteral("abcd") << QStringLiteral("abc") << false;
    QTest::newRow("plain, stored with a blank") << QStringLiteral("abc") << QStringLiteral(" abc") << false;
    QTest::newRow("plain, both empty") << QString() << QString() << true;
    QTest::newRow("plain, nothing stored") << QStringLiteral("x") << QString() << false;
    QTest::newRow("plain Chinese") << QStringLiteral("密码") << QStringLiteral("密码") << true;

    // Texts that only look like a hash are plain passwords.
    QTest::newRow("broken base64: plain") << QStringLiteral("pbkdf2-sha256$1$!!$!!")
                                          << QStringLiteral("pbkdf2-sha256$1$!!$!!") << true;
    QTest::newRow("other scheme: plain") << QStringLiteral("x") << QStringLiteral("md5$1$YQ==$YQ==") << false;
}

void TestPassword::passwordMatches()
{
    QFETCH(QString, entry);
    QFETCH(QString, stored);
    QFETCH(bool, matches);
    QCOMPARE(PasswordMatches(entry, stored), matches);
}

// A hash asking for more rounds than a few times what the program writes is never run: it would
// hold the login for many seconds at every try. The limit itself is still checked.
void TestPassword::tooManyRounds_isADamagedValue()
{
    const QString hash = PasswordHash(QStringLiteral("abc"), kFewRounds);
    const QString tail = hash.section(u'$', 2);
    for (const QString& rounds : {QStringLiteral("1240001"), QStringLiteral("99999999999")}) {
        const QString stored = QStringLiteral("pbkdf2-sha256$") + rounds + u'$' + tail;
        QVERIFY(!IsPasswordHash(stored));
        QVERIFY_THROWS_EXCEPTION(AppError, PasswordMatches(QStringLiteral("abc"), stored));
    }
    QCOMPARE(kMaxPasswordRounds, 4 * kPasswordRounds);
    const QString atLimit = PasswordHash(QStringLiteral("abc"), kMaxPasswordRounds);
    QVERIFY(PasswordMatches(QStringLiteral("abc"), atLimit));
}

void TestPassword::panelHasItsComponents()
{
    QCOMPARE(m_panel->geometry(), QRect(224, 80, 289, 201));
    QCOMPARE(m_panel->titleLabel()->text(), QStringLiteral("密码设置"));
    QCOMPARE(Frm_main->findChild<QGroupBox*>(QStringLiteral("GroupBox9"))->title(), QStringLiteral("密码设置"));
    QCOMPARE(Frm_main->findChild<QLabel*>(QStringLiteral("Label52"))->text(), QStringLiteral("输 入 原 密 码:"));
    QCOMPARE(Frm_main->findChild<QLabel*>(QStringLiteral("Label53"))->text(), QStringLiteral("输 入 新 密 码:"));
    QCOMPARE(Frm_main->findChild<QLabel*>(QStringLiteral("Label54"))->text(), QStringLiteral("再次输入新密码:"));
    QCOMPARE(Frm_main->findChild<QPushButton*>(QStringLiteral("Button_pass_qd"))->text(), QStringLiteral("确 定"));
    QCOMPARE(Frm_main->findChild<QPushButton*>(QStringLiteral("Button_pass_qx"))->text(), QStringLiteral("取 消"));
    QCOMPARE(Frm_main->findChild<QPushButton*>(QStringLiteral("BitBtn_pass_close")), m_panel->closeButton());
    for (const char* name : {"Edit_old_pass", "Edit_newpass", "Edit_newpass_too"}) {
        auto* edit = Frm_main->findChild<QLineEdit*>(QString::fromLatin1(name));
        QVERIFY2(edit, name);
        edit->setText(QStringLiteral("ab 密"));
        QCOMPARE(edit->displayText(), QStringLiteral("****"));
    }
}

void TestPassword::openingClearsTheFields()
{
    fill(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
    openFromMenu();
    QCOMPARE(m_panel->Edit_old_pass->text(), QString());
    QCOMPARE(m_panel->Edit_newpass->text(), QString());
    QCOMPARE(m_panel->Edit_newpass_too->text(), QString());

    // Also when it is already open.
    fill(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
    openFromMenu();
    QCOMPARE(m_panel->Edit_old_pass->text(), QString());
    QCOMPARE(m_panel->Edit_newpass->text(), QString());
    QCOMPARE(m_panel->Edit_newpass_too->text(), QString());
}

void TestPassword::refusalsStoreNothing_data()
{
    QTest::addColumn<QString>("stored"); // empty: nothing stored yet
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("again");
    QTest::addColumn<QString>("message");

    const QString wrongOld = QStringLiteral("原密码错误!");
    const QString disagree = QStringLiteral("两次输入的新密码不一致!");
    QTest::newRow("old wrong") << QStringLiteral("old1") << QStringLiteral("old2") << QStringLiteral("n")
                               << QStringLiteral("n") << wrongOld;
    QTest::newRow("old in other case") << QStringLiteral("old1") << QStringLiteral("OLD1") << QStringLiteral("n")
                                       << QStringLiteral("n") << wrongOld;
    QTest::newRow("old empty") << QStringLiteral("old1") << QString() << QStringLiteral("n") << QStringLiteral("n")
                               << wrongOld;
    QTest::newRow("old wrong against a hash") << PasswordHash(QStringLiteral("old1"), kFewRounds)
                                              << QStringLiteral("old") << QStringLiteral("n") << QStringLiteral("n")
                                              << wrongOld;
    QTest::newRow("first run, old not empty") << QString() << QStringLiteral("x") << QStringLiteral("n")
                                              << QStringLiteral("n") << wrongOld;
    QTest::newRow("new ones differ") << QStringLiteral("old1") << QStringLiteral("old1") << QStringLiteral("new1")
                                     << QStringLiteral("new2") << disagree;
    QTest::newRow("new ones differ in case") << QStringLiteral("old1") << QStringLiteral(" old1 ")
                                             << QStringLiteral("new1") << QStringLiteral("NEW1") << disagree;
    QTest::newRow("second one missing") << QStringLiteral("old1") << QStringLiteral("old1") << QStringLiteral("new1")
                                        << QString() << disagree;
    QTest::newRow("both checks fail: the old one is told") << QStringLiteral("old1") << QStringLiteral("x")
                                                           << QStringLiteral("a") << QStringLiteral("b") << wrongOld;
}

void TestPassword::refusalsStoreNothing()
{
    QFETCH(QString, stored);
    QFETCH(QString, old);
    QFETCH(QString, fresh);
    QFETCH(QString, again);
    QFETCH(QString, message);

    if (!stored.isEmpty())
        WritePassword(stored);
    openFromMenu();
    fill(old, fresh, again);
    QTest::mouseClick(m_panel->Button_pass_qd, Qt::LeftButton);

    QCOMPARE(m_prompter->questions.size(), 1);
    QCOMPARE(m_prompter->last().kind, QStringLiteral("inform"));
    QCOMPARE(m_prompter->last().caption, QStringLiteral("提示"));
    QCOMPARE(m_prompter->last().text, message);
    QVERIFY(!m_panel->isHidden());
    QCOMPARE(m_panel->Edit_old_pass->text(), old);
    QCOMPARE(m_panel->Edit_newpass->text(), fresh);
    QCOMPARE(m_panel->Edit_newpass_too->text(), again);
    if (stored.isEmpty())
        QVERIFY(!storedPassword().isValid());
    else
        QCOMPARE(storedPassword().toString(), stored);
}

void TestPassword::changeStoresAHashThatLogsIn()
{
    WritePassword(QStringLiteral("old pass"));
    QVERIFY(logsIn(QStringLiteral("old pass")));

    openFromMenu();
    fill(QStringLiteral("  old pass "), QStringLiteral(" 新的Pass "), QStringLiteral("新的Pass"));
    QTest::mouseClick(m_panel->Button_pass_qd, Qt::LeftButton);

    QCOMPARE(m_prompter->questions.size(), 1);
    QCOMPARE(m_prompter->last().kind, QStringLiteral("inform"));
    QCOMPARE(m_prompter->last().caption, QStringLiteral("提示"));
    QCOMPARE(m_prompter->last().text, QStringLiteral("密码修改成功!"));
    QVERIFY(m_panel->isHidden());

    const QString stored = storedPassword().toString();
    QVERIFY2(IsPasswordHash(stored), qPrintable(stored));
    QVERIFY(stored.startsWith(QStringLiteral("pbkdf2-sha256$%1$").arg(kPasswordRounds)));
    QVERIFY(!stored.contains(QStringLiteral("新的")));
    QVERIFY(!stored.contains(QStringLiteral("Pass")));
    QCOMPARE(ReadPassword(), stored);

    // The new password logs in, trimmed as always; the old one and other spellings do not.
    QVERIFY(logsIn(QStringLiteral("新的Pass")));
    QVERIFY(logsIn(QStringLiteral("  新的Pass\t")));
    QVERIFY(!logsIn(QStringLiteral("新的pass")));
    QVERIFY(!logsIn(QStringLiteral("old pass")));

    // And it is the old password of the next change.
    openFromMenu();
    fill(QStringLiteral("old pass"), QStringLiteral("third"), QStringLiteral("third"));
    m_prompter->questions.clear();
    QTest::mouseClick(m_panel->Button_pass_qd, Qt::LeftButton);
    QCOMPARE(m_prompter->last().text, QStringLiteral("原密码错误!"));
    fill(QStringLiteral("新的Pass"), QStringLiteral("third"), QStringLiteral("third"));
    QTest::mouseClick(m_panel->Button_pass_qd, Qt::LeftButton);
    QCOMPARE(m_prompter->last().text, QStringLiteral("密码修改成功!"));
    QVERIFY(logsIn(QStringLiteral("third")));
}

void TestPassword::leavingStoresNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("取 消") << QStringLiteral("Button_pass_qx");
    QTest::newRow("close button") << QStringLiteral("BitBtn_pass_close");
}

void TestPassword::leavingStoresNothing()
{
    QFETCH(QString, button);
    WritePassword(QStringLiteral("old1"));
    openFromMenu();
    fill(QStringLiteral("old1"), QStringLiteral("new1"), QStringLiteral("new1"));
    auto* leave = Frm_main->findChild<QPushButton*>(button);
    QVERIFY(leave);
    QTest::mouseClick(leave, Qt::LeftButton);
    QVERIFY(m_panel->isHidden());
    QCOMPARE(storedPassword().toString(), QStringLiteral("old1"));
    QVERIFY(m_prompter->questions.isEmpty());
}

void TestPassword::unwritableSettingsKeepThePanelOpen()
{
    // The organisation's settings folder is taken by a plain file: the password reads as empty
    // and nothing can be written.
    {
        QFile blocker(m_sandbox->path(QStringLiteral("Bexholt")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    openFromMenu();
    fill(QString(), QStringLiteral("new1"), QStringLiteral("new1"));
    QTest::mouseClick(m_panel->Button_pass_qd, Qt::LeftButton);

    QCOMPARE(m_prompter->questions.size(), 1);
    QCOMPARE(m_prompter->last().kind, QStringLiteral("error"));
    QCOMPARE(m_prompter->last().text,
             QStringLiteral("设置没有保存: 无法写入 %1。").arg(m_sandbox->path(QStringLiteral("Bexholt/pass.conf"))));
    QVERIFY(!m_panel->isHidden());
    QCOMPARE(m_panel->Edit_newpass->text(), QStringLiteral("new1"));
}

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
