// The working panels from the keyboard and the mouse: the focus on the first field when a panel
// opens, Enter on the default button, Esc closing the topmost sub-panel or panel, a panel that
// opens coming to the top, a panel dragged past any edge staying in reach, and every button of
// the cheque screen reachable in a window on a 1024 x 768 screen.
#include "app/MainWindow.h"
#include "cheque/ChequePanel.h"
#include "common/WorkingPanel.h"
#include "printsetup/CalibrationPanel.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/LayoutDesigner.h"
#include "register/SearchPanel.h"
#include "settings/OrgPanel.h"
#include "settings/PasswordPanel.h"
#include "tests/cheque/ChequeFixture.h"
#include "voucher/VoucherPanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace Zt_typro;

namespace
{

WorkingPanel* panel(const QString& name)
{
    return Frm_main->findChild<WorkingPanel*>(name);
}

QAction* menuItem(const QString& name)
{
    return Frm_main->findChild<QAction*>(name);
}

// The working panel a widget belongs to.
WorkingPanel* owningPanel(QWidget* w)
{
    while (w && !qobject_cast<WorkingPanel*>(w))
        w = w->parentWidget();
    return static_cast<WorkingPanel*>(w);
}

// Presses the left button on a panel's title strip, moves the pointer by offset and releases.
void dragTitle(WorkingPanel* p, const QPoint& offset)
{
    QWidget* strip = p->titleStrip();
    const QPointF local(strip->width() / 2.0, 7);
    const QPointF global = strip->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(strip, &press);
    const QPointF to = global + offset;
    QMouseEvent move(QEvent::MouseMove, strip->mapFromGlobal(to), to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(strip, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, strip->mapFromGlobal(to), to, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(strip, &release);
}

} // namespace

class TestPanelKeys : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetToday(QDate()); }

