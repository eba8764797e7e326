// 数据库设置: where the register is kept, kept per user without a password, and the connection
// tried against the tests' own PostgreSQL server.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "settings/DatabasePanel.h"
#include "store/Schema.h"
#include "store/Settings.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/SharedRegister.h"
#include "tests/support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

using namespace Zt_typro;

namespace
{
QByteArray storedSettings()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("sjk"));
    QFile file(settings.fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestDatabasePanel : public QObject
{
    Q_OBJECT

private slots:
    void theChoiceIsKeptWithoutAPassword()
    {
        ScriptedPrompter prompter;
        FormsFixture forms;
        Frm_main->show();
        Frm_main->findChild<QAction*>(QStringLiteral("mnusjk"))->trigger();
        DatabasePanel* panel = Frm_main->Panel_sjk;
        QVERIFY(panel->isVisible());
        // A new installation keeps the register in the local file.
        QCOMPARE(panel->ComboBox_sjklx->currentText(), QStringLiteral("本机文件 (SQLite)"));
        QVERIFY(!panel->Edit_sjklj->isEnabled());
        QVERIFY(!panel->Button_sjk_cs->isEnabled());

        panel->ComboBox_sjklx->setCurrentIndex(1);
        QCOMPARE(panel->ComboBox_sjklx->currentText(), QStringLiteral("共享服务器 (PostgreSQL)"));
        QVERIFY(panel->Edit_sjklj->isEnabled());
        // Refused, nothing stored: a password, an empty connection, a URI.
        const QList<QPair<QString, QString>> refused = {
            {QStringLiteral("host=db dbname=quillmate password=secret"), QStringLiteral("连接中不能写密码")},
            {QStringLiteral("   "), QStringLiteral("没有填写共享服务器的连接")},
            {QStringLiteral("postgresql://wang:secret@db/quillmate"), QStringLiteral("连接中不能写密码")},
            // Wherever libpq would find one: another key, a connection or URI given as the database.
            {QStringLiteral("host=db dbname=quillmate sslpassword=secret"), QStringLiteral("~/.pgpass")},
            {QStringLiteral("host=db dbname='postgresql://db/quillmate?password=secret'"), QStringLiteral("~/.pgpass")},
            {QStringLiteral("postgresql://db/quillmate"), QStringLiteral("key=value")},
            {QStringLiteral("host=db dbname='quillmate"), QStringLiteral("单引号")},
        };
        for (const auto& [text, says] : refused) {
            panel->Edit_sjklj->setText(text);
            panel->Button_sjk_qd->click();
            QVERIFY2(prompter.last().text.contains(says), qPrintable(prompter.last().text));
            QVERIFY(panel->isVisible());
            QVERIFY(!ReadStoreChoice().shared);
            QVERIFY(!storedSettings().contains("secret"));
        }
        panel->Edit_sjklj->setText(QStringLiteral("  host=db.example.com port=5433 dbname=quillmate  "));
        panel->Button_sjk_qd->click();
        QVERIFY(prompter.last().text.contains(QStringLiteral("重新启动程序后生效")));
        QVERIFY(!panel->isVisible());
        const StoreChoice stored = ReadStoreChoice();
        QVERIFY(stored.shared);
        QCOMPARE(stored.connection, QStringLiteral("host=db.example.com port=5433 dbname=quillmate"));

        // Shown again as stored; 取 消 keeps it.
        Frm_main->mnusjkClick();
        QCOMPARE(panel->ComboBox_sjklx->currentIndex(), 1);
        QCOMPARE(panel->Edit_sjklj->text(), stored.connection);
        panel->ComboBox_sjklx->setCurrentIndex(0);
        panel->Button_sjk_qx->click();
        QVERIFY(ReadStoreChoice().shared);
        // Back to the local file: the connection stays for another time.
        Frm_main->mnusjkClick();
        panel->ComboBox_sjklx->setCurrentIndex(0);
        panel->Button_sjk_qd->click();
        QVERIFY(!ReadStoreChoice().shared);
        QCOMPARE(ReadStoreChoice().connection, stored.connection);
        // Nor is a password kept when the local file is chosen with one typed.
        Frm_main->mnusjkClick();
        panel->ComboBox_sjklx->setCurrentIndex(0);
        panel->Edit_sjklj->setText(QStringLiteral("host=db dbname=quillmate password=secret"));
        panel->Button_sjk_qd->click();
        QVERIFY(!ReadStoreChoice().shared);
        QCOMPARE(ReadStoreChoice().connection, stored.connection);
        QVERIFY(!storedSettings().contains("secret"));
    }

    void theTestSaysWhatItFound()
    {
        SharedRegisterFixture f;
        QVERIFY2(f.error().isEmpty(), qPrintable(f.error()));
        SharedRegisterFixture bare(false);
        QVERIFY2(bare.error().isEmpty(), qPrintable(bare.error()));
        ScriptedPrompter prompter;
        FormsFixture forms;
        Frm_main->show();
        Frm_main->mnusjkClick();
        DatabasePanel* panel = Frm_main->Panel_sjk;
        panel->ComboBox_sjklx->setCurrentIndex(1);
        const QList<QPair<QString, QString>> cases = {
            {f.ownerConnection(), QStringLiteral("连接成功: 共享登记簿，结构版本 %1。").arg(kSchemaVersion)},
            // No operator given: the server answers and wants one.
            {f.connection() + QStringLiteral(" user=") + f.cashier(),
             QStringLiteral("服务器可以连接。登录时请填写操作员和密码。")},
            {bare.ownerConnection(), QStringLiteral("还没有本程序的登记簿")},
            {QStringLiteral("host=/nonexistent-socket-folder dbname=quillmate"), QStringLiteral("无法连接共享服务器")},
            {QStringLiteral("host=db password=x"), QStringLiteral("连接中不能写密码")},
        };
        for (const auto& [connection, says] : cases) {
            panel->Edit_sjklj->setText(connection);
            panel->Button_sjk_cs->click();
            QVERIFY2(prompter.last().text.contains(says),
                     qPrintable(connection + QStringLiteral(": ") + prompter.last().text));
            QVERIFY(panel->Label_sjk_sm->text().contains(says));
        }
        // Trying stores nothing.
        QVERIFY(!ReadStoreChoice().shared);
    }
};

QTEST_MAIN(TestDatabasePanel)
#include "tst_databasepanel.moc"
