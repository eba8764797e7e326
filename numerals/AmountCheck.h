#pragma once

#include <QString>
#include <QStringList>

namespace Zt_typro
{

// The last check before a cheque or a voucher is printed: the amount in capitals and the fifteen
// digit boxes are each read back into an amount, independently of how they were written, and
// compared with the amount field. A bank rejects a form whose capitals and figures disagree.
// Amounts are counted in fen (0.01 yuan). Pure functions: no widget, no setting, no clock.

/// The amount of an amount field text (digits and at most one point, at most 2 decimals, blanks at
/// both ends ignored): "1200.50" and "1200.5" give 120050, ".5" 50, "0.00" 0. Throws AppError when
/// the text is empty or not such a text.
qint64 AmountTextToFen(const QString& amountText);

/// Reads an amount in capitals back: 零壹贰叁肆伍陆柒捌玖 with 拾佰仟, the group units 万 and 亿
/// (亿 before 万 before 元, each at most once), then 元, then X角整, X角Y分, 零Y分 or 整 after 元
/// ("伍角整", "伍分" without 元). The zero text " 零元零角整" gives 0; blanks at both ends are ignored.
/// "壹仟贰佰元零伍分" gives 120005, "壹亿零壹万元整" 10001000000. Throws AppError naming the text and the
/// character where it stops making sense (a unit out of order, two digits in a row, a missing 整).
qint64 CapitalsToFen(const QString& capitals);

/// Reads the fifteen digit boxes back, index 0 the 分 box: one digit per box from the right up to
/// the box that holds "￥", empty boxes beyond it. "0","5","0","0","2","1","￥" and eight empty
/// boxes give 120050. Throws AppError when the ￥ is missing, a box below it is not one digit, a box
/// beyond it is not empty, fewer than two digits stand below it, or there are not 15 boxes.
qint64 DigitBoxesToFen(const QStringList& boxTexts);

/// The amount as the operator reads it: "1200.50".
QString FenToAmountText(qint64 fen);

/// Throws AppError with a message for the operator unless the capitals and the digit boxes (index 0
/// = 分 box, 15 texts) both read back to the amount of the amount field. Call it with the texts that
/// are about to be printed, before anything is stored.
void CheckAmountAgreement(const QString& amountField, const QString& capitals, const QStringList& boxTexts);

} // namespace Zt_typro
