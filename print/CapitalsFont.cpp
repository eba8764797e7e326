#include "print/CapitalsFont.h"

#include "common/Prompt.h"
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"

#include <QLabel>

namespace Zt_typro
{

CapitalsFontDialog::CapitalsFontDialog(QObject* parent)
    : QObject(parent), m_font(CapitalsBaseFont(QFont()))
{
    setObjectName(QStringLiteral("FontDialog_daxie"));
}

bool CapitalsFontDialog::execute(QWidget* owner)
{
    const std::optional<QFont> chosen = prompter().chooseFont(owner, m_font);
    if (!chosen)
        return false;
    m_font = *chosen;
    return true;
}

QFont CapitalsBaseFont(QFont font)
{
    font.setFamily(QStringLiteral("宋体"));
    font.setPointSize(10);
    return font;
}

void PaintCapitalsBlue(QWidget* panel)
{
    QPalette pal = panel->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    pal.setColor(QPalette::Text, Qt::blue);
    panel->setPalette(pal);
}

void ApplyCapitalsFont(const QFont& font, QLabel* chequeCapitals, QLabel* voucherCapitals)
{
    chequeCapitals->setFont(font);
    PaintCapitalsBlue(chequeCapitals);
    Frm_zz_print->QRL_dx->setFont(font);
    voucherCapitals->setFont(font);
    PaintCapitalsBlue(voucherCapitals);
    Frm_pz_print->QRL_dx->setFont(font);
}

QFont ChooseCapitalsFont(CapitalsFontDialog& dialog, QWidget* owner)
{
    dialog.setFont(CapitalsBaseFont(dialog.font()));
    // The answer is not examined: after Cancel the dialog still holds the "宋体" 10 font set above.
    dialog.execute(owner);
    return dialog.font();
}

} // namespace Zt_typro
