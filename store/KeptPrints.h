#pragma once

#include "store/ChequeHistory.h"
#include "store/ChequeStore.h"

#include <QList>
#include <QString>
#include <QStringList>

class TD_M;

namespace Zt_typro
{

/// A print the register has to record: the paper came out of the printer (or went to a file),
/// so the event is owed to the register whatever happens to the connection or the file.
struct KeptPrint
{
    QString where;                            // the register it belongs to (TD_M::whereText)
    qint64 zpid = 0;                          // the cheque's row key when it was printed
    ChequeValues cheque;                      // the cheque as stored: found again by it when the register changed
    ChequeEvent event = ChequeEvent::Printed; // Printed or Reprinted
    QString note;                             // the printer or file
    QString byOperator;                       // who printed it
    QString time;                             // when, "yyyy-MM-dd HH:mm:ss" on this computer
    int seenBefore = 0;                       // events of this kind the cheque's history held before the print
    QString file;                             // where it is kept on this computer (empty while it is not)
};

/// What became of a print handed to RecordPrint.
struct RecordedPrint
{
    bool written = false;         // in the register now
    bool registeredAgain = false; // the register no longer held the cheque: stored again with it
    bool refused = false;         // the cheque was voided meanwhile: the print is not recorded
    bool kept = false;            // not written, and kept on this computer to be written later
    QString keptWhy;              // not written and not kept either: why it could not be kept
    QString why;                  // why the register did not take it at the first try (plain words)
};

/// The folder where prints the register could not take are kept: "待补记录" in the data folder
/// (the working folder), its owner's only.
QString KeptPrintsFolder();

/// How many events of this kind the history of the cheque at zpid holds.
int EventCount(TD_M& dm, qint64 zpid, ChequeEvent event);

/// A print of the cheque at zpid about to be made, to be recorded by this operator; seenBefore is
/// EventCount of its kind now (0 for a cheque just stored). Its printer or file goes in note.
KeptPrint PrintToRecord(TD_M& dm, qint64 zpid, const ChequeValues& cheque, ChequeEvent event, int seenBefore);

/// Records print in the register of dm: the cheque is found again (at its row key when it is the
/// same cheque there, else by number and values; when the register no longer holds it at all it
/// is registered again), and the event is added unless the history already shows it (a write
/// whose answer was lost). A register that refuses is tried once more a second later (a dropped
/// connection opens again, a replaced file is let go of); when that fails too, the print is kept
/// in KeptPrintsFolder() to be written later (WriteKeptPrints). A cheque voided meanwhile takes
/// no print (the shared register refuses it too): that is final and said, never kept. Never
/// throws for a register that cannot take it: that is said in the result.
RecordedPrint RecordPrint(TD_M& dm, KeptPrint print);

/// The prints kept on this computer for the register of dm, oldest first.
QList<KeptPrint> KeptPrintsFor(TD_M& dm);

/// What WriteKeptPrints did.
struct KeptPrintsWritten
{
    int written = 0;
    int registeredAgain = 0;
    int stillKept = 0;
    QString why;         // why the register did not take the ones still kept
    QStringList refused; // prints of cheques voided meanwhile, no longer kept: what to tell
};

/// Writes every print kept for the register of dm into it (at the start of the program, and
/// whenever the register has just taken a write); each one written is no longer kept. Another
/// copy of the program writing them at the same moment waits for this one.
KeptPrintsWritten WriteKeptPrints(TD_M& dm);

/// A register failure in words for a clerk whose paper has already printed: never the driver's
/// raw text, never "nothing was done".
QString PlainRegisterFailure(const QString& message);

} // namespace Zt_typro
