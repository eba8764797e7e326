#include "app/Forms.h"
#include "app/Login.h"
#include "app/MainWindow.h"
#include "common/PasswordHash.h"
#include "settings/PasswordPanel.h"
#include "store/Settings.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Zt_typro;

namespace
{
/// Runs step once the event loop of a modal dialog is running.
void whenModal(QObject* context, std::function<void()> step)
{
    QTimer::singleShot(0, context, std::move(step));
}

/// What the real message box showed before it was answered.
struct SeenBox
{
    bool seen = false;
    QString caption;
    QString text;
    int buttons = 0;
    QMessageBox::Icon icon = QMessageBox::Information;
    QWidget* owner = nullptr;
};

/// Waits (up to a few seconds) for a message box to become the active modal widget, records it
/// and presses its only button.
void answerNextMessageBox(QObject* context, SeenBox* seen)
{
    auto* poll = new QTimer(context);
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(poll, &QTimer::timeout, context, [poll, clock, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (clock->elapsed() > 5000) {
                poll->deleteLater();
                delete clock;
            }
            return;
        }
        seen->seen = true;
        seen->caption = box->windowTitle();
        seen->text = box->text();
        seen->buttons = int(box->buttons().size());
        seen->icon = box->icon();
        seen->owner = box->parentWidget();
        poll->stop();
        poll->deleteLater();
        delete clock;
        box->buttons().constFirst()->click();
    });
    poll->start(10);
}
} // namespace

class TestLogin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogHasItsComponents();
    void activationCreatesTheKeyAndFocusesTheField();
    void login_data();
    void login();
    void refusalKeepsTheTextAndAllowsAnotherTry();
    void unreadablePasswordIsReportedAndTheDialogStays();
    void wrongPasswordsInARow_makeTheNextTryWait();
    void damagedRoundCountIsRefusedWithAMessage();

    void gateOpensOnTheRightPasswordTypedWithEnter();
    void gateEndsOnCancelOrClose_data();
    void gateEndsOnCancelOrClose();
    void escapeNeitherCancelsNorCloses();
    void gateAnswersTheRealMessageBox();

    void hintTellsTheFirstPasswordAndWhereToSetIt();
    void hint_shownOnlyWhileNoPasswordIsStored_data();
    void hint_shownOnlyWhileNoPasswordIsStored();
    void firstLoginWithTheEmptyPassword_offersOnce_data();
    void firstLoginWithTheEmptyPassword_offersOnce();
    void offerTakenUp_thePasswordSetGuardsTheNextStart();
    void loginWithAPassword_neverOffers();

private:
    /// Runs the login gate as start-up does, typing entry and pressing Enter once it is up.
    bool passGate(const QString& entry);
    /// Ends the forms and builds them again, as a second start of the program would; the
    /// settings stay.
    void restart();

    std::unique_ptr<SettingsSandbox> m_sandbox;
    std::unique_ptr<FormsFixture> m_forms;
};

void TestLogin::init()
{
    m_sandbox = std::make_unique<SettingsSandbox>();
    QVERIFY(m_sandbox->valid());
    m_forms = std::make_unique<FormsFixture>();
    QVERIFY(Frm_login);
    QVERIFY(Frm_main);
}

void TestLogin::cleanup()
{
    m_forms.reset();
    m_sandbox.reset();
}

