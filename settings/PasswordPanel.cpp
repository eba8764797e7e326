#include "settings/PasswordPanel.h"

#include "common/Guard.h"
#include "common/Named.h"
#include "common/PasswordEcho.h"
#include "common/PasswordHash.h"
#include "common/Prompt.h"
#include "store/Settings.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using Zt_typro::connectGuarded;
using Zt_typro::named;

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_pass", "Image_mmset", "Label51", "BitBtn_pass_close", "密码设置"};

void tell(QWidget* owner, const char* text)
{
    Zt_typro::prompter().inform(owner, QStringLiteral("提示"), QString::fromUtf8(text));
}
} // namespace

PasswordPanel::PasswordPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 289, 201))
{
    GroupBox9 = named<QGroupBox>(this, "GroupBox9", QStringLiteral("密码设置"));
    GroupBox9->setGeometry(12, 24, 265, 121);

    const auto row = [this](const char* labelName, const char* caption, const char* editName, int top,
                            QLabel** label, QLineEdit** edit) {
        *label = named<QLabel>(GroupBox9, labelName, QString::fromUtf8(caption));
        (*label)->setGeometry(12, top + 3, 104, 16);
        *edit = named<QLineEdit>(GroupBox9, editName);
        (*edit)->setGeometry(116, top, 133, 21);
        Zt_typro::ShowAsStars(*edit);
        (*label)->setBuddy(*edit);
    };
    row("Label52", "输 入 原 密 码:", "Edit_old_pass", 22, &Label52, &Edit_old_pass);
    row("Label53", "输 入 新 密 码:", "Edit_newpass", 54, &Label53, &Edit_newpass);
    row("Label54", "再次输入新密码:", "Edit_newpass_too", 86, &Label54, &Edit_newpass_too);

    Button_pass_qd = named<QPushButton>(this, "Button_pass_qd", QStringLiteral("确 定"));
    setDefaultButton(Button_pass_qd);
    Button_pass_qd->setGeometry(60, 160, 75, 25);
    Button_pass_qx = named<QPushButton>(this, "Button_pass_qx", QStringLiteral("取 消"));
    Button_pass_qx->setGeometry(156, 160, 75, 25);
    setTabOrder(Edit_old_pass, Edit_newpass);
    setTabOrder(Edit_newpass, Edit_newpass_too);
    setTabOrder(Edit_newpass_too, Button_pass_qd);
    setTabOrder(Button_pass_qd, Button_pass_qx);

    connectGuarded(Button_pass_qd, &QPushButton::clicked, this, [this] { Button_pass_qdClick(); });
    connectGuarded(Button_pass_qx, &QPushButton::clicked, this, [this] { Button_pass_qxClick(); });
    // The panel is already hidden when the close button reports.
    connectGuarded(this, &WorkingPanel::closed, this, [this] { BitBtn_pass_closeClick(); });
}

void PasswordPanel::open()
{
    Edit_old_pass->clear();
    Edit_newpass->clear();
    Edit_newpass_too->clear();
    show();
}

void PasswordPanel::Button_pass_qdClick()
{
    const QString old = Zt_typro::TrimText(Edit_old_pass->text());
    if (!Zt_typro::PasswordMatches(old, Zt_typro::ReadPassword())) {
        tell(this, "原密码错误!");
        return;
    }
    const QString fresh = Zt_typro::TrimText(Edit_newpass->text());
    if (fresh != Zt_typro::TrimText(Edit_newpass_too->text())) {
        tell(this, "两次输入的新密码不一致!");
        return;
    }
    Zt_typro::WritePassword(Zt_typro::PasswordHash(fresh, Zt_typro::NewPasswordRounds()));
    tell(this, "密码修改成功!");
    hide();
}

void PasswordPanel::Button_pass_qxClick()
{
    hide();
}

void PasswordPanel::BitBtn_pass_closeClick()
{
    hide();
}
