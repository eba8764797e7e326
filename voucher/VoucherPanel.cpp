#include "voucher/VoucherPanel.h"

#include "common/Clock.h"
#include "common/EntryScreen.h"
#include "common/Guard.h"
#include "common/Named.h"
#include "common/Prompt.h"
#include "numerals/AmountField.h"
#include "numerals/Dates.h"
#include "print/CapitalsFont.h"
#include "store/DataModule.h"
#include "store/Settings.h"
#include "voucher/PrintVoucher.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>

using Zt_typro::connectGuarded;
using Zt_typro::guarded;

namespace
{
const Zt_typro::PanelChrome kChrome{"P_pz", "Image_pzedit", "Label38", "BitB_pz_close", "凭证编辑"};
const Zt_typro::PanelChrome kType{"Panel_pzlx", "Image_palx", nullptr, "BitBtn_pzlx_close", "凭证类型"};

QLabel* caption(QWidget* parent, const char* name, const char* text, int x, int y)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QComboBox* editableCombo(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* box = Zt_typro::placed<QComboBox>(parent, name, geometry);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    // The box holds exactly what the operator typed: no completion from the list.
    box->setCompleter(nullptr);
    return box;
}

// Runs handler on each change of an editable combo box's text made by the operator, typed or
// picked from the list (a typed text that matches an item also counts as picked when the box is
// left); texts set from code do not run it. Nothing runs while the program shuts down (the data
// module is gone then), when closing the window takes the focus out of a box.
template <typename Handler>
void onUserChange(QComboBox* box, VoucherPanel* panel, Handler handler)
{
    const auto run = [panel, handler] {
        if (D_M)
            (panel->*handler)();
    };
    connectGuarded(box->lineEdit(), &QLineEdit::textEdited, panel, run);
    connectGuarded(box, &QComboBox::activated, panel, run);
}

} // namespace

VoucherPanel::VoucherPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 521, 451))
{
    FontDialog_daxie = new Zt_typro::CapitalsFontDialog(this);
    buildDateAndAmount();
    buildPayer();
    buildPayee();

    Button_pz_dy = Zt_typro::placed<QPushButton>(this, "Button_pz_dy", QRect(416, 406, 96, 26));
    Button_pz_dy->setText(QStringLiteral("票据打印"));
    connectGuarded(Button_pz_dy, &QPushButton::clicked, this, [this] { Button_pz_dyClick(); });

    setTabOrder(ComboBox_nian, ComboBox_yue);
    setTabOrder(ComboBox_yue, ComboBox_ri);
    setTabOrder(ComboBox_ri, Edit_jine);
    setTabOrder(Edit_jine, ComboBox_skrmc);
    setTabOrder(ComboBox_skrmc, E_skrzh);
    setTabOrder(E_skrzh, E_skrkhh);
    setTabOrder(E_skrkhh, Button_pz_dy);

    buildTypeChoice();
}

