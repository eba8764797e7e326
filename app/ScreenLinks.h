#pragma once

#include "cheque/ChequeHandOver.h"

class ChequePanel;
class VoucherPanel;

namespace Zt_typro
{

/// The hand-over from the cheque screen to the voucher screen, as the main window connects them:
/// the cheque's payee and amount are copied into the voucher screen as they are entered; before
/// the cheque print job the payee's stored account and bank are looked up for the voucher, and
/// after it the voucher is offered, prefilled from the cheque.
class VoucherAfterChequeLink final : public ChequeHandOver
{
public:
    explicit VoucherAfterChequeLink(VoucherPanel& voucher)
        : m_voucher(voucher)
    {
    }

    void payeeEntered(const QString& payee) override;
    void amountEntered(const QString& amount) override;
    void beforeChequeJob(const QString& payee) override;
    void afterChequeJob(const QString& year, const QString& month, const QString& day) override;

private:
    VoucherPanel& m_voucher;
};

/// Connects the capital-amount font of the two entry screens: one pop-up menu "字体" (the cheque
/// screen's) serves both capitals panels, the voucher screen's font dialog answers it, and the
/// chosen font goes to both screens and both print forms.
void LinkCapitalsFont(ChequePanel& cheque, VoucherPanel& voucher);

} // namespace Zt_typro
