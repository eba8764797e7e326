#include "app/Login.h"

#include "app/Forms.h"
#include "app/MainWindow.h"
#include "cheque/PrintCheque.h"
#include "common/Guard.h"
#include "common/Named.h"
#include "common/PasswordEcho.h"
#include "common/PasswordHash.h"
#include "common/Prompt.h"
#include "common/WorkingPanel.h"
#include "store/DataModule.h"
#include "store/Settings.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

using Zt_typro::connectGuarded;
using Zt_typro::guarded;
using Zt_typro::named;

TFrm_login::TFrm_login(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("登录"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(13);
    setFont(font);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Zt_typro::PanelBackground());
    setPalette(pal);
    setFixedSize(224, 154);
    move(300, 208);

    GroupBox1 = named<QGroupBox>(this, "GroupBox1", QStringLiteral("请输入密码"));
    QFont groupFont(QStringLiteral("宋体"));
    groupFont.setPixelSize(15);
    GroupBox1->setFont(groupFont);
    GroupBox1->setGeometry(16, 4, 192, 56);

    Label_user = named<QLabel>(GroupBox1, "Label_user", QStringLiteral("操作员"));
    Label_user->setFont(font);
    Edit_user = named<QLineEdit>(GroupBox1, "Edit_user");
    Edit_user->setFont(font);
    Label_user->setBuddy(Edit_user);
    Label_user->hide();
    Edit_user->hide();
    Edit_pass = named<QLineEdit>(GroupBox1, "Edit_pass");
    Edit_pass->setFont(font);
    Edit_pass->setGeometry(16, 26, 160, 21);
    Zt_typro::ShowAsStars(Edit_pass);

    // A new user does not know the first password: say it here, where it is asked for.
    PasswordHint = named<QLabel>(
        this, "PasswordHint",
        QStringLiteral("新安装的程序没有密码，\n留空，直接按“登 录”即可。\n设置密码: 系统设置 → 密码设置"));
    QFont hintFont(QStringLiteral("宋体"));
    hintFont.setPixelSize(12);
    PasswordHint->setFont(hintFont);
    PasswordHint->setWordWrap(true);
    PasswordHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PasswordHint->setGeometry(10, 62, 204, 56);

    Button_yes = named<QPushButton>(this, "Button_yes", QStringLiteral("登 录"));
    Button_yes->setGeometry(32, 122, 75, 25);
    Button_yes->setDefault(true);
    Button_cancel = named<QPushButton>(this, "Button_cancel", QStringLiteral("取 消"));
    Button_cancel->setGeometry(120, 122, 75, 25);
    Button_bjwj = named<QPushButton>(this, "Button_bjwj", QStringLiteral("改用本机文件"));
    Button_bjwj->hide();
    setTabOrder(Edit_user, Edit_pass);
    setTabOrder(Edit_pass, Button_yes);
    setTabOrder(Button_yes, Button_cancel);

    connectGuarded(Button_yes, &QPushButton::clicked, this, [this] { Button_yesClick(); });
    connectGuarded(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
    connectGuarded(Button_bjwj, &QPushButton::clicked, this, [this] { Button_bjwjClick(); });
}

void TFrm_login::showFor(bool shared, const QString& connection)
{
    m_shared = shared;
    m_connection = connection;
    Label_user->setVisible(shared);
    Edit_user->setVisible(shared);
    Button_bjwj->setVisible(shared);
    if (!shared) {
        // The first password is told only while there is none: once one is set, telling anyone
        // at the gate that the field may be left empty would be wrong. A password that cannot be
        // read is no reason to tell it either (pressing "登 录" says what is wrong).
        bool noPassword = false;
        try {
            noPassword = Zt_typro::ReadPassword().isEmpty();
        } catch (const Zt_typro::AppError& e) {
            qWarning("password not read for the login hint: %s", e.what());
        }
        GroupBox1->setTitle(QStringLiteral("请输入密码"));
        GroupBox1->setGeometry(16, 4, 192, 56);
        Edit_pass->setGeometry(16, 26, 160, 21);
        PasswordHint->setText(
            QStringLiteral("新安装的程序没有密码，\n留空，直接按“登 录”即可。\n设置密码: 系统设置 → 密码设置"));
        PasswordHint->setGeometry(10, 62, 204, 56);
        PasswordHint->setVisible(noPassword);
        // Without the hint the buttons come up under the field.
        const int buttonsTop = noPassword ? 122 : 66;
        setFixedSize(224, buttonsTop + 32);
        Button_yes->setGeometry(32, buttonsTop, 75, 25);
        Button_cancel->setGeometry(120, buttonsTop, 75, 25);
        return;
    }
    // The operator of the shared server and the password of that database role.
    setFixedSize(264, 222);
    GroupBox1->setTitle(QStringLiteral("请输入操作员和密码"));
    GroupBox1->setGeometry(16, 4, 232, 86);
    Label_user->setGeometry(12, 29, 48, 16);
    Edit_user->setGeometry(64, 26, 152, 21);
    Edit_pass->setGeometry(64, 56, 152, 21);
    PasswordHint->setText(QStringLiteral("共享服务器: %1\n更改: 系统设置 → 数据库设置").arg(connection));
    PasswordHint->setGeometry(10, 94, 244, 56);
    PasswordHint->show();
    Button_yes->setGeometry(52, 158, 75, 25);
    Button_cancel->setGeometry(140, 158, 75, 25);
    Button_bjwj->setGeometry(72, 190, 120, 25);
}

void TFrm_login::Button_bjwjClick()
{
    Zt_typro::WriteStoreChoice({false, m_connection});
    Zt_typro::RequireDataModule().useLocalFile();
    m_failures = 0;
    Edit_pass->clear();
    showFor(false, QString());
    Zt_typro::prompter().inform(this, QStringLiteral("提示"),
                                QStringLiteral("已改用本机文件 pjzp.pdp，请输入本程序的登录密码。\n"
                                               "以后可在 系统设置 → 数据库设置 中再选共享服务器。"));
    Edit_pass->setFocus();
}

bool TFrm_login::runGate()
{
    m_loggedIn = false;
    m_emptyPassword = false;
    const Zt_typro::StoreChoice choice = Zt_typro::ReadStoreChoice();
    showFor(choice.shared, choice.connection);
    exec();
    // Asked over the main window once the dialog is gone; whatever happens here, the operator
    // is in.
    if (m_loggedIn && m_emptyPassword)
        guarded([this] { offerToSetPassword(); });
    // Prints the register could not take last time (the paper came out) go in first.
    if (m_loggedIn)
        guarded([] { Zt_typro::WriteKeptPrintsAtStart(Frm_main); });
    return m_loggedIn;
}

void TFrm_login::offerToSetPassword()
{
    if (Zt_typro::ReadPasswordOffered())
        return;
    // Remembered before asking, so that the question never comes back whatever the answer. A
    // store that cannot be written does not keep the operator from setting a password now.
    try {
        Zt_typro::WritePasswordOffered();
    } catch (const Zt_typro::AppError& e) {
        qWarning("password offer not remembered: %s", e.what());
    }
    if (!Zt_typro::prompter().confirm(
            Frm_main, QStringLiteral("提示"),
            QStringLiteral("现在的登录密码为空，任何人都可以打开本程序。\n是否现在设置登录密码？"
                           "（选“是”打开密码设置，原密码一栏留空。）\n"
                           "以后也可以在 系统设置 → 密码设置 中设置。这个问题只问一次。")))
        return;
    Frm_main->pass_setClick();
}

void TFrm_login::FormActivate()
{
    if (m_shared) {
        (Edit_user->text().isEmpty() ? Edit_user : Edit_pass)->setFocus(Qt::ActiveWindowFocusReason);
        return;
    }
    Zt_typro::EnsurePasswordKey();
    Edit_pass->setFocus(Qt::ActiveWindowFocusReason);
}

void TFrm_login::refuse(const QString& message, const QString& waitText, bool withMessage)
{
    ++m_failures;
    if (m_failures <= kFreeTries) {
        Zt_typro::prompter().inform(this, QStringLiteral("提示"), message);
        return;
    }
    // After the third wrong password, each further one makes the next try wait a little longer.
    const int seconds = std::min(m_failures - kFreeTries, kMaxWaitSeconds);
    Button_yes->setEnabled(false);
    QTimer::singleShot(seconds * 1000, Button_yes, [this] { Button_yes->setEnabled(true); });
    Zt_typro::prompter().inform(this, QStringLiteral("提示"),
                                (withMessage ? message + QLatin1Char('\n') : QString()) +
                                    waitText.arg(m_failures).arg(seconds));
}

void TFrm_login::signInToServer()
{
    const QString user = Zt_typro::TrimText(Edit_user->text());
    if (user.isEmpty()) {
        Zt_typro::prompter().inform(this, QStringLiteral("提示"), QStringLiteral("请输入操作员。"));
        Edit_user->setFocus();
        return;
    }
    TD_M& dm = Zt_typro::RequireDataModule();
    dm.useSharedServer(m_connection, user, Edit_pass->text());
    try {
        dm.ensureConnected();
    } catch (const Zt_typro::AppError& e) {
        Edit_pass->clear();
        Edit_pass->setFocus();
        refuse(e.message(), QStringLiteral("已连续 %1 次没有登录成功，请等 %2 秒后再试。"), true);
        return;
    }
    m_failures = 0;
    m_loggedIn = true;
    Frm_main->applyRights();
    Frm_main->show();
    accept();
}

void TFrm_login::FormClose()
{
    m_loggedIn = false;
}

void TFrm_login::Button_yesClick()
{
    if (m_shared) {
        signInToServer();
        return;
    }
    const QString entry = Zt_typro::TrimText(Edit_pass->text());
    const QString stored = Zt_typro::ReadPassword();
    bool matches = false;
    try {
        matches = Zt_typro::PasswordMatches(entry, stored);
    } catch (const Zt_typro::AppError& e) {
        throw Zt_typro::AppError(e.message() +
                                 QStringLiteral("\n请在 %1 中删除 pass 这一项，再用空密码登录，然后重新设置密码。")
                                     .arg(Zt_typro::PasswordSettingsLocation()));
    }
    if (!matches) {
        refuse(QStringLiteral("密码错误!"), QStringLiteral("密码错误! 已连续输错 %1 次，请等 %2 秒后再试。"), false);
        return;
    }
    m_failures = 0;
    m_emptyPassword = entry.isEmpty();
    // A password still stored as plain text is stored as a hash from now on (an empty one, no
    // password at all, stays as it is). Logging in does not depend on it: a store that cannot
    // be written keeps the plain text for the next time.
    if (!stored.isEmpty() && !Zt_typro::IsPasswordHash(stored)) {
        try {
            Zt_typro::WritePassword(Zt_typro::PasswordHash(entry, Zt_typro::NewPasswordRounds()));
        } catch (const Zt_typro::AppError& e) {
            qWarning("password not upgraded to a hash: %s", e.what());
        }
    }
    m_loggedIn = true;
    Frm_main->applyRights();
    Frm_main->show();
    accept(); // hides the dialog and ends its modal loop
}

void TFrm_login::Button_cancelClick()
{
    m_loggedIn = false;
    reject();
}

bool TFrm_login::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        guarded([this] { FormActivate(); });
    return QDialog::event(event);
}

void TFrm_login::closeEvent(QCloseEvent* event)
{
    guarded([this] { FormClose(); });
    QDialog::closeEvent(event); // ends the modal loop: the application is to end
}

void TFrm_login::keyPressEvent(QKeyEvent* event)
{
    // Esc is bound to no button here; it neither cancels nor closes the dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
