#include "voucher/VoucherAfterCheque.h"

#include "common/Clock.h"
#include "common/Prompt.h"
#include "numerals/Dates.h"
#include "store/DataModule.h"
#include "store/Settings.h"
#include "voucher/VoucherPanel.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace Zt_typro
{

void CopyPayeeToVoucher(VoucherPanel& voucher, const QString& payee)
{
    voucher.ComboBox_skrmc->setEditText(payee);
}

void CopyAmountToVoucher(VoucherPanel& voucher, const QString& amount)
{
    voucher.Edit_jine->setText(amount);
}

void FillVoucherPayeeDetails(VoucherPanel& voucher, const QString& name)
{
    DmQuery* q = D_M->ADOQ_skrxx;
    q->setStatement(Stmt::S5, {name});
    q->open();
    QString account;
    QString bank;
    if (q->recordCount() > 0) {
        q->first();
        account = q->fieldText(QStringLiteral("zh"));
        bank = q->fieldText(QStringLiteral("khh"));
    }
    q->close();
    voucher.E_skrzh->setText(account);
    voucher.E_skrkhh->setText(bank);
}

void OfferVoucherAfterCheque(VoucherPanel& voucher, const QString& year, const QString& month, const QString& day)
{
    if (!prompter().confirm(voucher.window(), QStringLiteral("提示"), QStringLiteral("是否打印电汇凭证或进帐单?")))
        return;

    voucher.show();
    voucher.Edit_jineExit();

    // Texts set from code run no change handler, so the day list is rebuilt below, from today.
    voucher.ComboBox_nian->setEditText(year);
    voucher.ComboBox_yue->setEditText(month);
    voucher.ComboBox_ri->setEditText(day);

    QString name = ReadPayerName();
    QString account = ReadPayerAccount();
    QString bank = ReadPayerBank();
    voucher.Label_cprly->hide();
    if (name.isEmpty() && account.isEmpty() && bank.isEmpty()) {
        // No payer file, or one without a payer: the organisation's own details, never a blank
        // payer the operator cannot fill in; the panel says where they came from.
        name = ReadOrgName();
        account = ReadOrgAccount();
        bank = ReadOrgBank();
        const QString why = QFileInfo::exists(PayerFilePath()) ? QStringLiteral("付款人文件 \"fkrxx.ine\" 中没有汇款人")
                                                               : QStringLiteral("没有找到付款人文件 \"fkrxx.ine\"");
        const QString source = name.isEmpty() && account.isEmpty() && bank.isEmpty()
                                   ? QStringLiteral(
                                         "，单位帐号设置也是空的: 请先在 系统设置 → 单位帐号设置 中填写本单位。")
                                   : QStringLiteral("，汇款人取自本单位的单位帐号设置，请核对。");
        voucher.Label_cprly->setText(why + source);
        voucher.Label_cprly->show();
    }
    voucher.P_cpr->setText(name);
    voucher.P_cprzh->setText(account);
    voucher.P_cprkhh->setText(bank);

    voucher.ComboBox_skrmc->setEnabled(false);

    const QString today = DateText(Today());
    voucher.fillYearList(DatePartYear(today));
    voucher.fillDayList(DatePartYear(today), DatePartMonth(today));
}

} // namespace Zt_typro
