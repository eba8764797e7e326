#include "store/DataModule.h"

#include "common/Error.h"
#include "store/ChequeHistory.h"
#include "store/PrivateFiles.h"
#include "store/Schema.h"
#include "store/SharedStore.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QUuid>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

Q_LOGGING_CATEGORY(lcDm, "quillmate.store")

TD_M* D_M = nullptr;

TD_M& Zt_typro::RequireDataModule()
{
    if (!D_M)
        throw AppError(QStringLiteral("数据模块没有创建，无法读写数据库。"));
    return *D_M;
}

using Zt_typro::AppError;

namespace
{
const QString kDatabaseFile = QStringLiteral("pjzp.pdp");
const QString kDriver = QStringLiteral("QSQLITE");
// A second program working on the same file waits this long for it before reporting.
const QString kConnectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");

// The device and inode of the file a path names; false when nothing is there. Elsewhere than
// on Unix every existing file reads as the same file (no check).
bool fileIdentity(const QString& path, quint64* device, quint64* inode)
{
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    *device = quint64(st.st_dev);
    *inode = quint64(st.st_ino);
    return true;
#else
    *device = 0;
    *inode = 0;
    return QFileInfo::exists(path);
#endif
}

// SQLite's primary result code in a driver error (extended codes carry it in the low byte).
int sqliteCode(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

const QString kLockedHint = QStringLiteral("数据库文件正被另一个程序使用，请稍后再试。");

// What a value is bound as. A text is stored as the text, an empty one as "" rather than NULL,
// just as a quoted literal would be.
QVariant bindable(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QString && value.toString().isNull())
        return QVariant(QStringLiteral(""));
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().isValid() ? QVariant(value.toDate().toString(Qt::ISODate)) : QVariant();
    return value;
}
} // namespace

namespace Zt_typro
{

// ---------------------------------------------------------------------------------------------
DmQueryModel::DmQueryModel(DmQuery* query)
    : QAbstractTableModel(query), m_query(query)
{
}

int DmQueryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_query->isOpen() ? 0 : m_query->recordCount();
}

int DmQueryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant DmQueryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole) || index.row() >= rowCount())
        return {};
    // A grid asks while it paints: a page that cannot be read shows empty cells, never an error
    // thrown into the event loop.
    try {
        const QSqlRecord rec = m_query->record(index.row());
        if (index.column() >= rec.count())
            return {};
        return rec.value(index.column());
    } catch (const AppError& e) {
        qCWarning(lcDm) << "row" << index.row() << "of" << m_query->objectName() << "not read:" << e.message();
        return {};
    }
}

QVariant DmQueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_names.size())
        return m_names.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void DmQueryModel::reset(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
}

// ---------------------------------------------------------------------------------------------
DmQuery::DmQuery(TD_M* dm, const char* name)
    : QObject(dm), m_dm(dm), m_model(this)
{
    setObjectName(QString::fromLatin1(name));
}

void DmQuery::setStatement(Stmt id, const QVariantList& values)
{
    close();
    m_stmt = id;
    m_values = values;
    m_hasStatement = true;
}

void DmQuery::open()
{
    run(true);
}

void DmQuery::execute()
{
    run(false);
}

void DmQuery::close()
{
    if (!m_open && m_rows.isEmpty() && m_keys.isEmpty())
        return;
    m_model.reset([this] {
        m_rows.clear();
        m_keys.clear();
        m_pages.clear();
        m_pos = 0;
        m_open = false;
    });
}

