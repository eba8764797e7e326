// The throwaway PostgreSQL cluster that the test command starts for the shared-register tests:
// Qt's driver reaches it on its private socket, it is the test's own (its data in the test
// folder, no TCP port), and a role signs in with its password and only with it.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

class TestPgServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")),
                 qPrintable(QSqlDatabase::drivers().join(u' ')));
        QVERIFY2(!qEnvironmentVariableIsEmpty("QUILLMATE_PG_HOST"), "no cluster given (CTest fixture pg)");
    }

    void theClusterIsTheTestsOwn()
    {
        QSqlDatabase db = connect(QStringLiteral("owner"), qEnvironmentVariable("QUILLMATE_PG_SUPERUSER"), QString());
        QVERIFY2(db.isOpen(), qPrintable(db.lastError().text()));
        QSqlQuery q(db);
        QVERIFY(
            q.exec(QStringLiteral("select current_setting('data_directory'), current_setting('listen_addresses'),"
                                  " current_setting('unix_socket_directories'), current_setting('server_encoding')")));
        QVERIFY(q.next());
        const QString host = qEnvironmentVariable("QUILLMATE_PG_HOST");
        QCOMPARE(q.value(0).toString(), host + QStringLiteral("/data"));
        QCOMPARE(q.value(1).toString(), QString()); // no TCP at all
        QCOMPARE(q.value(2).toString(), host);
        QCOMPARE(q.value(3).toString(), QStringLiteral("UTF8"));
        // Chinese text goes there and back unchanged.
        QVERIFY(q.exec(QStringLiteral("select '华东机械有限公司 壹仟贰佰叁拾肆元伍角整'")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("华东机械有限公司 壹仟贰佰叁拾肆元伍角整"));
        q.finish();
        db.close();
    }

    void aRoleSignsInWithItsPasswordOnly()
    {
        {
            QSqlDatabase owner = connect(QStringLiteral("owner"), qEnvironmentVariable("QUILLMATE_PG_SUPERUSER"),
                                         QString());
            QSqlQuery q(owner);
            QVERIFY(q.exec(QStringLiteral("drop role if exists clerk_wang")));
            QVERIFY2(q.exec(QStringLiteral("create role clerk_wang login password 'chuna-2026'")),
                     qPrintable(q.lastError().text()));
            q.finish();
            owner.close();
        }
        struct Case
        {
            QString user;
            QString password;
            bool in;
        };
        const QList<Case> cases = {
            {QStringLiteral("clerk_wang"), QStringLiteral("chuna-2026"), true},
            {QStringLiteral("clerk_wang"), QStringLiteral("wrong"), false},
            {QStringLiteral("clerk_wang"), QString(), false},
            {QStringLiteral("nobody_here"), QStringLiteral("chuna-2026"), false},
        };
        for (const Case& c : cases) {
            QSqlDatabase db = connect(QStringLiteral("clerk"), c.user, c.password);
            QVERIFY2(db.isOpen() == c.in,
                     qPrintable(c.user + QLatin1Char('/') + c.password + QLatin1Char(' ') + db.lastError().text()));
            if (c.in) {
                QSqlQuery q(db);
                QVERIFY(q.exec(QStringLiteral("select session_user")));
                QVERIFY(q.next());
                QCOMPARE(q.value(0).toString(), c.user);
            }
            db.close();
        }
    }

    void cleanup()
    {
        for (const QString& name : QSqlDatabase::connectionNames())
            QSqlDatabase::removeDatabase(name);
    }

private:
    static QSqlDatabase connect(const QString& name, const QString& user, const QString& password)
    {
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(qEnvironmentVariable("QUILLMATE_PG_HOST"));
        db.setPort(5432);
        db.setDatabaseName(QStringLiteral("postgres"));
        db.setUserName(user);
        db.setPassword(password);
        db.open();
        return db;
    }
};

QTEST_MAIN(TestPgServer)
#include "tst_pgserver.moc"