void VoucherPanel::buildDateAndAmount()
{
    GroupBox2 = Zt_typro::placed<QGroupBox>(this, "GroupBox2", QRect(8, 22, 505, 176));
    GroupBox2->setTitle(QStringLiteral("日期、金额"));

    caption(GroupBox2, "Label29", "汇款日期：", 12, 26);
    ComboBox_nian = editableCombo(GroupBox2, "ComboBox_nian", QRect(84, 22, 64, 22));
    caption(GroupBox2, nullptr, "年", 152, 26);
    ComboBox_yue = editableCombo(GroupBox2, "ComboBox_yue", QRect(170, 22, 44, 22));
    for (int m = 1; m <= 12; ++m)
        ComboBox_yue->addItem(QString::number(m));
    ComboBox_yue->setEditText(QString());
    caption(GroupBox2, nullptr, "月", 218, 26);
    ComboBox_ri = editableCombo(GroupBox2, "ComboBox_ri", QRect(236, 22, 44, 22));
    caption(GroupBox2, nullptr, "日", 284, 26);

    caption(GroupBox2, "Label30", "金    额：", 12, 58);
    Edit_jine = Zt_typro::placed<QLineEdit>(GroupBox2, "Edit_jine", QRect(84, 54, 150, 22));
    Zt_typro::AttachAmountKeyRules(Edit_jine);

    caption(GroupBox2, "Label31", "大写金额：", 12, 90);
    P_daxie = Zt_typro::TextPanel(GroupBox2, "P_daxie", QRect(84, 86, 410, 24), Qt::AlignLeft, Qt::white);
    P_daxie->setFont(Zt_typro::CapitalsBaseFont(P_daxie->font()));
    Zt_typro::PaintCapitalsBlue(P_daxie);
    P_daxie->setContextMenuPolicy(Qt::CustomContextMenu);
    // The one pop-up menu "字体" is shared with the cheque screen's capitals.
    connect(P_daxie, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { emit capitalsMenuRequested(P_daxie->mapToGlobal(pos)); });

    // The digit boxes with their unit headings, right to left from 分.
    const int boxW = 22;
    Panel_pzdw = Zt_typro::placed<QFrame>(GroupBox2, "Panel_pzdw", QRect(84, 118, 15 * boxW + 2, 20));
    P_jine = Zt_typro::placed<QFrame>(GroupBox2, "P_jine", QRect(84, 138, 15 * boxW + 2, 32));
    static_cast<QFrame*>(P_jine)->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_boxes = Zt_typro::BuildDigitBoxes(Panel_pzdw, P_jine, 30, "Panel", 3);

    Edit_jine->installEventFilter(this);
    // Capitals and digit boxes always show the amount in the field: a changed amount (typed, or
    // copied from the cheque screen) clears them until it is left, which fills them again.
    connect(Edit_jine, &QLineEdit::textChanged, this, [this] { clearAmountShown(); });
    onUserChange(ComboBox_nian, this, &VoucherPanel::ComboBox_nianChange);
    onUserChange(ComboBox_yue, this, &VoucherPanel::ComboBox_yueChange);
}

void VoucherPanel::buildPayer()
{
    GroupBox4 = Zt_typro::placed<QGroupBox>(this, "GroupBox4", QRect(8, 204, 505, 96));
    GroupBox4->setTitle(QStringLiteral("汇款人"));
    caption(GroupBox4, nullptr, "单位全称：", 12, 24);
    P_cpr = Zt_typro::TextPanel(GroupBox4, "P_cpr", QRect(84, 20, 410, 22));
    caption(GroupBox4, nullptr, "帐    号：", 12, 48);
    P_cprzh = Zt_typro::TextPanel(GroupBox4, "P_cprzh", QRect(84, 44, 410, 22));
    caption(GroupBox4, nullptr, "汇 出 行：", 12, 72);
    P_cprkhh = Zt_typro::TextPanel(GroupBox4, "P_cprkhh", QRect(84, 68, 410, 22));

    Label_cprly = Zt_typro::placed<QLabel>(this, "Label_cprly", QRect(12, 406, 396, 40));
    Label_cprly->setWordWrap(true);
    QPalette notice = Label_cprly->palette();
    notice.setColor(QPalette::WindowText, QColor(160, 60, 0));
    Label_cprly->setPalette(notice);
    Label_cprly->hide();
}

void VoucherPanel::buildPayee()
{
    GroupBox5 = Zt_typro::placed<QGroupBox>(this, "GroupBox5", QRect(8, 304, 505, 96));
    GroupBox5->setTitle(QStringLiteral("收款人"));
    caption(GroupBox5, nullptr, "单位全称：", 12, 24);
    ComboBox_skrmc = editableCombo(GroupBox5, "ComboBox_skrmc", QRect(84, 20, 410, 22));
    ComboBox_skrmc->setMaxVisibleItems(16);
    caption(GroupBox5, nullptr, "帐    号：", 12, 48);
    E_skrzh = Zt_typro::placed<QLineEdit>(GroupBox5, "E_skrzh", QRect(84, 44, 410, 22));
    caption(GroupBox5, nullptr, "汇 入 行：", 12, 72);
    E_skrkhh = Zt_typro::placed<QLineEdit>(GroupBox5, "E_skrkhh", QRect(84, 68, 410, 22));
    onUserChange(ComboBox_skrmc, this, &VoucherPanel::ComboBox_skrmcChange);
}

