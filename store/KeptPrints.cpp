#include "store/KeptPrints.h"

#include "common/Error.h"
#include "store/DataModule.h"
#include "store/FileBackend.h"
#include "store/PrivateFiles.h"
#include "store/SafeCopy.h"
#include "store/StoreLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QThread>

namespace Zt_typro
{
namespace
{
const char kFolder[] = "待补记录";
const char kSuffix[] = ".json";
const int kFormat = 1;

QJsonObject toJson(const KeptPrint& p)
{
    const ChequeValues& c = p.cheque;
    return QJsonObject{
        {QStringLiteral("format"), kFormat},
        {QStringLiteral("where"), p.where},
        {QStringLiteral("zpid"), QString::number(p.zpid)},
        {QStringLiteral("event"), ChequeEventName(p.event)},
        {QStringLiteral("note"), p.note},
        {QStringLiteral("operator"), p.byOperator},
        {QStringLiteral("time"), p.time},
        {QStringLiteral("seenBefore"), p.seenBefore},
        {QStringLiteral("cheque"), QJsonObject{{QStringLiteral("ph"), c.ph},
                                               {QStringLiteral("skr"), c.skr},
                                               {QStringLiteral("je"), c.je},
                                               {QStringLiteral("yt"), c.yt},
                                               {QStringLiteral("nian"), c.nian},
                                               {QStringLiteral("yue"), c.yue},
                                               {QStringLiteral("ri"), c.ri},
                                               {QStringLiteral("fjxx"), c.fjxx},
                                               {QStringLiteral("hkfs"), c.hkfs},
                                               {QStringLiteral("rq"), c.rq.toString(Qt::ISODate)}}},
    };
}

// A kept print read back; false for a file that is not one (it is left where it is).
bool fromJson(const QByteArray& bytes, KeptPrint* p)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    if (o.value(QStringLiteral("format")).toInt() != kFormat)
        return false;
    const QString event = o.value(QStringLiteral("event")).toString();
    if (event == ChequeEventName(ChequeEvent::Printed))
        p->event = ChequeEvent::Printed;
    else if (event == ChequeEventName(ChequeEvent::Reprinted))
        p->event = ChequeEvent::Reprinted;
    else
        return false;
    bool ok = false;
    p->zpid = o.value(QStringLiteral("zpid")).toString().toLongLong(&ok);
    if (!ok || p->zpid <= 0)
        return false;
    p->where = o.value(QStringLiteral("where")).toString();
    p->note = o.value(QStringLiteral("note")).toString();
    p->byOperator = o.value(QStringLiteral("operator")).toString();
    p->time = o.value(QStringLiteral("time")).toString();
    p->seenBefore = o.value(QStringLiteral("seenBefore")).toInt();
    const QJsonObject c = o.value(QStringLiteral("cheque")).toObject();
    ChequeValues& v = p->cheque;
    v.ph = c.value(QStringLiteral("ph")).toString();
    v.skr = c.value(QStringLiteral("skr")).toString();
    v.je = c.value(QStringLiteral("je")).toString();
    v.yt = c.value(QStringLiteral("yt")).toString();
    v.nian = c.value(QStringLiteral("nian")).toString();
    v.yue = c.value(QStringLiteral("yue")).toString();
    v.ri = c.value(QStringLiteral("ri")).toString();
    v.fjxx = c.value(QStringLiteral("fjxx")).toString();
    v.hkfs = c.value(QStringLiteral("hkfs")).toString();
    v.rq = QDate::fromString(c.value(QStringLiteral("rq")).toString(), Qt::ISODate);
    return !p->where.isEmpty() && v.rq.isValid();
}

bool sameCheque(DmQuery& q, const ChequeValues& c)
{
    return q.fieldText(QStringLiteral("ph")) == c.ph && q.fieldText(QStringLiteral("skr")) == c.skr &&
           q.fieldText(QStringLiteral("je")) == c.je && q.fieldText(QStringLiteral("yt")) == c.yt &&
           q.fieldText(QStringLiteral("nian")) == c.nian && q.fieldText(QStringLiteral("yue")) == c.yue &&
           q.fieldText(QStringLiteral("ri")) == c.ri && q.fieldText(QStringLiteral("fjxx")) == c.fjxx &&
           q.fieldText(QStringLiteral("hkfs")) == c.hkfs &&
           q.fieldText(QStringLiteral("rq")) == c.rq.toString(Qt::ISODate);
}

// The row key the cheque has in the register of dm now, 0 when it holds no such cheque: at its
// old row key when the cheque there is the same, else the first of its number with the same
// values (a register restored from a copy that held it under another row key).
// *voided says whether the cheque found is voided.
qint64 findCheque(TD_M& dm, const KeptPrint& p, bool* voided)
{
    DmQuery* q = dm.ADOQ_zp_up;
    const QueryCloser closer(*q);
    q->setStatement(Stmt::Z6, {p.zpid});
    q->open();
    if (q->recordCount() > 0 && sameCheque(*q, p.cheque)) {
        *voided = q->fieldText(QStringLiteral("zt")) == QString::fromUtf8(kStateVoided);
        return p.zpid;
    }
    q->close();
    q->setStatement(Stmt::Z9, {p.cheque.ph});
    q->open();
    for (q->first(); !q->eof(); q->next())
        if (sameCheque(*q, p.cheque)) {
            *voided = q->fieldText(QStringLiteral("zt")) == QString::fromUtf8(kStateVoided);
            return q->field(QStringLiteral("zpid")).toLongLong();
        }
    return 0;
}

// A cheque voided while its preview was open takes no print in the register: the clerk is told
// to hand the paper in. Thrown by writeOne; never kept to be tried again.
class VoidedMeanwhile : public AppError
{
public:
    explicit VoidedMeanwhile(const QString& number)
        : AppError(QStringLiteral("票号 %1 的支票在打印时已被作废，登记簿不再记录它的打印。"
                                  "请把打印出的这张支票交给管理员处理。")
                       .arg(number))
    {
    }
};

// Writes one print in one transaction; true when the cheque had to be registered again.
bool writeOne(TD_M& dm, const KeptPrint& p, bool late)
{
    bool again = false;
    dm.transaction([&] {
        bool voided = false;
        qint64 zpid = findCheque(dm, p, &voided);
        int seen = p.seenBefore;
        if (zpid == 0) {
            zpid = StoreCheque(dm, p.cheque, kAnyNumberUses);
            seen = 0;
            again = true;
        } else if (voided) {
            throw VoidedMeanwhile(p.cheque.ph);
        }
        // A write whose answer was lost (the connection dropped after the commit) is there.
        if (EventCount(dm, zpid, p.event) > seen)
            return;
        const QString name = ChequeEventName(p.event);
        QString note = p.note;
        if (late || again)
            note = QStringLiteral("补记: %1 由 %2 %3%4")
                       .arg(p.time, p.byOperator, name, note.isEmpty() ? QString() : QStringLiteral("，") + note);
        AddChequeEvent(dm, zpid, p.event, note);
    });
    return again;
}

QList<KeptPrint> keptIn(const QString& where);

void keep(KeptPrint& p)
{
    // Prints of the same cheque kept before this one are written before it: each counts as one
    // more event this one's history will already hold.
    for (const KeptPrint& earlier : keptIn(p.where))
        if (earlier.zpid == p.zpid && earlier.event == p.event)
            ++p.seenBefore;
    const QString folder = KeptPrintsFolder();
    if (!MakePrivateFolder(folder))
        throw AppError(QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(folder)));
    const QString name = QStringLiteral("%1-%2%3")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
                             .arg(p.zpid)
                             .arg(QLatin1String(kSuffix));
    const QByteArray bytes = QJsonDocument(toJson(p)).toJson();
    p.file = SafeWrite(
        QDir(folder).filePath(name), ExistingFile::KeepNumbered,
        [&bytes](const QString& part) {
            QFile f(part);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush())
                throw AppError(QStringLiteral("无法写入 %1: %2").arg(QDir::toNativeSeparators(part), f.errorString()));
        },
        [](const QString& reason) { return reason; });
}

