// A second running program for the fault tests, started as a child process in the test's folder.
//   hardening_helper lock <milliseconds> <immediate|exclusive>
//       holds a write lock (others may still read) or an exclusive lock on "pjzp.pdp" for that long
//       (prints "locked" once it holds it).
//   hardening_helper cheque <number> <payee> <stop>
//       prints one cheque through the cheque screen, answering Yes to the confirmation and No to
//       the voucher offer. <stop> names where it stops and waits to be killed after printing a
//       marker line: "confirm" (at the confirmation), "insert" (inside the transaction, right after
//       the register row was written), "commit" (after the commit, in the preview), or "none"
//       (runs to the end and exits).
//   hardening_helper cheques <first number> <count>
//       prints count cheques one after another through the cheque screen, numbered from the
//       first on, printing "previewed <number>" for each whose preview showed; a cheque refused
//       with a message is told on stderr and the next one goes on. Prints "done" at the end.
//   hardening_helper restore <backup file>
//       restores "pjzp.pdp" from the backup as the restore command does, and prints "restored".
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "cheque/ChequePanel.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "store/DataModule.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/StoreHelpers.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

using namespace Zt_typro;

namespace
{

QString g_stop;
QString g_number; // the cheque being printed

void say(const char* marker)
{
    std::printf("%s\n", marker);
    std::fflush(stdout);
}

[[noreturn]] void waitToBeKilled(const char* marker)
{
    say(marker);
    for (;;)
        ::pause();
}

class HelperPrompter : public ScriptedPrompter
{
public:
    bool confirm(QWidget* owner, const QString& caption, const QString& text) override
    {
        ScriptedPrompter::confirm(owner, caption, text);
        if (text.contains(QStringLiteral("电汇凭证")))
            return false; // the voucher offer
        if (g_stop == QLatin1String("confirm"))
            waitToBeKilled("confirmed");
        say("confirmed");
        return true;
    }
    void error(QWidget* owner, const QString& caption, const QString& text) override
    {
        std::fprintf(stderr, "error: %s\n", qUtf8Printable(text));
        ScriptedPrompter::error(owner, caption, text);
    }
    PreviewResult preview(QWidget*, const QString&, const QString&, const std::function<void(QPrinter*)>&) override
    {
        if (g_stop == QLatin1String("commit"))
            waitToBeKilled("committed");
        if (g_number.isEmpty())
            say("previewed");
        else
            say(qPrintable(QStringLiteral("previewed ") + g_number));
        return {true, QStringLiteral("helper")};
    }
};

// SQLite's update hook, reached through the library the Qt driver loaded: it stops the program
// inside the job's transaction, right after the register row was written.
using UpdateHook = void (*)(void*, int, const char*, const char*, long long);
using SetUpdateHook = void* (*)(void*, UpdateHook, void*);

void stopAfterRegisterRow(void*, int, const char*, const char* table, long long)
{
    if (std::strcmp(table, "zp") == 0)
        waitToBeKilled("inserted");
}

bool installInsertStop()
{
    void* lib = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
    auto set = lib ? reinterpret_cast<SetUpdateHook>(dlsym(lib, "sqlite3_update_hook")) : nullptr;
    const QVariant handle = QSqlDatabase::database(D_M->connectionName()).driver()->handle();
    if (!set || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    set(*static_cast<void* const*>(handle.constData()), &stopAfterRegisterRow, nullptr);
    return true;
}

int holdLock(int ms, const QString& mode)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lock"));
    db.setDatabaseName(QStringLiteral("pjzp.pdp"));
    QSqlQuery q(db);
    if (!db.open() || !q.exec(QStringLiteral("begin ") + mode)) {
        std::fprintf(stderr, "cannot lock: %s\n", qUtf8Printable(q.lastError().text()));
        return 1;
    }
    say("locked");
    QThread::msleep(ms);
    q.exec(QStringLiteral("rollback"));
    return 0;
}

// The program with its cheque screen open on the database of the current folder.
ChequePanel* openChequeScreen()
{
    PrepareApplication();
    CreateForms();
    SetToday(QDate(2005, 12, 25));
    Frm_main->show();
    Frm_main->findChild<QAction*>(QStringLiteral("mnuzpbj"))->trigger();
    return Frm_main->Panel_zp;
}

// Types a transfer cheque on the screen and runs "票据打印" and "确 定".
void printOn(ChequePanel* s, const QString& number, const QString& payee)
{
    s->E_ph->setText(number);
    s->CB_skr->setEditText(payee);
    s->Edit_je->setText(QStringLiteral("1234.5"));
    s->Edit_jeExit();
    s->Edit_yt->setText(QStringLiteral("货款"));
    s->RadioButton_zz->setChecked(true);
    s->Button_pjdy->click();
    s->Button_qd->click();
}

int printCheque(const QString& number, const QString& payee)
{
    HelperPrompter prompter;
    ChequePanel* s = openChequeScreen();
    if (g_stop == QLatin1String("insert") && !installInsertStop()) {
        std::fprintf(stderr, "cannot reach sqlite3_update_hook\n");
        return 1;
    }
    printOn(s, number, payee);
    const bool failed = !prompter.ofKind(QStringLiteral("error")).isEmpty();
    DestroyForms();
    say(failed ? "failed" : "done");
    return failed ? 1 : 0;
}

int printCheques(qlonglong first, int count)
{
    HelperPrompter prompter;
    ChequePanel* s = openChequeScreen();
    for (int i = 0; i < count; ++i) {
        g_number = QString::number(first + i);
        printOn(s, g_number, QStringLiteral("丙公司"));
    }
    DestroyForms();
    say("done");
    return 0;
}

int restoreFrom(const QString& backup)
{
    TD_M dm;
    try {
        RestoreDatabase(dm, backup);
    } catch (const AppError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    say("restored");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("lock"))
        return holdLock(args.at(2).toInt(), args.at(3));
    if (args.size() == 5 && args.at(1) == QLatin1String("cheque")) {
        g_stop = args.at(4);
        return printCheque(args.at(2), args.at(3));
    }
    if (args.size() == 4 && args.at(1) == QLatin1String("cheques"))
        return printCheques(args.at(2).toLongLong(), args.at(3).toInt());
    if (args.size() == 3 && args.at(1) == QLatin1String("restore"))
        return restoreFrom(args.at(2));
    std::fprintf(stderr, "usage: hardening_helper lock <ms> <immediate|exclusive> | cheque <number> <payee> "
                         "<confirm|insert|commit|none> | cheques <first> <count> | restore <backup>\n");
    return 2;
}
