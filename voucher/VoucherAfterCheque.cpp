#include "voucher/VoucherAfterCheque.h"

#include "common/Clock.h"
#include "common/Prompt.h"
#include "numerals/Dates.h"
#include "store/DataModule.h"
#include "store/Settings.h"
#include "voucher/VoucherPanel.h"

#include <QComboBox>
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

    voucher.P_cpr->setText(ReadPayerName());
    voucher.P_cprzh->setText(ReadPayerAccount());
    voucher.P_cprkhh->setText(ReadPayerBank());

    voucher.ComboBox_skrmc->setEnabled(false);

    const QString today = DateText(Today());
    voucher.fillYearList(DatePartYear(today));
    voucher.fillDayList(DatePartYear(today), DatePartMonth(today));
}

} // namespace Zt_typro
