// A cheque printed again from the register prints what it printed the first time, worked out from
// the stored values alone; and those texts are the ones the screen shows once the cheque is typed.
#include "cheque/PrintCheque.h"
#include "print/ChequeTexts.h"
#include "store/ChequeHistory.h"
#include "store/ChequeStore.h"
#include "store/Settings.h"
#include "tests/cheque/ChequeFixture.h"
#include "tests/support/PdfWords.h"

#include <QApplication>
#include <QPrinter>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextBlock>
#include <QTextLayout>

#include <type_traits>

using namespace Zt_typro;

namespace
{
const QString kBank = QStringLiteral("中国工商银行北京海淀支行");
const QString kAccount = QStringLiteral("0200 0045 0901 4567 891");

// The screen's own details, then the screen opened again to show them.
void setOrganisation(ChequeFixture& f)
{
    WriteOrgDetails(QStringLiteral("北京华信电子科技有限公司"), kAccount, kBank);
    f.screen->open();
}

// Renders each page the preview is given into the PDF file path.
std::function<void(const std::function<void(QPrinter*)>&)> intoPdf(const QString& path)
{
    return [path](const std::function<void(QPrinter*)>& paint) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        paint(&printer);
    };
}

// Every cheque entry screen there is, found as a widget.
QList<QWidget*> chequeScreens()
{
    QList<QWidget*> found;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<ChequePanel*>(w) || w->objectName() == QLatin1String("Panel_zp"))
            found << w;
    return found;
}

// The lines the memo lays out on screen, once shown.
QStringList memoLinesShown(const QPlainTextEdit* memo)
{
    QStringList shown;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i)
            shown << block.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength());
    }
    if (shown.size() == 1 && shown.first().isEmpty())
        shown.clear();
    return shown;
}

template <typename W>
QString textOf(const ChequePanel* s, const QString& name)
{
    const W* w = s->findChild<W*>(name);
    if (!w) {
        qWarning("no widget %s", qPrintable(name));
        return QStringLiteral("<missing %1>").arg(name);
    }
    if constexpr (std::is_same_v<W, QComboBox>)
        return w->currentText();
    else
        return w->text();
}

const QString kLongNote = QStringLiteral(
    "本次付款为二〇二六年第四季度房租及物业管理费，另有折扣说明请见合同第三条第二款。\n"
    "联系人王会计电话一三九一二三四五六七八\n\n末行");
} // namespace

