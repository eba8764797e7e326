#include "store/ChequeStore.h"

#include "common/Error.h"
#include "store/Catalogue.h"
#include "store/ChequeHistory.h"
#include "store/DataModule.h"
#include "store/Schema.h"

namespace Zt_typro
{
namespace
{
const char kCash[] = "现金";
const char kTransfer[] = "转帐";
} // namespace

QString ChequeValues::formCode() const
{
    return hkfs == QString::fromUtf8(kCash) ? QStringLiteral("xj") : QStringLiteral("zz");
}

QVariantList ChequeValues::registerValues() const
{
    return {ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs};
}

QString ChequeValues::PaymentKind(const QString& formCode)
{
    return QString::fromUtf8(formCode == QLatin1String("zz") ? kTransfer : kCash);
}

void CheckChequeValues(const ChequeValues& cheque)
{
    if (!cheque.rq.isValid())
        throw AppError(QStringLiteral("出票日期 \"%1-%2-%3\" 不是有效的日期，支票没有保存。请在存根上改正年、月、日。")
                           .arg(cheque.nian, cheque.yue, cheque.ri));
    const Statement& z1 = CatalogueStatement(Stmt::Z1);
    const QVariantList values = cheque.registerValues();
    for (int i = 0; i < values.size(); ++i) {
        const QString problem = CheckColumnValue(z1.columns.at(i), values.at(i));
        if (!problem.isEmpty())
            throw AppError(problem);
    }
    const QString problem = CheckColumnValue(QStringLiteral("skr.skrmc"), cheque.payeeName());
    if (!problem.isEmpty())
        throw AppError(problem);
}

NumberUses RegisteredUses(TD_M& dm, const QString& number)
{
    DmQuery* q = dm.ADOQ_zp_up;
    const QueryCloser closer(*q);
    q->setStatement(Stmt::Z5, {number});
    q->open();
    NumberUses uses;
    uses.count = q->recordCount();
    if (uses.count == 0)
        return uses;
    q->setRecNo(uses.count - 1);
    uses.zpid = q->field(QStringLiteral("zpid")).toLongLong();
    uses.date = q->fieldText(QStringLiteral("rq"));
    uses.payee = q->fieldText(QStringLiteral("skr"));
    uses.amount = q->fieldText(QStringLiteral("je"));
    uses.state = q->fieldText(QStringLiteral("zt"));
    return uses;
}

NumberTaken::NumberTaken(const QString& number, NumberUses found)
    : AppError(QStringLiteral("票号 %1 刚刚被另一个操作员登记了（%2，%3，%4 元）。这张支票没有保存。")
                   .arg(number, found.date, found.payee, found.amount)),
      m_uses(std::move(found))
{
}

qint64 StoreCheque(TD_M& dm, const ChequeValues& cheque, int acceptedUses)
{
    CheckChequeValues(cheque);
    const QString name = cheque.payeeName();
    qint64 zpid = 0;
    dm.transaction([&] {
        DmQuery* row = dm.ADOQ_zp_up;
        const QueryCloser closeRow(*row);
        if (acceptedUses != kAnyNumberUses) {
            // Under the number's lock: another clerk storing it now waits here until this
            // transaction ends, and then finds this cheque.
            row->setStatement(Stmt::Z8, {cheque.ph});
            row->open();
            row->close();
            NumberUses found = RegisteredUses(dm, cheque.ph);
            if (found.count > acceptedUses)
                throw NumberTaken(cheque.ph, std::move(found));
        }
        row->setStatement(Stmt::Z1, cheque.registerValues());
        row->execute();
        row->setStatement(Stmt::Z7);
        row->open();
        zpid = row->field(QStringLiteral("zpid")).toLongLong();
        row->close();
        AddChequeEvent(dm, zpid, ChequeEvent::Registered);

        DmQuery* payee = dm.ADOQ_skr;
        const QueryCloser closePayee(*payee);
        payee->setStatement(Stmt::S6, {name});
        payee->open();
        const bool known = payee->recordCount() > 0;
        payee->close();
        DmQuery* count = dm.ADOQ_skr_up;
        const QueryCloser closeCount(*count);
        count->setStatement(known ? Stmt::S8 : Stmt::S7, {name});
        count->execute();
    });
    return zpid;
}

RegisteredCheque StoredCheque(TD_M& dm, qint64 zpid)
{
    DmQuery* q = dm.ADOQ_zp_up;
    const QueryCloser closer(*q);
    q->setStatement(Stmt::Z6, {zpid});
    q->open();
    if (q->recordCount() == 0)
        throw AppError(QStringLiteral("登记簿中没有这张支票（可能数据已恢复成另一份），请重新查询。"));
    RegisteredCheque stored;
    stored.zpid = zpid;
    ChequeValues& c = stored.values;
    c.ph = q->fieldText(QStringLiteral("ph"));
    c.skr = q->fieldText(QStringLiteral("skr"));
    c.je = q->fieldText(QStringLiteral("je"));
    c.yt = q->fieldText(QStringLiteral("yt"));
    c.nian = q->fieldText(QStringLiteral("nian"));
    c.yue = q->fieldText(QStringLiteral("yue"));
    c.ri = q->fieldText(QStringLiteral("ri"));
    c.fjxx = q->fieldText(QStringLiteral("fjxx"));
    c.hkfs = q->fieldText(QStringLiteral("hkfs"));
    c.rq = QDate::fromString(q->fieldText(QStringLiteral("rq")), Qt::ISODate);
    stored.state = q->fieldText(QStringLiteral("zt"));
    return stored;
}

} // namespace Zt_typro
