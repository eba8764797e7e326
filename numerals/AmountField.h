#pragma once

#include <QList>
#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;
class QWidget;

namespace Zt_typro
{

// The widget side of amounts: the key rules attached to an amount field (Edit_je, Edit_jine), the
// fifteen digit boxes of a box panel (Panel_jine, P_jine), and what leaving an amount field does.
// The rules themselves live in numerals/Amount.h.

/// The amount field's key rules, attached to a QLineEdit as its validator so that typing, pasting
/// (keys or context menu), dropping and undoing all pass them: characters other than digits and
/// the point are ignored, so is a second point, and an edit that would give more than 12 digits
/// before the point or 2 after it is refused (ApplyAmountKeyRules). Backspace, Delete, the cursor
/// keys, Enter and the clipboard shortcuts keep their usual function. Text set from code is
/// filtered the same way. Every text it lets through is acceptable, so returnPressed and
/// editingFinished fire as usual.
class AmountKeyRules : public QValidator
{
    Q_OBJECT
public:
    /// Rules for field (which becomes the parent); use AttachAmountKeyRules to put them on it.
    explicit AmountKeyRules(QLineEdit* field);

    State validate(QString& input, int& pos) const override;

private:
    void rememberText(const QString& text);

    QString m_current; // the field's text before the edit being validated
};

/// Puts the amount key rules on an amount field and lifts its length limit (the rules keep the
/// digit counts, so the field needs none; a limit of 12 would stop the point after 12 digits).
/// Returns the rules object, owned by the field. Call once, when the field is created.
AmountKeyRules* AttachAmountKeyRules(QLineEdit* field);

/// Completes the field's text to two decimals in place (CompleteAmountText) and returns it.
/// Throws AppError naming the text when it is not an amount; the field is then left as it was.
QString CompleteAmountField(QLineEdit* field);

/// The fifteen digit boxes of a box panel, index 0 the rightmost (分) box, index 14 the leftmost.
/// The boxes are the panel's direct child widgets that have a "text" property (QLabel, for
/// example). When every box's objectName ends in a number they are ordered by it, so Panel1 ...
/// Panel15 or Panel001 ... Panel015 (1 is the 分 box); otherwise in the order they were created,
/// the first created being the 分 box. Throws AppError when the panel has not exactly 15 boxes.
QList<QWidget*> DigitBoxesOf(const QWidget* boxPanel);

/// Writes a digit string into the fifteen digit boxes of a box panel (DigitBoxesOf): each digit in
/// its box from the right, "￥" left of the highest digit, the boxes further left emptied
/// (DigitBoxTexts). Throws AppError when the digit string is not 0 to 14 digits; the boxes are
/// then left as they were.
void FillDigitBoxes(QWidget* boxPanel, const QString& digitString);

/// Writes the texts of DigitBoxTexts into boxes given as a list, index 0 the rightmost (分) box.
/// Throws AppError when the list has not 15 widgets with a "text" property or the digit string
/// does not fit.
void FillDigitBoxes(const QList<QWidget*>& boxes, const QString& digitString);

/// Leaving an amount field, as both entry screens do it from their exit handler: empties the boxes
/// of boxPanel, completes the field's text to two decimals, fills the boxes with the digit string,
/// calls beforeCapitals (if given) with the completed text (the cheque screen copies it to its stub
/// there), and writes AmountToCapitals of the digit string into capitals (a QLabel or any widget
/// with a "text" property). Returns the completed text. Throws AppError when the field holds no
/// amount (text set from code only): the boxes are then empty, the field and the capitals keep
/// their texts.
QString LeaveAmountField(QLineEdit* field, QWidget* boxPanel, QWidget* capitals,
                         const std::function<void(const QString& completed)>& beforeCapitals = {});

/// True when event is the operator leaving an amount field: a loss of focus to another field or
/// button. The field's own context menu opening, or the window losing the focus to another
/// program, do not leave it: the amount stays as typed, open to more digits or a paste.
bool LeavesAmountField(const QEvent* event);

} // namespace Zt_typro
