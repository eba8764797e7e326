#include "store/ChequeHistory.h"

#include "store/DataModule.h"

#include <cerrno>
#include <vector>

#include <pwd.h>
#include <unistd.h>

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
    // The account the program runs as, from the system's user database: the environment
    // (USER, LOGNAME) is whatever the session or a script set, or nothing at all.
    const uid_t uid = geteuid();
    const long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? size_t(hint) : size_t(16384));
    passwd entry{};
    passwd* found = nullptr;
    int failed = 0;
    while ((failed = getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (size_t(1) << 20))
        buffer.resize(buffer.size() * 2);
    if (failed == 0 && found && found->pw_name && *found->pw_name)
        return QString::fromLocal8Bit(found->pw_name).left(64);
    // An account without an entry (a container's bare user id) is named by its number, which
    // is all the system knows of it.
    return QStringLiteral("用户号 %1").arg(uid);
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
