// Export of the register search result to a CSV file for a spreadsheet: the fields of each row
// read back by a CSV parser, the header, the empty result, and the text-kept amount.
#include "register/RegisterExport.h"
#include "store/Backup.h"
#include "store/ChequeHistory.h"
#include "store/ChequeStore.h"
#include "store/DataModule.h"
#include "tests/register/RegisterFixture.h"

#include <QFile>
#include <QHash>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <unistd.h>

using namespace Zt_typro;

namespace
{
const QByteArray kBom("\xEF\xBB\xBF");

// An RFC 4180 reader: comma-separated, fields optionally quoted, a doubled quote inside a quoted
// field is one quote, line breaks inside quotes belong to the field, records end with CRLF.
QList<QStringList> parseCsv(const QString& text, QString* problem)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            record << field;
            records << record;
            record.clear();
            field.clear();
            wasQuoted = false;
            ++i;
        } else {
            *problem = QStringLiteral("unexpected character %1 at %2").arg(c).arg(i);
            return {};
        }
    }
    if (quoted || !field.isEmpty() || !record.isEmpty())
        *problem = QStringLiteral("the file does not end with a complete record");
    return records;
}

// One part of a zip archive (a workbook), read with unzip.
QByteArray zipPart(const QString& archive, const QString& part)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, part});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0)
        return {};
    return unzip.readAllStandardOutput();
}

// A cell of a worksheet as written: its type attribute, the number format of its style, and
// its value (the number, or the inline string).
struct Cell
{
    QString type;
    QString format;
    QString value;
    bool formula = false;
};

// The cells of sheet1 of a workbook by reference ("A2"), with their styles' number formats.
QHash<QString, Cell> readSheet(const QString& archive)
{
    QHash<int, QString> formats{{0, QStringLiteral("General")}};
    QList<int> styleFormats;
    {
        QXmlStreamReader xml(zipPart(archive, QStringLiteral("xl/styles.xml")));
        bool inCellXfs = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("numFmt"))
                formats.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                               xml.attributes().value(QLatin1String("formatCode")).toString());
            if (xml.name() == QLatin1String("cellXfs"))
                inCellXfs = xml.isStartElement();
            if (inCellXfs && xml.isStartElement() && xml.name() == QLatin1String("xf"))
                styleFormats << xml.attributes().value(QLatin1String("numFmtId")).toInt();
        }
    }
    QHash<QString, Cell> cells;
    QXmlStreamReader xml(zipPart(archive, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("c")) {
            ref = xml.attributes().value(QLatin1String("r")).toString();
            Cell& cell = cells[ref];
            cell.type = xml.attributes().value(QLatin1String("t")).toString();
            const int style = xml.attributes().value(QLatin1String("s")).toInt();
            cell.format = formats.value(styleFormats.value(style));
        } else if (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("t")) {
            cells[ref].value += xml.readElementText();
        } else if (xml.name() == QLatin1String("f")) {
            cells[ref].formula = true;
        }
    }
    return cells;
}