QList<KeptPrint> keptIn(const QString& where)
{
    QList<KeptPrint> out;
    const QDir folder(KeptPrintsFolder());
    if (!folder.exists())
        return out;
    const QStringList names = folder.entryList({QStringLiteral("*") + QLatin1String(kSuffix)},
                                               QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QString& name : names) {
        QFile f(folder.filePath(name));
        // A kept print is a few hundred bytes: anything larger is no file of the program's.
        if (f.size() > 64 * 1024 || !f.open(QIODevice::ReadOnly))
            continue;
        KeptPrint p;
        if (!fromJson(f.readAll(), &p)) {
            qCWarning(lcDm) << "not a kept print, left alone:" << f.fileName();
            continue;
        }
        if (p.where != where)
            continue;
        p.file = f.fileName();
        out.append(p);
    }
    return out;
}
} // namespace

QString KeptPrintsFolder()
{
    return QDir::current().absoluteFilePath(QString::fromUtf8(kFolder));
}

int EventCount(TD_M& dm, qint64 zpid, ChequeEvent event)
{
    const QString name = ChequeEventName(event);
    int count = 0;
    for (const ChequeHistoryEntry& e : ChequeHistory(dm, zpid))
        count += e.event == name ? 1 : 0;
    return count;
}

KeptPrint PrintToRecord(TD_M& dm, qint64 zpid, const ChequeValues& cheque, ChequeEvent event, int seenBefore)
{
    KeptPrint p;
    p.where = dm.whereText();
    p.zpid = zpid;
    p.cheque = cheque;
    p.event = event;
    p.seenBefore = seenBefore;
    p.byOperator = dm.operatorName();
    p.time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return p;
}

