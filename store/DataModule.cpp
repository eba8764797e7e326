#include "store/DataModule.h"

#include "common/Error.h"
#include "store/FileBackend.h"
#include "store/ServerBackend.h"
#include "store/StoreLog.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

Q_LOGGING_CATEGORY(lcDm, "quillmate.store")

TD_M* D_M = nullptr;

TD_M& Zt_typro::RequireDataModule()
{
    if (!D_M)
        throw AppError(QStringLiteral("数据模块没有创建，无法读写数据库。"));
    return *D_M;
}

using Zt_typro::AppError;

// ---------------------------------------------------------------------------------------------
TD_M::TD_M(QObject* parent)
    : QObject(parent),
      m_connectionName(QStringLiteral("quillmate-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      m_backend(std::make_unique<Zt_typro::FileBackend>())
{
    setObjectName(QStringLiteral("D_M"));
    using Zt_typro::DmQuery;
    ADOQ_skr_zpbj = new DmQuery(this, "ADOQ_skr_zpbj");
    ADOQ_skr_zpcx = new DmQuery(this, "ADOQ_skr_zpcx");
    ADOQ_skr_pzbj = new DmQuery(this, "ADOQ_skr_pzbj");
    ADOQ_skr = new DmQuery(this, "ADOQ_skr");
    ADOQ_skrxx = new DmQuery(this, "ADOQ_skrxx");
    ADOQ_skr_up = new DmQuery(this, "ADOQ_skr_up");
    ADOQ_zp_up = new DmQuery(this, "ADOQ_zp_up");
    ADOQ_zpcx = new DmQuery(this, "ADOQ_zpcx");
    // The register grid's source: a search over a large register must answer at once.
    ADOQ_zpcx->setPaged(true);
    ADOQ_zb = new DmQuery(this, "ADOQ_zb");
    ADOQ_zb_pz = new DmQuery(this, "ADOQ_zb_pz");
    ADOQ_zb_up = new DmQuery(this, "ADOQ_zb_up");
    ADOQ_zpdyxz = new DmQuery(this, "ADOQ_zpdyxz");
    ADOQ_pzdyxz = new DmQuery(this, "ADOQ_pzdyxz");
    ADOQ_zpls = new DmQuery(this, "ADOQ_zpls");
    ADOQ_zpls_up = new DmQuery(this, "ADOQ_zpls_up");
}

TD_M::~TD_M()
{
    for (auto* q : findChildren<Zt_typro::DmQuery*>())
        q->close();
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

void TD_M::useLocalFile()
{
    closeConnection();
    m_backend = std::make_unique<Zt_typro::FileBackend>();
}

void TD_M::useSharedServer(const QString& connection, const QString& user, const QString& password)
{
    closeConnection();
    m_backend = std::make_unique<Zt_typro::ServerBackend>(connection, user, password);
}

bool TD_M::isShared() const
{
    return m_backend->dialect() == Zt_typro::Dialect::Server;
}

Zt_typro::Dialect TD_M::dialect() const
{
    return m_backend->dialect();
}

QString TD_M::sharedConnection() const
{
    return m_backend->serverConnection();
}

QString TD_M::sharedUser() const
{
    return m_backend->serverUser();
}

QString TD_M::sharedPassword() const
{
    return m_backend->serverPassword();
}

TD_M::Rights TD_M::rights()
{
    return m_backend->rights(*this);
}

QString TD_M::operatorName() const
{
    return m_backend->operatorName();
}

QString TD_M::databasePath() const
{
    return m_backend->databasePath();
}

QString TD_M::whereText() const
{
    return m_backend->whereText();
}

QString TD_M::failureText(const QString& what, const QString& driverText) const
{
    QString text = QStringLiteral("数据库操作失败 (%1): %2\n%3").arg(what, driverText.trimmed(), whereText());
    if (driverText.contains(QLatin1String("database is locked")))
        text += QLatin1Char('\n') + Zt_typro::LockedHint();
    return text;
}

QString TD_M::statementFailureText(Zt_typro::Stmt id, const QSqlError& error)
{
    return m_backend->statementFailureText(id, error, failureText(Zt_typro::StatementName(id), error.text()));
}

void TD_M::statementRunning(bool running)
{
    m_backend->statementRunning(running);
}

void TD_M::ensureConnected()
{
    if (m_connected && m_backend->wantsReopen() && !m_inTransaction)
        closeConnection();
    if (m_connected)
        return;
    m_backend->open(m_connectionName);
    m_connected = true;
}

void TD_M::closeConnection()
{
    for (auto* q : findChildren<Zt_typro::DmQuery*>())
        q->close();
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    m_connected = false;
    m_inTransaction = false;
    m_backend->closed();
    qCDebug(lcDm) << "database closed";
}

void TD_M::checkFileUnchanged()
{
    if (!m_connected)
        return;
    bool replaced = false;
    const QString text = m_backend->changeText(&replaced);
    if (text.isEmpty())
        return;
    qCWarning(lcDm) << "database changed under the connection:" << databasePath();
    // Inside a transaction the rollback lets go of a replaced file (see rollbackTransaction).
    if (replaced && !m_inTransaction)
        letGoOfReplacedFile();
    throw AppError(text);
}

void TD_M::beforeWrite()
{
    ensureConnected();
    checkFileUnchanged();
    // The hook (the day's copy) cannot run inside a transaction; the transaction's start has
    // run it. The shared server keeps its own copies.
    if (m_inTransaction || !m_beforeWriteHook || !m_backend->takesDailyCopy())
        return;
    // The write itself matters more than the day's copy: a copy that fails is tried again at
    // the next write, and the write goes on.
    try {
        m_beforeWriteHook(*this);
    } catch (const AppError& e) {
        // A file replaced under the connection was let go of by the copy's own check: the
        // write must not go on silently into the file now there.
        if (!m_connected)
            throw;
        qCWarning(lcDm) << "before-write hook failed:" << e.message();
        emit beforeWriteHookFailed(e.message());
    }
}

void TD_M::beginTransaction()
{
    beforeWrite();
    takeWriteLock();
}

void TD_M::takeWriteLock()
{
    if (const QString error = m_backend->begin(m_connectionName); !error.isEmpty())
        throw AppError(failureText(QStringLiteral("开始事务"), error));
    m_inTransaction = true;
    // Only now, holding the lock, is the store looked at once more: a writer that waited for
    // the lock while another program replaced the file finds it so here.
    bool replaced = false;
    if (const QString text = m_backend->changeText(&replaced); !text.isEmpty()) {
        qCWarning(lcDm) << "database changed while waiting for its lock:" << databasePath();
        rollbackTransaction();
        throw AppError(text);
    }
}

void TD_M::holdingWriteLock(const std::function<void()>& body)
{
    m_backend->checkMayBeReplaced();
    if (m_inTransaction)
        throw AppError(QStringLiteral("数据库正在写入，不能同时替换数据库文件。"));
    ensureConnected();
    checkFileUnchanged();
    takeWriteLock();
    try {
        body();
    } catch (...) {
        rollbackTransaction();
        throw;
    }
    // Nothing was written: giving the lock back is a rollback. A file the body renamed into
    // place is the caller's to open (it closes the connection).
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    m_inTransaction = false;
    db.rollback();
}

void TD_M::commitTransaction()
{
    // The last moment to find that the file was moved or replaced while the transaction ran.
    bool replaced = false;
    if (const QString text = m_backend->changeText(&replaced); !text.isEmpty()) {
        rollbackTransaction();
        throw AppError(text);
    }
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    m_inTransaction = false;
    if (!db.commit()) {
        const QString text = db.lastError().text();
        db.rollback();
        throw AppError(failureText(QStringLiteral("提交事务"), text));
    }
}

void TD_M::rollbackTransaction()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        m_inTransaction = false;
        db.rollback();
    }
    bool replaced = false;
    if (m_connected && !m_backend->changeText(&replaced).isEmpty() && replaced)
        letGoOfReplacedFile();
}

void TD_M::letGoOfReplacedFile()
{
    closeConnection();
    emit replacedFileLetGo();
}
