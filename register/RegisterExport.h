#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TD_M;

namespace Zt_typro
{

/// The header row of an exported register, one title per column: 票号, 日期, 收款人, 金额, 用途,
/// 汇款方式, 年, 月, 日, 附加信息 (the columns ph, rq, skr, je, yt, hkfs, nian, yue, ri, fjxx).
QStringList RegisterExportHeader();

/// One field of the exported file. Every field is quoted, a quote inside it doubled; a line
/// break inside it stays as it is. With asText the value is written as a spreadsheet text
/// formula (="1200.50") so that a spreadsheet keeps it exactly as stored (trailing zeros,
/// leading zeros, long digit strings); a value that a spreadsheet would take for a formula (it
/// starts with =, +, - or @) is always written so, and so shows as the text it is.
QByteArray CsvField(const QString& value, bool asText = false);

/// Writes the register rows with the given keys (rowid of zp), in that order, to path as a
/// CSV file for a spreadsheet: UTF-8 with a byte-order mark, comma-separated, CRLF between
/// records, the header row first; every column of the register, the cheque number and the
/// amount as text. A key whose row no longer exists is skipped. The file is written
/// atomically: a failure leaves a file already at path as it was. Returns the number of rows
/// written. Throws AppError naming the file or the database on failure, and, before anything is
/// written, when path is one of the records (IsRecordsFile: the database, its journal, a kept
/// backup, or a link to one of them).
qsizetype ExportRegisterRows(TD_M& dm, const QList<qint64>& keys, const QString& path);

} // namespace Zt_typro