void VoucherPanel::buildTypeChoice()
{
    // The radio buttons sit inside the group's frame, below its title.
    Panel_pzlx = new Zt_typro::WorkingPanel(this, kType, QRect(144, 192, 241, 111));
    GroupBox6 = Zt_typro::placed<QGroupBox>(Panel_pzlx, "GroupBox6", QRect(8, 18, 225, 52));
    GroupBox6->setTitle(QStringLiteral("凭证类型"));
    RadioButton_dhpz = Zt_typro::placed<QRadioButton>(GroupBox6, "RadioButton_dhpz", QRect(24, 23, 90, 25));
    RadioButton_dhpz->setText(QStringLiteral("电汇凭证"));
    RadioButton_dhpz->setChecked(true);
    RadioButton_jzd = Zt_typro::placed<QRadioButton>(GroupBox6, "RadioButton_jzd", QRect(130, 23, 80, 25));
    RadioButton_jzd->setText(QStringLiteral("进帐单"));
    Button_pzlx_qd = Zt_typro::placed<QPushButton>(Panel_pzlx, "Button_pzlx_qd", QRect(36, 78, 75, 25));
    Panel_pzlx->setDefaultButton(Button_pzlx_qd);
    Button_pzlx_qd->setText(QStringLiteral("确定"));
    Button_pzlx_qx = Zt_typro::placed<QPushButton>(Panel_pzlx, "Button_pzlx_qx", QRect(130, 78, 75, 25));
    Button_pzlx_qx->setText(QStringLiteral("取消"));
    connectGuarded(Button_pzlx_qd, &QPushButton::clicked, this, [this] { Button_pzlx_qdClick(); });
    connectGuarded(Button_pzlx_qx, &QPushButton::clicked, this, [this] { Button_pzlx_qxClick(); });
}

QLabel* VoucherPanel::digitBox(int place) const
{
    return m_boxes.value(place - 1);
}

bool VoucherPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit_jine && Zt_typro::LeavesAmountField(event)) {
        guarded([this] { Edit_jineExit(); });
        return false;
    }
    if (watched == Edit_jine && Zt_typro::IsEnterKey(event)) { // Edit_jineKeyPress
        // After a prefill from a cheque the payee box is disabled: the payee's account is next.
        if (ComboBox_skrmc->isEnabled())
            ComboBox_skrmc->setFocus();
        else
            E_skrzh->setFocus();
        return true;
    }
    return WorkingPanel::eventFilter(watched, event);
}

bool VoucherPanel::holdsTypedVoucher() const
{
    return !Edit_jine->text().isEmpty() || !ComboBox_skrmc->currentText().isEmpty() || !E_skrzh->text().isEmpty() ||
           !E_skrkhh->text().isEmpty();
}

void VoucherPanel::clearAmountShown()
{
    P_daxie->clear();
    for (QLabel* box : std::as_const(m_boxes))
        box->clear();
}

void VoucherPanel::clearVoucher()
{
    Edit_jine->clear();
    clearAmountShown();
    ComboBox_skrmc->setEditText(QString());
    E_skrzh->clear();
    E_skrkhh->clear();
}

bool VoucherPanel::confirmClose()
{
    if (!holdsTypedVoucher())
        return true;
    const QString payee = ComboBox_skrmc->currentText().isEmpty() ? QStringLiteral("未填")
                                                                  : ComboBox_skrmc->currentText();
    const QString amount = Edit_jine->text().isEmpty() ? QString() : QStringLiteral("，金额 %1").arg(Edit_jine->text());
    if (!Zt_typro::prompter().confirmDefaultNo(
            window(), QStringLiteral("提示"),
            QStringLiteral("凭证上有还没有打印的内容（收款人 %1%2）。\n关闭后这些内容将被清除，是否关闭？")
                .arg(payee, amount),
            QStringLiteral("选“否”返回，继续填写。")))
        return false;
    clearVoucher();
    return true;
}

void VoucherPanel::fillYearList(const QString& yearText)
{
    Zt_typro::ClearListKeepingText(ComboBox_nian);
    Zt_typro::AddItemsKeepingText(ComboBox_nian, Zt_typro::YearChoices(yearText));
}