class TestChequeReprint : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetToday(QDate()); }

    void reprint_printsWhatTheFirstPrintPrinted_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("payee");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("capitals");
        QTest::addColumn<QString>("stubAmount");
        QTest::newRow("transfer, a note of several lines")
            << "zz" << QStringLiteral("广州市天河区华南建筑材料贸易有限责任公司") << "1234.5" << kLongNote
            << QStringLiteral("壹仟贰佰叁拾肆元伍角整") << "1234.50";
        QTest::newRow("cash") << "xj" << QStringLiteral("王小明") << "860" << QStringLiteral("备用金\n第二行")
                              << QStringLiteral("捌佰陆拾元整") << "860.00";
        QTest::newRow("whole yuan completed") << "zz" << QStringLiteral("某某贸易有限公司") << "12" << QString()
                                              << QStringLiteral("壹拾贰元整") << "12.00";
        QTest::newRow("jiao completed") << "xj" << QStringLiteral("O'Brien 商行") << "0.5" << QStringLiteral("零钱")
                                        << QStringLiteral("伍角整") << "0.50";
    }

    void reprint_printsWhatTheFirstPrintPrinted()
    {
        QFETCH(QString, code);
        QFETCH(QString, payee);
        QFETCH(QString, amount);
        QFETCH(QString, note);
        QFETCH(QString, capitals);
        QFETCH(QString, stubAmount);

        ChequeFixture f;
        setOrganisation(f);
        const QString number = QStringLiteral("31415926");
        f.fill(number, payee, amount, QStringLiteral("货款"));
        f.screen->Memo_xinxi->setPlainText(note);
        const QStringList noteLines = f.screen->memoDisplayLines();
        const QString first = f.forms.workDir().filePath(QStringLiteral("first.pdf"));
        f.prompter.onPage = intoPdf(first);
        f.confirmJob(code, true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).size(), 0);
        QCOMPARE(f.prompter.previews, 1);
        const qint64 zpid = f.count(QStringLiteral("select rowid from zp where ph = '%1'").arg(number));
        QVERIFY(zpid > 0);
        QVERIFY(f.screen->E_ph->text().isEmpty()); // printed: the screen was emptied

        // From the register: only the screen of the main window exists while the page is drawn.
        const QString again = f.forms.workDir().filePath(QStringLiteral("again.pdf"));
        QList<QWidget*> screensWhileDrawn;
        const auto render = intoPdf(again);
        f.prompter.onPage = [&](const std::function<void(QPrinter*)>& paint) {
            screensWhileDrawn = chequeScreens();
            render(paint);
        };
        QVERIFY(ReprintCheque(Frm_main, zpid));
        QCOMPARE(f.prompter.previews, 2);
        QVERIFY2(screensWhileDrawn.size() == 1 && screensWhileDrawn.first() == f.screen,
                 qPrintable(QString::number(screensWhileDrawn.size())));
        const QList<ChequeHistoryEntry> history = ChequeHistory(*D_M, zpid);
        QCOMPARE(history.size(), 3);
        QCOMPARE(history.last().event, QStringLiteral("重打"));

        const QList<PdfPage> printed = ReadPdfWords(first);
        const QList<PdfPage> reprinted = ReadPdfWords(again);
        QCOMPARE(printed.size(), 1);
        QCOMPARE(reprinted.size(), 1);
        const PdfPage& a = printed.first();
        const PdfPage& b = reprinted.first();
        // What the cheque says is on the first page.
        QStringList onPage = {payee.section(QLatin1Char(' '), 0, 0), capitals, stubAmount};
        if (code == QLatin1String("zz"))
            onPage << kBank; // the cash cheque's layout leaves the paying bank out
        for (const QString& text : onPage)
            QVERIFY2(a.contains(text), qPrintable(text + QLatin1Char('\n') + a.dump()));
        if (note == kLongNote) {
            // The note wrapped into more lines than print; the fourth prints on a transfer cheque.
            QVERIFY2(noteLines.size() > 4, qPrintable(noteLines.join(QLatin1Char('|'))));
            QVERIFY2(a.contains(noteLines.at(3)), qPrintable(noteLines.at(3) + QLatin1Char('\n') + a.dump()));
        }
        // The same words at the same places on the same sheet.
        QCOMPARE(b.sizeMm, a.sizeMm);
        QVERIFY2(a.words.size() == b.words.size(), qPrintable(a.dump() + QStringLiteral("\n----\n") + b.dump()));
        for (qsizetype i = 0; i < a.words.size(); ++i) {
            const PdfWord& x = a.words.at(i);
            const PdfWord& y = b.words.at(i);
            QCOMPARE(y.text, x.text);
            const QRectF dx = QRectF(y.boxMm.topLeft() - x.boxMm.topLeft(), y.boxMm.size() - x.boxMm.size());
            QVERIFY2(qAbs(dx.left()) < 0.01 && qAbs(dx.top()) < 0.01 && qAbs(dx.width()) < 0.01 &&
                         qAbs(dx.height()) < 0.01,
                     qPrintable(x.text + QStringLiteral(": ") + a.dump() + QStringLiteral("\n----\n") + b.dump()));
        }
    }

    // A register changed outside the program may hold an amount the cheque cannot carry: the
    // reprint reads capitals and boxes back as the first print does, and prints nothing.
    void storedAmountThatCannotPrintExactly_isRefused_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::newRow("letters") << "abc";
        QTest::newRow("negative") << "-5.00";
        QTest::newRow("exponent") << "1e300";
        QTest::newRow("three decimals") << "1.005";
        QTest::newRow("more digits than the boxes") << "123456789012345.00";
        QTest::newRow("full-width digits") << QStringLiteral("１２.００");
        QTest::newRow("Arabic-Indic digits") << QStringLiteral("١٢.٠٠");
    }

    void storedAmountThatCannotPrintExactly_isRefused()
    {
        QFETCH(QString, amount);
        ChequeFixture f;
        setOrganisation(f);
        f.fill(QStringLiteral("27182818"), QStringLiteral("某某贸易有限公司"), QStringLiteral("100"),
               QStringLiteral("货款"));
        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(f.prompter.previews, 1);
        const qint64 zpid = f.count(QStringLiteral("select rowid from zp where ph = '27182818'"));
        QVERIFY(zpid > 0);
        QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
        QVERIFY(q.prepare(QStringLiteral("update zp set je = ? where rowid = ?")));
        q.addBindValue(amount);
        q.addBindValue(zpid);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));

        QString refused;
        try {
            ReprintCheque(Frm_main, zpid);
        } catch (const AppError& e) {
            refused = e.message();
        }
        QVERIFY2(refused.contains(QStringLiteral("票号 27182818 登记的金额")) &&
                     refused.contains(QStringLiteral("不能准确打印")),
                 qPrintable(refused));
        QVERIFY(refused.contains(amount));
        QCOMPARE(f.prompter.previews, 1);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zpls where zpid = %1 and sj = '重打'").arg(zpid)), 0);
    }

    void printedTexts_areWhatTheScreenShows_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::newRow("today, a wrapped note") << "1234.5" << kLongNote << QString() << QString() << QString();
        QTest::newRow("whole yuan, February") << "12" << QStringLiteral("一\n二\n三\n四\n五") << "2026"
                                              << "2"
                                              << "8";
        QTest::newRow("jiao, the tenth") << "0.5" << QString() << "2024"
                                         << "10"
                                         << "10";
        QTest::newRow("twelve digits, words")
            << "987654321987.65" << QStringLiteral("ABC DEF GHI JKL MNO PQR STU VWX YZ abcdefghijklmnopqrstuvwxyz0123")
            << "2000"
            << "1"
            << "31";
        QTest::newRow("leading zeros, one fen") << "007.01" << QStringLiteral(" 前后空格 ") << "2099"
                                                << "12"
                                                << "1";
    }

    void printedTexts_areWhatTheScreenShows()
    {
        QFETCH(QString, amount);
        QFETCH(QString, note);
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(QString, day);

        ChequeFixture f;
        setOrganisation(f);
        ChequePanel* s = f.screen;
        f.fill(QStringLiteral("00000042"), QStringLiteral("  华东机械有限公司"), amount, QStringLiteral("设备款"));
        if (!year.isEmpty()) {
            s->CB_nian->setEditText(year);
            s->CB_yue->setEditText(month);
            s->CB_ri->setEditText(day);
        }
        s->Memo_xinxi->setPlainText(note);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).size(), 0);

        ChequeValues cheque;
        cheque.ph = QStringLiteral("00000042");
        cheque.skr = QStringLiteral("  华东机械有限公司");
        cheque.je = amount; // as typed: the texts complete it as leaving the field does
        cheque.yt = QStringLiteral("设备款");
        cheque.nian = s->CB_nian->currentText();
        cheque.yue = s->CB_yue->currentText();
        cheque.ri = s->CB_ri->currentText();
        cheque.fjxx = note;
        cheque.hkfs = QStringLiteral("转帐");
        const ChequeTexts t = PrintedChequeTexts(cheque, ReadOrgBank(), ReadOrgAccount());

        QCOMPARE(t.year, textOf<QLabel>(s, QStringLiteral("Panel_nian")));
        QCOMPARE(t.month, textOf<QLabel>(s, QStringLiteral("Panel_yue")));
        QCOMPARE(t.day, textOf<QLabel>(s, QStringLiteral("Panel_ri")));
        QCOMPARE(t.nian, textOf<QComboBox>(s, QStringLiteral("CB_nian")));
        QCOMPARE(t.yue, textOf<QComboBox>(s, QStringLiteral("CB_yue")));
        QCOMPARE(t.ri, textOf<QComboBox>(s, QStringLiteral("CB_ri")));
        QCOMPARE(t.payee, textOf<QComboBox>(s, QStringLiteral("CB_skr")));
        QCOMPARE(t.capitals, textOf<QLabel>(s, QStringLiteral("Panel_daxie")));
        QStringList boxes;
        for (int place = 1; place <= 15; ++place) {
            const QLabel* box = s->Panel_jine->findChild<QLabel*>(QStringLiteral("Panel%1").arg(place));
            QVERIFY(box);
            boxes << box->text();
        }
        QCOMPARE(t.digitBoxes, boxes);
        QCOMPARE(t.purpose, textOf<QLineEdit>(s, QStringLiteral("Edit_yt")));
        QCOMPARE(t.stubPayee, textOf<QLineEdit>(s, QStringLiteral("E_shoukuanren")));
        QCOMPARE(t.stubAmount, textOf<QLabel>(s, QStringLiteral("PE_jine")));
        QCOMPARE(t.stubPurpose, textOf<QLineEdit>(s, QStringLiteral("E_yongtu")));
        QCOMPARE(t.bank, textOf<QLabel>(s, QStringLiteral("Panel_fkhmc")));
        QCOMPARE(t.account, textOf<QLabel>(s, QStringLiteral("Panel_cprzh")));
        QCOMPARE(t.bank, kBank);
        QCOMPARE(t.account, kAccount);
        // The note as the memo lays it out on screen once the stub shows.
        s->Button_setcg->click();
        QVERIFY(s->Memo_xinxi->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(t.noteLines, memoLinesShown(s->Memo_xinxi));
    }
};

QTEST_MAIN(TestChequeReprint)
#include "tst_chequereprint.moc"
