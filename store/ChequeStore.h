#pragma once

#include "common/Error.h"

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

/// The cheques the register holds under one number, as the clerk is asked about them before the
/// number is used again.
struct NumberUses
{
    int count = 0; // how many cheques have the number
    // The latest of them: its row key, date, payee, amount and state.
    qint64 zpid = 0;
    QString date;
    QString payee;
    QString amount;
    QString state;
};

/// The cheques the register holds under number (statement Z5).
NumberUses RegisteredUses(TD_M& dm, const QString& number);

/// Thrown by StoreCheque when the register holds more cheques under the number than the clerk
/// agreed to use it again after: another clerk stored the number meanwhile. Nothing was stored.
class NumberTaken : public AppError
{
public:
    NumberTaken(const QString& number, NumberUses found);
    const NumberUses& uses() const { return m_uses; }

private:
    NumberUses m_uses;
};

/// For StoreCheque: store the cheque however many cheques the register holds under its number.
inline constexpr int kAnyNumberUses = -1;

/// Stores a cheque in one transaction of dm: its register row (Z1), its registration in the
/// history (登记) and the count of its payee (added to the payee list when new, S7, else counted
/// once more, S8). Checks the values first (CheckChequeValues). The number is looked up inside
/// the same transaction, after the number's lock (Z8) is taken: when the register holds more
/// cheques under it than acceptedUses (the ones the clerk was shown and agreed to use the number
/// again after; 0 for a number the clerk believes new), NumberTaken is thrown and nothing is
/// stored, so two copies storing one number at the same moment never both store it unasked.
/// Returns the row key of the register row. Throws AppError when anything cannot be stored;
/// then nothing of it is.
qint64 StoreCheque(TD_M& dm, const ChequeValues& cheque, int acceptedUses = 0);

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
