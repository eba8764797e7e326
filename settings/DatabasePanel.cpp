#include "settings/DatabasePanel.h"

#include "common/Guard.h"
#include "common/Named.h"
#include "common/Prompt.h"
#include "store/Settings.h"
#include "store/SharedStore.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

using Zt_typro::connectGuarded;
using Zt_typro::named;

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_sjk", "Image_sjk", "Label_sjk", "BitBtn_sjk_close", "数据库设置"};

const QString kHint = QStringLiteral("连接: 如 host=服务器 port=5432 dbname=quillmate，\n"
                                     "或 pg_service.conf 中的服务名。不要写密码。");
} // namespace

DatabasePanel::DatabasePanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(196, 80, 400, 221))
{
    GroupBox_sjk = named<QGroupBox>(this, "GroupBox_sjk", QStringLiteral("数据库设置"));
    GroupBox_sjk->setGeometry(12, 24, 376, 141);

    Label_sjklx = named<QLabel>(GroupBox_sjk, "Label_sjklx", QStringLiteral("登记簿存放在:"));
    Label_sjklx->setGeometry(12, 25, 90, 16);
    ComboBox_sjklx = named<QComboBox>(GroupBox_sjk, "ComboBox_sjklx");
    ComboBox_sjklx->addItems({QStringLiteral("本机文件 (SQLite)"), QStringLiteral("共享服务器 (PostgreSQL)")});
    ComboBox_sjklx->setGeometry(104, 22, 258, 21);
    Label_sjklx->setBuddy(ComboBox_sjklx);

    Label_sjklj = named<QLabel>(GroupBox_sjk, "Label_sjklj", QStringLiteral("连      接:"));
    Label_sjklj->setGeometry(12, 57, 90, 16);
    Edit_sjklj = named<QLineEdit>(GroupBox_sjk, "Edit_sjklj");
    Edit_sjklj->setGeometry(104, 54, 258, 21);
    Label_sjklj->setBuddy(Edit_sjklj);

    Label_sjk_sm = named<QLabel>(GroupBox_sjk, "Label_sjk_sm", kHint);
    Label_sjk_sm->setGeometry(12, 82, 352, 52);
    Label_sjk_sm->setWordWrap(true);
    Label_sjk_sm->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Button_sjk_cs = named<QPushButton>(this, "Button_sjk_cs", QStringLiteral("测试连接"));
    Button_sjk_cs->setGeometry(40, 180, 90, 25);
    Button_sjk_qd = named<QPushButton>(this, "Button_sjk_qd", QStringLiteral("确 定"));
    setDefaultButton(Button_sjk_qd);
    Button_sjk_qd->setGeometry(164, 180, 75, 25);
    Button_sjk_qx = named<QPushButton>(this, "Button_sjk_qx", QStringLiteral("取 消"));
    Button_sjk_qx->setGeometry(264, 180, 75, 25);
    setTabOrder(ComboBox_sjklx, Edit_sjklj);
    setTabOrder(Edit_sjklj, Button_sjk_cs);
    setTabOrder(Button_sjk_cs, Button_sjk_qd);
    setTabOrder(Button_sjk_qd, Button_sjk_qx);

    connect(ComboBox_sjklx, &QComboBox::currentIndexChanged, this, [this] { showKind(); });
    connectGuarded(Button_sjk_cs, &QPushButton::clicked, this, [this] { Button_sjk_csClick(); });
    connectGuarded(Button_sjk_qd, &QPushButton::clicked, this, [this] { Button_sjk_qdClick(); });
    connectGuarded(Button_sjk_qx, &QPushButton::clicked, this, [this] { Button_sjk_qxClick(); });
}

void DatabasePanel::open()
{
    const Zt_typro::StoreChoice choice = Zt_typro::ReadStoreChoice();
    ComboBox_sjklx->setCurrentIndex(choice.shared ? 1 : 0);
    Edit_sjklj->setText(choice.connection);
    Label_sjk_sm->setText(kHint);
    showKind();
    show();
}

void DatabasePanel::showKind()
{
    const bool shared = ComboBox_sjklx->currentIndex() == 1;
    Edit_sjklj->setEnabled(shared);
    Button_sjk_cs->setEnabled(shared);
}

void DatabasePanel::Button_sjk_csClick()
{
    QString message;
    bool ok = false;
    {
        // A server that does not answer may take seconds: the operator sees that it is trying.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        ok = Zt_typro::TestSharedConnection(Edit_sjklj->text(), &message);
    }
    Label_sjk_sm->setText(message);
    if (ok)
        Zt_typro::prompter().inform(this, QStringLiteral("提示"), message);
    else
        Zt_typro::prompter().error(this, QStringLiteral("提示"), message);
}

void DatabasePanel::Button_sjk_qdClick()
{
    Zt_typro::StoreChoice choice;
    choice.shared = ComboBox_sjklx->currentIndex() == 1;
    choice.connection = Edit_sjklj->text().trimmed();
    if (choice.shared) {
        const QString problem = Zt_typro::ConnectionProblem(choice.connection);
        if (!problem.isEmpty()) {
            Zt_typro::prompter().error(this, QStringLiteral("提示"), problem);
            Edit_sjklj->setFocus();
            return;
        }
    } else {
        // A connection typed stays for a later change back, when it could be used: never one
        // holding a password.
        choice.connection = Zt_typro::ReadStoreChoice().connection;
        if (!Edit_sjklj->text().trimmed().isEmpty() && Zt_typro::ConnectionProblem(Edit_sjklj->text()).isEmpty())
            choice.connection = Edit_sjklj->text().trimmed();
    }
    const Zt_typro::StoreChoice before = Zt_typro::ReadStoreChoice();
    Zt_typro::WriteStoreChoice(choice);
    const bool changed = before.shared != choice.shared || (choice.shared && before.connection != choice.connection);
    Zt_typro::prompter().inform(this, QStringLiteral("提示"),
                                changed ? QStringLiteral("数据库设置已保存，重新启动程序后生效。")
                                        : QStringLiteral("数据库设置已保存。"));
    hide();
}

void DatabasePanel::Button_sjk_qxClick()
{
    hide();
}
