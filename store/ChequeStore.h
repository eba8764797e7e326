#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>
#include <QtGlobal>

class TD_M;

namespace Zt_typro
{

/// A cheque as the register holds it (a row of table zp): the texts the entry screen held when it
/// was confirmed. Everything printed on the cheque is worked out from these values.
struct ChequeValues
{
    QString ph;   // the cheque number
    QString skr;  // the payee, as typed
    QString je;   // the amount, completed to two decimals by the screen ("1234.50")
    QString yt;   // the purpose
    QString nian; // the date's year, month and day as the stub's boxes hold them ("2005", "3", "7")
    QString yue;
    QString ri;
    QString fjxx; // the note on the stub, every line of it
    QString hkfs; // "转帐" (a transfer cheque) or "现金" (a cash cheque)
    QDate rq;     // the date the year, month and day name; invalid when they name none

    /// The form code the cheque prints on: "xj" for a cash cheque, "zz" for any other.
    QString formCode() const;
    /// The payee as the payee list counts it: blanks at both ends trimmed.
    QString payeeName() const { return skr.trimmed(); }
    /// The values of the register row in the order of statement Z1.
    QVariantList registerValues() const;

    /// The payment kind stored for a form code: "转帐" for "zz", "现金" for any other.
    static QString PaymentKind(const QString& formCode);
};

/// Throws AppError, before anything is written, for what the register or the payee list cannot
/// hold: a date that is no real date (rq invalid), a value longer than its column of zp, a payee
/// name too long for the payee list. The messages say what to correct.
void CheckChequeValues(const ChequeValues& cheque);

/// Stores a cheque in one transaction of dm: its register row (Z1), its registration in the
/// history (登记) and the count of its payee (added to the payee list when new, S7, else counted
/// once more, S8). Checks the values first (CheckChequeValues). Returns the row key of the
/// register row. Throws AppError when anything cannot be stored; then nothing of it is.
qint64 StoreCheque(TD_M& dm, const ChequeValues& cheque);

/// A cheque read back from the register, with the state its history gives it (kStatePrinted ...).
struct RegisteredCheque
{
    qint64 zpid = 0;
    ChequeValues values;
    QString state;
};

/// The cheque stored at row key zpid (statement Z6), with the date stored with it. Throws
/// AppError when the register has no such row.
RegisteredCheque StoredCheque(TD_M& dm, qint64 zpid);

} // namespace Zt_typro