namespace
{
// Pages kept by a paged query; reading one more drops them all (a grid only ever shows a few).
constexpr qsizetype kMaxPages = 64;

// Prepares, binds and runs a statement text on the data module's connection.
QSqlQuery execText(TD_M* dm, Stmt id, const QString& sql, const QVariantList& values)
{
    dm->ensureConnected();
    QSqlQuery q(QSqlDatabase::database(dm->connectionName(), false));
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw AppError(dm->statementFailureText(id, q.lastError()));
    for (const QVariant& v : values)
        q.addBindValue(bindable(v));
    if (!q.exec())
        throw AppError(dm->statementFailureText(id, q.lastError()));
    return q;
}

// Checks the values for one catalogue statement: their number, and that each fits its column.
void checkValues(const QString& queryName, Stmt id, const QVariantList& values)
{
    const Statement& st = CatalogueStatement(id);
    if (values.size() != st.columns.size())
        throw AppError(QStringLiteral("语句 %1 需要 %2 个值，给出了 %3 个 (%4)。")
                           .arg(StatementName(id))
                           .arg(st.columns.size())
                           .arg(values.size())
                           .arg(queryName));
    // Every value must fit its column before anything is sent.
    for (int i = 0; i < values.size(); ++i) {
        const QString problem = CheckColumnValue(st.columns.at(i), bindable(values.at(i)));
        if (!problem.isEmpty())
            throw AppError(problem);
    }
}

// Checks, binds and runs one catalogue statement; returns the rows of a select.
QList<QSqlRecord> runStatement(TD_M* dm, const QString& queryName, Stmt id, const QVariantList& values, bool select,
                               QSqlRecord* shape)
{
    checkValues(queryName, id, values);
    QSqlQuery q = execText(dm, id, StatementText(id, dm->dialect()), values);
    QList<QSqlRecord> rows;
    if (!select)
        return rows;
    while (q.next())
        rows.append(q.record());
    if (q.lastError().isValid())
        throw AppError(dm->statementFailureText(id, q.lastError()));
    if (shape)
        *shape = q.record();
    return rows;
}

// The two statements a paged select is read with, made from its catalogue text
// "select <columns> from <table> [where ...] [order by ...]": the keys of the result in its
// order, and the rows of a list of keys (to be closed with the keys' placeholders and ")").
struct PagedText
{
    QString keys;
    QString rows;
    bool sortKeys = false; // the result is in key order: the keys are sorted here, not by the database
};

PagedText pagedText(const QString& queryName, Stmt id, Dialect dialect)
{
    // The last "from" is the statement's own: a column may read another table in a subquery.
    static const QRegularExpression shape(QStringLiteral("^select\\s+(.+)\\s+from\\s+(\\w+)(.*)$"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = shape.match(StatementText(id, dialect));
    if (!m.hasMatch())
        throw AppError(QStringLiteral("语句 %1 不能分页读取 (%2)。").arg(StatementName(id), queryName));
    // A result in register order is its keys in ascending order. Sorting the keys here costs a
    // fraction of what the database takes to sort them when it finds them through an index.
    static const QRegularExpression byKey(QStringLiteral("\\s+order\\s+by\\s+rowid\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString rest = m.captured(3);
    const QRegularExpressionMatch order = byKey.match(rest);
    if (order.hasMatch())
        rest.truncate(order.capturedStart());
    return {QStringLiteral("select rowid from ") + m.captured(2) + rest,
            QStringLiteral("select rowid, ") + m.captured(1) + QStringLiteral(" from ") + m.captured(2) +
                QStringLiteral(" where rowid in ("),
            order.hasMatch()};
}
} // namespace

void DmQuery::run(bool select)
{
    if (!m_hasStatement)
        throw AppError(QStringLiteral("查询 %1 没有语句。").arg(objectName()));
    close();
    // A write is checked by beforeWrite, once its values are known to fit.
    if (select)
        m_dm->checkFileUnchanged();
    if (select && m_paged) {
        openPaged();
        return;
    }
    if (!select) {
        // A value that does not fit is refused before the database is touched at all.
        checkValues(objectName(), m_stmt, m_values);
        // A write of its own is a transaction of its own: it holds the write lock before it
        // looks at the file a last time (see TD_M::transaction).
        if (!m_dm->inTransaction()) {
            m_dm->transaction([&] { runStatement(m_dm, objectName(), m_stmt, m_values, false, nullptr); });
            return;
        }
        m_dm->beforeWrite();
        runStatement(m_dm, objectName(), m_stmt, m_values, false, nullptr);
        return;
    }
    QSqlRecord shape;
    QList<QSqlRecord> rows = runStatement(m_dm, objectName(), m_stmt, m_values, select, &shape);
    m_model.reset([&] {
        m_rows = std::move(rows);
        m_pos = 0;
        m_open = true;
        m_model.m_names.clear();
        for (int i = 0; i < shape.count(); ++i)
            m_model.m_names.append(shape.fieldName(i));
        m_model.m_columns = shape.count();
    });
}

// The register grid reads a result that can hold every cheque ever printed. Reading all of it
// into memory at once makes a search over a large register wait on the whole result and hold
// it all; a paged query instead reads only the keys (an exact count at once, and the order),
// then fetches the rows a grid shows, a page at a time. It holds no statement open between
// reads, so the result it shows is the one of its opening: rows added later do not appear
// until it is opened again, as with a result read at once.
void DmQuery::openPaged()
{
    checkValues(objectName(), m_stmt, m_values);
    const PagedText text = pagedText(objectName(), m_stmt, m_dm->dialect());
    QList<qint64> keys;
    // The server sends a result row by row, each with its own overhead: keys that are sorted here
    // anyway come as one text instead.
    if (m_dm->dialect() == Dialect::Server && text.sortKeys) {
        QSqlQuery q = execText(m_dm, m_stmt,
                               QStringLiteral("select string_agg(rowid::text, ',') from (") + text.keys +
                                   QStringLiteral(") as k"),
                               m_values);
        if (q.next() && !q.isNull(0)) {
            const QString all = q.value(0).toString();
            keys.reserve(all.count(QLatin1Char(',')) + 1);
            for (const QStringView key : QStringView(all).split(QLatin1Char(',')))
                keys.append(key.toLongLong());
        }
        if (q.lastError().isValid())
            throw AppError(m_dm->statementFailureText(m_stmt, q.lastError()));
    } else {
        QSqlQuery q = execText(m_dm, m_stmt, text.keys, m_values);
        while (q.next())
            keys.append(q.value(0).toLongLong());
        if (q.lastError().isValid())
            throw AppError(m_dm->statementFailureText(m_stmt, q.lastError()));
    }
    if (text.sortKeys)
        std::sort(keys.begin(), keys.end());
    m_pageSql = text.rows;
    m_keys = std::move(keys);
    QSqlRecord shape;
    QList<QSqlRecord> firstPage;
    try {
        firstPage = readRows(0, qMin<qsizetype>(kPageRows, m_keys.size()), &shape);
    } catch (...) {
        m_keys.clear();
        throw;
    }
    m_model.reset([&] {
        m_pages.clear();
        m_pages.insert(0, std::move(firstPage));
        m_shape = shape;
        m_pos = 0;
        m_open = true;
        m_model.m_names.clear();
        for (int i = 0; i < shape.count(); ++i)
            m_model.m_names.append(shape.fieldName(i));
        m_model.m_columns = shape.count();
    });
}

QList<QSqlRecord> DmQuery::readRows(qsizetype first, qsizetype count, QSqlRecord* shape) const
{
    QString sql = m_pageSql;
    QVariantList values;
    values.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        sql += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
        values.append(m_keys.at(first + i));
    }
    // An empty result still reads its columns (for the grid's header); "in ()" is not SQL everywhere.
    if (count == 0)
        sql += QStringLiteral("NULL");
    sql += QLatin1Char(')');
    QSqlQuery q = execText(m_dm, m_stmt, sql, values);
    QHash<qint64, QSqlRecord> byKey;
    byKey.reserve(count);
    while (q.next()) {
        QSqlRecord r = q.record();
        const qint64 key = r.value(0).toLongLong();
        r.remove(0);
        byKey.insert(key, r);
    }
    if (q.lastError().isValid())
        throw AppError(m_dm->statementFailureText(m_stmt, q.lastError()));
    QSqlRecord empty = q.record();
    empty.remove(0);
    if (shape)
        *shape = empty;
    QList<QSqlRecord> rows;
    rows.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        rows.append(byKey.value(m_keys.at(first + i), empty));
    return rows;
}

void DmQuery::fetchPage(qsizetype page) const
{
    const qsizetype first = page * kPageRows;
    QList<QSqlRecord> rows = readRows(first, qMin<qsizetype>(kPageRows, m_keys.size() - first), nullptr);
    if (m_pages.size() >= kMaxPages)
        m_pages.clear();
    m_pages.insert(page, std::move(rows));
}

const QSqlRecord& DmQuery::row(qsizetype index) const
{
    if (!m_paged)
        return m_rows.at(index);
    const qsizetype page = index / kPageRows;
    auto it = m_pages.constFind(page);
    if (it == m_pages.cend()) {
        fetchPage(page);
        it = m_pages.constFind(page);
    }
    return it->at(index % kPageRows);
}

QSqlRecord DmQuery::record(int index) const
{
    if (!m_open || index < 0 || index >= recordCount())
        throw AppError(QStringLiteral("查询 %1 没有第 %2 条记录。").arg(objectName()).arg(index + 1));
    return row(index);
}

const QSqlRecord& DmQuery::current() const
{
    if (!m_open)
        throw AppError(QStringLiteral("查询 %1 没有打开。").arg(objectName()));
    if (eof())
        throw AppError(QStringLiteral("查询 %1 没有当前记录。").arg(objectName()));
    return row(m_pos);
}

QVariant DmQuery::field(const QString& column) const
{
    const QSqlRecord& rec = current();
    const int i = rec.indexOf(column);
    if (i < 0)
        throw AppError(QStringLiteral("查询 %1 的结果中没有字段 \"%2\"。").arg(objectName(), column));
    return rec.value(i);
}

QString DmQuery::fieldText(const QString& column) const
{
    const QVariant v = field(column);
    return v.isNull() ? QString() : v.toString();
}

int DmQuery::fieldInt(const QString& column) const
{
    const QVariant v = field(column);
    return v.isNull() ? 0 : v.toInt();
}

bool DmQuery::fieldBool(const QString& column) const
{
    const QVariant v = field(column);
    return !v.isNull() && v.toInt() != 0;
}

void DmQuery::writeCurrentRow(Stmt id, const QVariantList& values, const QString& column, const QVariant& value)
{
    current(); // a row to show the value on, before anything is written
    if (m_dm->inTransaction()) {
        m_dm->beforeWrite();
        runStatement(m_dm, objectName(), id, values, false, nullptr);
    } else {
        m_dm->transaction([&] { runStatement(m_dm, objectName(), id, values, false, nullptr); });
    }
    // The result row shows the value now stored.
    QSqlRecord& stored = const_cast<QSqlRecord&>(row(m_pos));
    stored.setValue(column, value);
    const int index = stored.indexOf(column);
    emit m_model.dataChanged(m_model.index(int(m_pos), index), m_model.index(int(m_pos), index));
}

} // namespace Zt_typro

// ---------------------------------------------------------------------------------------------
TD_M::TD_M(QObject* parent)
    : QObject(parent),
      m_connectionName(QStringLiteral("quillmate-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
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
    m_shared = false;
    m_serverConnection.clear();
    m_serverUser.clear();
    m_serverPassword.clear();
}

void TD_M::useSharedServer(const QString& connection, const QString& user, const QString& password)
{
    closeConnection();
    m_shared = true;
    m_serverConnection = connection.trimmed();
    m_serverUser = user;
    m_serverPassword = password;
}

TD_M::Rights TD_M::rights()
{
    if (!m_shared)
        return Rights{};
    ensureConnected();
    return m_rights;
}

QString TD_M::operatorName() const
{
    return m_shared ? m_serverUser : Zt_typro::OperatorName();
}

QString TD_M::databasePath() const
{
    if (m_shared)
        return m_serverConnection;
    return m_connected ? m_path : QDir::current().absoluteFilePath(kDatabaseFile);
}

QString TD_M::whereText() const
{
    if (m_shared)
        return QStringLiteral("共享服务器: %1 (操作员 %2)").arg(m_serverConnection, m_serverUser);
    return QStringLiteral("数据库文件: %1").arg(QDir::toNativeSeparators(databasePath()));
}

QString TD_M::failureText(const QString& what, const QString& driverText) const
{
    QString text = QStringLiteral("数据库操作失败 (%1): %2\n%3").arg(what, driverText.trimmed(), whereText());
    if (driverText.contains(QLatin1String("database is locked")))
        text += QLatin1Char('\n') + kLockedHint;
    return text;
}

QString TD_M::statementFailureText(Zt_typro::Stmt id, const QSqlError& error)
{
    const QString name = Zt_typro::StatementName(id);
    if (!m_shared)
        return failureText(name, error.text());
    // SQLSTATE 42501: the server refused the operator a right it keeps.
    if (error.nativeErrorCode() == QLatin1String("42501") && id == Zt_typro::Stmt::E1 &&
        error.text().contains(QStringLiteral("作废")))
        return QStringLiteral("共享服务器拒绝了这项操作: 只有 quillmate_admin 角色的操作员可以作废支票，"
                              "操作员 %1 不是。")
            .arg(m_serverUser);
    if (error.nativeErrorCode() == QLatin1String("42501"))
        return QStringLiteral("共享服务器拒绝了这项操作 (语句 %1): 操作员 %2 没有%3。\n%4\n"
                              "如需这项权限，请数据库管理员把操作员加入相应的角色。")
            .arg(name, m_serverUser, Zt_typro::MissingRightText(Zt_typro::StatementText(id, dialect())),
                 error.text().trimmed());
    noteLostServer(error);
    return failureText(name, error.text());
}

void TD_M::noteLostServer(const QSqlError& error)
{
    // A connection the server closed (restarted, or the network went) is opened again next time.
    if (m_shared && (error.type() == QSqlError::ConnectionError ||
                     Zt_typro::ClassifySignInFailure(error.text()) == Zt_typro::SignInFailure::Unreachable ||
                     error.text().contains(QLatin1String("no connection to the server")) ||
                     error.text().contains(QLatin1String("terminating connection"))))
        m_serverLost = true;
}

void TD_M::connectServer()
{
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    if (!db.isValid())
        throw AppError(Zt_typro::ServerDriverMissingText());
    Zt_typro::ConfigureServerDatabase(db, m_serverConnection, m_serverUser, m_serverPassword);
    if (!db.open())
        throw AppError(Zt_typro::SignInFailureText(m_serverConnection, m_serverUser, db.lastError().text()));
    try {
        if (!Zt_typro::HasSharedRegister(db))
            throw AppError(Zt_typro::NoSharedRegisterText(m_serverConnection));
        const Zt_typro::SharedRights rights = Zt_typro::ReadSharedRights(db);
        // Any login role of the server may connect; only the program's operators sign in.
        if (!rights.member)
            throw AppError(QStringLiteral("“%1”不是本程序的操作员: 它不属于 quillmate_cashier、quillmate_auditor、"
                                          "quillmate_admin 中的任何一个角色。请数据库管理员把它加入其中一个。")
                               .arg(m_serverUser));
        // Read once the role is known to be one of the program's: others may not read it.
        const int version = Zt_typro::SharedSchemaVersion(db);
        if (version == 0)
            throw AppError(Zt_typro::NoSharedRegisterText(m_serverConnection));
        if (version > Zt_typro::kSharedSchemaVersion)
            throw AppError(QStringLiteral("共享登记簿的结构版本是 %1，本程序只认识到版本 %2: 它是由较新的程序建立的。"
                                          "请使用较新的程序。")
                               .arg(version)
                               .arg(Zt_typro::kSharedSchemaVersion));
        m_rights = Rights{rights.print, rights.layouts, rights.voiding};
    } catch (...) {
        db.close();
        throw;
    }
    m_serverLost = false;
    m_connected = true;
    qCDebug(lcDm) << "shared register opened:" << m_serverConnection << "as" << m_serverUser;
}

void TD_M::ensureConnected()
{
    if (m_connected && m_serverLost && !m_inTransaction)
        closeConnection();
    if (m_connected)
        return;
    if (m_shared) {
        connectServer();
        return;
    }
    m_rights = Rights{};
    const QString path = QDir::current().absoluteFilePath(kDatabaseFile);
    if (!QFileInfo::exists(path))
        createDatabaseFile(path);
    checkDatabaseFile(path);

    // The file's identity before and after opening: a file renamed in between is not taken.
    quint64 device = 0;
    quint64 inode = 0;
    const bool identified = fileIdentity(path, &device, &inode);

    QSqlDatabase db = QSqlDatabase::contains(m_connectionName) ? QSqlDatabase::database(m_connectionName, false)
                                                               : QSqlDatabase::addDatabase(kDriver, m_connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(kConnectOptions);
    if (!db.open())
        throw AppError(QStringLiteral("无法打开数据库文件 %1: %2")
                           .arg(QDir::toNativeSeparators(path), db.lastError().text()));

    // A file of another kind, or a database of another program, is reported and left alone.
    QSqlQuery q(db);
    QStringList tables;
    if (q.exec(QStringLiteral("select name from sqlite_master where type = 'table'"))) {
        while (q.next())
            tables << q.value(0).toString();
    }
    const QSqlError readError = q.lastError();
    q.finish();
    // A lock held by another program, or a folder where the journal cannot be made, is no
    // sign of a foreign file: those are reported as what they are.
    const int code = sqliteCode(readError);
    if (readError.isValid() && code != kSqliteCorrupt && code != kSqliteNotADatabase) {
        db.close();
        const bool locked = code == kSqliteBusy || code == kSqliteLocked;
        throw AppError(QStringLiteral("无法读取数据库文件 %1 (%2)。%3该文件没有被改动。")
                           .arg(QDir::toNativeSeparators(path), readError.text().trimmed(),
                                locked ? kLockedHint : QString()));
    }
    if (readError.isValid() || !tables.contains(QStringLiteral("skr")) || !tables.contains(QStringLiteral("zp")) ||
        !tables.contains(QStringLiteral("prn"))) {
        const QString why = readError.isValid() ? readError.text() : QStringLiteral("缺少数据表 skr、zp 或 prn");
        db.close();
        throw AppError(QStringLiteral("数据库文件 %1 不是本程序可以读取的数据库 (%2)。该文件没有被改动。")
                           .arg(QDir::toNativeSeparators(path), why));
    }
    if (!identified || !fileIdentity(path, &m_fileDevice, &m_fileInode) || m_fileDevice != device ||
        m_fileInode != inode) {
        db.close();
        throw AppError(QStringLiteral("数据库文件 %1 在打开时被移走或替换了，没有使用。请再试一次。")
                           .arg(QDir::toNativeSeparators(path)));
    }
    bringSchemaUpToDate(db, path);
    m_path = path;
    m_connected = true;
    qCDebug(lcDm) << "database opened:" << path;
}

void TD_M::bringSchemaUpToDate(QSqlDatabase& db, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        const QString why = q.lastError().text().trimmed();
        q.finish();
        db.close();
        throw AppError(QStringLiteral("无法读取数据库文件 %1 的结构版本 (%2)。该文件没有被改动。").arg(shown, why));
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version > Zt_typro::kSchemaVersion) {
        db.close();
        throw AppError(QStringLiteral("数据库文件 %1 的结构版本是 %2，本程序只认识到版本 %3: 它是由较新的程序写的。"
                                      "请用较新的程序打开它。该文件没有被改动。")
                           .arg(shown)
                           .arg(version)
                           .arg(Zt_typro::kSchemaVersion));
    }
    // An older file (one a previous version of the program wrote) is copied first, whole, into
    // the backup folder beside it: the copy stays, whatever comes of the upgrade.
    if (version < Zt_typro::kSchemaVersion)
        copyBeforeUpgrade(db, path, version);
    // An older file is brought up to date once, each step in one transaction: a failure leaves
    // it as it was.
    for (int from = version; from < Zt_typro::kSchemaVersion; ++from) {
        bool ok = db.transaction();
        for (const QString& sql : Zt_typro::SchemaUpgradeStatements(from)) {
            if (ok && !q.exec(sql))
                ok = false;
        }
        if (ok)
            ok = q.exec(QStringLiteral("PRAGMA user_version = %1").arg(from + 1));
        const QString why = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
        q.finish();
        if (!ok || !db.commit()) {
            db.rollback();
            db.close();
            throw AppError(QStringLiteral("无法把数据库文件 %1 升级到结构版本 %2 (%3)。该文件没有被改动。")
                               .arg(shown)
                               .arg(from + 1)
                               .arg(why.trimmed()));
        }
        qCInfo(lcDm) << "database upgraded to schema version" << from + 1 << ":" << path;
    }
}

QString TD_M::copyBeforeUpgrade(QSqlDatabase& db, const QString& path, int version)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QDir folder(QFileInfo(path).absoluteDir().filePath(QStringLiteral("backup")));
    const QString stem = QStringLiteral("pjzp-升级前-版本%1-%2")
                             .arg(version)
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
    // Written under a name of its own first and given its final name only when whole, so that no
    // half-written copy ever looks like a backup and no other copy of the program's file is touched.
    const QString part = folder.filePath(QStringLiteral(".") + stem + QLatin1Char('-') +
                                         QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".part"));
    QString copy;
    QString why;
    if (!Zt_typro::MakePrivateFolder(folder.path())) {
        why = QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(folder.path()));
    } else {
        // A consistent copy through SQLite, also while another copy of the program writes.
        QSqlQuery q(db);
        if (!q.prepare(QStringLiteral("VACUUM INTO ?"))) {
            why = q.lastError().text();
        } else {
            q.addBindValue(part);
            if (!q.exec())
                why = q.lastError().text();
        }
        q.finish();
        if (why.isEmpty()) {
            Zt_typro::RestrictToOwner(part);
            // QFile::rename never replaces: a name taken meanwhile gets the next number.
            for (int n = 1; n < 1000 && copy.isEmpty(); ++n) {
                const QString name = folder.filePath(stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) +
                                                     QStringLiteral(".pdp"));
                if (!QFileInfo::exists(name) && QFile::rename(part, name))
                    copy = name;
            }
            if (copy.isEmpty())
                why = QStringLiteral("无法把备份命名为 %1")
                          .arg(QDir::toNativeSeparators(folder.filePath(stem + QStringLiteral(".pdp"))));
        }
    }
    if (!why.isEmpty()) {
        QFile::remove(part); // this open's own part file only
        db.close();
        throw AppError(QStringLiteral("数据库文件 %1 需要升级到结构版本 %2，但升级前无法先备份它 (%3)。"
                                      "该文件没有被改动。")
                           .arg(shown)
                           .arg(Zt_typro::kSchemaVersion)
                           .arg(why.trimmed()));
    }
    qCInfo(lcDm) << "database copied before its upgrade:" << copy;
    return copy;
}

