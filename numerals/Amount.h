#pragma once

#include <QString>
#include <QStringList>

namespace Zt_typro
{

// Amounts in yuan with jiao and fen: the amount field's key rules, completion to two decimals,
// the digit string, the texts of the fifteen digit boxes and the amount in capitals.
// Pure functions: no widget, no setting, no clock.
//
// An amount text holds decimal digits and at most one point, at most 12 digits before the point
// and at most 2 after it ("1200", "1200.5", ".5", "12.", "007"). The digit string is a completed
// amount text without its point: its last digit is fen, the one before jiao, then yuan and so on.

/// Most digits before the point that an amount field takes.
inline constexpr int kMaxAmountIntegerDigits = 12;
/// Most digits after the point that an amount field takes.
inline constexpr int kMaxAmountDecimals = 2;
/// Number of digit boxes on a form, from 分 on the right to 万亿 on the left.
inline constexpr int kDigitBoxCount = 15;

/// What the capitals read for an amount of nothing; the leading blank belongs to it.
QString ZeroAmountCapitals();

/// One edit of an amount field after the key rules.
struct AmountEdit
{
    QString text;          // what the field holds after the edit
    int cursor = 0;        // the cursor position in text
    bool accepted = false; // false: the edit is refused and the field keeps its previous text
};

/// The amount field's key rules applied to one edit (typing, a paste, a deletion, an undo), given
/// the field text before and after it and the cursor after it; what the edit put in is taken to
/// end at the cursor. The part that the edit put in is
/// filtered: characters other than digits and the point are dropped, and so is a point when the
/// text already has one (the point left untouched by the edit wins; else the first point put in).
/// The edit is refused as a whole when the filtered text would have more than 12 digits before the
/// point or more than 2 after it, so "1,000" pasted becomes "1000" but a 13th integer digit, a
/// third decimal, or deleting the point of "123456789012.34" is refused. The cursor moves back by
/// the characters dropped before it.
AmountEdit ApplyAmountKeyRules(const QString& before, const QString& after, int cursor);

/// True when text, blanks at both ends aside, is an amount text an amount field can hold (see
/// above); the empty text is one.
bool IsAmountText(const QString& text);

/// The amount text completed to two decimals, blanks at both ends trimmed: "1200" gives "1200.00",
/// "1200.5" "1200.50", "12." "12.00", ".5" ".50", "" ".00"; "1200.50" stays. Leading zeros stay
/// ("007" gives "007.00"). Throws AppError naming the text when it is not an amount text.
QString CompleteAmountText(const QString& text);

/// The amount of an amount text in fen, hundredths of a yuan: "1200.5" gives 120050, ".5" 50,
/// "007" 700. False, and fen left as it was, when the text (blanks at both ends aside) is empty or
/// not an amount text.
bool AmountInFen(const QString& text, qint64* fen);

/// An amount in fen as a list or a total shows it: the yuan in groups of three figures separated
/// by commas, the point and two decimals; 123456750 gives "1,234,567.50", 5 "0.05", 0 "0.00".
QString GroupedAmountText(qint64 fen);
/// An amount text as a list, a total or a question shows it ("1234567.50" gives "1,234,567.50");
/// a text that is no amount (AmountInFen) is given back as it is.
QString GroupedAmount(const QString& amount);

/// The digit string of a completed amount text: its characters without the point ("1200.50" gives
/// "120050", ".00" gives "00"). Blanks at both ends are ignored.
QString AmountDigitString(const QString& completedText);

/// The texts of the fifteen digit boxes for a digit string, index 0 the rightmost (分) box and
/// index 14 the leftmost: each digit in its box from the right, "￥" in the box left of the highest
/// digit (leading zeros count as digits), empty texts further left. "120050" gives
/// "0","5","0","0","2","1","￥" and eight empty texts. Throws AppError when the string holds anything
/// but digits or more than 14 digits (the ￥ would not fit).
QStringList DigitBoxTexts(const QString& digitString);

/// The amount in capitals (人民币大写). Takes a digit string ("120050": the last two digits are
/// jiao and fen) or an amount text with a point, which is completed first ("1200.5", "12.", ".5").
/// Leading zeros are dropped ("050" and "0.50" give 伍角整, "00700" gives 柒元整); an amount of
/// nothing gives the zero text " 零元零角整". Zeros inside a group write one 零, zeros at the end of
/// the 万 group go into 万, an all-zero 万 group after 亿 writes no 万; no fen ends with 整:
/// "120005" gives 壹仟贰佰元零伍分, "100000100" 壹亿零壹元整, "98765432109876" 玖仟捌佰柒拾陆亿伍仟肆佰
/// 叁拾贰万壹仟零玖拾捌元柒角陆分. Takes what the boxes take: after leading zeros, at most 12 digits
/// before the point (14 digits in a digit string).
/// Throws AppError naming the text when it is empty, not digits with at most one point, has more
/// than two decimals, or is too long.
QString AmountToCapitals(const QString& amountText);

} // namespace Zt_typro
