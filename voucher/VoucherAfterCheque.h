#pragma once

#include <QString>

namespace Zt_typro
{

// The hand-over from the cheque screen to the voucher screen: a voucher for the payment just
// made by cheque needs no typing. The cheque screen copies its payee and amount into the voucher
// screen as they are entered; its "确 定" runs FillVoucherPayeeDetails before the cheque print
// job and OfferVoucherAfterCheque after it.

/// The cheque's payee, as the cheque screen holds it, becomes the voucher screen's payee text
/// (no payee lookup runs for it).
void CopyPayeeToVoucher(const QString& payee);

/// The cheque's amount, as typed or completed, becomes the voucher screen's amount text.
void CopyAmountToVoucher(const QString& amount);

/// Puts the account and bank of the payee row named name (untrimmed, the first row when there
/// are several) into the voucher screen's E_skrzh and E_skrkhh; with no such row both become
/// empty. Runs before the cheque print job, so it sees the payee list before the job counted or
/// added the payee.
void FillVoucherPayeeDetails(const QString& name);

/// Asks "是否打印电汇凭证或进帐单?"; on Yes shows the voucher screen prefilled from the cheque: the
/// amount copied from the cheque is completed into the digit boxes and capitals, the date is the
/// cheque's, the payer comes from the payer file "fkrxx.ine", the payee box (holding the cheque's
/// payee) is disabled until the screen is next opened from the menu, and the year and day lists
/// are rebuilt from today's date. Nothing is printed. On No nothing changes.
void OfferVoucherAfterCheque();

} // namespace Zt_typro