// The number of the last row of a sheet that has a cell.
int lastRow(const QHash<QString, Cell>& cells)
{
    int last = 0;
    static const QRegularExpression ref(QStringLiteral("^[A-Z]+(\\d+)$"));
    for (auto it = cells.cbegin(); it != cells.cend(); ++it)
        last = std::max(last, ref.match(it.key()).captured(1).toInt());
    return last;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Adds cheques 2 … count to the register of f (which holds cheque 1) and returns the keys of
// all of them, in order.
QList<qint64> addRows(RegisterFixture& f, int count)
{
    QList<qint64> keys;
    const QSqlQuery added = f.cheque.sql(
        QStringLiteral("with recursive n(i) as (select 2 union all select i + 1 from n where i < %1) "
                       "insert into zp (ph, rq, skr, je, yt) select i, '2026-12-10', '乙', '2.00', 'b' from n")
            .arg(count));
    if (added.lastError().type() != QSqlError::NoError)
        return keys;
    for (QSqlQuery q = f.cheque.sql(QStringLiteral("select rowid from zp order by rowid")); q.next();)
        keys << q.value(0).toLongLong();
    return keys;
}

// The date once, in 日期: the stub's year, month and day are the same day again.
const QStringList kHeader{QStringLiteral("票号"),     QStringLiteral("日期"), QStringLiteral("收款人"),
                          QStringLiteral("金额"),     QStringLiteral("用途"), QStringLiteral("汇款方式"),
                          QStringLiteral("附加信息"), QStringLiteral("状态"), QStringLiteral("最后记录")};

const QString kHardPayee = QStringLiteral("北京\"华夏\"贸易, 有限公司");
const QString kHardNote = QStringLiteral("第一行, 带逗号\n第二行 \"引号\"");
} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetToday(QDate()); }

    void csvField_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("plain Chinese") << QStringLiteral("甲公司") << QStringLiteral("\"甲公司\"").toUtf8();
        QTest::newRow("empty") << QString() << QByteArray("\"\"");
        QTest::newRow("quote doubled") << QStringLiteral("A\"B") << QByteArray("\"A\"\"B\"");
        QTest::newRow("comma inside") << QStringLiteral("a, b") << QByteArray("\"a, b\"");
        QTest::newRow("line break kept") << QStringLiteral("a\nb") << QByteArray("\"a\nb\"");
        QTest::newRow("amount as a plain number") << QStringLiteral("1200.50") << QByteArray("\"1200.50\"");
        QTest::newRow("number with leading zeros") << QStringLiteral("00012345") << QByteArray("\"00012345\"");
        QTest::newRow("starts like a formula") << QStringLiteral("=1+2") << QByteArray("\"'=1+2\"");
        QTest::newRow("formula with a quote") << QStringLiteral("=\"x\"") << QByteArray("\"'=\"\"x\"\"\"");
        QTest::newRow("starts with a minus") << QStringLiteral("-见附件") << QStringLiteral("\"'-见附件\"").toUtf8();
        QTest::newRow("starts with a plus") << QStringLiteral("+86") << QByteArray("\"'+86\"");
        QTest::newRow("starts with an at") << QStringLiteral("@x") << QByteArray("\"'@x\"");
        QTest::newRow("starts with a tab") << QStringLiteral("\t=1") << QByteArray("\"'\t=1\"");
    }
    void csvField()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, field);
        QCOMPARE(CsvField(value), field);
    }

    // Every column of every row found, in the grid's order, read back field by field: a quote,
    // a comma, a line break and a Chinese payee come back as they were typed.
    void export_rowsFound_everyColumnReadBack()
    {
        RegisterFixture f;
        SetToday(QDate(2026, 12, 8));
        f.cheque.screen->open();
        f.cheque.fill(QStringLiteral("00012345"), kHardPayee, QStringLiteral("1200.5"), QStringLiteral("货款"));
        f.cheque.screen->Memo_xinxi->setPlainText(kHardNote);
        f.cheque.confirmJob(QStringLiteral("zz"), true);
        f.print(QDate(2026, 12, 9), QStringLiteral("10000002"), QStringLiteral("乙公司"), QStringLiteral("88"),
                QStringLiteral("=运费"), QStringLiteral("xj"));
        f.print(QDate(2026, 12, 10), QStringLiteral("10000003"), kHardPayee, QStringLiteral("7"),
                QStringLiteral("杂费"));
        f.openSearch();
        f.search(2, kHardPayee);
        QCOMPARE(f.result->DBGrid_cx->model()->rowCount(), 2);

        const QString path = f.cheque.forms.workDir().filePath(QStringLiteral("登记.csv"));
        f.cheque.prompter.questions.clear();
        f.cheque.prompter.fileAnswers.enqueue(path);
        QVERIFY(f.result->Button_zpcx_dc->isVisible());
        f.result->Button_zpcx_dc->click();

        const auto files = f.cheque.prompter.ofKind(QStringLiteral("file"));
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.first().caption, QStringLiteral("导出查询结果"));
        QCOMPARE(QFileInfo(files.first().text).fileName(), QStringLiteral("支票登记-2026-12-10.xlsx"));
        QCOMPARE(f.cheque.prompter.ofKind(QStringLiteral("error")).size(), 0);
        QCOMPARE(f.cheque.prompter.last().kind, QStringLiteral("inform"));
        QCOMPARE(f.cheque.prompter.last().text,
                 QStringLiteral("已导出 2 张支票到 %1。").arg(QDir::toNativeSeparators(path)));

        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith(kBom));
        QString problem;
        const QList<QStringList> records = parseCsv(QString::fromUtf8(bytes.mid(kBom.size())), &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(records.size(), 3);
        QCOMPARE(records.at(0), kHeader);
        // Number and amount as stored; the state and latest event from the cheque's history.
        QCOMPARE(records.at(1).mid(0, 8), (QStringList{QStringLiteral("00012345"), QStringLiteral("2026-12-08"),
                                                       kHardPayee, QStringLiteral("1200.50"), QStringLiteral("货款"),
                                                       QStringLiteral("转帐"), kHardNote, QStringLiteral("已打印")}));
        QCOMPARE(records.at(2).mid(0, 8), (QStringList{QStringLiteral("10000003"), QStringLiteral("2026-12-10"),
                                                       kHardPayee, QStringLiteral("7.00"), QStringLiteral("杂费"),
                                                       QStringLiteral("转帐"), QString(), QStringLiteral("已打印")}));
        const QRegularExpression lastEvent(
            QStringLiteral("^打印 \\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} 测试打印机$"));
        for (int r : {1, 2})
            QVERIFY2(lastEvent.match(records.at(r).at(8)).hasMatch(), qPrintable(records.at(r).at(8)));

        // A purpose that a spreadsheet would take for a formula shows as its text.
        f.search(0, QStringLiteral("10000002"));
        f.cheque.prompter.fileAnswers.enqueue(path);
        f.result->Button_zpcx_dc->click();
        const QList<QStringList> second = parseCsv(QString::fromUtf8(readAll(path).mid(kBom.size())), &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(second.size(), 2);
        QCOMPARE(second.at(1).at(4), QStringLiteral("'=运费"));
        QCOMPARE(second.at(1).at(5), QStringLiteral("现金"));
    }

    // An export never writes over the records: the database under its own name, a link or a hard
    // link to it, its journal's name, a kept backup or a link to one, or a new name in the backup
    // folder is refused with a message, and the database and the backups stay byte for byte.
    void export_ontoTheRecords_refused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("the database") << QStringLiteral("database");
        QTest::newRow("a link to the database") << QStringLiteral("link");
        QTest::newRow("a hard link to the database") << QStringLiteral("hardlink");
        QTest::newRow("the journal's name") << QStringLiteral("journal");
        QTest::newRow("a kept backup") << QStringLiteral("backup");
        QTest::newRow("a link to a kept backup") << QStringLiteral("backuplink");
        QTest::newRow("a new name in the backup folder") << QStringLiteral("inbackup");
        QTest::newRow("two links to a kept backup") << QStringLiteral("chain");
        QTest::newRow("two links to a new name in the backup folder") << QStringLiteral("chainnew");
    }

    void export_ontoTheRecords_refused()
    {
        QFETCH(QString, kind);
        RegisterFixture f;
        SetToday(QDate(2026, 12, 10));
        f.print(QDate(2026, 12, 10), QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("5"),
                QStringLiteral("货款"));
        f.openSearch();
        f.search(2, QStringLiteral("甲公司"));
        QCOMPARE(f.result->DBGrid_cx->model()->rowCount(), 1);

        const QString database = D_M->databasePath();
        const QDir backups(BackupFolder(database));
        const QString kept = backups.filePath(DailyBackupName(Today()));
        QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
        const QDir work(f.cheque.forms.workDir().path());
        QString target;
        if (kind == QLatin1String("database")) {
            target = database;
        } else if (kind == QLatin1String("link")) {
            target = work.filePath(QStringLiteral("登记.csv"));
            QVERIFY(QFile::link(database, target));
        } else if (kind == QLatin1String("hardlink")) {
            target = work.filePath(QStringLiteral("登记.csv"));
            QVERIFY(::link(QFile::encodeName(database).constData(), QFile::encodeName(target).constData()) == 0);
        } else if (kind == QLatin1String("journal")) {
            target = database + QStringLiteral("-journal");
        } else if (kind == QLatin1String("backup")) {
            target = kept;
        } else if (kind == QLatin1String("backuplink")) {
            target = work.filePath(QStringLiteral("登记.csv"));
            QVERIFY(QFile::link(kept, target));
        } else if (kind == QLatin1String("chain") || kind == QLatin1String("chainnew")) {
            // Each link in a folder of its own, the last one naming its file relatively.
            QVERIFY(work.mkpath(QStringLiteral("甲")) && work.mkpath(QStringLiteral("乙")));
            const QString end = kind == QLatin1String("chain") ? kept : backups.filePath(QStringLiteral("登记.csv"));
            QVERIFY(QFile::link(QDir(work.filePath(QStringLiteral("乙"))).relativeFilePath(end),
                                work.filePath(QStringLiteral("乙/登记.csv"))));
            target = work.filePath(QStringLiteral("甲/登记.csv"));
            QVERIFY(QFile::link(work.filePath(QStringLiteral("乙/登记.csv")), target));
        } else {
            target = backups.filePath(QStringLiteral("登记.csv"));
        }
        const QByteArray databaseBefore = readAll(database);
        const QByteArray keptBefore = readAll(kept);

        f.cheque.prompter.questions.clear();
        f.cheque.prompter.fileAnswers.enqueue(target);
        f.result->Button_zpcx_dc->click();

        const auto errors = f.cheque.prompter.ofKind(QStringLiteral("error"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().text,
                 QStringLiteral("不能导出到 %1: 它是数据库文件、数据库的日志或程序保存的备份，导出会毁掉记录。请另选一个文件名。")
                     .arg(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath())));
        QCOMPARE(readAll(database), databaseBefore);
        QCOMPARE(readAll(kept), keptBefore);
        if (kind == QLatin1String("journal") || kind == QLatin1String("inbackup") || kind == QLatin1String("chainnew"))
            QVERIFY(!QFileInfo::exists(target));
        if (kind.startsWith(QLatin1String("chain")))
            QVERIFY(QFileInfo(target).isSymLink());
        // The program goes on: the same rows export to a file of the operator's own.
        const QString own = work.filePath(QStringLiteral("导出.csv"));
        f.cheque.prompter.fileAnswers.enqueue(own);
        f.result->Button_zpcx_dc->click();
        QCOMPARE(f.cheque.prompter.last().text, QStringLiteral("已导出 1 张支票到 %1。").arg(QDir::toNativeSeparators(own)));
    }

    // A name typed without a suffix writes the workbook "<name>.xlsx": when that file exists, the operator is
    // asked about it (the save dialog asked only about the name typed); No leaves it as it was.
    void export_nameWithoutSuffix_asksBeforeReplacing()
    {
        RegisterFixture f;
        f.print(QDate(2026, 12, 10), QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("5"),
                QStringLiteral("货款"));
        f.openSearch();
        f.search(2, QStringLiteral("甲公司"));
        const QString typed = f.cheque.forms.workDir().filePath(QStringLiteral("登记"));
        const QString written = typed + QStringLiteral(".xlsx");
        QVERIFY(writeFile(written, "月报"));
        const QString question =
            QStringLiteral("%1 已经存在。\n要替换它吗?").arg(QDir::toNativeSeparators(written));

        f.cheque.prompter.questions.clear();
        f.cheque.prompter.fileAnswers.enqueue(typed);
        f.cheque.prompter.confirmAnswers.enqueue(false);
        f.result->Button_zpcx_dc->click();
        QCOMPARE(f.cheque.prompter.last().kind, QStringLiteral("confirm"));
        QCOMPARE(f.cheque.prompter.last().text, question);
        QCOMPARE(readAll(written), QByteArray("月报"));
        QVERIFY(!QFileInfo::exists(typed));

        f.cheque.prompter.fileAnswers.enqueue(typed);
        f.cheque.prompter.confirmAnswers.enqueue(true);
        f.result->Button_zpcx_dc->click();
        QCOMPARE(f.cheque.prompter.ofKind(QStringLiteral("confirm")).size(), 2);
        QCOMPARE(f.cheque.prompter.last().text,
                 QStringLiteral("已导出 1 张支票到 %1。").arg(QDir::toNativeSeparators(written)));
        QVERIFY(readAll(written).startsWith("PK")); // a workbook is a zip archive
    }

    // The workbook read back: the number and every text as strings (a formula-looking purpose
    // too, never a formula), the amount a number with two decimals, the date a date, the note
    // with its line break, and the state.
    void export_workbook_typesAndValuesReadBack()
    {
        RegisterFixture f;
        f.print(QDate(2026, 12, 8), QStringLiteral("00012345"), QStringLiteral("甲公司"), QStringLiteral("1234567.5"),
                QStringLiteral("=运费"));
        f.cheque.sql(QStringLiteral("update zp set fjxx = '第一行\n第二行'"));
        f.openSearch();
        f.search(2, QStringLiteral("甲公司"));
        const QString path = f.cheque.forms.workDir().filePath(QStringLiteral("登记.xlsx"));
        f.cheque.prompter.fileAnswers.enqueue(path);
        f.result->Button_zpcx_dc->click();
        QCOMPARE(f.cheque.prompter.ofKind(QStringLiteral("error")).size(), 0);

        const QHash<QString, Cell> cells = readSheet(path);
        QVERIFY2(!cells.isEmpty(), "the workbook could not be read");
        QCOMPARE(cells.value(QStringLiteral("A1")).value, QStringLiteral("票号"));
        QCOMPARE(cells.value(QStringLiteral("I1")).value, QStringLiteral("最后记录"));
        const Cell number = cells.value(QStringLiteral("A2"));
        QCOMPARE(number.type, QStringLiteral("inlineStr"));
        QCOMPARE(number.value, QStringLiteral("00012345"));
        const Cell date = cells.value(QStringLiteral("B2"));
        QCOMPARE(date.type, QString());
        QCOMPARE(date.value.toDouble(), double(QDate(1899, 12, 30).daysTo(QDate(2026, 12, 8))));
        QCOMPARE(date.format, QStringLiteral("yyyy-mm-dd"));
        const Cell amount = cells.value(QStringLiteral("D2"));
        QCOMPARE(amount.type, QString());
        QCOMPARE(amount.value.toDouble(), 1234567.5);
        QCOMPARE(amount.format, QStringLiteral("#,##0.00"));
        const Cell purpose = cells.value(QStringLiteral("E2"));
        QCOMPARE(purpose.type, QStringLiteral("inlineStr"));
        QCOMPARE(purpose.value, QStringLiteral("=运费"));
        QVERIFY(!purpose.formula);
        QCOMPARE(cells.value(QStringLiteral("G2")).value, QStringLiteral("第一行\n第二行"));
        QCOMPARE(cells.value(QStringLiteral("H2")).value, QStringLiteral("已打印"));
        QVERIFY(cells.value(QStringLiteral("I2")).value.startsWith(QStringLiteral("打印 ")));
        // The header and the row hold the date once: no column repeats its year, month or day.
        QStringList titles;
        for (const char* column : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L"})
            titles << cells.value(QLatin1String(column) + QLatin1Char('1')).value;
        QCOMPARE(titles.mid(0, 9), kHeader);
        QCOMPARE(titles.mid(9), (QStringList{QString(), QString(), QString()}));
        for (const char* column : {"C", "E", "F", "G", "H", "I", "J", "K", "L"}) {
            const QString text = cells.value(QLatin1String(column) + QLatin1Char('2')).value;
            QVERIFY2(text != QLatin1String("2026") && text != QLatin1String("12") && text != QLatin1String("8"),
                     column);
        }
    }

    // The workbook's last row, after an empty one, sums up what was paid: the count and the total
    // of the printed cheques (printed again too), the voided and the unprinted left out and
    // counted beside it, the total a number with two decimals.
    void export_workbook_lastRowSumsThePaid()
    {
        RegisterFixture f;
        f.print(QDate(2026, 12, 8), QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("1234567.5"),
                QStringLiteral("货款"));
        f.print(QDate(2026, 12, 8), QStringLiteral("10000002"), QStringLiteral("乙公司"), QStringLiteral("0.25"),
                QStringLiteral("运费"));
        f.print(QDate(2026, 12, 8), QStringLiteral("10000003"), QStringLiteral("丙公司"), QStringLiteral("5000"),
                QStringLiteral("写错"));
        f.print(QDate(2026, 12, 8), QStringLiteral("10000004"), QStringLiteral("丁公司"), QStringLiteral("100"),
                QStringLiteral("杂费"));
        ChequeValues unprinted;
        unprinted.ph = QStringLiteral("10000005");
        unprinted.skr = QStringLiteral("戊公司");
        unprinted.je = QStringLiteral("700.00");
        unprinted.yt = QStringLiteral("预览后未打印");
        unprinted.nian = QStringLiteral("2026");
        unprinted.yue = QStringLiteral("12");
        unprinted.ri = QStringLiteral("8");
        unprinted.rq = QDate(2026, 12, 8);
        unprinted.hkfs = QStringLiteral("转帐");
        StoreCheque(*D_M, unprinted);
        const auto key = [&](const char* ph) {
            return qint64(f.cheque.count(QStringLiteral("select rowid from zp where ph = '%1'").arg(ph)));
        };
        AddChequeEvent(*D_M, key("10000003"), ChequeEvent::Voided, QStringLiteral("金额写错"));
        AddChequeEvent(*D_M, key("10000004"), ChequeEvent::Reprinted, QStringLiteral("测试打印机"));
        f.openSearch(); // today's: all five
        QCOMPARE(f.result->DBGrid_cx->model()->rowCount(), 5);
        const QString path = f.cheque.forms.workDir().filePath(QStringLiteral("合计.xlsx"));
        f.cheque.prompter.fileAnswers.enqueue(path);
        f.result->Button_zpcx_dc->click();
        QCOMPARE(f.cheque.prompter.ofKind(QStringLiteral("error")).size(), 0);
        QCOMPARE(f.cheque.prompter.last().text,
                 QStringLiteral("已导出 5 张支票到 %1。").arg(QDir::toNativeSeparators(path)));

        const QHash<QString, Cell> cells = readSheet(path);
        QVERIFY2(!cells.isEmpty(), "the workbook could not be read");
        QCOMPARE(lastRow(cells), 8); // header, five cheques, an empty row, the total
        QCOMPARE(cells.value(QStringLiteral("H6")).value, QStringLiteral("未打印"));
        for (const char* column : {"A", "B", "C", "D", "E", "F", "G", "H", "I"})
            QVERIFY2(cells.value(QLatin1String(column) + QLatin1Char('7')).value.isEmpty(), column);
        QCOMPARE(cells.value(QStringLiteral("A8")).type, QStringLiteral("inlineStr"));
        QCOMPARE(cells.value(QStringLiteral("A8")).value, QStringLiteral("合计: 3 张，已付金额"));
        const Cell total = cells.value(QStringLiteral("D8"));
        QCOMPARE(total.type, QString());
        QVERIFY(!total.formula);
        QCOMPARE(total.value.toDouble(), 1234567.5 + 0.25 + 100);
        QCOMPARE(total.format, QStringLiteral("#,##0.00"));
        QCOMPARE(cells.value(QStringLiteral("E8")).value, QStringLiteral("不计作废的 1 张和未打印的 1 张"));
        // Each cheque's date once, a date cell.
        for (int r = 2; r <= 6; ++r) {
            const Cell date = cells.value(QStringLiteral("B%1").arg(r));
            QCOMPARE(date.format, QStringLiteral("yyyy-mm-dd"));
            QCOMPARE(date.value.toDouble(), double(QDate(1899, 12, 30).daysTo(QDate(2026, 12, 8))));
        }

        // A search that found nothing: the header, and a total of nothing.
        f.search(0, QStringLiteral("99"));
        f.cheque.prompter.fileAnswers.enqueue(path);
        f.result->Button_zpcx_dc->click();
        const QHash<QString, Cell> none = readSheet(path);
        QCOMPARE(lastRow(none), 3);
        QCOMPARE(none.value(QStringLiteral("A3")).value, QStringLiteral("合计: 0 张，已付金额"));
        QCOMPARE(none.value(QStringLiteral("D3")).value.toDouble(), 0.0);
        QCOMPARE(none.value(QStringLiteral("E3")).value, QStringLiteral("不计作废的 0 张和未打印的 0 张"));
    }

    // The save dialog proposes the operator's documents folder (the home folder when there is
    // none), never the program's data folder where the register lies.
    void export_proposesTheDocumentsFolder_data()
    {
        QTest::addColumn<bool>("documents");
        QTest::newRow("a documents folder") << true;
        QTest::newRow("no documents folder") << false;
    }

    void export_proposesTheDocumentsFolder()
    {
        QFETCH(bool, documents);
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(!folder.isEmpty());
        QVERIFY2(folder.startsWith(QDir::homePath() + QLatin1Char('/')), qPrintable(folder));
        QVERIFY2(!QFileInfo::exists(folder), "the test's own HOME starts without a documents folder");
        const auto removeAfter = qScopeGuard([&] { QDir(folder).removeRecursively(); });
        if (documents)
            QVERIFY(QDir().mkpath(folder));

        RegisterFixture f;
        f.print(QDate(2026, 12, 10), QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("5"),
                QStringLiteral("货款"));
        f.openSearch();
        f.cheque.prompter.questions.clear();
        f.result->Button_zpcx_dc->click(); // cancelled: only the proposal is looked at
        const auto files = f.cheque.prompter.ofKind(QStringLiteral("file"));
        QCOMPARE(files.size(), 1);
        const QString proposed = files.first().text;
        QCOMPARE(proposed,
                 QDir(documents ? folder : QDir::homePath()).filePath(QStringLiteral("支票登记-2026-12-10.xlsx")));
        QVERIFY(!proposed.startsWith(f.cheque.forms.workDir().path()));
        QCOMPARE(QFileInfo(D_M->databasePath()).absolutePath(),
                 QFileInfo(f.cheque.forms.workDir().path()).absoluteFilePath());
    }

    // The file holds the rows the grid lists: a cheque printed after the search is not in it.
    void export_holdsTheRowsOfTheSearch()
    {
        RegisterFixture f;
        f.print(QDate(2026, 12, 9), QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("1"),
                QStringLiteral("货款"));
        f.openSearch();
        f.search(1, QDate(2026, 12, 1), QDate(2026, 12, 31));
        f.print(QDate(2026, 12, 10), QStringLiteral("10000002"), QStringLiteral("甲公司"), QStringLiteral("2"),
                QStringLiteral("货款"));
        const QString path = f.cheque.forms.workDir().filePath(QStringLiteral("结果"));
        const QString named = path + QStringLiteral(".csv");
        f.cheque.prompter.fileAnswers.enqueue(named);
        f.result->Button_zpcx_dc->click();
        QString problem;
        const QList<QStringList> records = parseCsv(QString::fromUtf8(readAll(named).mid(kBom.size())), &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(1).at(0), QStringLiteral("10000001"));
    }

    // An empty result exports the header alone.
    void export_emptyResult_headerOnly()
    {
        RegisterFixture f;
        f.print(QDate(2026, 12, 9), QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("1"),
                QStringLiteral("货款"));
        f.openSearch();
        f.search(0, QStringLiteral("99"));
        QCOMPARE(f.result->DBGrid_cx->model()->rowCount(), 0);
        const QString path = f.cheque.forms.workDir().filePath(QStringLiteral("空.csv"));
        f.cheque.prompter.fileAnswers.enqueue(path);
        f.result->Button_zpcx_dc->click();
        QCOMPARE(readAll(path), kBom + QStringLiteral("\"票号\",\"日期\",\"收款人\",\"金额\",\"用途\",\"汇款方式\","
                                                      "\"附加信息\",\"状态\",\"最后记录\"\r\n")
                                           .toUtf8());
        QCOMPARE(f.cheque.prompter.last().text,
                 QStringLiteral("已导出 0 张支票到 %1。").arg(QDir::toNativeSeparators(path)));
    }

    // An export saved over a link writes the file the link names, as saving over any file does:
    // the link stays a link, and no part file is left beside either.
    void export_throughALink_replacesTheFileItNames()
    {
        RegisterFixture f;
        f.print(QDate(2026, 12, 9), QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("1"),
                QStringLiteral("货款"));
        f.openSearch();
        f.search(2, QStringLiteral("甲公司"));
        QCOMPARE(f.result->DBGrid_cx->model()->rowCount(), 1);
        const QDir work(f.cheque.forms.workDir().path());
        QVERIFY(work.mkpath(QStringLiteral("共享")));
        const QString real = work.filePath(QStringLiteral("共享/月报.csv"));
        QFile old(real);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("旧内容") > 0);
        old.close();
        const QString link = work.filePath(QStringLiteral("月报.csv"));
        QVERIFY(QFile::link(real, link));

        f.cheque.prompter.fileAnswers.enqueue(link);
        f.result->Button_zpcx_dc->click();
        QCOMPARE(f.cheque.prompter.last().text,
                 QStringLiteral("已导出 1 张支票到 %1。").arg(QDir::toNativeSeparators(link)));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(readAll(real).startsWith(kBom + "\"票号\""));
        QVERIFY(readAll(real).contains("10000001"));
        for (const QDir& folder : {work, QDir(work.filePath(QStringLiteral("共享")))})
            for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
                QVERIFY2(!name.contains(QLatin1String(".part-")), qPrintable(name));
    }

    // An export is its owner's alone (0600) from its first byte: the part file it is written in
    // while the rows are read is no one else's to open either, for the CSV file as for the
    // workbook.
    void export_forTheOwnerOnly_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("csv") << QStringLiteral("csv");
        QTest::newRow("xlsx") << QStringLiteral("xlsx");
    }

    void export_forTheOwnerOnly()
    {
        QFETCH(QString, suffix);
        RegisterFixture f;
        f.print(QDate(2026, 12, 10), QStringLiteral("1"), QStringLiteral("甲"), QStringLiteral("1"),
                QStringLiteral("a"));
        const QList<qint64> keys = addRows(f, 1300);
        const QDir work(f.cheque.forms.workDir().path());
        const QString path = work.filePath(QStringLiteral("导出.") + suffix);
        const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                              QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                              QFile::ExeOther;
        // The modes of the part files found beside the export while it is written.
        QStringList seen;
        const WorkProgress look = [&](qint64, qint64) {
            for (const QFileInfo& part : work.entryInfoList({QStringLiteral(".导出.*")}, QDir::Files | QDir::Hidden))
                seen << QString::number(int(part.permissions() & everyone), 16);
            return true;
        };
        const qsizetype written = suffix == QLatin1String("csv") ? ExportRegisterRows(*D_M, keys, path, look)
                                                                 : ExportRegisterWorkbook(*D_M, keys, path, look);
        QCOMPARE(written, qsizetype(1300));
        const QString ownerOnly = QString::number(int(QFile::ReadOwner | QFile::WriteOwner), 16);
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen, QStringList(seen.size(), ownerOnly));
        QCOMPARE(QString::number(int(QFile::permissions(path) & everyone), 16), ownerOnly);
    }

    // Without a search result nothing is asked and nothing is written; a cancelled dialog
    // writes nothing and leaves a file already there as it was.
    void export_withoutResultOrCancelled_writesNothing()
    {
        RegisterFixture f;
        f.cheque.prompter.questions.clear();
        f.result->Button_zpcx_dc->click();
        QCOMPARE(f.cheque.prompter.questions.size(), 1);
        QCOMPARE(f.cheque.prompter.last().kind, QStringLiteral("inform"));
        QCOMPARE(f.cheque.prompter.last().text, QStringLiteral("没有查询结果可以导出，请先查询。"));

        f.openSearch();
        f.search(0, QStringLiteral("1"));
        f.cheque.prompter.questions.clear();
        f.result->Button_zpcx_dc->click(); // no file answer: the dialog is cancelled
        QCOMPARE(f.cheque.prompter.questions.size(), 1);
        QCOMPARE(f.cheque.prompter.last().kind, QStringLiteral("file"));
        QCOMPARE(QDir(f.cheque.forms.workDir().path()).entryList({QStringLiteral("*.csv")}), QStringList{});
    }

    // A long export tells how far it has come and can be stopped: stopped, it writes nothing
    // and a file already at the name stays as it was.
    void export_long_toldAndStoppable_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("csv") << QStringLiteral("csv");
        QTest::newRow("xlsx") << QStringLiteral("xlsx");
    }

    void export_long_toldAndStoppable()
    {
        QFETCH(QString, suffix);
        RegisterFixture f;
        f.print(QDate(2026, 12, 10), QStringLiteral("1"), QStringLiteral("甲"), QStringLiteral("1"),
                QStringLiteral("a"));
        const QList<qint64> keys = addRows(f, 1300);
        QCOMPARE(keys.size(), 1300);
        const QString path = f.cheque.forms.workDir().filePath(QStringLiteral("导出.") + suffix);
        const auto run = [&](const WorkProgress& progress) {
            return suffix == QLatin1String("csv") ? ExportRegisterRows(*D_M, keys, path, progress)
                                                  : ExportRegisterWorkbook(*D_M, keys, path, progress);
        };

        QList<qint64> told;
        QCOMPARE(run([&](qint64 done, qint64 total) {
                     told << done;
                     return total == keys.size();
                 }),
                 qsizetype(1300));
        QCOMPARE(told, (QList<qint64>{500, 1000, 1300}));

        QFile before(path);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray whole = before.readAll();
        before.close();
        told.clear();
        QCOMPARE(run([&](qint64 done, qint64) {
                     told << done;
                     return done < 1000;
                 }),
                 qsizetype(-1));
        QCOMPARE(told, (QList<qint64>{500, 1000}));
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), whole);
        // Nothing of the stopped export is left beside it.
        QCOMPARE(
            QDir(f.cheque.forms.workDir().path()).entryList({QStringLiteral("*导出*")}, QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("导出.") + suffix});
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
