#include "app/ScreenLinks.h"

#include "cheque/ChequePanel.h"
#include "common/Guard.h"
#include "print/CapitalsFont.h"
#include "voucher/VoucherAfterCheque.h"
#include "voucher/VoucherPanel.h"

#include <QMenu>

namespace Zt_typro
{

void VoucherAfterChequeLink::payeeEntered(const QString& payee)
{
    CopyPayeeToVoucher(m_voucher, payee);
}

void VoucherAfterChequeLink::amountEntered(const QString& amount)
{
    CopyAmountToVoucher(m_voucher, amount);
}

void VoucherAfterChequeLink::beforeChequeJob(const QString& payee)
{
    FillVoucherPayeeDetails(m_voucher, payee);
}

void VoucherAfterChequeLink::afterChequeJob(const QString& year, const QString& month, const QString& day)
{
    OfferVoucherAfterCheque(m_voucher, year, month, day);
}

void LinkCapitalsFont(ChequePanel& cheque, VoucherPanel& voucher)
{
    connectGuarded(&cheque, &ChequePanel::capitalsFontRequested, &voucher,
                   [&voucher] { voucher.popup_fontnameClick(); });
    QObject::connect(&voucher, &VoucherPanel::capitalsMenuRequested, &cheque,
                     [&cheque](const QPoint& at) { cheque.PopupMenu_font->popup(at); });
    QObject::connect(&voucher, &VoucherPanel::capitalsFontChosen, &cheque, [&cheque, &voucher](const QFont& font) {
        ApplyCapitalsFont(font, cheque.Panel_daxie, voucher.P_daxie);
    });
}

} // namespace Zt_typro