RecordedPrint RecordPrint(TD_M& dm, KeptPrint print)
{
    RecordedPrint result;
    // The paper has just come out: that is the print's time, not when its preview opened.
    print.time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    // Once more after a moment: a connection the server dropped opens again, a file a restore
    // replaced is let go of. Never longer: the clerk is waiting.
    const int pauses[] = {0, 1000};
    for (const int pause : pauses) {
        if (pause > 0)
            QThread::msleep(pause);
        try {
            result.registeredAgain = writeOne(dm, print, false);
            result.written = true;
            return result;
        } catch (const VoidedMeanwhile& e) {
            result.why = e.message();
            result.refused = true;
            return result;
        } catch (const AppError& e) {
            qCWarning(lcDm) << "print of cheque" << print.zpid << "not recorded:" << e.message();
            if (result.why.isEmpty())
                result.why = PlainRegisterFailure(e.message());
        }
    }
    try {
        keep(print);
        result.kept = true;
        qCInfo(lcDm) << "print of cheque" << print.zpid << "kept in" << print.file;
    } catch (const AppError& e) {
        result.keptWhy = e.message();
        qCWarning(lcDm) << "print of cheque" << print.zpid << "not kept either:" << e.message();
    }
    return result;
}

QList<KeptPrint> KeptPrintsFor(TD_M& dm)
{
    return keptIn(dm.whereText());
}

KeptPrintsWritten WriteKeptPrints(TD_M& dm)
{
    KeptPrintsWritten done;
    if (!QDir(KeptPrintsFolder()).exists())
        return done;
    // Two copies of the program in one data folder write each kept print once.
    QLockFile lock(QDir(KeptPrintsFolder()).filePath(QStringLiteral(".writing.lock")));
    if (!lock.tryLock(10000)) {
        done.stillKept = KeptPrintsFor(dm).size();
        done.why = QStringLiteral("另一个程序正在补记");
        return done;
    }
    const QList<KeptPrint> kept = KeptPrintsFor(dm);
    for (const KeptPrint& p : kept) {
        if (done.stillKept > 0) {
            ++done.stillKept;
            continue;
        }
        try {
            done.registeredAgain += writeOne(dm, p, true) ? 1 : 0;
        } catch (const VoidedMeanwhile& e) {
            // Final: kept no longer, and said.
            done.refused << e.message();
            QFile::remove(p.file);
            continue;
        } catch (const AppError& e) {
            qCWarning(lcDm) << "kept print" << p.file << "not written:" << e.message();
            done.why = PlainRegisterFailure(e.message());
            ++done.stillKept;
            continue;
        }
        ++done.written;
        if (!QFile::remove(p.file)) {
            // Written but still there: it would be found written next time and not written twice.
            qCWarning(lcDm) << "kept print written but not removed:" << p.file;
        }
    }
    return done;
}

QString PlainRegisterFailure(const QString& message)
{
    const auto has = [&message](const char* text) {
        return message.contains(QLatin1String(text), Qt::CaseInsensitive);
    };
    if (has("FATAL") || has("terminating connection") || has("server closed the connection") ||
        has("connection to server") || has("could not connect") || has("no connection") ||
        message.contains(QStringLiteral("连接")))
        return QStringLiteral("与共享服务器的连接中断了（服务器可能正在重新启动）");
    if (message.contains(QStringLiteral("正被另一个会话占用")))
        return QStringLiteral("共享服务器上所需的数据正被另一个操作员的操作占用");
    if (message.contains(QStringLiteral("秒内没有做完")))
        return QStringLiteral("共享服务器没有及时做完");
    if (has("database is locked") || message.contains(LockedHint()))
        return QStringLiteral("数据库文件正被另一个程序使用");
    if (message.contains(QStringLiteral("替换")))
        return QStringLiteral("数据库文件在打印时被另一个文件替换了（例如另一个程序恢复了数据）");
    if (message.contains(QStringLiteral("已不在原处")))
        return QStringLiteral("数据库文件已不在原处（被移走、改名或删除）");
    QString plain = message;
    plain.remove(QStringLiteral("本次操作没有进行，"));
    plain.remove(QStringLiteral("本次操作没有进行。"));
    plain.remove(QStringLiteral("没有保存任何内容；"));
    plain.remove(QStringLiteral("没有保存任何内容。"));
    return plain.trimmed();
}

} // namespace Zt_typro