void TestLogin::dialogHasItsComponents()
{
    QCOMPARE(Frm_login->objectName(), QStringLiteral("Frm_login"));
    QCOMPARE(Frm_login->windowTitle(), QStringLiteral("登录"));
    QVERIFY(Frm_login->isHidden());
    QCOMPARE(Frm_login->size(), QSize(224, 154));
    QCOMPARE(Frm_login->minimumSize(), Frm_login->maximumSize());
    QVERIFY(!(Frm_login->windowFlags() & Qt::WindowMinMaxButtonsHint));
    QVERIFY(Frm_login->windowFlags() & Qt::WindowCloseButtonHint);

    auto* group = Frm_login->findChild<QGroupBox*>(QStringLiteral("GroupBox1"));
    QVERIFY(group);
    QCOMPARE(group->title(), QStringLiteral("请输入密码"));
    QCOMPARE(group->font().pixelSize(), 15);
    auto* edit = Frm_login->findChild<QLineEdit*>(QStringLiteral("Edit_pass"));
    QCOMPARE(edit, Frm_login->Edit_pass);
    QCOMPARE(edit->parentWidget(), group);
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
    edit->setText(QStringLiteral("abc 密码"));
    QCOMPARE(edit->displayText(), QStringLiteral("******"));

    auto* yes = Frm_login->findChild<QPushButton*>(QStringLiteral("Button_yes"));
    auto* cancel = Frm_login->findChild<QPushButton*>(QStringLiteral("Button_cancel"));
    QVERIFY(yes && cancel);
    QCOMPARE(yes->text(), QStringLiteral("登 录"));
    QVERIFY(yes->isDefault());
    QCOMPARE(cancel->text(), QStringLiteral("取 消"));
    QVERIFY(!cancel->isDefault());
}

void TestLogin::activationCreatesTheKeyAndFocusesTheField()
{
    const QString passFile = m_sandbox->path(QStringLiteral("Bexholt/pass.conf"));
    QVERIFY(!QFile::exists(passFile));
    Frm_login->show();
    QVERIFY(QTest::qWaitForWindowActive(Frm_login));
    QTRY_VERIFY(Frm_login->Edit_pass->hasFocus());
    QVERIFY(QFile::exists(passFile));

    // Each activation puts the focus back into the field.
    Frm_login->Button_cancel->setFocus();
    QVERIFY(!Frm_login->Edit_pass->hasFocus());
    Frm_main->show();
    QVERIFY(QTest::qWaitForWindowActive(Frm_main));
    Frm_login->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frm_login));
    QTRY_VERIFY(Frm_login->Edit_pass->hasFocus());
    Frm_login->hide();
}

void TestLogin::login_data()
{
    QTest::addColumn<bool>("storeIt");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("in");

    QTest::newRow("first run, empty") << false << QString() << QString() << true;
    QTest::newRow("first run, blanks") << false << QString() << QStringLiteral("   \t") << true;
    QTest::newRow("first run, anything else") << false << QString() << QStringLiteral("x") << false;
    QTest::newRow("stored empty, empty") << true << QString() << QString() << true;

    QTest::newRow("plain, right") << true << QStringLiteral("secret") << QStringLiteral("secret") << true;
    QTest::newRow("plain, blanks around") << true << QStringLiteral("secret") << QStringLiteral("  secret\t ") << true;
    QTest::newRow("plain, other case") << true << QStringLiteral("secret") << QStringLiteral("SECRET") << false;
    QTest::newRow("plain, shorter") << true << QStringLiteral("secret") << QStringLiteral("secre") << false;
    QTest::newRow("plain, empty") << true << QStringLiteral("secret") << QString() << false;
    QTest::newRow("plain, blank inside") << true << QStringLiteral("se cret") << QStringLiteral(" se cret ") << true;
    QTest::newRow("plain, stored with a blank can't be matched")
        << true << QStringLiteral(" secret") << QStringLiteral(" secret") << false;
    QTest::newRow("plain Chinese") << true << QStringLiteral("密码") << QStringLiteral("\u3000密码") << true;

    const QString hash = PasswordHash(QStringLiteral("Secret密码"), 1000);
    QTest::newRow("hash, right") << true << hash << QStringLiteral("Secret密码") << true;
    QTest::newRow("hash, blanks around") << true << hash << QStringLiteral(" Secret密码 ") << true;
    QTest::newRow("hash, other case") << true << hash << QStringLiteral("secret密码") << false;
    QTest::newRow("hash, the stored text itself") << true << hash << hash << false;
}

