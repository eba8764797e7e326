#pragma once

#include <QString>

namespace Zt_typro
{

class DesignerCanvas;
class DmQuery;

/// Moves the field panels of canvas to the positions stored for code: closes query, sets it to
/// the layout rows of code (P1) and opens it; for each field panel in control order, every row
/// whose kjmc equals the panel's whole name sets its position to (kjx, kjy), so the last matching
/// row wins; a panel without a row keeps its position. The boxes that overlap are marked again.
/// The query is closed afterwards, also when an error (AppError) ends the load.
void LoadDesignerLayout(DesignerCanvas& canvas, DmQuery& query, const QString& code);

/// Stores the position of every field panel of canvas, moved or not, as the layout of code: one
/// P3 update (kjx, kjy where kjmc = panel name and win = code) per panel with D_M->ADOQ_zb_up,
/// all in one transaction, so a failure (AppError) leaves the stored layout as it was. A panel
/// without a row changes nothing. Positions are kept within the 16-bit range of the columns.
void SaveDesignerLayout(DesignerCanvas& canvas, const QString& code);

} // namespace Zt_typro
