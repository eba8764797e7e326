#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "common/LongWork.h"

class TD_M;

namespace Zt_typro
{

/// The header row of an exported register, one title per column: 票号, 日期, 收款人, 金额, 用途,
/// 汇款方式, 附加信息 (the columns ph, rq, skr, je, yt, hkfs, fjxx: the date once, the stub's year,
/// month and day being the same day), then 状态 (the cheque's state; a print kept on this computer
/// counts as printed, as the grid shows it) and 最后记录 (its latest event: event, time and note).
QStringList RegisterExportHeader();

/// One field of the exported file: quoted, a quote inside it doubled, a line break inside it
/// kept. A value that a spreadsheet would run as a formula (it starts with =, +, -, @, a tab
/// or a carriage return) gets a leading apostrophe, which makes it inert text; anything else
/// is written as stored (the amount as a plain number).
QByteArray CsvField(const QString& value);

/// Both exports tell progress (when given) how many of the keys they have read after every few
/// hundred rows; when it returns false they stop, write nothing and return -1.
///
/// Writes the register rows with the given keys (rowid of zp), in that order, to path as a
/// CSV file: UTF-8 with a byte-order mark, comma-separated, CRLF between records, the header
/// row first; every column of the register with the cheque's state and latest event. A key
/// whose row no longer exists is skipped. The file is written atomically: a failure leaves a
/// file already at path as it was. Returns the number of rows written. Throws AppError naming
/// the file or the database on failure, and, before anything is written, when path is one of
/// the records (IsRecordsFile: the database, its journal, a kept backup, or a link to one of
/// them).
qsizetype ExportRegisterRows(TD_M& dm, const QList<qint64>& keys, const QString& path,
                             const WorkProgress& progress = {});

/// The same rows as an Excel workbook (.xlsx) at path: the header row in bold, then one row
/// per cheque; the cheque number and every text as a string cell (never run as a formula),
/// the amount as a number shown with two decimals (so that SUM works), the date as a date,
/// the note with its line breaks. A register longer than a sheet goes on over further sheets.
/// After an empty row, the last row sums up the cheques paid: "合计: N 张，已付金额", the total
/// as a number under 金额, and beside it how many voided and unprinted cheques it leaves out
/// (a voided cheque was not paid, and neither was one never printed).
/// Written beside path and renamed into place; refused like ExportRegisterRows for a records
/// file. Returns the number of rows written; throws AppError naming the file on failure.
qsizetype ExportRegisterWorkbook(TD_M& dm, const QList<qint64>& keys, const QString& path,
                                 const WorkProgress& progress = {});

} // namespace Zt_typro
