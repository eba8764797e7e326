#pragma once

#include <QString>

class TFrm_zz_print;
class TFrm_pz_print;

namespace Zt_typro
{

class DmQuery;
class PrintForm;
class ReportBand;

/// The field key of a layout row: its kjmc from the 6th character on ("P_zz_fen" -> "fen").
/// The prefix is dropped by position, whatever its characters are.
QString RowFieldKey(const QString& kjmc);

/// The placement rule on one band: closes query, sets it to the layout rows of the form code
/// (P1), opens it and, for every label of the band in control order, scans every row: a row
/// whose field key equals the label's sets the label's left and top to its kjx and kjy (empty
/// reads as 0), and blanks the caption when its dy is not true (empty counts as not printed).
/// When two rows match, the later sets the position and either blanks. A label without a row
/// keeps its position and caption. The query is left open. The band's report takes code as its
/// form code (Report::formCode).
void ApplyLayoutToBand(ReportBand& band, DmQuery& query, const QString& code);

/// The placement rule for the cheque print form, with D_M->ADOQ_zb ("zz", "xj").
void ApplyLayoutToLabels(TFrm_zz_print* form, const QString& code);
/// The placement rule for the voucher print form, with D_M->ADOQ_zb_pz ("dhpz", "jzd").
void ApplyLayoutToLabels(TFrm_pz_print* form, const QString& code);

/// Applies the layout of code to form with query (the form's layout query), prints its page
/// without a dialog on the form's printer (PrintFormSample: asked first when fields would be cut)
/// and closes query. Throws AppError when no printer can take it.
void PrintLayoutSample(PrintForm& form, DmQuery& query, const QString& code);
/// Applies the layout of code to form with query, shows the preview on the form's printer
/// (PreviewAndPrint; returns when it is closed) and closes query.
void PreviewLayout(PrintForm& form, DmQuery& query, const QString& code);

/// Closes query, sets it to the option list of code (P2: the rows sorted by kjx) and opens it.
void OpenPrintOptions(DmQuery& query, const QString& code);

} // namespace Zt_typro