void TestLogin::login()
{
    QFETCH(bool, storeIt);
    QFETCH(QString, stored);
    QFETCH(QString, entry);
    QFETCH(bool, in);

    if (storeIt)
        WritePassword(stored);
    ScriptedPrompter prompter;
    Frm_login->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frm_login));
    QVERIFY(!Frm_main->isVisible());
    Frm_login->Edit_pass->setText(entry);
    QTest::mouseClick(Frm_login->Button_yes, Qt::LeftButton);

    QCOMPARE(Frm_main->isVisible(), in);
    QCOMPARE(Frm_login->isVisible(), !in);
    if (in) {
        QVERIFY(prompter.questions.isEmpty());
    } else {
        QCOMPARE(prompter.questions.size(), 1);
        QCOMPARE(prompter.last().kind, QStringLiteral("inform"));
        QCOMPARE(prompter.last().caption, QStringLiteral("提示"));
        QCOMPARE(prompter.last().text, QStringLiteral("密码错误!"));
        QCOMPARE(Frm_login->Edit_pass->text(), entry);
    }
    // A plain password that let the operator in is stored as its hash from then on; anything
    // else stays as stored.
    if (storeIt && in && !stored.isEmpty() && !IsPasswordHash(stored)) {
        QVERIFY(IsPasswordHash(ReadPassword()));
        QVERIFY(PasswordMatches(TrimText(entry), ReadPassword()));
        QVERIFY(!PasswordMatches(QStringLiteral("x") + TrimText(entry), ReadPassword()));
    } else if (storeIt) {
        QCOMPARE(ReadPassword(), stored);
    }
    Frm_login->hide();
}

void TestLogin::refusalKeepsTheTextAndAllowsAnotherTry()
{
    WritePassword(QStringLiteral("secret"));
    ScriptedPrompter prompter;
    Frm_login->show();
    QVERIFY(QTest::qWaitForWindowActive(Frm_login));
    QTRY_VERIFY(Frm_login->Edit_pass->hasFocus());

    for (int attempt = 1; attempt <= 3; ++attempt) {
        QTest::keyClicks(Frm_login->Edit_pass, QStringLiteral("x"));
        QTest::keyClick(Frm_login->Edit_pass, Qt::Key_Return);
        QCOMPARE(prompter.questions.size(), attempt);
        QCOMPARE(prompter.last().text, QStringLiteral("密码错误!"));
        QCOMPARE(Frm_login->Edit_pass->text(), QString(attempt, u'x'));
        QVERIFY(Frm_login->isVisible());
        QVERIFY(!Frm_main->isVisible());
    }
    Frm_login->Edit_pass->clear();
    QTest::keyClicks(Frm_login->Edit_pass, QStringLiteral("secret"));
    QTest::keyClick(Frm_login->Edit_pass, Qt::Key_Return);
    QCOMPARE(prompter.questions.size(), 3);
    QVERIFY(Frm_main->isVisible());
    QVERIFY(Frm_login->isHidden());
}

// After three wrong passwords in a row, each further one makes the next try wait a second
// longer (the login button is off meanwhile), and the message says so; the right password
// afterwards still lets the operator in.
void TestLogin::wrongPasswordsInARow_makeTheNextTryWait()
{
    WritePassword(PasswordHash(QStringLiteral("secret"), 1000));
    ScriptedPrompter prompter;
    Frm_login->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frm_login));
    const auto tryPassword = [](const QString& text) {
        Frm_login->Edit_pass->setText(text);
        QTest::mouseClick(Frm_login->Button_yes, Qt::LeftButton);
    };
    for (int attempt = 1; attempt <= 3; ++attempt) {
        tryPassword(QStringLiteral("wrong"));
        QCOMPARE(prompter.last().text, QStringLiteral("密码错误!"));
        QVERIFY(Frm_login->Button_yes->isEnabled());
    }
    tryPassword(QStringLiteral("wrong"));
    QCOMPARE(prompter.last().text, QStringLiteral("密码错误! 已连续输错 4 次，请等 1 秒后再试。"));
    QVERIFY(!Frm_login->Button_yes->isEnabled());
    tryPassword(QStringLiteral("secret")); // a click on the button that is off does nothing
    QCOMPARE(prompter.questions.size(), 4);
    QVERIFY(Frm_login->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(Frm_login->Button_yes->isEnabled(), 3000);
    tryPassword(QStringLiteral("wrong"));
    QCOMPARE(prompter.last().text, QStringLiteral("密码错误! 已连续输错 5 次，请等 2 秒后再试。"));
    QTRY_VERIFY_WITH_TIMEOUT(Frm_login->Button_yes->isEnabled(), 4000);
    tryPassword(QStringLiteral("secret"));
    QVERIFY(Frm_main->isVisible());
    QCOMPARE(prompter.questions.size(), 5);
}

