#pragma once

#include <QString>

class ChequePanel;

namespace Zt_typro
{

/// The cheque print job for the cheque on the entry screen screen, form code "zz" (transfer) or "xj"
/// (cash). Asks for confirmation; on Yes stores the cheque in the register and counts its payee
/// (one transaction: both or neither), fills the 33 labels of the cheque print form, places them
/// by the form code's layout, shows the preview (the operator prints from it) and empties the
/// screen for the next cheque. What the register cannot hold (a date that is no real date, a
/// text too long for its column) is refused with a message before anything is stored; the screen
/// then keeps its values.
void PrintCheque(ChequePanel& screen, const QString& formCode);

/// Puts the capital-amount font of the cheque side back to "宋体" 10 on the screen's capitals
/// and on the cheque print form's QRL_dx (other font attributes stay).
void ResetChequeCapitalsFont(ChequePanel& screen);

} // namespace Zt_typro
