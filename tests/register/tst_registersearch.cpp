// The register search on a register filled through the real cheque print job: each search mode,
// the result grid, closing, tab changes, reopening and docking.
#include "store/ChequeHistory.h"
#include "store/ChequeStore.h"
#include "store/DataModule.h"
#include "tests/register/RegisterFixture.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QStyleOptionViewItem>

using namespace Zt_typro;

namespace
{
const QDate kDay23(2005, 12, 23);
const QDate kDay24(2005, 12, 24);
const QDate kDay25(2005, 12, 25);
const QDate kDay26(2005, 12, 26);
const QDate kDay27(2005, 12, 27);

// Six cheques, printed in this order. 甲公司 is paid twice, so it is the most used payee; the
// number 10000002 is printed twice; 丁商行 was typed with two trailing blanks.
void printRegister(RegisterFixture& f)
{
    f.print(kDay23, QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("100"), QStringLiteral("货款"));
    f.print(kDay24, QStringLiteral("10000002"), QStringLiteral("乙公司"), QStringLiteral("200.5"),
            QStringLiteral("运费"), QStringLiteral("xj"));
    f.print(kDay24, QStringLiteral("10000003"), QStringLiteral("甲公司"), QStringLiteral("300"), QStringLiteral("货款"));
    f.print(kDay25, QStringLiteral("A'01"), QStringLiteral("O'Brien 商行"), QStringLiteral("400"),
            QStringLiteral("材料"));
    f.print(kDay26, QStringLiteral("10000005"), QStringLiteral("丁商行  "), QStringLiteral("500"), QStringLiteral("杂费"));
    f.print(kDay27, QStringLiteral("10000002"), QStringLiteral("丙公司"), QStringLiteral("600"), QStringLiteral("退款"));
}

int registerRows(const RegisterFixture& f)
{
    return f.cheque.count(QStringLiteral("select count(*) from zp"));
}

void moveMouseOver(QWidget* widget)
{
    const QPointF local(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}
} // namespace

class TestRegisterSearch : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        SetToday(QDate());
        QLocale::setDefault(QLocale::c());
    }

    void search_findsTheRowsOfItsMode_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("end");
        QTest::addColumn<QStringList>("numbers");

        const QVariant none;
        QTest::newRow("number") << 0 << QVariant(QStringLiteral("10000003")) << none
                                << QStringList{QStringLiteral("10000003")};
        QTest::newRow("number printed twice, in register order")
            << 0 << QVariant(QStringLiteral("10000002")) << none
            << QStringList{QStringLiteral("10000002"), QStringLiteral("10000002")};
        QTest::newRow("number with blanks around it") << 0 << QVariant(QStringLiteral("  10000001 \t")) << none
                                                      << QStringList{QStringLiteral("10000001")};
        QTest::newRow("number with ideographic blanks") << 0 << QVariant(QStringLiteral("　10000005　")) << none
                                                        << QStringList{QStringLiteral("10000005")};
        QTest::newRow("number with a quote") << 0 << QVariant(QStringLiteral("A'01")) << none
                                             << QStringList{QStringLiteral("A'01")};
        QTest::newRow("part of a number") << 0 << QVariant(QStringLiteral("1000000")) << none << QStringList{};
        QTest::newRow("number that is not there") << 0 << QVariant(QStringLiteral("99")) << none << QStringList{};

        QTest::newRow("one day") << 1 << QVariant(kDay24) << QVariant(kDay24)
                                 << QStringList{QStringLiteral("10000002"), QStringLiteral("10000003")};
        QTest::newRow("range includes both end days")
            << 1 << QVariant(kDay24) << QVariant(kDay26)
            << QStringList{QStringLiteral("10000002"), QStringLiteral("10000003"), QStringLiteral("A'01"),
                           QStringLiteral("10000005")};
        QTest::newRow("whole register") << 1 << QVariant(QDate(2005, 1, 1)) << QVariant(QDate(2006, 12, 31))
                                        << QStringList{QStringLiteral("10000001"), QStringLiteral("10000002"),
                                                       QStringLiteral("10000003"), QStringLiteral("A'01"),
                                                       QStringLiteral("10000005"), QStringLiteral("10000002")};
        QTest::newRow("start after end finds nothing") << 1 << QVariant(kDay26) << QVariant(kDay24) << QStringList{};
        QTest::newRow("days before the register") << 1 << QVariant(QDate(2004, 12, 23)) << QVariant(QDate(2005, 12, 22))
                                                  << QStringList{};

        QTest::newRow("payee") << 2 << QVariant(QStringLiteral("甲公司")) << none
                               << QStringList{QStringLiteral("10000001"), QStringLiteral("10000003")};
        QTest::newRow("payee with a trailing blank is another text")
            << 2 << QVariant(QStringLiteral("甲公司 ")) << none << QStringList{};
        QTest::newRow("payee typed with its trailing blanks")
            << 2 << QVariant(QStringLiteral("丁商行  ")) << none << QStringList{QStringLiteral("10000005")};
        QTest::newRow("payee without the blanks it was typed with")
            << 2 << QVariant(QStringLiteral("丁商行")) << none << QStringList{};
        QTest::newRow("payee with a quote") << 2 << QVariant(QStringLiteral("O'Brien 商行")) << none
                                            << QStringList{QStringLiteral("A'01")};
        QTest::newRow("payee not in the list") << 2 << QVariant(QStringLiteral("无此单位")) << none << QStringList{};
    }

    void search_findsTheRowsOfItsMode()
    {
        QFETCH(int, tab);
        QFETCH(QVariant, value);
        QFETCH(QVariant, end);
        QFETCH(QStringList, numbers);

        RegisterFixture f;
        printRegister(f);
        QCOMPARE(registerRows(f), 6);
        f.openSearch();
        QCOMPARE(f.column(0), QStringList{QStringLiteral("10000002")}); // today's, the last day printed
        f.search(tab, value, end);

        QCOMPARE(f.cheque.prompter.ofKind(QStringLiteral("error")).size(), 0);
        QVERIFY(f.result->isVisible());
        QCOMPARE(f.column(0), numbers);
        QCOMPARE(D_M->ADOQ_zpcx->recordCount(), numbers.size());
        // Titles stay whatever was found.
        QCOMPARE(f.result->DBGrid_cx->model()->columnCount(), 7);
    }

    void search_showsTheWholeRegisterRow()
    {
        RegisterFixture f;
        printRegister(f);
        f.openSearch();
        f.search(1, kDay24, kDay25);
        QCOMPARE(f.row(0), (QStringList{QStringLiteral("10000002"), QStringLiteral("2005-12-24"),
                                        QStringLiteral("乙公司"), QStringLiteral("200.50"), QStringLiteral("运费"),
                                        QStringLiteral("现金"), QStringLiteral("已打印")}));
        QCOMPARE(f.row(1), (QStringList{QStringLiteral("10000003"), QStringLiteral("2005-12-24"),
                                        QStringLiteral("甲公司"), QStringLiteral("300.00"), QStringLiteral("货款"),
                                        QStringLiteral("转帐"), QStringLiteral("已打印")}));
        QCOMPARE(f.row(2), (QStringList{QStringLiteral("A'01"), QStringLiteral("2005-12-25"),
                                        QStringLiteral("O'Brien 商行"), QStringLiteral("400.00"),
                                        QStringLiteral("材料"), QStringLiteral("转帐"), QStringLiteral("已打印")}));
    }

    void emptyNumber_findsChequesRegisteredWithoutNumber()
    {
        RegisterFixture f;
        printRegister(f);
        ChequeValues cheque;
        cheque.skr = QStringLiteral("戊公司");
        cheque.je = QStringLiteral("1.00");
        cheque.yt = QStringLiteral("补录");
        cheque.nian = QStringLiteral("2005");
        cheque.yue = QStringLiteral("12");
        cheque.ri = QStringLiteral("28");
        cheque.rq = QDate(2005, 12, 28);
        cheque.hkfs = QStringLiteral("转帐");
        StoreCheque(*D_M, cheque);
        f.openSearch();
        f.search(0, QStringLiteral("   "));
        QVERIFY(f.result->isVisible());
        QCOMPARE(f.row(0),
                 (QStringList{QString(), QStringLiteral("2005-12-28"), QStringLiteral("戊公司"), QStringLiteral("1.00"),
                              QStringLiteral("补录"), QStringLiteral("转帐"), QStringLiteral("未打印")}));
        QCOMPARE(f.result->DBGrid_cx->model()->rowCount(), 1);
    }

    void emptyResult_showsTitlesOnly()
    {
        RegisterFixture f;
        printRegister(f);
        const qsizetype asked = f.cheque.prompter.questions.size();
        f.openSearch();
        f.search(2, QStringLiteral("无此单位"));
        QVERIFY(f.result->isVisible());
        QCOMPARE(f.cheque.prompter.questions.size(), asked); // no message
        const QAbstractItemModel* m = f.result->DBGrid_cx->model();
        QCOMPARE(m->rowCount(), 0);
        QStringList titles;
        for (int c = 0; c < m->columnCount(); ++c)
            titles << m->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{QStringLiteral("票号"), QStringLiteral("日期"), QStringLiteral("收款人"),
                                      QStringLiteral("金额"), QStringLiteral("用途"), QStringLiteral("汇款方式"),
                                      QStringLiteral("状态")}));
    }

    void grid_hasItsColumnsAndDecorations()
    {
        RegisterFixture f;
        printRegister(f);
        f.openSearch();
        f.search(0, QStringLiteral("10000001"));
        QTableView* grid = f.result->DBGrid_cx;
        QCOMPARE(grid->objectName(), QStringLiteral("DBGrid_cx"));
        QCOMPARE(grid->parentWidget(), f.result);
        QCOMPARE(grid->model(), f.result->DataSource1);
        QCOMPARE(f.result->DataSource1->objectName(), QStringLiteral("DataSource1"));
        QCOMPARE(f.result->DataSource1->sourceModel(), D_M->ADOQ_zpcx->model());

        QHeaderView* titles = grid->horizontalHeader();
        QList<int> widths;
        for (int c = 0; c < 7; ++c)
            widths << titles->sectionSize(c);
        // Number, purpose and state as designed; date, payee and amount at least as designed and
        // wide enough for a whole date, a 20-character payee and a 12-digit amount.
        QCOMPARE(widths.value(0), 66);
        QCOMPARE(widths.mid(4), (QList<int>{381, titles->defaultSectionSize(), 60}));
        const QFontMetrics fm(grid->font());
        QVERIFY(widths.value(1) >= std::max(63, fm.horizontalAdvance(QStringLiteral("2026-12-31"))));
        QVERIFY(widths.value(2) >= std::max(251, 20 * fm.horizontalAdvance(QStringLiteral("款"))));
        QVERIFY(widths.value(3) >= std::max(87, fm.horizontalAdvance(QStringLiteral("999999999999.99"))));
        for (int c = 0; c < 5; ++c)
            QCOMPARE(grid->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                     Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(grid->model()->headerData(5, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        QVERIFY(titles->isVisible());
        QVERIFY(grid->verticalHeader()->isVisible()); // the row indicator
        QVERIFY(grid->showGrid());
        QVERIFY(grid->tabKeyNavigation());
        QCOMPARE(titles->sectionResizeMode(0), QHeaderView::Interactive);

        // A width the operator gives a column stays for the next search.
        titles->resizeSection(2, 120);
        f.search(0, QStringLiteral("10000003"));
        QCOMPARE(titles->sectionSize(2), 120);
        QCOMPARE(f.column(0), QStringList{QStringLiteral("10000003")});
    }

    void grid_cannotChangeTheRegister()
    {
        RegisterFixture f;
        QAbstractItemModelTester tester(f.result->DataSource1,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        printRegister(f);
        const qsizetype asked = f.cheque.prompter.questions.size();
        f.openSearch();
        f.search(1, kDay23, kDay27);
        f.search(2, QStringLiteral("无此单位"));
        f.search(0, QStringLiteral("10000002"));
        QTableView* grid = f.result->DBGrid_cx;
        const QAbstractItemModel* m = grid->model();
        QCOMPARE(m->rowCount(), 2);

        for (int c = 0; c < m->columnCount(); ++c)
            QVERIFY(!(m->flags(m->index(0, c)) & Qt::ItemIsEditable));
        QVERIFY(!f.result->DataSource1->setData(m->index(0, 2), QStringLiteral("改")));
        QVERIFY(!f.result->DataSource1->removeRows(0, 1));
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

        // The operator tries every way of editing and deleting.
        grid->setFocus();
        grid->setCurrentIndex(m->index(0, 2));
        QTest::keyClick(grid, Qt::Key_F2);
        QTest::keyClicks(grid, QStringLiteral("x"));
        QTest::keyClick(grid, Qt::Key_Return);
        const QRect cell = grid->visualRect(m->index(1, 4));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::keyClicks(grid, QStringLiteral("y"));
        QTest::keyClick(grid, Qt::Key_Delete);
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QTest::keyClick(grid, Qt::Key_Backspace);
        QCOMPARE(grid->viewport()->findChildren<QLineEdit*>().size(), 0);
        QCOMPARE(f.cheque.prompter.questions.size(), asked);

        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(f.row(0), (QStringList{QStringLiteral("10000002"), QStringLiteral("2005-12-24"),
                                        QStringLiteral("乙公司"), QStringLiteral("200.50"), QStringLiteral("运费"),
                                        QStringLiteral("现金"), QStringLiteral("已打印")}));
        QCOMPARE(f.row(1), (QStringList{QStringLiteral("10000002"), QStringLiteral("2005-12-27"),
                                        QStringLiteral("丙公司"), QStringLiteral("600.00"), QStringLiteral("退款"),
                                        QStringLiteral("转帐"), QStringLiteral("已打印")}));
        QCOMPARE(registerRows(f), 6);
        QCOMPARE(f.cheque.count(QStringLiteral("select count(*) from zp where skr = '乙公司' and yt = '运费'")), 1);

        // Closing the query (as closing the main window does) empties the grid cleanly.
        D_M->ADOQ_zpcx->close();
        QCOMPARE(m->rowCount(), 0);
    }

    void tabChange_hidesTheGridUntilTheNextSearch()
    {
        RegisterFixture f;
        printRegister(f);
        f.openSearch();
        f.search(2, QStringLiteral("甲公司"));
        QVERIFY(f.result->isVisible());

        f.panel->PageControl_cxfs->setCurrentIndex(1);
        QVERIFY(!f.result->isVisible());
        QVERIFY(f.panel->isVisible());
        QVERIFY(D_M->ADOQ_zpcx->isOpen()); // the result stays until the next search

        f.panel->DateTimePicker_ks->setDate(kDay27);
        f.panel->DateTimePicker_zz->setDate(kDay27);
        f.panel->Button_zpcx->click();
        QVERIFY(f.result->isVisible());
        QCOMPARE(f.column(0), QStringList{QStringLiteral("10000002")});
        QCOMPARE(f.column(2), QStringList{QStringLiteral("丙公司")});
    }

    void closing_hidesPanelsAndKeepsTheResult_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("searchPanelStays");
        QTest::newRow("关  闭") << QStringLiteral("Button_zpcxclose") << false;
        QTest::newRow("search panel close button") << QStringLiteral("BitBtn_zpcx_close") << false;
        QTest::newRow("result panel close button") << QStringLiteral("BitBtn_zpcxjg_close") << true;
    }

    void closing_hidesPanelsAndKeepsTheResult()
    {
        QFETCH(QString, button);
        QFETCH(bool, searchPanelStays);
        RegisterFixture f;
        printRegister(f);
        f.openSearch();
        f.search(0, QStringLiteral(" 10000003 "));
        QVERIFY(f.result->isVisible());

        auto* press = Frm_main->findChild<QPushButton*>(button);
        QVERIFY(press);
        press->click();
        QVERIFY(!f.result->isVisible());
        QCOMPARE(f.panel->isVisible(), searchPanelStays);
        // Nothing is reset on closing.
        QCOMPARE(f.panel->Edit_ph->text(), QStringLiteral(" 10000003 "));
        QCOMPARE(f.panel->PageControl_cxfs->currentIndex(), 0);
        QVERIFY(D_M->ADOQ_zpcx->isOpen());
        QCOMPARE(D_M->ADOQ_zpcx->recordCount(), 1);
    }

    void reopening_resetsFieldsAndReloadsPayeesMostUsedFirst()
    {
        RegisterFixture f;
        printRegister(f);
        SetToday(QDate(2006, 1, 9));
        f.openSearch();
        QVERIFY(f.panel->isVisible());
        QCOMPARE(f.panel->PageControl_cxfs->currentIndex(), 1);
        QCOMPARE(f.panel->DateTimePicker_ks->date(), QDate(2006, 1, 9));
        QCOMPARE(f.panel->DateTimePicker_zz->date(), QDate(2006, 1, 9));
        QStringList names;
        for (int i = 0; i < f.panel->ComboBox_skr->count(); ++i)
            names << f.panel->ComboBox_skr->itemText(i);
        QCOMPARE(names, (QStringList{QStringLiteral("甲公司"), QStringLiteral("乙公司"), QStringLiteral("O'Brien 商行"),
                                     QStringLiteral("丁商行"), QStringLiteral("丙公司")}));
        QCOMPARE(f.panel->ComboBox_skr->currentText(), QString());

        f.search(2, QStringLiteral("丙公司"));
        f.panel->Edit_ph->setText(QStringLiteral("10000001"));
        f.panel->DateTimePicker_ks->setDate(kDay23);
        f.panel->Button_zpcxclose->click();

        // 丙公司 is paid twice more and becomes the most used payee.
        f.print(QDate(2006, 1, 10), QStringLiteral("10000007"), QStringLiteral("丙公司"), QStringLiteral("700"),
                QStringLiteral("退款"));
        f.print(QDate(2006, 1, 10), QStringLiteral("10000008"), QStringLiteral("丙公司"), QStringLiteral("800"),
                QStringLiteral("退款"));
        SetToday(QDate(2006, 1, 11));
        f.openSearch();
        QVERIFY(f.panel->isVisible());
        QVERIFY(f.result->isVisible()); // today's cheques: none
        QCOMPARE(f.column(0), QStringList{});
        QCOMPARE(f.panel->PageControl_cxfs->currentIndex(), 1); // the date tab, whatever was left
        QCOMPARE(f.panel->Edit_ph->text(), QString());
        QCOMPARE(f.panel->ComboBox_skr->currentText(), QString());
        QCOMPARE(f.panel->DateTimePicker_ks->date(), QDate(2006, 1, 11));
        QCOMPARE(f.panel->DateTimePicker_zz->date(), QDate(2006, 1, 11));
        names.clear();
        for (int i = 0; i < f.panel->ComboBox_skr->count(); ++i)
            names << f.panel->ComboBox_skr->itemText(i);
        QCOMPARE(names, (QStringList{QStringLiteral("丙公司"), QStringLiteral("甲公司"), QStringLiteral("乙公司"),
                                     QStringLiteral("O'Brien 商行"), QStringLiteral("丁商行")}));

        // A result on the list gives way to the day's cheques when the search is opened again.
        f.search(2, QStringLiteral("丙公司"));
        QCOMPARE(f.column(0), (QStringList{QStringLiteral("10000002"), QStringLiteral("10000007"),
                                           QStringLiteral("10000008")}));
        SetToday(QDate(2006, 1, 10));
        f.openSearch();
        QVERIFY(f.result->isVisible());
        QCOMPARE(f.column(0), (QStringList{QStringLiteral("10000007"), QStringLiteral("10000008")}));
    }

    void payeeCombo_keepsTheTextAsTyped()
    {
        RegisterFixture f;
        printRegister(f);
        f.openSearch();
        f.panel->PageControl_cxfs->setCurrentIndex(2);
        QComboBox* box = f.panel->ComboBox_skr;
        box->setFocus();
        // Typing the start of a listed name keeps just what was typed, and Enter adds nothing.
        QTest::keyClicks(box, QStringLiteral("O'B"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->currentText(), QStringLiteral("O'B"));
        QCOMPARE(box->count(), 5);
        f.panel->Button_zpcx->click();
        QCOMPARE(f.column(0), QStringList{});

        // A name picked from the list is searched as listed.
        box->setCurrentIndex(2);
        QCOMPARE(box->currentText(), QStringLiteral("O'Brien 商行"));
        f.panel->Button_zpcx->click();
        QCOMPARE(f.column(0), QStringList{QStringLiteral("A'01")});
    }

    void resultPanel_followsTheSearchPanel()
    {
        RegisterFixture f;
        printRegister(f);
        f.openSearch();
        QCOMPARE(f.panel->geometry(), QRect(224, 80, 457, 225));
        QCOMPARE(f.result->pos(), QPoint(224, 304));
        f.search(0, QStringLiteral("10000001"));

        // The result panel moves with the search panel.
        f.panel->move(120, 40);
        QCOMPARE(f.result->pos(), QPoint(120, 40 + 225 - 1));
        // Moved on its own, it comes back under the search panel when the mouse passes.
        f.result->move(300, 320);
        moveMouseOver(f.panel);
        QCOMPARE(f.result->pos(), QPoint(120, 40 + 225 - 1));

        // A moved result panel comes back under the search panel with the next search too.
        f.result->move(10, 10);
        f.panel->Button_zpcx->click();
        QCOMPARE(f.result->pos(), QPoint(120, 264));
    }

    void dateSearch_ignoresTheShortDateFormat_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("zh_CN") << QStringLiteral("zh_CN");
        QTest::newRow("en_US") << QStringLiteral("en_US");
        QTest::newRow("de_DE") << QStringLiteral("de_DE");
        QTest::newRow("en_GB") << QStringLiteral("en_GB");
    }

    void dateSearch_ignoresTheShortDateFormat()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        RegisterFixture f;
        QCOMPARE(f.panel->DateTimePicker_ks->displayFormat(), QLocale(locale).dateFormat(QLocale::ShortFormat));
        printRegister(f);
        f.openSearch();
        f.search(1, kDay25, kDay27);
        QCOMPARE(f.column(0), (QStringList{QStringLiteral("A'01"), QStringLiteral("10000005"),
                                           QStringLiteral("10000002")}));
        QCOMPARE(f.column(1), (QStringList{QStringLiteral("2005-12-25"), QStringLiteral("2005-12-26"),
                                           QStringLiteral("2005-12-27")}));
    }

    // The search opens on today's cheques: the date tab, today as start and end, the list already
    // up (saying so when there are none), nothing asked.
    void opening_listsTodaysCheques_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("a day with two cheques")
            << kDay24 << QStringList{QStringLiteral("10000002"), QStringLiteral("10000003")};
        QTest::newRow("a day with none") << QDate(2006, 1, 9) << QStringList{};
    }

    void opening_listsTodaysCheques()
    {
        QFETCH(QDate, today);
        QFETCH(QStringList, numbers);
        RegisterFixture f;
        printRegister(f);
        f.panel->PageControl_cxfs->setCurrentIndex(2); // left on another tab
        SetToday(today);
        const qsizetype asked = f.cheque.prompter.questions.size();
        f.openSearch();
        QCOMPARE(f.cheque.prompter.questions.size(), asked);
        QCOMPARE(f.panel->PageControl_cxfs->currentIndex(), 1);
        QCOMPARE(f.panel->DateTimePicker_ks->date(), today);
        QCOMPARE(f.panel->DateTimePicker_zz->date(), today);
        QVERIFY(f.result->isVisible());
        QCOMPARE(f.column(0), numbers);
        QCOMPARE(f.result->Label_zpcx_wjg->isVisible(), numbers.isEmpty());
        // The list lies under the search panel, as after any search.
        QCOMPARE(f.result->pos(), QPoint(f.panel->x(), f.panel->y() + f.panel->height() - 1));
    }

    // The grid reads like a register: amounts right-aligned with thousands separated and two
    // decimals; a voided cheque's row grey and struck through, an unprinted one's in another
    // colour and in italics, each with a tip; a printed one plain.
    void grid_marksAmountsAndStates()
    {
        RegisterFixture f;
        f.print(kDay24, QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("1234567.5"),
                QStringLiteral("货款"));
        f.print(kDay24, QStringLiteral("10000002"), QStringLiteral("乙公司"), QStringLiteral("999999999999.99"),
                QStringLiteral("运费"));
        ChequeValues unprinted;
        unprinted.ph = QStringLiteral("10000003");
        unprinted.skr = QStringLiteral("丙公司");
        unprinted.je = QStringLiteral("1000.00");
        unprinted.yt = QStringLiteral("补录");
        unprinted.nian = QStringLiteral("2005");
        unprinted.yue = QStringLiteral("12");
        unprinted.ri = QStringLiteral("24");
        unprinted.rq = kDay24;
        unprinted.hkfs = QStringLiteral("转帐");
        StoreCheque(*D_M, unprinted);
        const qint64 voided = f.cheque.count(QStringLiteral("select rowid from zp where ph = '10000002'"));
        AddChequeEvent(*D_M, voided, ChequeEvent::Voided, QStringLiteral("写错"));
        f.openSearch();
        f.search(1, kDay24, kDay24);
        const QAbstractItemModel* m = f.result->DBGrid_cx->model();
        QCOMPARE(m->rowCount(), 3);

        QCOMPARE(f.column(3), (QStringList{QStringLiteral("1,234,567.50"), QStringLiteral("999,999,999,999.99"),
                                           QStringLiteral("1,000.00")}));
        QCOMPARE(f.column(6),
                 (QStringList{QStringLiteral("已打印"), QStringLiteral("作废"), QStringLiteral("未打印")}));
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(m->index(row, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                     Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            QCOMPARE(m->index(row, 2).data(Qt::TextAlignmentRole).isValid(), false);
        }
        // Every cell of a row is marked alike.
        for (int c = 0; c < m->columnCount(); ++c) {
            const QModelIndex printed = m->index(0, c);
            QVERIFY(!printed.data(Qt::ForegroundRole).isValid());
            QVERIFY(!printed.data(Qt::FontRole).isValid());
            QVERIFY(!printed.data(Qt::ToolTipRole).isValid());

            const QModelIndex gone = m->index(1, c);
            QCOMPARE(gone.data(Qt::ForegroundRole).value<QColor>(), QColor(128, 128, 128));
            QVERIFY(gone.data(Qt::FontRole).value<QFont>().strikeOut());
            QVERIFY(!gone.data(Qt::FontRole).value<QFont>().italic());
            QVERIFY(gone.data(Qt::ToolTipRole).toString().contains(QStringLiteral("已作废")));

            const QModelIndex waiting = m->index(2, c);
            const QColor colour = waiting.data(Qt::ForegroundRole).value<QColor>();
            QVERIFY(colour.isValid());
            QVERIFY(colour != QColor(128, 128, 128) && colour != QColor(Qt::darkBlue) &&
                    colour != f.result->DBGrid_cx->palette().color(QPalette::Text));
            QVERIFY(waiting.data(Qt::FontRole).value<QFont>().italic());
            QVERIFY(!waiting.data(Qt::FontRole).value<QFont>().strikeOut());
            QVERIFY(waiting.data(Qt::ToolTipRole).toString().contains(QStringLiteral("还没有打印")));
        }
        // The marks change only what they mark: the grid's own font otherwise.
        QStyleOptionViewItem option;
        option.font = f.result->DBGrid_cx->font();
        const QFont drawn = m->index(1, 2).data(Qt::FontRole).value<QFont>().resolve(option.font);
        QCOMPARE(drawn.family(), option.font.family());
        QCOMPARE(drawn.pointSizeF(), option.font.pointSizeF());
        QVERIFY(drawn.strikeOut());
    }

    // A search that finds nothing says so inside the grid, under the titles; the next search
    // that finds rows takes the line away.
    void emptyResult_saysSoInTheGrid()
    {
        RegisterFixture f;
        printRegister(f);
        f.openSearch();
        const qsizetype asked = f.cheque.prompter.questions.size();
        f.search(0, QStringLiteral("99"));
        QCOMPARE(f.cheque.prompter.questions.size(), asked);
        QCOMPARE(f.result->DBGrid_cx->model()->rowCount(), 0);
        QLabel* line = f.result->Label_zpcx_wjg;
        QCOMPARE(line->parentWidget(), f.result->DBGrid_cx->viewport());
        QVERIFY(line->isVisible());
        QVERIFY(line->text().startsWith(QStringLiteral("没有找到符合条件的支票")));
        QVERIFY(f.result->DBGrid_cx->viewport()->rect().contains(line->geometry()));
        QVERIFY(line->width() >= line->sizeHint().width());
        // Drawn: the grid's picture holds the text's ink where the line lies.
        const QImage shot = f.result->DBGrid_cx->viewport()->grab().toImage();
        const QColor ground = shot.pixelColor(2, 2);
        int ink = 0;
        for (int y = line->geometry().top(); y <= line->geometry().bottom(); ++y)
            for (int x = line->geometry().left(); x <= line->geometry().right(); ++x)
                ink += shot.pixelColor(x, y) != ground;
        QVERIFY2(ink > 50, qPrintable(QString::number(ink)));

        f.search(0, QStringLiteral("10000001"));
        QCOMPARE(f.column(0), QStringList{QStringLiteral("10000001")});
        QVERIFY(!line->isVisible());
        f.search(2, QStringLiteral("无此单位"));
        QVERIFY(line->isVisible());
        // A closed result is no search that found nothing.
        D_M->ADOQ_zpcx->close();
        QVERIFY(!line->isVisible());
    }

    void failedSearch_showsTheErrorAndNoGrid()
    {
        RegisterFixture f;
        printRegister(f);
        f.openSearch();
        f.cheque.sql(QStringLiteral("drop table zp"));
        f.search(0, QStringLiteral("10000001"));
        QVERIFY(!f.result->isVisible());
        const QList<ScriptedPrompter::Question> errors = f.cheque.prompter.ofKind(QStringLiteral("error"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().caption, QStringLiteral("Quillmate"));
        QVERIFY2(errors.first().text.startsWith(QStringLiteral("数据库操作失败 (Z2): no such table: zp")),
                 qPrintable(errors.first().text));
        QVERIFY2(errors.first().text.endsWith(QStringLiteral("数据库文件: ") +
                                              QDir::toNativeSeparators(D_M->databasePath())),
                 qPrintable(errors.first().text));
    }
};

QTEST_MAIN(TestRegisterSearch)
#include "tst_registersearch.moc"