void VoucherPanel::fillDayList(const QString& yearText, const QString& monthText)
{
    // The month length is found first: a year that is no year leaves the list as it was.
    const QStringList days = Zt_typro::DayChoices(yearText, monthText);
    Zt_typro::ClearListKeepingText(ComboBox_ri);
    Zt_typro::AddItemsKeepingText(ComboBox_ri, days);
}

void VoucherPanel::open()
{
    // 1. - 2.
    ComboBox_skrmc->setEnabled(true);
    Edit_jine->setText(QString());

    // 3. The lists are emptied; the texts in the boxes stay.
    Zt_typro::ClearListKeepingText(ComboBox_nian);
    Zt_typro::ClearListKeepingText(ComboBox_ri);
    Zt_typro::ClearListKeepingText(ComboBox_skrmc);

    // 4. The paying organisation's own details.
    Label_cprly->hide();
    P_cpr->setText(Zt_typro::ReadOrgName());
    P_cprzh->setText(Zt_typro::ReadOrgAccount());
    P_cprkhh->setText(Zt_typro::ReadOrgBank());

    // 5. - 7. Today's date; setting texts from code runs no change handler.
    const QString today = Zt_typro::DateText(Zt_typro::Today());
    const QString year = Zt_typro::DatePartYear(today);
    const QString month = Zt_typro::DatePartMonth(today);
    fillYearList(year);
    ComboBox_nian->setEditText(year);
    ComboBox_yue->setEditText(month);
    fillDayList(year, month);
    ComboBox_ri->setEditText(Zt_typro::DatePartDay(today));

    // 8. Payees, most used first.
    Zt_typro::DmQuery* q = D_M->ADOQ_skr_pzbj;
    q->setStatement(Zt_typro::Stmt::S3);
    q->open();
    QStringList names;
    for (q->first(); !q->eof(); q->next())
        names << q->fieldText(QStringLiteral("skrmc"));
    Zt_typro::AddItemsKeepingText(ComboBox_skrmc, names);

    // 9.
    show();
    q->close();
}

void VoucherPanel::Edit_jineExit()
{
    Zt_typro::LeaveAmountField(Edit_jine, P_jine, P_daxie);
}

void VoucherPanel::ComboBox_nianChange()
{
    refreshDayList();
}

void VoucherPanel::ComboBox_yueChange()
{
    refreshDayList();
}

void VoucherPanel::refreshDayList()
{
    // While the operator retypes the year its box may hold no year for a moment: the day list
    // then stays as it is until the box holds one again.
    const QString year = ComboBox_nian->currentText().left(4);
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (!digits.match(year).hasMatch())
        return;
    fillDayList(ComboBox_nian->currentText(), ComboBox_yue->currentText());
}

void VoucherPanel::ComboBox_skrmcChange()
{
    const QString name = ComboBox_skrmc->currentText().trimmed();
    Zt_typro::DmQuery* q = D_M->ADOQ_skr;
    q->setStatement(Zt_typro::Stmt::S4);
    q->open();
    for (q->first(); !q->eof(); q->next()) {
        if (q->fieldText(QStringLiteral("skrmc")) == name) {
            E_skrzh->setText(q->fieldText(QStringLiteral("zh")));
            E_skrkhh->setText(q->fieldText(QStringLiteral("khh")));
            break;
        }
    }
    q->close();
}

void VoucherPanel::Button_pz_dyClick()
{
    if (Edit_jine->text().isEmpty()) {
        Zt_typro::prompter().inform(this, QStringLiteral("提示"), QStringLiteral("金额不能为空!"));
        return;
    }
    Panel_pzlx->show();
}

void VoucherPanel::Button_pzlx_qdClick()
{
    Panel_pzlx->hide();
    const QString code = RadioButton_jzd->isChecked() ? QStringLiteral("jzd") : QStringLiteral("dhpz");
    Zt_typro::PrintVoucher(*this, code);
    Zt_typro::ResetVoucherCapitalsFont(*this);
}

void VoucherPanel::Button_pzlx_qxClick()
{
    Panel_pzlx->hide();
}

void VoucherPanel::popup_fontnameClick()
{
    emit capitalsFontChosen(Zt_typro::ChooseCapitalsFont(*FontDialog_daxie, this));
}
