#include "settings/OrgPanel.h"

#include "common/Guard.h"
#include "common/Named.h"
#include "store/Settings.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using Zt_typro::connectGuarded;
using Zt_typro::guarded;
using Zt_typro::named;

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_dwset", "Image_dwset", "Label42", "BitBtn_dwset_close", "单位帐号设置"};

bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}
} // namespace

OrgPanel::OrgPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 417, 225))
{
    GroupBox7 = named<QGroupBox>(this, "GroupBox7", QStringLiteral("本单位"));
    GroupBox7->setGeometry(16, 28, 385, 129);

    const auto row = [this](const char* labelName, const char* caption, const char* editName, int top,
                            QLabel** label, QLineEdit** edit) {
        *label = named<QLabel>(GroupBox7, labelName, QString::fromUtf8(caption));
        (*label)->setGeometry(16, top + 3, 72, 16);
        *edit = named<QLineEdit>(GroupBox7, editName);
        (*edit)->setGeometry(88, top, 281, 21);
        (*label)->setBuddy(*edit);
    };
    row("Label39", "单位全称:", "Edit_dwqc", 24, &Label39, &Edit_dwqc);
    row("Label40", "银行帐号:", "Edit_yhzh", 60, &Label40, &Edit_yhzh);
    row("Label41", "开 户 行:", "Edit_khh", 96, &Label41, &Edit_khh);
    setTabOrder(Edit_dwqc, Edit_yhzh);
    setTabOrder(Edit_yhzh, Edit_khh);

    Button_dwset_qd = named<QPushButton>(this, "Button_dwset_qd", QStringLiteral("确 定"));
    setDefaultButton(Button_dwset_qd);
    Button_dwset_qd->setGeometry(112, 176, 75, 25);
    Button_dwset_qx = named<QPushButton>(this, "Button_dwset_qx", QStringLiteral("取 消"));
    Button_dwset_qx->setGeometry(232, 176, 75, 25);
    setTabOrder(Edit_khh, Button_dwset_qd);
    setTabOrder(Button_dwset_qd, Button_dwset_qx);

    connectGuarded(Button_dwset_qd, &QPushButton::clicked, this, [this] { Button_dwset_qdClick(); });
    connectGuarded(Button_dwset_qx, &QPushButton::clicked, this, [this] { Button_dwset_qxClick(); });
    // The panel is already hidden when the close button reports.
    connectGuarded(this, &WorkingPanel::closed, this, [this] { BitBtn_dwset_closeClick(); });
    Edit_dwqc->installEventFilter(this);
    Edit_yhzh->installEventFilter(this);
}

void OrgPanel::open()
{
    Edit_dwqc->clear();
    Edit_khh->clear();
    Edit_yhzh->clear();
    Edit_dwqc->setText(Zt_typro::ReadOrgName());
    Edit_khh->setText(Zt_typro::ReadOrgBank());
    Edit_yhzh->setText(Zt_typro::ReadOrgAccount());
    show();
}

void OrgPanel::Button_dwset_qdClick()
{
    Zt_typro::WriteOrgDetails(Zt_typro::TrimText(Edit_dwqc->text()), Zt_typro::TrimText(Edit_yhzh->text()),
                              Zt_typro::TrimText(Edit_khh->text()));
    hide();
}

void OrgPanel::Button_dwset_qxClick()
{
    hide();
}

void OrgPanel::BitBtn_dwset_closeClick()
{
    hide();
}

void OrgPanel::Edit_dwqcKeyPress(QKeyEvent* event)
{
    if (isEnter(event)) {
        Edit_yhzh->setFocus(Qt::TabFocusReason);
        event->accept();
    }
}

void OrgPanel::Edit_yhzhKeyPress(QKeyEvent* event)
{
    if (isEnter(event)) {
        Edit_khh->setFocus(Qt::TabFocusReason);
        event->accept();
    }
}

bool OrgPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == Edit_dwqc || watched == Edit_yhzh)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!isEnter(key))
            return false;
        guarded([&] {
            if (watched == Edit_dwqc)
                Edit_dwqcKeyPress(key);
            else
                Edit_yhzhKeyPress(key);
        });
        return true; // Enter has done its work here
    }
    return WorkingPanel::eventFilter(watched, event);
}