// A stored hash that asks for more rounds than the program ever writes is a damaged value: the
// login refuses to run it, says so and where to mend it, and stays.
void TestLogin::damagedRoundCountIsRefusedWithAMessage()
{
    const QString hash = PasswordHash(QStringLiteral("secret"), 1000);
    const QString damaged = QStringLiteral("pbkdf2-sha256$10000000$") + hash.section(u'$', 2);
    WritePassword(damaged);
    ScriptedPrompter prompter;
    Frm_login->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frm_login));
    Frm_login->Edit_pass->setText(QStringLiteral("secret"));
    QTest::mouseClick(Frm_login->Button_yes, Qt::LeftButton);
    QCOMPARE(prompter.last().kind, QStringLiteral("error"));
    QCOMPARE(prompter.last().text,
             QStringLiteral("存储的密码已损坏: 它要求的计算次数 10000000 超过了程序允许的 1240000 次，无法核对。\n"
                            "请在 %1 中删除 pass 这一项，再用空密码登录，然后重新设置密码。")
                 .arg(PasswordSettingsLocation()));
    QVERIFY(Frm_login->isVisible());
    QVERIFY(!Frm_main->isVisible());
    QCOMPARE(ReadPassword(), damaged);
}

void TestLogin::unreadablePasswordIsReportedAndTheDialogStays()
{
    // A settings "file" that cannot be read is an error, never an empty password.
    const QString passFile = m_sandbox->path(QStringLiteral("Bexholt/pass.conf"));
    QVERIFY(QDir().mkpath(passFile));
    ScriptedPrompter prompter;
    Frm_login->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frm_login));
    Frm_login->Edit_pass->clear();
    QTest::mouseClick(Frm_login->Button_yes, Qt::LeftButton);

    QCOMPARE(prompter.questions.size(), 1);
    QCOMPARE(prompter.last().kind, QStringLiteral("error"));
    QCOMPARE(prompter.last().text, QStringLiteral("无法读取设置 %1。").arg(passFile));
    QVERIFY(Frm_login->isVisible());
    QVERIFY(!Frm_main->isVisible());
    Frm_login->hide();
}

void TestLogin::gateOpensOnTheRightPasswordTypedWithEnter()
{
    WritePassword(PasswordHash(QStringLiteral("Open 42"), 1000));
    ScriptedPrompter prompter;
    bool focused = false;
    whenModal(Frm_login, [&] {
        QVERIFY(QTest::qWaitForWindowActive(Frm_login));
        QTRY_VERIFY(Frm_login->Edit_pass->hasFocus());
        focused = true;
        QTest::keyClicks(Frm_login->Edit_pass, QStringLiteral(" Open 42 "));
        QTest::keyClick(Frm_login->Edit_pass, Qt::Key_Enter, Qt::KeypadModifier);
    });
    QVERIFY(Frm_login->runGate());
    QVERIFY(focused);
    QVERIFY(Frm_main->isVisible());
    QVERIFY(Frm_login->isHidden());
    QVERIFY(prompter.questions.isEmpty());
}

void TestLogin::gateEndsOnCancelOrClose_data()
{
    QTest::addColumn<bool>("viaCloseBox");
    QTest::newRow("取 消") << false;
    QTest::newRow("close box") << true;
}

