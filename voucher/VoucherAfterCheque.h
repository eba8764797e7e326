#pragma once

#include <QString>

class VoucherPanel;

namespace Zt_typro
{

// The voucher screen's side of the hand-over from the cheque screen: a voucher for the payment
// just made by cheque needs no typing. The main window connects the two screens: the cheque's
// payee and amount are copied into the voucher screen as they are entered, and the cheque
// screen's "确 定" runs FillVoucherPayeeDetails before the cheque print job and
// OfferVoucherAfterCheque after it.

/// The cheque's payee, as the cheque screen holds it, becomes the voucher screen's payee text
/// (no payee lookup runs for it).
void CopyPayeeToVoucher(VoucherPanel& voucher, const QString& payee);

/// The cheque's amount, as typed or completed, becomes the voucher screen's amount text.
void CopyAmountToVoucher(VoucherPanel& voucher, const QString& amount);

/// Puts the account and bank of the payee row named name (untrimmed, the first row when there
/// are several) into the voucher screen's E_skrzh and E_skrkhh; with no such row both become
/// empty. Runs before the cheque print job, so it sees the payee list before the job counted or
/// added the payee.
void FillVoucherPayeeDetails(VoucherPanel& voucher, const QString& name);

/// Asks "是否打印电汇凭证或进帐单?"; on Yes shows the voucher screen prefilled from the cheque: the
/// amount copied from the cheque is completed into the digit boxes and capitals, the date is the
/// cheque's (year, month and day as its stub holds them), the payer comes from the payer file "fkrxx.ine", the payee box (holding the cheque's
/// payee) is disabled until the screen is next opened from the menu, and the year and day lists
/// are rebuilt from today's date. Nothing is printed. On No nothing changes.
void OfferVoucherAfterCheque(VoucherPanel& voucher, const QString& year, const QString& month,
                             const QString& day);

} // namespace Zt_typro
