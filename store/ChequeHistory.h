#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class TD_M;

namespace Zt_typro
{

/// What can happen to a cheque in the register. Its history (table zpls) holds these events,
/// each with its time and operator; they are only ever added.
enum class ChequeEvent
{
    Registered,      // 登记: stored at the confirmation
    Printed,         // 打印: sent to a printer or a file from the preview (which one)
    ClosedUnprinted, // 预览后未打印: the preview was closed without printing
    Reprinted,       // 重打: printed again from the register
    Voided,          // 作废: with the operator's reason
};

/// The states a cheque shows in the register, from its history.
inline constexpr char kStatePrinted[] = "已打印";
inline constexpr char kStateUnprinted[] = "未打印";
inline constexpr char kStateReprinted[] = "已重打";
inline constexpr char kStateVoided[] = "作废";

/// The event's name as the history stores and shows it ("登记", "打印", ...).
QString ChequeEventName(ChequeEvent event);

/// The operator the history names: the name of the system account the program runs as (its
/// effective user), whatever USER or LOGNAME say; "用户号 <uid>" for an account without an entry.
QString OperatorName();

/// Adds event with note (the printer or file, the reason; may be empty) to the history of the
/// cheque stored at zpid, at the current time, by OperatorName(). Inside a transaction it is
/// part of it. Throws AppError when it cannot be stored.
void AddChequeEvent(TD_M& dm, qint64 zpid, ChequeEvent event, const QString& note = {});

/// One event of a cheque's history, as stored.
struct ChequeHistoryEntry
{
    QString time; // "2026-12-10 14:03:05"
    QString event;
    QString note;
    QString byOperator;
};

/// The history of the cheque at zpid, oldest first.
QList<ChequeHistoryEntry> ChequeHistory(TD_M& dm, qint64 zpid);

} // namespace Zt_typro
