#include "store/ChequeHistory.h"

#include "store/DataModule.h"

#include <QDir>

namespace Zt_typro
{

QString ChequeEventName(ChequeEvent event)
{
    switch (event) {
    case ChequeEvent::Registered:
        return QStringLiteral("登记");
    case ChequeEvent::Printed:
        return QStringLiteral("打印");
    case ChequeEvent::ClosedUnprinted:
        return QStringLiteral("预览后未打印");
    case ChequeEvent::Reprinted:
        return QStringLiteral("重打");
    case ChequeEvent::Voided:
        return QStringLiteral("作废");
    }
    return {};
}

QString OperatorName()
{
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString name = qEnvironmentVariable(variable).trimmed();
        if (!name.isEmpty())
            return name.left(64);
    }
    return QDir::home().dirName().left(64);
}

void AddChequeEvent(TD_M& dm, qint64 zpid, ChequeEvent event, const QString& note)
{
    DmQuery* q = dm.ADOQ_zpls_up;
    const QueryCloser closer(*q);
    q->setStatement(Stmt::E1,
                    {zpid, ChequeEventName(event), note.isEmpty() ? QVariant() : QVariant(note.left(200)),
                     dm.operatorName(), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    q->execute();
}

QList<ChequeHistoryEntry> ChequeHistory(TD_M& dm, qint64 zpid)
{
    DmQuery* q = dm.ADOQ_zpls;
    const QueryCloser closer(*q);
    q->setStatement(Stmt::E2, {zpid});
    q->open();
    QList<ChequeHistoryEntry> entries;
    for (q->first(); !q->eof(); q->next())
        entries.append({q->fieldText(QStringLiteral("fssj")), q->fieldText(QStringLiteral("sj")),
                        q->fieldText(QStringLiteral("sm")), q->fieldText(QStringLiteral("czy"))});
    return entries;
}

} // namespace Zt_typro
