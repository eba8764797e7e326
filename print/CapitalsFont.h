#pragma once

#include <QFont>
#include <QObject>

class QLabel;
class QWidget;

namespace Zt_typro
{

// The capital-amount font: one font for the amount in capitals on both entry screens (the cheque
// screen's Panel_daxie, the voucher screen's P_daxie) and on QRL_dx of both print forms. It is
// held only by these four and never stored.

/// FontDialog_daxie: the font dialog behind the pop-up item "字体". It keeps the font it last
/// showed or was given, as a dialog object does between two showings.
class CapitalsFontDialog : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CapitalsFontDialog)
public:
    explicit CapitalsFontDialog(QObject* parent);

    QFont font() const { return m_font; }
    void setFont(const QFont& font) { m_font = font; }

    /// Shows the font dialog (through the prompter) starting from font(). OK keeps the chosen
    /// font and returns true; Cancel leaves font() as it was and returns false.
    bool execute(QWidget* owner);

private:
    QFont m_font;
};

/// font with the name "宋体" and the size 10; its other attributes (bold, italic, ...) stay.
QFont CapitalsBaseFont(QFont font);

/// The font choice "字体", from the pop-up menu of either capitals panel: the dialog font is set
/// to "宋体" 10 (its other attributes as the dialog last left them) and the dialog is shown.
/// Returns its font, chosen or not (after Cancel, the "宋体" 10 font): the font that
/// ApplyCapitalsFont then gives to the four holders.
QFont ChooseCapitalsFont(CapitalsFontDialog& dialog, QWidget* owner);

/// Copies font to the four holders of the capital-amount font, in this order: the cheque
/// screen's capitals (blue text), the cheque print form's QRL_dx, the voucher screen's capitals
/// (blue text) and the voucher print form's QRL_dx.
void ApplyCapitalsFont(const QFont& font, QLabel* chequeCapitals, QLabel* voucherCapitals);

/// Gives a capitals panel its blue text.
void PaintCapitalsBlue(QWidget* panel);

} // namespace Zt_typro
