#include "register/RegisterExport.h"

#include "common/Error.h"
#include "numerals/Amount.h"
#include "store/Backup.h"
#include "store/ChequeHistory.h"
#include "store/DataModule.h"
#include "store/KeptPrints.h"
#include "store/SafeCopy.h"
#include "store/Schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <xlsxwriter.h>

#include <functional>
#include <iterator>
#include <string_view>

namespace Zt_typro
{
namespace
{
// The register's columns in the order they are exported (a column of zp, or what its
// history says of the cheque).
struct ExportColumn
{
    const char* column; // as read: a column of zp, or an expression over the cheque's history
    const char* title;
};

constexpr ExportColumn kColumns[] = {
    {"ph", "票号"},
    {"rq", "日期"},
    {"skr", "收款人"},
    {"je", "金额"},
    {"yt", "用途"},
    {"hkfs", "汇款方式"},
    // The date once: nian, yue and ri hold the day of rq again, as the stub printed it.
    {"fjxx", "附加信息"},
    {CHEQUE_STATE_SQL, "状态"},
    {"(select sj || ' ' || fssj || ifnull(' ' || sm, '') from zpls where zpid = zp.rowid order by rowid desc limit 1)",
     "最后记录"},
};
constexpr int kColumnCount = int(std::size(kColumns));

// The place of a column in kColumns, by its title.
constexpr int columnIndex(std::string_view title)
{
    for (int i = 0; i < kColumnCount; ++i)
        if (title == kColumns[i].title)
            return i;
    return -1;
}
constexpr int kAmountIndex = columnIndex("金额");
constexpr int kStateIndex = columnIndex("状态");
static_assert(kAmountIndex >= 0 && kStateIndex >= 0);

// Rows read by one statement (one parameter per key).
constexpr qsizetype kKeysPerRead = 500;
// Bytes gathered before they go to the file.
constexpr qsizetype kFlushBytes = 1 << 20;

QString rowSelect(qsizetype keys)
{
    QString sql = QStringLiteral("select rowid");
    for (const ExportColumn& c : kColumns)
        sql += QStringLiteral(", ") + QString::fromUtf8(c.column);
    sql += QStringLiteral(" from zp where rowid in (");
    for (qsizetype i = 0; i < keys; ++i)
        sql += i ? QStringLiteral(", ?") : QStringLiteral("?");
    return sql + QLatin1Char(')');
}

void appendRecord(QByteArray& out, const QStringList& values)
{
    for (int i = 0; i < values.size(); ++i) {
        if (i)
            out += ',';
        out += CsvField(values.at(i));
    }
    out += "\r\n";
}
} // namespace

QStringList RegisterExportHeader()
{
    QStringList titles;
    for (const ExportColumn& c : kColumns)
        titles << QString::fromUtf8(c.title);
    return titles;
}

QByteArray CsvField(const QString& value)
{
    QString text = value;
    // A spreadsheet runs a field that starts with =, +, -, @ (or a tab or carriage return
    // before one) as a formula, also inside quotes: the usual leading apostrophe makes it text.
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        text.prepend(QLatin1Char('\''));
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + text.toUtf8() + '"';
}

namespace
{
// Thrown out of a safe write when the operator stops the export: the part file goes.
struct Stopped
{};

void refuseRecordsFile(TD_M& dm, const QString& path, const QString& shown)
{
    if (IsRecordsFile(dm.databasePath(), path))
        throw AppError(QStringLiteral("不能导出到 %1: 它是数据库文件、数据库的日志或程序保存的备份，"
                                      "导出会毁掉记录。请另选一个文件名。")
                           .arg(shown));
}

// Writes an export to path through write(part, shown), refusing a records file first. The file
// is written beside its place and renamed there when whole (SafeWrite): a failure, or the
// operator stopping it (-1), leaves a file already there as it was.
qsizetype exportSafely(TD_M& dm, const QString& path,
                       const std::function<qsizetype(const QString& part, const QString& shown)>& write)
{
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    refuseRecordsFile(dm, path, shown);
    // As a file saved over: through a link, the file it names is replaced (the link stays); a
    // file the operator may not write is refused, not swapped for a new one.
    QString target = path;
    if (const QFileInfo link(path); link.isSymLink() && !link.canonicalFilePath().isEmpty()) {
        target = link.canonicalFilePath();
        refuseRecordsFile(dm, target, shown);
    }
    if (const QFileInfo existing(target); existing.exists() && !existing.isWritable())
        throw AppError(QStringLiteral("无法写入文件 %1: 这个文件是只读的，请另选一个文件名。").arg(shown));
    dm.ensureConnected();
    qsizetype written = 0;
    try {
        SafeWrite(
            target, ExistingFile::Replace, [&](const QString& part) { written = write(part, shown); },
            [&](const QString& why) { return QStringLiteral("无法写入文件 %1: %2").arg(shown, why); });
    } catch (const Stopped&) {
        return -1;
    }
    return written;
}

// Reads the register rows with the given keys, in that order, kKeysPerRead at a time, and
// hands each row's values (in the order of kColumns) to take. A key whose row no longer
// exists is skipped. Returns the number of rows handed on.
qsizetype readRows(TD_M& dm, const QList<qint64>& keys, const std::function<void(const QStringList&)>& take,
                   const WorkProgress& progress)
{
    dm.ensureConnected();
    dm.checkFileUnchanged();
    QSqlDatabase db = QSqlDatabase::database(dm.connectionName(), false);
    // A print kept on this computer (the register could not take it when the paper came out)
    // counts as printed, as the grid shows it.
    QHash<qint64, ChequeEvent> kept;
    for (const KeptPrint& print : KeptPrintsFor(dm))
        kept.insert(print.zpid, print.event);
    qsizetype taken = 0;
    QSqlQuery fullRead(db);
    fullRead.setForwardOnly(true);
    bool fullReadPrepared = false;
    QHash<qint64, QStringList> rows;
    for (qsizetype first = 0; first < keys.size(); first += kKeysPerRead) {
        const qsizetype count = qMin(kKeysPerRead, keys.size() - first);
        QSqlQuery partRead(db);
        QSqlQuery* q = &fullRead;
        if (count == kKeysPerRead) {
            if (!fullReadPrepared && !fullRead.prepare(rowSelect(count)))
                throw AppError(dm.failureText(QStringLiteral("导出"), fullRead.lastError().text()));
            fullReadPrepared = true;
        } else {
            q = &partRead;
            q->setForwardOnly(true);
            if (!q->prepare(rowSelect(count)))
                throw AppError(dm.failureText(QStringLiteral("导出"), q->lastError().text()));
        }
        for (qsizetype i = 0; i < count; ++i)
            q->bindValue(int(i), keys.at(first + i));
        if (!q->exec())
            throw AppError(dm.failureText(QStringLiteral("导出"), q->lastError().text()));
        rows.clear();
        rows.reserve(count);
        while (q->next()) {
            QStringList values;
            values.reserve(kColumnCount);
            for (int c = 1; c <= kColumnCount; ++c)
                values << q->value(c).toString();
            if (const auto print = kept.constFind(q->value(0).toLongLong());
                print != kept.cend() && values.at(kStateIndex) != QString::fromUtf8(kStateVoided))
                values[kStateIndex] = QString::fromUtf8(*print == ChequeEvent::Printed ? kStatePrinted
                                                                                       : kStateReprinted);
            rows.insert(q->value(0).toLongLong(), values);
        }
        if (q->lastError().isValid())
            throw AppError(dm.failureText(QStringLiteral("导出"), q->lastError().text()));
        q->finish();
        for (qsizetype i = 0; i < count; ++i) {
            const auto found = rows.constFind(keys.at(first + i));
            if (found == rows.cend())
                continue;
            take(*found);
            ++taken;
        }
        if (progress && !progress(first + count, keys.size()))
            return -1;
    }
    return taken;
}
} // namespace

qsizetype ExportRegisterRows(TD_M& dm, const QList<qint64>& keys, const QString& path, const WorkProgress& progress)
{
    return exportSafely(dm, path, [&](const QString& part, const QString& shown) {
        QFile file(part);
        if (!file.open(QIODevice::WriteOnly))
            throw AppError(QStringLiteral("无法写入文件 %1: %2").arg(shown, file.errorString()));
        const auto writeOut = [&](QByteArray& bytes) {
            if (file.write(bytes) != bytes.size())
                throw AppError(QStringLiteral("无法写入文件 %1: %2").arg(shown, file.errorString()));
            bytes.clear();
        };
        QByteArray out("\xEF\xBB\xBF"); // the byte-order mark: Excel then reads the file as UTF-8
        appendRecord(out, RegisterExportHeader());
        const qsizetype written = readRows(
            dm, keys,
            [&](const QStringList& values) {
                appendRecord(out, values);
                if (out.size() >= kFlushBytes)
                    writeOut(out);
            },
            progress);
        if (written < 0)
            throw Stopped{};
        writeOut(out);
        if (!file.flush())
            throw AppError(QStringLiteral("无法写入文件 %1: %2").arg(shown, file.errorString()));
        return written;
    });
}

namespace
{
// Writes the rows with the given keys as a workbook into the new file part.
qsizetype writeWorkbook(TD_M& dm, const QList<qint64>& keys, const QString& part, const QString& shown,
                        const WorkProgress& progress)
{
    // Rows go out as they are read (constant memory): a whole register never sits in memory.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray partName = QFile::encodeName(part);
    lxw_workbook* book = workbook_new_opt(partName.constData(), &options);
    if (!book)
        throw AppError(QStringLiteral("无法写入文件 %1。").arg(shown));
    // A read that fails half-way still frees the workbook.
    auto closeBook = qScopeGuard([&book] { workbook_close(book); });
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* money = workbook_add_format(book);
    format_set_num_format(money, "#,##0.00");
    lxw_format* day = workbook_add_format(book);
    format_set_num_format(day, "yyyy-mm-dd");
    lxw_format* moneyTotal = workbook_add_format(book);
    format_set_num_format(moneyTotal, "#,##0.00");
    format_set_bold(moneyTotal);
    lxw_format* lines = workbook_add_format(book);
    format_set_text_wrap(lines);

    const QStringList titles = RegisterExportHeader();
    lxw_worksheet* sheet = nullptr;
    lxw_row_t row = 0;
    int sheets = 0;
    // A sheet holds at most 1,048,576 rows: a larger register goes on over further sheets.
    constexpr lxw_row_t kRowsPerSheet = 1048576;
    const auto newSheet = [&] {
        ++sheets;
        const QByteArray name =
            (sheets == 1 ? QStringLiteral("支票登记") : QStringLiteral("支票登记%1").arg(sheets)).toUtf8();
        sheet = workbook_add_worksheet(book, name.constData());
        for (int c = 0; c < titles.size(); ++c)
            worksheet_write_string(sheet, 0, lxw_col_t(c), titles.at(c).toUtf8().constData(), bold);
        worksheet_set_column(sheet, 0, 0, 12, nullptr);
        worksheet_set_column(sheet, 1, 1, 11, nullptr);
        worksheet_set_column(sheet, 2, 2, 30, nullptr);
        worksheet_set_column(sheet, 3, 3, 14, nullptr);
        worksheet_set_column(sheet, 4, 4, 24, nullptr);
        worksheet_set_column(sheet, 6, 6, 30, nullptr);
        worksheet_set_column(sheet, 8, 8, 40, nullptr);
        row = 1;
    };
    newSheet();
    // What the last row sums up: the cheques paid (printed, the voided and the unprinted left out).
    qsizetype paid = 0;
    qsizetype voided = 0;
    qsizetype unprinted = 0;
    qint64 paidFen = 0;
    const qsizetype written = readRows(
        dm, keys,
        [&](const QStringList& values) {
            if (row >= kRowsPerSheet)
                newSheet();
            const QString& state = values.at(kStateIndex);
            if (state == QString::fromUtf8(kStateVoided)) {
                ++voided;
            } else if (state == QString::fromUtf8(kStateUnprinted)) {
                ++unprinted;
            } else {
                ++paid;
                qint64 fen = 0;
                if (AmountInFen(values.at(kAmountIndex), &fen) && qAddOverflow(paidFen, fen, &paidFen))
                    throw AppError(QStringLiteral("无法导出到 %1: 已付金额的合计太大。").arg(shown));
            }
            for (int c = 0; c < values.size(); ++c) {
                const QString& value = values.at(c);
                const QLatin1String column(kColumns[c].column);
                bool number = false;
                const double amount = column == QLatin1String("je") ? value.toDouble(&number) : 0.0;
                const QDate date = column == QLatin1String("rq") ? QDate::fromString(value, Qt::ISODate) : QDate();
                if (number) {
                    worksheet_write_number(sheet, row, lxw_col_t(c), amount, money);
                } else if (date.isValid()) {
                    lxw_datetime when{date.year(), date.month(), date.day(), 0, 0, 0.0};
                    worksheet_write_datetime(sheet, row, lxw_col_t(c), &when, day);
                } else if (!value.isEmpty()) {
                    // A string cell is never run as a formula, whatever it starts with.
                    worksheet_write_string(sheet, row, lxw_col_t(c), value.toUtf8().constData(),
                                           value.contains(QLatin1Char('\n')) ? lines : nullptr);
                }
            }
            ++row;
        },
        progress);
    if (written >= 0) {
        // After an empty row, so that sorting or filtering the cheques leaves the total alone.
        if (row + 1 >= kRowsPerSheet)
            newSheet();
        const lxw_row_t total = row + 1;
        const QString label = QStringLiteral("合计: %1 张，已付金额").arg(paid);
        worksheet_write_string(sheet, total, 0, label.toUtf8().constData(), bold);
        worksheet_write_number(sheet, total, lxw_col_t(kAmountIndex), double(paidFen) / 100.0, moneyTotal);
        const QString left = QStringLiteral("不计作废的 %1 张和未打印的 %2 张").arg(voided).arg(unprinted);
        worksheet_write_string(sheet, total, lxw_col_t(kAmountIndex + 1), left.toUtf8().constData(), nullptr);
    }
    closeBook.dismiss();
    const lxw_error closed = workbook_close(book);
    if (written < 0)
        throw Stopped{}; // the part file goes, a file already there stays
    if (closed != LXW_NO_ERROR)
        throw AppError(QStringLiteral("无法写入文件 %1: %2").arg(shown, QString::fromUtf8(lxw_strerror(closed))));
    return written;
}
} // namespace

qsizetype ExportRegisterWorkbook(TD_M& dm, const QList<qint64>& keys, const QString& path, const WorkProgress& progress)
{
    return exportSafely(dm, path, [&](const QString& part, const QString& shown) {
        return writeWorkbook(dm, keys, part, shown, progress);
    });
}

} // namespace Zt_typro