void TD_M::checkDatabaseFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取数据库文件 %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray header = file.read(16);
    if (header != QByteArray("SQLite format 3\0", 16))
        throw AppError(QStringLiteral("数据库文件 %1 不是本程序可以读取的数据库 (文件格式不符)。该文件没有被改动。")
                           .arg(QDir::toNativeSeparators(path)));
}

void TD_M::createDatabaseFile(const QString& path)
{
    // Built beside the target under a temporary name, then renamed into place: a crash while
    // building leaves no half-made database under the real name.
    const QString temp = path + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::Id128);
    const QString name = m_connectionName + QStringLiteral("-create");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, name);
        db.setDatabaseName(temp);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            bool ok = db.transaction();
            for (const QString& sql : Zt_typro::SchemaStatements()) {
                if (ok && !q.exec(sql))
                    ok = false;
            }
            if (ok)
                ok = q.exec(QStringLiteral("PRAGMA user_version = %1").arg(Zt_typro::kSchemaVersion));
            if (ok)
                ok = q.prepare(
                    QStringLiteral("insert into prn (kjmc, kjx, kjy, win, kjyy, dy) values (?, ?, ?, ?, ?, ?)"));
            for (const Zt_typro::LayoutRow& row : Zt_typro::InitialLayoutRows()) {
                if (!ok)
                    break;
                Zt_typro::BindLayoutRow(q, row);
                ok = q.exec();
            }
            if (!ok)
                error = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
            q.finish();
            if (ok && !db.commit())
                error = db.lastError().text();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    // The register is nobody else's to read: the new file is its owner's only.
    if (error.isEmpty())
        Zt_typro::RestrictToOwner(temp);
    if (error.isEmpty() && !QFile::rename(temp, path) && !QFileInfo::exists(path))
        error = QStringLiteral("无法改名为 %1").arg(kDatabaseFile);
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
    if (!error.isEmpty())
        throw AppError(QStringLiteral("无法创建数据库文件 %1: %2").arg(QDir::toNativeSeparators(path), error));
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
    m_path.clear();
    qCDebug(lcDm) << "database closed";
}

