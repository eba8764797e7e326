#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

class ChequePanel;

namespace Zt_typro
{

/// How a cheque job ended (one that failed throws AppError instead).
enum class ChequeJobEnd
{
    Declined,       // the operator went back before anything was stored: the screen keeps it
    Printed,        // printed from the preview: recorded, the screen emptied
    KeptUnprinted,  // the preview closed without printing, the cheque kept as not printed
    VoidedUnprinted // the preview closed without printing, the cheque voided; the screen keeps it
};

/// The cheque print job for the cheque on the entry screen screen, form code "zz" (transfer) or
/// "xj" (cash). Everything that can fail runs first: what the register cannot hold (a date that
/// is no real date, a text too long for its column), the amount read back, the labels filled
/// and placed by the form's layout, the glyphs of the fields that print. Fields that the form's
/// printer (FormPrinter) would cut off its paper are asked about (No the default), and so is a
/// number already in the register (No the default: the screen keeps everything). The
/// confirmation shows the form, number, payee, amount and date under its question; on Yes the
/// cheque is stored with its registration and its payee counted (one transaction), and the
/// preview, titled with the form and number, is shown on the form's printer. Printed from the
/// preview, the history says where and the screen is emptied; closed without printing, the
/// operator keeps it as not printed (emptied) or voids it ("预览后未打印", the screen keeps it).
ChequeJobEnd PrintCheque(ChequePanel& screen, const QString& formCode);

/// Prints again, from the register, the cheque stored at zpid: the texts of its stored values
/// (PrintedChequeTexts, the same the screen showed) on the current layout of its form, through the
/// preview on the form's printer (fields it would cut asked about first); no screen is involved.
/// A voided cheque is refused (AppError). Printed, its
/// history gets 打印 (a cheque not printed before) or 重打, with where the page went. True when
/// it was printed.
bool ReprintCheque(QWidget* owner, qint64 zpid);

/// Writes the prints kept on this computer (a register that could not take them when the paper
/// came out) into the register of D_M, and tells the operator what was written and what is
/// still kept. Run once the operator is in.
void WriteKeptPrintsAtStart(QWidget* owner);

/// Puts the capital-amount font of the cheque side back to "宋体" 10 on the screen's capitals
/// and on the cheque print form's QRL_dx (other font attributes stay).
void ResetChequeCapitalsFont(ChequePanel& screen);

} // namespace Zt_typro