void TestLogin::gateEndsOnCancelOrClose()
{
    QFETCH(bool, viaCloseBox);
    ScriptedPrompter prompter;
    whenModal(Frm_login, [&] {
        // Even with the right (empty) password typed, leaving ends the program.
        Frm_login->Edit_pass->clear();
        if (viaCloseBox)
            Frm_login->close();
        else
            QTest::mouseClick(Frm_login->Button_cancel, Qt::LeftButton);
    });
    QVERIFY(!Frm_login->runGate());
    QVERIFY(!Frm_main->isVisible());
    QVERIFY(Frm_login->isHidden());
    QVERIFY(prompter.questions.isEmpty());
}

void TestLogin::escapeNeitherCancelsNorCloses()
{
    bool stillThere = false;
    whenModal(Frm_login, [&] {
        QVERIFY(QTest::qWaitForWindowActive(Frm_login));
        QTest::keyClick(Frm_login->Edit_pass, Qt::Key_Escape);
        QTest::keyClick(Frm_login, Qt::Key_Escape);
        stillThere = Frm_login->isVisible() && QApplication::activeModalWidget() == Frm_login;
        Frm_login->Button_cancel->click();
    });
    QVERIFY(!Frm_login->runGate());
    QVERIFY(stillThere);
}

void TestLogin::gateAnswersTheRealMessageBox()
{
    // No scripted prompter here: the program's own message box is shown and answered.
    WritePassword(QStringLiteral("secret"));
    SeenBox seen;
    QString textAfter;
    bool stillThere = false;
    whenModal(Frm_login, [&] {
        QVERIFY(QTest::qWaitForWindowActive(Frm_login));
        QTest::keyClicks(Frm_login->Edit_pass, QStringLiteral("Secret"));
        answerNextMessageBox(Frm_login, &seen);
        QTest::mouseClick(Frm_login->Button_yes, Qt::LeftButton); // returns once the box is answered
        textAfter = Frm_login->Edit_pass->text();
        stillThere = Frm_login->isVisible() && !Frm_main->isVisible();
        QTest::mouseClick(Frm_login->Button_cancel, Qt::LeftButton);
    });
    QVERIFY(!Frm_login->runGate());
    QVERIFY(seen.seen);
    QCOMPARE(seen.caption, QStringLiteral("提示"));
    QCOMPARE(seen.text, QStringLiteral("密码错误!"));
    QCOMPARE(seen.buttons, 1);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.owner, static_cast<QWidget*>(Frm_login));
    QCOMPARE(textAfter, QStringLiteral("Secret"));
    QVERIFY(stillThere);
    QVERIFY(!Frm_main->isVisible());
}

bool TestLogin::passGate(const QString& entry)
{
    whenModal(Frm_login, [entry] {
        Frm_login->Edit_pass->setText(entry);
        QTest::keyClick(Frm_login->Edit_pass, Qt::Key_Return);
        // A refused entry leaves the gate up: leave it the way the operator would.
        if (Frm_login->isVisible())
            Frm_login->Button_cancel->click();
    });
    return Frm_login->runGate();
}

void TestLogin::restart()
{
    m_forms.reset();
    m_forms = std::make_unique<FormsFixture>();
}

