#pragma once

#include <QString>

namespace Zt_typro
{

/// What the cheque screen hands on to the screen that may follow a cheque (the voucher screen),
/// so that a voucher for the payment just made needs no typing. The cheque screen knows nothing
/// of who listens; the main window connects the two screens (see ChequePanel::setHandOver).
class ChequeHandOver
{
public:
    virtual ~ChequeHandOver() = default;

    /// The payee as the cheque screen now holds it (each change of CB_skr).
    virtual void payeeEntered(const QString& payee) = 0;
    /// The amount as typed (Enter) or completed (leaving the field).
    virtual void amountEntered(const QString& amount) = 0;
    /// "确 定" of the type choice, before the cheque print job: the job has not yet counted or
    /// added the payee. An error stops "确 定" here, before the job.
    virtual void beforeChequeJob(const QString& payee) = 0;
    /// After the cheque print job printed a transfer cheque (not after a cash cheque, nor after a
    /// job that ended without printing), with the cheque's date as the stub holds it.
    virtual void afterChequeJob(const QString& year, const QString& month, const QString& day) = 0;
};

} // namespace Zt_typro
