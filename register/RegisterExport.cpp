#include "register/RegisterExport.h"

#include "common/Error.h"
#include "store/Backup.h"
#include "store/DataModule.h"
#include "store/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <iterator>

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

const ExportColumn kColumns[] = {
    {"ph", "票号"},
    {"rq", "日期"},
    {"skr", "收款人"},
    {"je", "金额"},
    {"yt", "用途"},
    {"hkfs", "汇款方式"},
    {"nian", "年"},
    {"yue", "月"},
    {"ri", "日"},
    {"fjxx", "附加信息"},
    {CHEQUE_STATE_SQL, "状态"},
    {"(select sj || ' ' || fssj || ifnull(' ' || sm, '') from zpls where zpid = zp.rowid order by rowid desc limit 1)",
     "最后记录"},
};
constexpr int kColumnCount = int(std::size(kColumns));

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

qsizetype ExportRegisterRows(TD_M& dm, const QList<qint64>& keys, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (IsRecordsFile(dm.databasePath(), path))
        throw AppError(QStringLiteral("不能导出到 %1: 它是数据库文件、数据库的日志或程序保存的备份，"
                                      "导出会毁掉记录。请另选一个文件名。")
                           .arg(shown));
    dm.ensureConnected();
    dm.checkFileUnchanged();
    QSqlDatabase db = QSqlDatabase::database(dm.connectionName(), false);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(QStringLiteral("无法写入文件 %1: %2").arg(shown, file.errorString()));
    const auto writeOut = [&](QByteArray& bytes) {
        if (file.write(bytes) != bytes.size())
            throw AppError(QStringLiteral("无法写入文件 %1: %2").arg(shown, file.errorString()));
        bytes.clear();
    };

    QByteArray out("\xEF\xBB\xBF"); // the byte-order mark: Excel then reads the file as UTF-8
    appendRecord(out, RegisterExportHeader());

    qsizetype written = 0;
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
            rows.insert(q->value(0).toLongLong(), values);
        }
        if (q->lastError().isValid())
            throw AppError(dm.failureText(QStringLiteral("导出"), q->lastError().text()));
        q->finish();
        for (qsizetype i = 0; i < count; ++i) {
            const auto found = rows.constFind(keys.at(first + i));
            if (found == rows.cend())
                continue;
            appendRecord(out, *found);
            ++written;
        }
        if (out.size() >= kFlushBytes)
            writeOut(out);
    }
    writeOut(out);
    if (!file.commit())
        throw AppError(QStringLiteral("无法写入文件 %1: %2").arg(shown, file.errorString()));
    return written;
}

} // namespace Zt_typro