// The first password is told where it is asked for: a new installation has none, and it is set
// at 系统设置 → 密码设置. The hint fits between the field and the buttons, wholly readable.
void TestLogin::hintTellsTheFirstPasswordAndWhereToSetIt()
{
    Frm_login->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frm_login));
    auto* hint = Frm_login->findChild<QLabel*>(QStringLiteral("PasswordHint"));
    QVERIFY(hint);
    QCOMPARE(hint, Frm_login->PasswordHint);
    QVERIFY(hint->isVisible());
    QVERIFY(hint->text().contains(QStringLiteral("新安装的程序没有密码")));
    QVERIFY(hint->text().contains(QStringLiteral("“登 录”")));
    QVERIFY(hint->text().contains(QStringLiteral("系统设置 → 密码设置")));

    const QRect area = hint->geometry();
    QVERIFY(Frm_login->rect().contains(area));
    for (QWidget* other : {static_cast<QWidget*>(Frm_login->GroupBox1), static_cast<QWidget*>(Frm_login->Button_yes),
                           static_cast<QWidget*>(Frm_login->Button_cancel)}) {
        QVERIFY2(!area.intersects(other->geometry()), qPrintable(other->objectName()));
        QVERIFY(Frm_login->rect().contains(other->geometry()));
    }
    // Every line of the text shows: the words need no more height than the label has.
    QVERIFY(hint->wordWrap());
    QVERIFY2(hint->heightForWidth(area.width()) <= area.height(),
             qPrintable(QStringLiteral("%1 > %2").arg(hint->heightForWidth(area.width())).arg(area.height())));
    // The field still has room for what is typed.
    QVERIFY(Frm_login->GroupBox1->rect().contains(Frm_login->Edit_pass->geometry()));
    Frm_login->hide();
}

void TestLogin::hint_shownOnlyWhileNoPasswordIsStored_data()
{
    QTest::addColumn<bool>("storeIt");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("hint");
    QTest::newRow("first run") << false << QString() << true;
    QTest::newRow("stored empty") << true << QString() << true;
    QTest::newRow("plain text password") << true << QStringLiteral("secret") << false;
    QTest::newRow("hashed password") << true << PasswordHash(QStringLiteral("secret"), 1000) << false;
}

// The gate tells that the field may be left empty only while no password is stored; once one is
// set the hint is gone and the buttons come up under the field, the dialog no taller than they
// need.
void TestLogin::hint_shownOnlyWhileNoPasswordIsStored()
{
    QFETCH(bool, storeIt);
    QFETCH(QString, stored);
    QFETCH(bool, hint);
    if (storeIt)
        WritePassword(stored);
    ScriptedPrompter prompter;
    // What the gate shows, taken while it is up; the gate is then cancelled.
    bool seen = false;
    bool shown = false;
    QString text;
    QRect area;
    QSize dialog;
    QList<QRect> buttons;
    int fieldBottom = 0;
    whenModal(Frm_login, [&] {
        seen = true;
        shown = Frm_login->PasswordHint->isVisible();
        text = Frm_login->PasswordHint->text();
        area = Frm_login->PasswordHint->geometry();
        dialog = Frm_login->size();
        for (QPushButton* button : {Frm_login->Button_yes, Frm_login->Button_cancel})
            buttons << (button->isVisible() ? button->geometry() : QRect());
        fieldBottom = Frm_login->GroupBox1->geometry().bottom();
        Frm_login->Button_cancel->click();
    });
    QVERIFY(!Frm_login->runGate());
    QVERIFY(seen);
    QCOMPARE(shown, hint);
    QVERIFY(text.contains(QStringLiteral("新安装的程序没有密码")));
    for (const QRect& button : buttons) {
        QVERIFY(!button.isNull());
        QVERIFY(QRect(QPoint(), dialog).contains(button));
        QVERIFY(button.top() > fieldBottom);
        if (hint)
            QVERIFY(!area.intersects(button));
        else // no empty band where the hint would be
            QVERIFY2(button.top() < area.top() + 8, qPrintable(QString::number(button.top())));
        QCOMPARE(dialog.height(), button.bottom() + 1 + 7);
    }
    QCOMPARE(prompter.questions.size(), 0);
}

void TestLogin::firstLoginWithTheEmptyPassword_offersOnce_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("是: the password panel opens") << true;
    QTest::newRow("否: nothing opens") << false;
}

