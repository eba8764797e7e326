#include "voucher/VoucherAfterCheque.h"

#include "app/Clock.h"
#include "app/Forms.h"
#include "app/Main.h"
#include "app/Prompt.h"
#include "cheque/ChequePanel.h"
#include "numerals/Dates.h"
#include "store/Dm.h"
#include "store/Settings.h"
#include "voucher/VoucherPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace Zt_typro
{

void CopyPayeeToVoucher(const QString& payee)
{
    if (Frm_main && Frm_main->P_pz)
        Frm_main->P_pz->ComboBox_skrmc->setEditText(payee);
}

void CopyAmountToVoucher(const QString& amount)
{
    if (Frm_main && Frm_main->P_pz)
        Frm_main->P_pz->Edit_jine->setText(amount);
}

void FillVoucherPayeeDetails(const QString& name)
{
    VoucherPanel& voucher = *Frm_main->P_pz;
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

void OfferVoucherAfterCheque()
{
    if (!prompter().confirm(Frm_main, QStringLiteral("提示"), QStringLiteral("是否打印电汇凭证或进帐单?")))
        return;
    VoucherPanel& voucher = *Frm_main->P_pz;
    const ChequePanel& cheque = *Frm_main->Panel_zp;

    voucher.show();
    voucher.Edit_jineExit();

    // Texts set from code run no change handler, so the day list is rebuilt below, from today.
    voucher.ComboBox_nian->setEditText(cheque.CB_nian->currentText());
    voucher.ComboBox_yue->setEditText(cheque.CB_yue->currentText());
    voucher.ComboBox_ri->setEditText(cheque.CB_ri->currentText());

    voucher.P_cpr->setText(ReadPayerName());
    voucher.P_cprzh->setText(ReadPayerAccount());
    voucher.P_cprkhh->setText(ReadPayerBank());

    voucher.ComboBox_skrmc->setEnabled(false);

    const QString today = DateText(Today());
    voucher.fillYearList(DatePartYear(today));
    voucher.fillDayList(DatePartYear(today), DatePartMonth(today));
}

} // namespace Zt_typro
