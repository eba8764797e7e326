#pragma once

#include <QString>

class VoucherPanel;

namespace Zt_typro
{

/// The voucher print job for the voucher on the voucher entry screen screen, form code "dhpz"
/// (wire-transfer voucher) or "jzd" (deposit slip). Fills the 25 labels of the voucher print form
/// and places them by the form code's layout; fields the form's printer would cut off its paper
/// are asked about (No the default). Asks for confirmation; on Yes records the payee's account
/// and bank in the payee list (an existing row gets them as typed, a new row is added with name,
/// account and bank trimmed; the use count is not touched), shows the preview on the form's
/// printer (the operator prints from it) and, once printed, empties the amount and payee fields;
/// a preview closed without printing leaves them as they were. What the payee list cannot
/// hold (a name, account or bank over 50 characters) is refused with a message naming the field
/// before anything is stored; the screen then keeps its values.
void PrintVoucher(VoucherPanel& screen, const QString& formCode);

/// Puts the capital-amount font of the voucher side back to "宋体" 10 on the screen's capitals
/// and on the voucher print form's QRL_dx (other font attributes stay).
void ResetVoucherCapitalsFont(VoucherPanel& screen);

} // namespace Zt_typro
