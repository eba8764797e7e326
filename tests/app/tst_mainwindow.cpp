// The main window built by the start-up function: menu, working panels, title-strip dragging,
// closing, help and the about box.
#include "app/Forms.h"
#include "app/Help.h"
#include "app/MainWindow.h"
#include "common/Guard.h"
#include "common/WorkingPanel.h"
#include "store/DataModule.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace Zt_typro;

namespace
{
QAction* action(const char* name)
{
    auto* a = Frm_main->findChild<QAction*>(QString::fromLatin1(name));
    if (!a)
        qWarning("no action %s", name);
    return a;
}

void trigger(const char* name)
{
    QAction* a = action(name);
    QVERIFY2(a, name);
    QVERIFY2(a->isEnabled(), name);
    a->trigger();
}

WorkingPanel* panel(const char* name)
{
    return Frm_main->findChild<WorkingPanel*>(QString::fromLatin1(name));
}

QStringList captions(const QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_forms = std::make_unique<FormsFixture>();
        Frm_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(Frm_main));
    }
    void cleanup() { m_forms.reset(); }

    void startUp_createsTheFormsHiddenWithoutTouchingTheDatabase()
    {
        QCOMPARE(Frm_main->objectName(), QStringLiteral("Frm_main"));
        QCOMPARE(AboutBox->objectName(), QStringLiteral("AboutBox"));
        QCOMPARE(D_M->objectName(), QStringLiteral("D_M"));
        QVERIFY(Frm_zz_print && Frm_pz_print && Frm_login);
        QVERIFY(!AboutBox->isVisible());
        QVERIFY(!D_M->isConnected());
        QVERIFY(!QFile::exists(QStringLiteral("pjzp.pdp")));
        QCOMPARE(Frm_main->windowTitle(), QStringLiteral("Quillmate"));
        QCOMPARE(Frm_main->clientArea()->size(), QSize(996, 609));
    }

    void menu_hasEveryCaptionAsGiven()
    {
        // Each caption carries its mnemonic after it.
        const QMenuBar* bar = Frm_main->menuBar();
        QStringList top;
        for (QAction* a : bar->actions())
            top << a->text();
        QCOMPARE(top, (QStringList{"系统设置(&S)", "票据编辑(&E)", "票据查询(&Q)", "帮助 (&H)"}));
        QCOMPARE(captions(Frm_main->mnufile),
                 (QStringList{"单位帐号设置(&U)", "-", "打印设置(&P)", "-", "密码设置(&M)", "数据库设置(&K)", "-",
                              "备份数据(&B)", "恢复数据(&R)", "-", "退出(&X)"}));
        QCOMPARE(captions(Frm_main->print_set),
                 (QStringList{"转帐支票打印设置(&Z)", "现金支票打印设置(&X)", "-", "电汇凭证打印设置(&D)",
                              "进 帐 单打印设置(&J)", "-", "打印机校准(&C)"}));
        QCOMPARE(captions(Frm_main->mnuzp), (QStringList{"支票编辑(&Z)", "-", "凭证编辑(&P)"}));
        QCOMPARE(captions(Frm_main->mnu_pjcx), (QStringList{"票据查询(&C)"}));
        QCOMPARE(captions(Frm_main->mnuhelp), (QStringList{"帮助(&H)", "-", "关于(&A)"}));
        for (const char* name : {"mnuzh", "zz_prn_set", "xx_prn_set", "dhpz_prn_set", "jzd_prn_set", "pass_set",
                                 "mnuquit", "mnuzpbj", "mnupzbj", "zpcx", "help", "mnugy", "dyj_jz", "mnubf", "mnuhf"}) {
            QAction* a = action(name);
            QVERIFY2(a && a->isEnabled(), name);
        }
    }

    void shortcuts_openTheEverydayPanels_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("panel");
        QTest::newRow("F2") << QKeySequence(Qt::Key_F2) << "mnuzpbj"
                            << "Panel_zp";
        QTest::newRow("F3") << QKeySequence(Qt::Key_F3) << "mnupzbj"
                            << "P_pz";
        QTest::newRow("Ctrl+F") << QKeySequence(Qt::CTRL | Qt::Key_F) << "zpcx"
                                << "Panel_zpcx";
    }

    void shortcuts_openTheEverydayPanels()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, item);
        QFETCH(QString, panel);
        ScriptedPrompter prompter;
        QCOMPARE(action(item.toLatin1().constData())->shortcut(), keys);
        Frm_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frm_main));
        WorkingPanel* p = Frm_main->findChild<WorkingPanel*>(panel);
        QVERIFY(p && p->isHidden());
        QTest::keySequence(Frm_main, keys);
        QTRY_VERIFY(p->isVisible());
        QCOMPARE(prompter.questions.size(), 0);
        QCOMPARE(action("help")->shortcut(), QKeySequence(Qt::Key_F1));
    }

    void panels_sitWhereDesignedAndStackInOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("title");
        QTest::newRow("Panel_zp") << "Panel_zp" << "ClientArea" << QRect(232, 80, 641, 355) << "支票正联";
        QTest::newRow("Panel_cg") << "Panel_cg" << "Panel_zp" << QRect(168, 88, 241, 225) << "支票存根";
        QTest::newRow("Panel_zplx") << "Panel_zplx"
                                    << "Panel_zp" << QRect(168, 160, 241, 109) << "";
        QTest::newRow("P_zzzp_set") << "P_zzzp_set" << "ClientArea" << QRect(176, 80, 689, 428) << "支票打印设置";
        QTest::newRow("Panel_pz_set") << "Panel_pz_set" << "ClientArea" << QRect(176, 80, 689, 425)
                                      << "凭证(进帐单)打印设置";
        QTest::newRow("P_pz") << "P_pz"
                              << "ClientArea" << QRect(224, 80, 521, 451) << "凭证编辑";
        QTest::newRow("Panel_pzlx") << "Panel_pzlx"
                                    << "P_pz" << QRect(144, 192, 241, 111) << "";
        QTest::newRow("Panel_dwset") << "Panel_dwset" << "ClientArea" << QRect(224, 80, 417, 225) << "单位帐号设置";
        QTest::newRow("Panel_zpcx") << "Panel_zpcx" << "ClientArea" << QRect(224, 80, 457, 225) << "支票查询";
        QTest::newRow("Panel_zpcxjg") << "Panel_zpcxjg"
                                      << "ClientArea" << QRect(224, 304, 620, 290) << "查询列表";
        QTest::newRow("Panel_pass") << "Panel_pass" << "ClientArea" << QRect(224, 80, 289, 201) << "密码设置";
    }

    void panels_sitWhereDesignedAndStackInOrder()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QFETCH(QString, title);
        WorkingPanel* p = Frm_main->findChild<WorkingPanel*>(name);
        QVERIFY(p);
        QCOMPARE(p->parentWidget()->objectName(), parent);
        QCOMPARE(p->geometry(), geometry);
        QVERIFY(p->isHidden());
        QCOMPARE(p->titleLabel() ? p->titleLabel()->text() : QString(), title);
        QCOMPARE(p->closeButton()->size(), QSize(17, 17));
        QCOMPARE(p->titleStrip()->height(), 15);
    }

    void panels_laterInTheTableLieAbove()
    {
        QStringList order;
        for (QObject* child : Frm_main->clientArea()->children())
            if (auto* p = qobject_cast<WorkingPanel*>(child))
                order << p->objectName();
        QCOMPARE(order, (QStringList{"Panel_zp", "P_zzzp_set", "Panel_pz_set", "P_pz", "Panel_dwset", "Panel_zpcx",
                                     "Panel_zpcxjg", "Panel_pass", "Panel_sjk", "Panel_dyjjz"}));
        // Open them all: where two overlap, the later one is the one under the pointer.
        trigger("mnuzpbj");
        trigger("pass_set");
        QCOMPARE(Frm_main->clientArea()->childAt(300, 150)->window(), Frm_main);
        QWidget* hit = Frm_main->clientArea()->childAt(300, 150);
        while (hit && !qobject_cast<WorkingPanel*>(hit))
            hit = hit->parentWidget();
        QVERIFY(hit);
        QCOMPARE(hit->objectName(), QStringLiteral("Panel_pass"));
    }

    void menuCommands_openTheirPanelWithoutHidingOthers()
    {
        const QList<QPair<const char*, const char*>> pairs = {
            {"mnuzpbj", "Panel_zp"},      {"mnuzh", "Panel_dwset"},       {"mnupzbj", "P_pz"},
            {"zpcx", "Panel_zpcx"},       {"pass_set", "Panel_pass"},     {"zz_prn_set", "P_zzzp_set"},
            {"dhpz_prn_set", "Panel_pz_set"}, {"dyj_jz", "Panel_dyjjz"},
        };
        for (const auto& [item, name] : pairs) {
            trigger(item);
            QVERIFY2(panel(name)->isVisible(), name);
        }
        for (const auto& pair : pairs)
            QVERIFY2(panel(pair.second)->isVisible(), pair.second);
        // Closing the organisation panel leaves the cheque panel as it was.
        const QRect chequeBefore = panel("Panel_zp")->geometry();
        QTest::mouseClick(panel("Panel_dwset")->closeButton(), Qt::LeftButton);
        QVERIFY(!panel("Panel_dwset")->isVisible());
        QVERIFY(panel("Panel_zp")->isVisible());
        QCOMPARE(panel("Panel_zp")->geometry(), chequeBefore);
    }

    void titleStrip_leftButtonDragsAndThePlaceIsKept()
    {
        trigger("mnuzh");
        WorkingPanel* p = panel("Panel_dwset");
        const QPoint start = p->pos();
        const QPoint grab(60, 7);
        const QPoint pointerTarget = p->titleStrip()->mapToGlobal(grab + QPoint(-37, 54));
        QTest::mousePress(p->titleStrip(), Qt::LeftButton, {}, grab);
        QTest::mouseMove(p->titleStrip(), grab + QPoint(-37, 54));
        QTest::mouseRelease(p->titleStrip(), Qt::LeftButton, {}, grab);
        QCOMPARE(p->pos(), start + QPoint(-37, 54));
        // The grabbed spot stays under the pointer.
        QCOMPARE(p->titleStrip()->mapToGlobal(grab), pointerTarget);
        // A move after the release drags nothing.
        QTest::mouseMove(p->titleStrip(), grab + QPoint(10, 10));
        QCOMPARE(p->pos(), start + QPoint(-37, 54));

        QTest::mouseClick(p->closeButton(), Qt::LeftButton);
        trigger("mnuzh");
        QCOMPARE(p->pos(), start + QPoint(-37, 54));
    }

    void titleStrip_otherButtonsDoNothing_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }

    void titleStrip_otherButtonsDoNothing()
    {
        QFETCH(Qt::MouseButton, button);
        trigger("mnuzpbj");
        WorkingPanel* p = panel("Panel_zp");
        const QPoint start = p->pos();
        QTest::mousePress(p->titleStrip(), button, {}, QPoint(80, 7));
        QTest::mouseMove(p->titleStrip(), QPoint(140, 60));
        QTest::mouseRelease(p->titleStrip(), button, {}, QPoint(140, 60));
        QCOMPARE(p->pos(), start);
        QVERIFY(p->isVisible());
    }

    void designerCommands_disableTheirPartnerUntilClosed()
    {
        trigger("zz_prn_set");
        QVERIFY(!action("xx_prn_set")->isEnabled());
        QVERIFY(action("zz_prn_set")->isEnabled());
        QCOMPARE(panel("P_zzzp_set")->titleLabel()->text(), QStringLiteral("转帐支票打印设置"));
        QCOMPARE(Frm_main->chequeFormCode, QStringLiteral("zz"));
        trigger("zz_prn_set"); // again: reloads for "zz"
        QCOMPARE(Frm_main->chequeFormCode, QStringLiteral("zz"));

        trigger("jzd_prn_set");
        QVERIFY(!action("dhpz_prn_set")->isEnabled());
        QCOMPARE(panel("Panel_pz_set")->titleLabel()->text(), QStringLiteral("进 帐 单打印设置"));
        QCOMPARE(Frm_main->voucherFormCode, QStringLiteral("jzd"));

        QTest::mouseClick(panel("P_zzzp_set")->closeButton(), Qt::LeftButton);
        QVERIFY(action("xx_prn_set")->isEnabled() && action("zz_prn_set")->isEnabled());
        QVERIFY(!action("dhpz_prn_set")->isEnabled());
        QTest::mouseClick(panel("Panel_pz_set")->closeButton(), Qt::LeftButton);
        QVERIFY(action("dhpz_prn_set")->isEnabled() && action("jzd_prn_set")->isEnabled());

        trigger("xx_prn_set");
        QVERIFY(!action("zz_prn_set")->isEnabled());
        QCOMPARE(panel("P_zzzp_set")->titleLabel()->text(), QStringLiteral("现金支票打印设置"));
        QCOMPARE(Frm_main->chequeFormCode, QStringLiteral("xj"));
    }

    void searchPanelClose_alsoHidesTheResultList()
    {
        trigger("zpcx");
        panel("Panel_zpcxjg")->show();
        QTest::mouseClick(panel("Panel_zpcx")->closeButton(), Qt::LeftButton);
        QVERIFY(!panel("Panel_zpcx")->isVisible());
        QVERIFY(!panel("Panel_zpcxjg")->isVisible());
    }

    void closingTheWindow_closesTheRegisterResultFirst()
    {
        D_M->ADOQ_zpcx->setStatement(Stmt::Z2, {QStringLiteral("1")});
        D_M->ADOQ_zpcx->open();
        QVERIFY(D_M->ADOQ_zpcx->isOpen());
        Frm_main->close();
        QVERIFY(!D_M->ADOQ_zpcx->isOpen());
    }

    void quitCommand_endsWithoutClosingAnything()
    {
        D_M->ADOQ_zpcx->setStatement(Stmt::Z2, {QStringLiteral("1")});
        D_M->ADOQ_zpcx->open();
        int code = -1;
        QTimer::singleShot(0, Frm_main, [] { trigger("mnuquit"); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); }); // a safety net only
        code = QCoreApplication::exec();
        QCOMPARE(code, 0);
        QVERIFY(D_M->ADOQ_zpcx->isOpen());
    }

    void help_missingDocumentIsReportedAndTheWindowStaysUsable()
    {
        ScriptedPrompter prompter;
        SetHelpFilePath(QDir::current().filePath(QStringLiteral("no-such-help.html")));
        trigger("help");
        SetHelpFilePath(QString());
        QCOMPARE(prompter.questions.size(), 1);
        QCOMPARE(prompter.last().caption, QStringLiteral("Quillmate"));
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("找不到帮助文件")));
        trigger("mnuzpbj");
        QVERIFY(panel("Panel_zp")->isVisible());
    }

    void help_showsTheContentsOfTheDocument()
    {
        const QString source = qEnvironmentVariable("QUILLMATE_SOURCE_DIR") + QStringLiteral("/docs/help/index.html");
        QVERIFY2(QFile::exists(source), qPrintable(source));
        SetHelpFilePath(source);
        trigger("help");
        SetHelpFilePath(QString());
        auto* window = Frm_main->findChild<QDialog*>(QStringLiteral("HelpWindow"));
        QVERIFY(window);
        QTRY_VERIFY(window->isVisible());
        auto* browser = window->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("校准票据的打印位置")));
        window->close();
    }

    void about_showsTheVersionAndClosesWithOk()
    {
        bool seen = false;
        QTimer::singleShot(0, AboutBox, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            seen = modal == AboutBox;
            auto* version = AboutBox->findChild<QLabel*>(QStringLiteral("Version"));
            seen = seen && version && version->text() == QStringLiteral("版本:1.0     ");
            seen = seen && AboutBox->OKButton->text() == QStringLiteral("确 定") && AboutBox->OKButton->isDefault();
            QTest::keyClick(AboutBox, Qt::Key_Return);
        });
        trigger("mnugy");
        QVERIFY(seen);
        QVERIFY(!AboutBox->isVisible());
        QCOMPARE(AboutBox->windowTitle(), QStringLiteral("关于"));
    }

    void errorInAHandler_isShownAndTheProgramGoesOn()
    {
        ScriptedPrompter prompter;
        bool after = false;
        guarded([&] {
            throw AppError(QStringLiteral("出错了"));
            after = true; // never reached
        });
        guarded([] { throw std::runtime_error("plain failure"); });
        QVERIFY(!after);
        QCOMPARE(prompter.questions.size(), 2);
        QCOMPARE(prompter.questions.at(0).kind, QStringLiteral("error"));
        QCOMPARE(prompter.questions.at(0).caption, QStringLiteral("Quillmate"));
        QCOMPARE(prompter.questions.at(0).text, QStringLiteral("出错了"));
        QCOMPARE(prompter.questions.at(1).text, QStringLiteral("plain failure"));
    }

private:
    std::unique_ptr<FormsFixture> m_forms;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
