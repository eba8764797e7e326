#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>

namespace Zt_typro
{

class PrintForm;

// The sample cheque and voucher: what a long but ordinary payment prints in each field. The
// designer sizes its field boxes by them, and a layout is checked against them for fields that
// print over one another. Dated 2026-12-31 (a four-digit year, two-digit month and day), for an
// amount of twelve digits before the point, to a payee of twenty characters.

/// The sample date, year, month and day as the screens hold them.
inline constexpr char SampleYear[] = "2026";
inline constexpr char SampleMonth[] = "12";
inline constexpr char SampleDay[] = "31";
/// The sample amount as the amount field completes it.
inline constexpr char SampleAmount[] = "987654321987.65";
/// The sample payee: twenty characters.
inline constexpr char SamplePayee[] = "广州市天河区华南建筑材料贸易有限责任公司";

/// The text the field with the given key (the tail of QRL_ + key, the same on both print forms)
/// prints on the sample cheque or voucher: the date in figures and in capitals, the payee, the
/// amount on the stub, in capitals and in the fifteen digit boxes (a digit, "￥" left of the
/// highest one, nothing further left), the purpose, the note lines, the paying bank and the
/// accounts. Empty for a key no print form has.
QString SampleFieldText(const QString& fieldKey);

/// Sets the caption of every label of form to its field's sample text.
void FillSampleCaptions(PrintForm& form);

/// The size in layout units of the text box that a label with font and caption text prints: the
/// box the renderer fills (auto-size, one line, no wrap), as measured at printer resolution.
/// Empty text gives an empty size.
QSizeF PrintedTextSize(const QFont& font, const QString& text);

} // namespace Zt_typro
