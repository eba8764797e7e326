// One clerk of the shared-register tests, in a process of its own: signs in to the shared
// register as an operator and prints cheques through the real cheque screen and job, answering
// every question yes and printing from every preview. Arguments: connection, operator, password,
// clerk number, cheques. Says "ready" and starts on a line "go" on its input. Prints "stored N refused M" and each
// refusal's message.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "cheque/ChequePanel.h"
#include "cheque/PrintCheque.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "store/DataModule.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTextStream>

using namespace Zt_typro;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6)
        return 2;
    const int clerk = args.at(4).toInt();
    const int cheques = args.at(5).toInt();
    ScriptedPrompter prompter;
    FormsFixture forms;
    SetToday(QDate(2026, 12, 11));
    D_M->useSharedServer(args.at(1), args.at(2), args.at(3));
    Frm_main->mnuzpbjClick();
    ChequePanel& screen = *Frm_main->Panel_zp;
    // Every clerk starts with the same new payee, at the same moment; then a few shared ones.
    const QStringList payees = {QStringLiteral("同时新增的收款人"), QStringLiteral("华东机械有限公司"),
                                QStringLiteral("江南纺织厂"), QStringLiteral("北方钢铁公司"),
                                QStringLiteral("clerk %1 的收款人").arg(clerk)};
    // Ready: all clerks start printing together when told to go.
    QTextStream out(stdout);
    out << "ready" << Qt::endl;
    QTextStream in(stdin);
    if (in.readLine() != QLatin1String("go"))
        return 3;
    int stored = 0;
    QStringList refusals;
    for (int i = 0; i < cheques; ++i) {
        screen.E_ph->setText(QStringLiteral("%1%2").arg(clerk).arg(i, 7, 10, QLatin1Char('0')));
        screen.CB_skr->setEditText(payees.at(i % payees.size()));
        screen.Edit_je->setText(QStringLiteral("%1.%2").arg(100 + i).arg(clerk * 10 % 100, 2, 10, QLatin1Char('0')));
        screen.Edit_jeExit();
        screen.Edit_yt->setText(QStringLiteral("货款"));
        prompter.confirmAnswers.enqueue(true);
        try {
            PrintCheque(screen, QStringLiteral("zz"));
            ++stored;
        } catch (const AppError& e) {
            refusals << e.message();
        }
        prompter.confirmAnswers.clear();
    }
    out << "stored " << stored << " refused " << refusals.size() << Qt::endl;
    for (const QString& r : refusals)
        out << r << Qt::endl;
    return 0;
}