    // Each panel opened from its menu item: the focus on its first field, Enter on that field
    // presses the default button, and Esc there closes the panel as its close button does.
    void openEnterEsc_actAsThePanelsButtons_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("panelName");
        QTest::addColumn<QString>("firstField");
        QTest::addColumn<QString>("enterOn"); // empty: the focused field
        QTest::addColumn<QString>("defaultButton");
        // Enter in the organisation's first two fields moves to the next one; in its last it runs
        // 确 定.
        QTest::newRow("organisation") << "mnuzh"
                                      << "Panel_dwset"
                                      << "Edit_dwqc"
                                      << "Edit_khh"
                                      << "Button_dwset_qd";
        QTest::newRow("password") << "pass_set"
                                  << "Panel_pass"
                                  << "Edit_old_pass"
                                  << ""
                                  << "Button_pass_qd";
        QTest::newRow("calibration") << "dyj_jz"
                                     << "Panel_dyjjz"
                                     << ""
                                     << "Edit_pyx"
                                     << "Button_dyjjz_qd";
        QTest::newRow("search") << "zpcx"
                                << "Panel_zpcx"
                                << "DateTimePicker_ks"
                                << ""
                                << "Button_zpcx";
        QTest::newRow("cheque") << "mnuzpbj"
                                << "Panel_zp"
                                << "E_ph"
                                << ""
                                << "";
        QTest::newRow("voucher") << "mnupzbj"
                                 << "P_pz"
                                 << ""
                                 << ""
                                 << "";
    }

    void openEnterEsc_actAsThePanelsButtons()
    {
        QFETCH(QString, item);
        QFETCH(QString, panelName);
        QFETCH(QString, firstField);
        QFETCH(QString, enterOn);
        QFETCH(QString, defaultButton);
        ChequeFixture f;
        WorkingPanel* p = panel(panelName);
        QVERIFY(p);
        menuItem(item)->trigger();
        QVERIFY(p->isVisible());

        QWidget* focused = Frm_main->focusWidget();
        QVERIFY2(focused && p->isAncestorOf(focused), qPrintable(panelName));
        QCOMPARE(owningPanel(focused), p);
        if (!firstField.isEmpty())
            QCOMPARE(focused->objectName(), firstField);

        if (!defaultButton.isEmpty()) {
            auto* button = p->findChild<QAbstractButton*>(defaultButton);
            QVERIFY(button);
            QCOMPARE(p->defaultButton(), button);
            QSignalSpy pressed(button, &QAbstractButton::clicked);
            QWidget* field = enterOn.isEmpty() ? focused : p->findChild<QWidget*>(enterOn);
            QVERIFY(field);
            QTest::keyClick(field, Qt::Key_Return);
            QCOMPARE(pressed.size(), 1);
            // What the button asked (a message about empty fields, a search) was answered.
            menuItem(item)->trigger();
            focused = Frm_main->focusWidget();
        }

        QSignalSpy closed(p, &WorkingPanel::closed);
        QTest::keyClick(focused, Qt::Key_Escape);
        QVERIFY(p->isHidden());
        QCOMPARE(closed.size(), 1);
    }

    void enterOnTheTypeChoice_printsAndEscClosesTheTopmostFirst()
    {
        ChequeFixture f;
        ChequePanel* s = f.screen;
        f.fill(QStringLiteral("30001"), QStringLiteral("甲公司"), QStringLiteral("12"), QStringLiteral("货款"));

        // Esc closes the stub, the topmost sub-panel, before the cheque screen.
        s->Button_setcg->click();
        QVERIFY(s->Panel_cg->isVisible());
        QTest::keyClick(s->Edit_yt, Qt::Key_Escape);
        QVERIFY(s->Panel_cg->isHidden());
        QVERIFY(s->isVisible());

        // The type choice takes the focus; Enter on a radio button prints the chosen form.
        s->Button_pjdy->click();
        QVERIFY(s->Panel_zplx->isVisible());
        QWidget* focused = Frm_main->focusWidget();
        QVERIFY(focused && s->Panel_zplx->isAncestorOf(focused));
        f.prompter.confirmAnswers.enqueue(true);
        QTest::keyClick(focused, Qt::Key_Return);
        QVERIFY(s->Panel_zplx->isHidden());
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp where ph = '30001'")), 1);

        // With the focus on 取 消, Enter cancels rather than prints.
        f.fill(QStringLiteral("30002"), QStringLiteral("甲公司"), QStringLiteral("12"), QStringLiteral("货款"));
        s->Button_pjdy->click();
        s->Button_qx->setFocus();
        QTest::keyClick(s->Button_qx, Qt::Key_Return);
        QVERIFY(s->Panel_zplx->isHidden());
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp where ph = '30002'")), 0);

        // Esc with the focus on the main window closes the topmost open panel.
        menuItem(QStringLiteral("pass_set"))->trigger();
        Frm_main->setFocus();
        QTest::keyClick(Frm_main, Qt::Key_Escape);
        QVERIFY(panel(QStringLiteral("Panel_pass"))->isHidden());
        QVERIFY(s->isVisible());
    }

    // A panel holding a typed cheque or voucher not yet printed asks before Esc or its close box
    // throws it away: No (the default) goes back with everything kept, Yes closes it emptied. An
    // empty panel closes at once.
    void closingTypedWork_asksFirst_data()
    {
        QTest::addColumn<QString>("panelName");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<bool>("byCloseBox");
        QTest::addColumn<bool>("answer");
        QTest::newRow("cheque, empty, Esc") << "Panel_zp" << false << false << false;
        QTest::newRow("cheque, typed, Esc, No") << "Panel_zp" << true << false << false;
        QTest::newRow("cheque, typed, Esc, Yes") << "Panel_zp" << true << false << true;
        QTest::newRow("cheque, typed, close box, No") << "Panel_zp" << true << true << false;
        QTest::newRow("voucher, empty, close box") << "P_pz" << false << true << false;
        QTest::newRow("voucher, typed, Esc, No") << "P_pz" << true << false << false;
        QTest::newRow("voucher, typed, close box, Yes") << "P_pz" << true << true << true;
    }

    void closingTypedWork_asksFirst()
    {
        QFETCH(QString, panelName);
        QFETCH(bool, typed);
        QFETCH(bool, byCloseBox);
        QFETCH(bool, answer);
        ChequeFixture f;
        const bool cheque = panelName == QLatin1String("Panel_zp");
        VoucherPanel* voucher = Frm_main->P_pz;
        if (!cheque)
            menuItem(QStringLiteral("mnupzbj"))->trigger();
        WorkingPanel* p = panel(panelName);
        QVERIFY(p->isVisible());
        QWidget* field = cheque ? static_cast<QWidget*>(f.screen->E_ph) : voucher->E_skrzh;
        if (typed && cheque) {
            f.fill(QStringLiteral("30001"), QStringLiteral("甲公司"), QStringLiteral("12"), QStringLiteral("货款"));
        } else if (typed) {
            voucher->Edit_jine->setFocus();
            QTest::keyClicks(voucher->Edit_jine, QStringLiteral("88"));
            voucher->E_skrzh->setFocus(); // leaving the amount fills capitals and boxes
            voucher->ComboBox_skrmc->setEditText(QStringLiteral("乙公司"));
            QCOMPARE(voucher->P_daxie->text(), QStringLiteral("捌拾捌元整"));
        }
        field->setFocus();

        f.prompter.confirmAnswers.enqueue(answer);
        if (byCloseBox)
            p->closeButton()->click();
        else
            QTest::keyClick(field, Qt::Key_Escape);

        const auto asked = f.prompter.ofKind(QStringLiteral("confirm"));
        QCOMPARE(asked.size(), typed ? 1 : 0);
        if (typed) {
            QVERIFY(asked.first().defaultNo);
            QVERIFY2(asked.first().text.contains(QStringLiteral("还没有打印")), qPrintable(asked.first().text));
        }
        QCOMPARE(p->isHidden(), !typed || answer);
        if (typed && !answer) {
            if (cheque) {
                QCOMPARE(f.screen->E_ph->text(), QStringLiteral("30001"));
                QCOMPARE(f.screen->Edit_je->text(), QStringLiteral("12.00"));
                QCOMPARE(f.screen->Panel_daxie->text(), QStringLiteral("壹拾贰元整"));
            } else {
                QCOMPARE(voucher->Edit_jine->text(), QStringLiteral("88.00"));
                QCOMPARE(voucher->ComboBox_skrmc->currentText(), QStringLiteral("乙公司"));
            }
        }
        if (typed && answer) {
            // Opened again, nothing of the work thrown away is left.
            menuItem(cheque ? QStringLiteral("mnuzpbj") : QStringLiteral("mnupzbj"))->trigger();
            if (cheque) {
                for (const QString& text :
                     {f.screen->E_ph->text(), f.screen->CB_skr->currentText(), f.screen->Edit_je->text(),
                      f.screen->Edit_yt->text(), f.screen->Panel_daxie->text(), f.screen->digitBox(3)->text()})
                    QCOMPARE(text, QString());
            } else {
                for (const QString& text : {voucher->Edit_jine->text(), voucher->ComboBox_skrmc->currentText(),
                                            voucher->P_daxie->text(), voucher->digitBox(3)->text()})
                    QCOMPARE(text, QString());
            }
        }
    }

    // The real question: its default button is 否, so Enter keeps the panel and what it holds.
    void closingTypedWork_enterOnTheRealQuestionGoesBack()
    {
        ChequeFixture f;
        f.fill(QStringLiteral("30001"), QStringLiteral("甲公司"), QStringLiteral("12"), QStringLiteral("货款"));
        setPrompter(nullptr);
        QString defaultButton;
        QTimer::singleShot(0, Frm_main, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(f.screen->Edit_yt, Qt::Key_Escape);
        setPrompter(&f.prompter);
        QCOMPARE(defaultButton, QStringLiteral("否"));
        QVERIFY(f.screen->isVisible());
        QCOMPARE(f.screen->E_ph->text(), QStringLiteral("30001"));
    }

    // A panel chosen again from its menu empties the amount, and with it the capitals and digit
    // boxes: they never show an amount the field no longer holds.
    void chosenAgain_noCapitalsBesideAnEmptyAmount()
    {
        ChequeFixture f;
        f.fill(QStringLiteral("30001"), QStringLiteral("甲公司"), QStringLiteral("12"), QStringLiteral("货款"));
        QCOMPARE(f.screen->Panel_daxie->text(), QStringLiteral("壹拾贰元整"));
        menuItem(QStringLiteral("mnuzpbj"))->trigger();
        QCOMPARE(f.screen->Edit_je->text(), QString());
        QCOMPARE(f.screen->Panel_daxie->text(), QString());
        QCOMPARE(f.screen->digitBox(2)->text(), QString());
        QCOMPARE(f.screen->PE_jine->text(), QString());

        VoucherPanel* voucher = Frm_main->P_pz;
        menuItem(QStringLiteral("mnupzbj"))->trigger();
        voucher->Edit_jine->setFocus();
        QTest::keyClicks(voucher->Edit_jine, QStringLiteral("88"));
        voucher->E_skrzh->setFocus();
        QCOMPARE(voucher->P_daxie->text(), QStringLiteral("捌拾捌元整"));
        menuItem(QStringLiteral("mnupzbj"))->trigger();
        QCOMPARE(voucher->Edit_jine->text(), QString());
        QCOMPARE(voucher->P_daxie->text(), QString());
        QCOMPARE(voucher->digitBox(2)->text(), QString());
        // An amount typed on the cheque screen reaches the voucher without stale capitals.
        voucher->Edit_jine->setFocus();
        QTest::keyClicks(voucher->Edit_jine, QStringLiteral("5"));
        voucher->E_skrzh->setFocus();
        f.screen->Edit_je->setFocus();
        QTest::keyClicks(f.screen->Edit_je, QStringLiteral("7"));
        QTest::keyClick(f.screen->Edit_je, Qt::Key_Return);
        QCOMPARE(voucher->Edit_jine->text(), QStringLiteral("7.00"));
        QCOMPARE(voucher->P_daxie->text(), QString());
    }

    // Enter in the purpose, the last field, goes on to 票据打印 as in the fields before it.
    void enterInThePurpose_goesOnToPrinting()
    {
        ChequeFixture f;
        f.fill(QStringLiteral("30001"), QStringLiteral("甲公司"), QStringLiteral("12"), QStringLiteral("货款"));
        f.screen->Edit_yt->setFocus();
        QTest::keyClick(f.screen->Edit_yt, Qt::Key_Return);
        QVERIFY(f.screen->Panel_zplx->isVisible());
        QVERIFY(f.prompter.questions.isEmpty());
        QVERIFY(f.screen->Panel_zplx->isAncestorOf(Frm_main->focusWidget()));
    }

    void search_putsTheCursorInTheChosenWaysField()
    {
        ChequeFixture f;
        auto* search = static_cast<SearchPanel*>(panel(QStringLiteral("Panel_zpcx")));
        // Opened on today's cheques: the start date has the cursor, though the list came up too.
        menuItem(QStringLiteral("zpcx"))->trigger();
        QVERIFY(panel(QStringLiteral("Panel_zpcxjg"))->isVisible());
        QCOMPARE(Frm_main->focusWidget(), search->DateTimePicker_ks);
        search->PageControl_cxfs->setCurrentIndex(2);
        QCOMPARE(Frm_main->focusWidget(), search->ComboBox_skr);
        search->PageControl_cxfs->setCurrentIndex(0);
        QCOMPARE(Frm_main->focusWidget(), search->Edit_ph);
        // Opened again, on the date tab whatever tab it was left on.
        search->closeButton()->click();
        menuItem(QStringLiteral("zpcx"))->trigger();
        QCOMPARE(search->PageControl_cxfs->currentIndex(), 1);
        QCOMPARE(Frm_main->focusWidget(), search->DateTimePicker_ks);
    }

    void designerChosenAgain_keepsItsUnsavedMoves_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("designer");
        QTest::newRow("cheque") << "zz_prn_set"
                                << "P_zzzp_set";
        QTest::newRow("voucher") << "jzd_prn_set"
                                 << "Panel_pz_set";
    }

    void designerChosenAgain_keepsItsUnsavedMoves()
    {
        QFETCH(QString, item);
        QFETCH(QString, designer);
        ChequeFixture f;
        menuItem(item)->trigger();
        auto* d = static_cast<LayoutDesigner*>(panel(designer));
        QVERIFY(d->isVisible() && !d->hasUnsavedMoves());
        DesignerFieldPanel* field = d->findChildren<DesignerFieldPanel*>().value(2);
        QVERIFY(field);
        const QPoint moved = field->layoutPos() + QPoint(12, 7);
        field->setLayoutPos(moved);
        QVERIFY(d->hasUnsavedMoves());
        menuItem(QStringLiteral("mnuzpbj"))->trigger(); // another panel above it
        menuItem(item)->trigger();
        QCOMPARE(field->layoutPos(), moved);
        QCOMPARE(owningPanel(Frm_main->clientArea()->childAt(d->geometry().center())), d);
        QCOMPARE(f.prompter.questions.size(), 0);
    }

    void aPanelThatOpens_comesToTheTop()
    {
        ChequeFixture f;
        menuItem(QStringLiteral("mnupzbj"))->trigger();
        menuItem(QStringLiteral("zz_prn_set"))->trigger();
        WorkingPanel* designer = panel(QStringLiteral("P_zzzp_set"));
        WorkingPanel* voucher = panel(QStringLiteral("P_pz"));
        QVERIFY(designer->isVisible() && voucher->isVisible());
        const QRect overlap = designer->geometry() & voucher->geometry();
        QVERIFY(!overlap.isEmpty());
        QCOMPARE(owningPanel(Frm_main->clientArea()->childAt(overlap.center())), designer);
        // Opened again, the voucher comes back above the designer.
        menuItem(QStringLiteral("mnupzbj"))->trigger();
        QCOMPARE(owningPanel(Frm_main->clientArea()->childAt(overlap.center())), voucher);
    }

    void aPanelDraggedPastAnEdge_staysInReach_data()
    {
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("left") << QPoint(-3000, 0);
        QTest::newRow("right") << QPoint(3000, 0);
        QTest::newRow("top") << QPoint(0, -3000);
        QTest::newRow("bottom") << QPoint(0, 3000);
        QTest::newRow("corner") << QPoint(2000, 2000);
    }

    void aPanelDraggedPastAnEdge_staysInReach()
    {
        QFETCH(QPoint, offset);
        ChequeFixture f;
        ChequePanel* s = f.screen;
        dragTitle(s, offset);
        QVERIFY2(Frm_main->clientArea()->rect().contains(s->geometry()),
                 qPrintable(QVariant(s->geometry()).toString()));
        // It moved as far as the edge, not back to where it was.
        if (offset.x() < 0)
            QCOMPARE(s->x(), 0);
        if (offset.x() > 0)
            QCOMPARE(s->geometry().right(), Frm_main->clientArea()->width() - 1);
        if (offset.y() < 0)
            QCOMPARE(s->y(), 0);
        if (offset.y() > 0)
            QCOMPARE(s->geometry().bottom(), Frm_main->clientArea()->height() - 1);

        // The type choice dragged out of the cheque screen keeps 确 定 inside it: a cheque can
        // still be printed.
        f.fill(QStringLiteral("40001"), QStringLiteral("乙公司"), QStringLiteral("5"), QStringLiteral("货款"));
        s->Button_pjdy->click();
        dragTitle(s->Panel_zplx, offset);
        QVERIFY(s->rect().contains(s->Panel_zplx->geometry()));
        QVERIFY(s->rect().contains(s->Button_qd->geometry().translated(s->Panel_zplx->pos())));
        f.prompter.confirmAnswers.enqueue(true);
        QTest::mouseClick(s->Button_qd, Qt::LeftButton);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp where ph = '40001'")), 1);
    }

    void onASmallScreen_everyButtonOfTheChequeScreenIsReachable_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<bool>("scrolls");
        // Screens with a task bar at the bottom.
        QTest::newRow("1024x768") << QRect(0, 0, 1024, 768 - 40) << false;
        QTest::newRow("800x600") << QRect(0, 0, 800, 600 - 40) << true;
        QTest::newRow("second screen") << QRect(1920, 0, 1024, 768) << false;
    }

    void onASmallScreen_everyButtonOfTheChequeScreenIsReachable()
    {
        QFETCH(QRect, available);
        QFETCH(bool, scrolls);
        ChequeFixture f;
        Frm_main->fitInto(available);
        QCoreApplication::processEvents();
        QVERIFY2(available.contains(Frm_main->geometry()), qPrintable(QVariant(Frm_main->geometry()).toString()));
        QScrollArea* view = Frm_main->clientView();
        QCOMPARE(view->viewport()->height() < Frm_main->clientArea()->height(), scrolls);

        ChequePanel* s = f.screen;
        s->Button_setcg->click();
        f.fill(QStringLiteral("50001"), QStringLiteral("丙公司"), QStringLiteral("8"), QStringLiteral("货款"));
        s->Button_pjdy->click();
        const QList<QAbstractButton*> buttons = s->findChildren<QAbstractButton*>();
        QVERIFY(buttons.size() >= 8);
        for (QAbstractButton* button : buttons) {
            if (!button->isVisibleTo(Frm_main))
                continue;
            view->ensureWidgetVisible(button, 0, 0);
            const QRect inView(button->mapTo(view->viewport(), QPoint(0, 0)), button->size());
            QVERIFY2(view->viewport()->rect().contains(inView),
                     qPrintable(button->objectName() + QLatin1Char(' ') + QVariant(inView).toString()));
        }
        // Back to the top-left, the print button is brought into view when the choice opens.
        view->verticalScrollBar()->setValue(0);
        view->horizontalScrollBar()->setValue(0);
        s->Panel_zplx->hide();
        s->Button_pjdy->click();
        const QRect choice(s->Panel_zplx->mapTo(view->viewport(), QPoint(0, 0)), s->Panel_zplx->size());
        QVERIFY(view->viewport()->rect().contains(choice));
        Frm_main->fitInto(QRect(0, 0, 1920, 1080));
    }
};

QTEST_MAIN(TestPanelKeys)
#include "tst_panelkeys.moc"