TD_M::FileState TD_M::fileState() const
{
    quint64 device = 0;
    quint64 inode = 0;
    if (!fileIdentity(m_path, &device, &inode))
        return FileState::Missing;
    return device == m_fileDevice && inode == m_fileInode ? FileState::Same : FileState::Replaced;
}

QString TD_M::fileChangeText(FileState state) const
{
    const QString path = QDir::toNativeSeparators(m_path);
    if (state == FileState::Missing)
        return QStringLiteral("数据库文件 %1 已不在原处（被移走、改名或删除）。本次操作没有进行，没有保存任何内容。"
                              "请把数据库文件放回原处后再试。")
            .arg(path);
    return QStringLiteral("数据库文件 %1 在程序运行时被另一个文件替换了。本次操作没有进行，没有保存任何内容；"
                          "再试一次时将使用现在的文件。")
        .arg(path);
}

void TD_M::checkFileUnchanged()
{
    if (!m_connected || m_shared)
        return;
    const FileState state = fileState();
    if (state == FileState::Same)
        return;
    const QString text = fileChangeText(state);
    qCWarning(lcDm) << "database file changed under the connection:" << m_path;
    // Inside a transaction the rollback lets go of a replaced file (see rollbackTransaction).
    if (state == FileState::Replaced && !m_inTransaction)
        letGoOfReplacedFile();
    throw AppError(text);
}