// The first login with the empty password asks, over the main window, whether to set a
// password; Yes opens the password panel, ready for the new password. The question is asked once:
// a later start with the empty password goes straight in, whatever was answered.
void TestLogin::firstLoginWithTheEmptyPassword_offersOnce()
{
    QFETCH(bool, answer);
    {
        ScriptedPrompter prompter;
        prompter.confirmAnswers.enqueue(answer);
        QVERIFY(!ReadPasswordOffered());
        QVERIFY(passGate(QStringLiteral("  ")));
        QVERIFY(Frm_main->isVisible());
        QCOMPARE(prompter.questions.size(), 1);
        QCOMPARE(prompter.last().kind, QStringLiteral("confirm"));
        QCOMPARE(prompter.last().caption, QStringLiteral("提示"));
        QCOMPARE(prompter.last().text,
                 QStringLiteral("现在的登录密码为空，任何人都可以打开本程序。\n是否现在设置登录密码？"
                                "（选“是”打开密码设置，原密码一栏留空。）\n"
                                "以后也可以在 系统设置 → 密码设置 中设置。这个问题只问一次。"));
        QCOMPARE(Frm_main->Panel_pass->isVisible(), answer);
        if (answer) {
            QVERIFY(Frm_main->Panel_pass->Edit_old_pass->text().isEmpty());
            QVERIFY(Frm_main->Panel_pass->Edit_newpass->text().isEmpty());
            QVERIFY(Frm_main->Panel_pass->Edit_newpass_too->text().isEmpty());
        }
        QVERIFY(ReadPasswordOffered());
        // The answer set no password by itself.
        QCOMPARE(ReadPassword(), QString());
    }
    for (int start = 2; start <= 3; ++start) {
        restart();
        ScriptedPrompter prompter;
        prompter.confirmAnswers.enqueue(true);
        QVERIFY(passGate(QString()));
        QVERIFY(Frm_main->isVisible());
        QVERIFY2(prompter.questions.isEmpty(), qPrintable(prompter.last().text));
        QVERIFY(!Frm_main->Panel_pass->isVisible());
    }
}

// The operator takes the offer, sets a password in the panel it opened, and from the next start
// on the empty password is refused and the new one lets the operator in, without another offer.
void TestLogin::offerTakenUp_thePasswordSetGuardsTheNextStart()
{
    {
        ScriptedPrompter prompter;
        prompter.confirmAnswers.enqueue(true);
        QVERIFY(passGate(QString()));
        PasswordPanel* panel = Frm_main->Panel_pass;
        QVERIFY(panel->isVisible());
        QTest::keyClicks(panel->Edit_newpass, QStringLiteral("cashier 7"));
        QTest::keyClicks(panel->Edit_newpass_too, QStringLiteral("cashier 7"));
        QTest::mouseClick(panel->Button_pass_qd, Qt::LeftButton);
        QCOMPARE(prompter.last().text, QStringLiteral("密码修改成功!"));
        QVERIFY(!panel->isVisible());
    }
    restart();
    ScriptedPrompter prompter;
    QVERIFY(!passGate(QString()));
    QCOMPARE(prompter.questions.size(), 1);
    QCOMPARE(prompter.last().text, QStringLiteral("密码错误!"));
    restart();
    QVERIFY(passGate(QStringLiteral("cashier 7")));
    QCOMPARE(prompter.questions.size(), 1);
}

// A login with a password, right or after wrong tries, never asks; nor is the offer used up by it.
void TestLogin::loginWithAPassword_neverOffers()
{
    WritePassword(PasswordHash(QStringLiteral("secret"), 1000));
    ScriptedPrompter prompter;
    prompter.confirmAnswers.enqueue(true);
    QVERIFY(!passGate(QString()));
    QCOMPARE(prompter.questions.size(), 1);
    QCOMPARE(prompter.last().text, QStringLiteral("密码错误!"));
    restart();
    QVERIFY(passGate(QStringLiteral("secret")));
    QCOMPARE(prompter.questions.size(), 1);
    QVERIFY(!Frm_main->Panel_pass->isVisible());
    QVERIFY(!ReadPasswordOffered());
    QCOMPARE(prompter.confirmAnswers.size(), 1);
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