void TD_M::beforeWrite()
{
    ensureConnected();
    checkFileUnchanged();
    // The hook (the day's copy) cannot run inside a transaction; the transaction's start has
    // run it. The shared server keeps its own copies.
    if (m_inTransaction || !m_beforeWriteHook || m_shared)
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
    // The server orders concurrent writers itself, row by row.
    if (m_shared) {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (!db.transaction()) {
            const QSqlError error = db.lastError();
            noteLostServer(error);
            throw AppError(failureText(QStringLiteral("开始事务"), error.text()));
        }
        m_inTransaction = true;
        return;
    }
    // The write lock is taken at the start ("immediate"), and only then is the file looked at
    // once more: a restore in another program renames the new file into place while it holds
    // the lock on the old one, so a write that waited for that lock finds here that the file
    // has been replaced, instead of going into the file no one will read again.
    {
        QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
            throw AppError(failureText(QStringLiteral("开始事务"), q.lastError().text()));
    }
    m_inTransaction = true;
    if (const FileState state = fileState(); state != FileState::Same) {
        const QString text = fileChangeText(state);
        qCWarning(lcDm) << "database file changed while waiting for its lock:" << m_path;
        rollbackTransaction();
        throw AppError(text);
    }
}

void TD_M::holdingWriteLock(const std::function<void()>& body)
{
    if (m_shared)
        throw AppError(QStringLiteral("共享服务器上的登记簿不能由本程序替换，请由服务器的管理员恢复。"));
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
    if (const FileState state = m_shared ? FileState::Same : fileState(); state != FileState::Same) {
        const QString text = fileChangeText(state);
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
    if (m_connected && !m_shared && fileState() == FileState::Replaced)
        letGoOfReplacedFile();
}

void TD_M::letGoOfReplacedFile()
{
    closeConnection();
    emit replacedFileLetGo();
}
