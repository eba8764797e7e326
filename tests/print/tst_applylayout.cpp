#include "app/Forms.h"
#include "common/Error.h"
#include "print/ChequePrintForm.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"
#include "tests/support/PrnRows.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/Shortcuts.h"
#include "tests/support/TestEnv.h"

#include <QTest>

#include <memory>

using namespace Zt_typro;

// A layout row to insert: kjmc, kjx, kjy, dy; a null QVariant stores an empty field (the schema
// keeps dy from being empty, so only kjx and kjy can be).
struct Row
{
    QString kjmc;
    QVariant kjx;
    QVariant kjy;
    QVariant dy;
};
Q_DECLARE_METATYPE(QList<Row>)

class TestApplyLayout : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void initialXjRows_data();
    void initialXjRows();
    void initialZzBlanksOnlyFjxx3();
    void initialVoucherRowsPlaceEveryLabel_data();
    void initialVoucherRowsPlaceEveryLabel();
    void rowsMatchByFieldKey_data();
    void rowsMatchByFieldKey();
    void codeWithoutRowsKeepsTheDesign();
    void printJobTextsAreKeptOrBlanked();
    void queryIsLeftOpenWithTheCodesRows();
    void previewShowsTheFormAndClosesTheQuery();
    void printOptionsListFieldsLeftToRight_data();
    void printOptionsListFieldsLeftToRight();

private:
    std::unique_ptr<FormsFixture> m_forms;
};

void TestApplyLayout::init()
{
    m_forms = std::make_unique<FormsFixture>();
}

void TestApplyLayout::cleanup()
{
    m_forms.reset();
}

void TestApplyLayout::initialXjRows_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    // The initial "xj" rows: fjxx1, fjxx2, fjxx3 and fkhmc are not printed.
    QTest::newRow("rq") << "rq" << "仟" << 623 << 78;
    QTest::newRow("rb") << "rb" << "佰" << 638 << 78;
    QTest::newRow("rs") << "rs" << "拾" << 654 << 78;
    QTest::newRow("wan") << "wan" << "万" << 667 << 78;
    QTest::newRow("qian") << "qian" << "千" << 682 << 78;
    QTest::newRow("bai") << "bai" << "百" << 696 << 78;
    QTest::newRow("shi") << "shi" << "十" << 711 << 78;
    QTest::newRow("yuan") << "yuan" << "元" << 725 << 78;
    QTest::newRow("jiao") << "jiao" << "角" << 741 << 78;
    QTest::newRow("fen") << "fen" << "分" << 757 << 78;
    QTest::newRow("cprzh") << "cprzh" << "出票人帐号" << 618 << 40;
    QTest::newRow("fkhmc") << "fkhmc" << "" << 617 << 21;
    QTest::newRow("yt") << "yt" << "用     途 " << 256 << 107;
    QTest::newRow("dx") << "dx" << "大写金额 " << 281 << 71;
    QTest::newRow("skr") << "skr" << " 收   款  人" << 268 << 41;
    QTest::newRow("year") << "year" << "大写年" << 327 << 20;
    QTest::newRow("moon") << "moon" << "大写月" << 402 << 19;
    QTest::newRow("day") << "day" << "大写日" << 459 << 19;
    QTest::newRow("fjxx1") << "fjxx1" << "" << 64 << 28;
    QTest::newRow("fjxx2") << "fjxx2" << "" << 64 << 47;
    QTest::newRow("fjxx3") << "fjxx3" << "" << 63 << 65;
    QTest::newRow("fjxx4") << "fjxx4" << "附加信息四" << 63 << 81;
    QTest::newRow("nian") << "nian" << "年" << 66 << 112;
    QTest::newRow("yue") << "yue" << "月" << 105 << 111;
    QTest::newRow("ri") << "ri" << "日" << 141 << 111;
    QTest::newRow("skrcg") << "skrcg" << "收款人存根" << 60 << 133;
    QTest::newRow("jecg") << "jecg" << "金额存根" << 65 << 151;
    QTest::newRow("ytcg") << "ytcg" << "用途存根" << 65 << 171;
    QTest::newRow("yi") << "yi" << "亿" << 608 << 78;
    QTest::newRow("shiyi") << "shiyi" << "什" << 593 << 78;
    QTest::newRow("baiyi") << "baiyi" << "柏" << 578 << 78;
    QTest::newRow("qianyi") << "qianyi" << "杄" << 563 << 78;
    QTest::newRow("wanyi") << "wanyi" << "杤" << 547 << 78;
}

void TestApplyLayout::initialXjRows()
{
    QFETCH(QString, key);
    QFETCH(QString, caption);
    QFETCH(int, left);
    QFETCH(int, top);

    TFrm_zz_print form;
    ApplyLayoutToLabels(&form, QStringLiteral("xj"));
    const ReportLabel* label = form.label(key);
    QVERIFY(label);
    QCOMPARE(label->caption(), caption);
    QCOMPARE(label->position(), QPoint(left, top));

    // Four blank labels, 29 with their design captions.
    int blank = 0;
    for (const ReportLabel* l : form.QRBand1->labels())
        blank += l->caption().isEmpty() ? 1 : 0;
    QCOMPARE(blank, 4);
    QCOMPARE(form.QRBand1->labels().size() - blank, 29);
}

void TestApplyLayout::initialZzBlanksOnlyFjxx3()
{
    TFrm_zz_print form;
    ApplyLayoutToLabels(&form, QStringLiteral("zz"));
    QStringList blank;
    for (const ReportLabel* l : form.QRBand1->labels()) {
        if (l->caption().isEmpty())
            blank.append(l->objectName());
    }
    QCOMPARE(blank, QStringList{QStringLiteral("QRL_fjxx3")});
    QCOMPARE(form.QRL_fen->position(), QPoint(715, 103));
    QCOMPARE(form.QRL_fjxx1->caption(), QStringLiteral("附加信息一"));
    QCOMPARE(form.QRL_fjxx1->position(), QPoint(51, 32));
}

void TestApplyLayout::initialVoucherRowsPlaceEveryLabel_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QPoint>("fen");
    QTest::addColumn<QPoint>("dx");
    QTest::newRow("dhpz") << "dhpz" << QPoint(642, 140) << QPoint(83, 133);
    QTest::newRow("jzd") << "jzd" << QPoint(585, 135) << QPoint(70, 135);
}

void TestApplyLayout::initialVoucherRowsPlaceEveryLabel()
{
    QFETCH(QString, code);
    QFETCH(QPoint, fen);
    QFETCH(QPoint, dx);

    TFrm_pz_print design;
    TFrm_pz_print form;
    ApplyLayoutToLabels(&form, code);
    QCOMPARE(form.QRL_fen->position(), fen);
    QCOMPARE(form.QRL_dx->position(), dx);
    // Every voucher field is printed and has its row: all 25 keep their captions and move.
    const auto labels = form.QRBand1->labels();
    QCOMPARE(labels.size(), 25);
    for (int i = 0; i < labels.size(); ++i) {
        const ReportLabel* before = design.QRBand1->labels().at(i);
        QCOMPARE(labels.at(i)->caption(), before->caption());
        QVERIFY2(labels.at(i)->position() != before->position(), qPrintable(labels.at(i)->objectName()));
    }
}

void TestApplyLayout::rowsMatchByFieldKey_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QPoint>("position");

    const QVariant yes(1);
    const QVariant no(0);
    const QVariant empty;
    QTest::newRow("voucher prefix places a cheque label")
        << "t" << QList<Row>{{"P_pz_rq", 11, 22, yes}} << "rq" << "仟" << QPoint(11, 22);
    QTest::newRow("any five characters are dropped")
        << "t" << QList<Row>{{"12345fen", 5, 6, yes}} << "fen" << "分" << QPoint(5, 6);
    QTest::newRow("a longer prefix is not a key")
        << "t" << QList<Row>{{"P_zzz_fen", 5, 6, no}} << "fen" << "分" << QPoint(856, 224);
    QTest::newRow("keys are case-sensitive")
        << "t" << QList<Row>{{"P_zz_FEN", 5, 6, no}} << "fen" << "分" << QPoint(856, 224);
    QTest::newRow("later row sets the position")
        << "t" << QList<Row>{{"P_zz_yt", 100, 110, yes}, {"P_zz_yt", 200, 210, yes}} << "yt" << "用     途 "
        << QPoint(200, 210);
    QTest::newRow("blank from the first row stays")
        << "t" << QList<Row>{{"P_zz_yt", 100, 110, no}, {"P_zz_yt", 200, 210, yes}} << "yt" << ""
        << QPoint(200, 210);
    QTest::newRow("blank from the second row")
        << "t" << QList<Row>{{"P_zz_yt", 100, 110, yes}, {"P_zz_yt", 200, 210, no}} << "yt" << ""
        << QPoint(200, 210);
    QTest::newRow("negative position") << "t" << QList<Row>{{"P_zz_dx", -20, -7, yes}} << "dx" << "大写金额 "
                                       << QPoint(-20, -7);
    QTest::newRow("empty kjx and kjy read as 0")
        << "t" << QList<Row>{{"P_zz_dx", empty, empty, yes}} << "dx" << "大写金额 " << QPoint(0, 0);
    QTest::newRow("a quote in the form code is just a character")
        << "o'k" << QList<Row>{{"P_zz_skr", 1, 2, yes}} << "skr" << " 收   款  人" << QPoint(1, 2);
    QTest::newRow("rows of another code are not read")
        << "zz" << QList<Row>{} << "wanyi" << "杤" << QPoint(491, 103);
}

void TestApplyLayout::rowsMatchByFieldKey()
{
    QFETCH(QString, code);
    QFETCH(QList<Row>, rows);
    QFETCH(QString, key);
    QFETCH(QString, caption);
    QFETCH(QPoint, position);

    for (const Row& row : rows) {
        InsertPrnRow(row.kjmc, row.kjx, row.kjy, code, QStringLiteral("测试"), row.dy);
        if (QTest::currentTestFailed())
            return;
    }
    // A row of another code for the same field is never read.
    InsertPrnRow(QStringLiteral("P_zz_") + key, 999, 999, QStringLiteral("other"), QStringLiteral("其他"), 0);

    TFrm_zz_print design;
    TFrm_zz_print form;
    ApplyLayoutToLabels(&form, code);
    const ReportLabel* label = form.label(key);
    QVERIFY(label);
    QCOMPARE(label->caption(), caption);
    QCOMPARE(label->position(), position);
    if (code == QLatin1String("zz"))
        return;
    // Every label without a row keeps its design place and caption.
    QSet<QString> placed;
    for (const Row& row : rows)
        placed.insert(RowFieldKey(row.kjmc));
    for (const ReportLabel* before : design.QRBand1->labels()) {
        if (placed.contains(before->key()))
            continue;
        const ReportLabel* after = form.label(before->key());
        QCOMPARE(after->caption(), before->caption());
        QCOMPARE(after->position(), before->position());
    }
}

void TestApplyLayout::codeWithoutRowsKeepsTheDesign()
{
    TFrm_zz_print cheque;
    ApplyLayoutToLabels(&cheque, QStringLiteral("none"));
    QVERIFY(D_M->ADOQ_zb->isOpen());
    QCOMPARE(D_M->ADOQ_zb->recordCount(), 0);
    QCOMPARE(cheque.QRL_fen->position(), QPoint(856, 224));
    QCOMPARE(cheque.QRL_fen->caption(), QStringLiteral("分"));
    QCOMPARE(cheque.QRL_skr->position(), QPoint(384, 128));
    QCOMPARE(cheque.QRL_skr->caption(), QStringLiteral(" 收   款  人"));

    TFrm_pz_print voucher;
    ApplyLayoutToLabels(&voucher, QString());
    QCOMPARE(D_M->ADOQ_zb_pz->recordCount(), 0);
    QCOMPARE(voucher.QRL_fen->position(), QPoint(912, 232));
    QCOMPARE(voucher.QRL_skrmc->caption(), QStringLiteral("收 款人全称"));
}

void TestApplyLayout::printJobTextsAreKeptOrBlanked()
{
    // A print job fills the labels first; the layout keeps printed texts and blanks the others.
    TFrm_zz_print form;
    form.QRL_dx->setCaption(QStringLiteral("壹佰贰拾元整"));
    form.QRL_fjxx3->setCaption(QStringLiteral("备注"));
    ApplyLayoutToLabels(&form, QStringLiteral("zz"));
    QCOMPARE(form.QRL_dx->caption(), QStringLiteral("壹佰贰拾元整"));
    QCOMPARE(form.QRL_dx->position(), QPoint(270, 98));
    QCOMPARE(form.QRL_fjxx3->caption(), QString());
    QCOMPARE(form.QRL_fjxx3->position(), QPoint(52, 65));
}

void TestApplyLayout::queryIsLeftOpenWithTheCodesRows()
{
    TFrm_zz_print cheque;
    ApplyLayoutToLabels(&cheque, QStringLiteral("xj"));
    QVERIFY(D_M->ADOQ_zb->isOpen());
    QCOMPARE(D_M->ADOQ_zb->statement(), Stmt::P1);
    QCOMPARE(D_M->ADOQ_zb->recordCount(), 33);
    QVERIFY(!D_M->ADOQ_zb_pz->isOpen());

    TFrm_pz_print voucher;
    ApplyLayoutToLabels(&voucher, QStringLiteral("jzd"));
    QVERIFY(D_M->ADOQ_zb_pz->isOpen());
    QCOMPARE(D_M->ADOQ_zb_pz->statement(), Stmt::P1);
    QCOMPARE(D_M->ADOQ_zb_pz->recordCount(), 25);
    D_M->ADOQ_zb_pz->first();
    QCOMPARE(D_M->ADOQ_zb_pz->fieldText(QStringLiteral("win")), QStringLiteral("jzd"));

    // Applying again replaces the statement: a later code's rows only.
    ApplyLayoutToLabels(&cheque, QStringLiteral("zz"));
    QCOMPARE(D_M->ADOQ_zb->recordCount(), 33);
    D_M->ADOQ_zb->first();
    QCOMPARE(D_M->ADOQ_zb->fieldText(QStringLiteral("win")), QStringLiteral("zz"));
}

void TestApplyLayout::previewShowsTheFormAndClosesTheQuery()
{
    ScriptedPrompter prompts;
    {
        TFrm_zz_print form;
        PreviewChequeLayout(&form, QStringLiteral("xj"));
        QCOMPARE(form.QRL_fkhmc->caption(), QString());
        QCOMPARE(form.QRL_fen->position(), QPoint(757, 78));
    }
    QVERIFY(!D_M->ADOQ_zb->isOpen());
    {
        TFrm_pz_print form;
        PreviewVoucherLayout(&form, QStringLiteral("dhpz"));
        QCOMPARE(form.QRL_fen->position(), QPoint(642, 140));
    }
    QVERIFY(!D_M->ADOQ_zb_pz->isOpen());
    const auto previews = prompts.ofKind(QStringLiteral("preview"));
    QCOMPARE(previews.size(), 2);
    QCOMPARE(previews.at(0).caption, QStringLiteral("打印预览"));
    QCOMPARE(previews.at(1).caption, QStringLiteral("电汇凭证打印预览"));
    QCOMPARE(prompts.prints, 0);
}

void TestApplyLayout::printOptionsListFieldsLeftToRight_data()
{
    QTest::addColumn<bool>("cheque");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("leftmostX"); // several fields may share it
    QTest::addColumn<QString>("rightmost");
    QTest::newRow("zz") << true << "zz" << 33 << 45 << "P_zz_fen";
    QTest::newRow("xj") << true << "xj" << 33 << 60 << "P_zz_fen";
    QTest::newRow("dhpz") << false << "dhpz" << 25 << 83 << "P_pz_fen";
    QTest::newRow("jzd") << false << "jzd" << 25 << 70 << "P_pz_fen";
}

void TestApplyLayout::printOptionsListFieldsLeftToRight()
{
    QFETCH(bool, cheque);
    QFETCH(QString, code);
    QFETCH(int, rows);
    QFETCH(int, leftmostX);
    QFETCH(QString, rightmost);

    DmQuery* query = cheque ? D_M->ADOQ_zpdyxz : D_M->ADOQ_pzdyxz;
    // Opened for another code first: opening again shows the new code's rows only.
    if (cheque) {
        OpenChequePrintOptions(QStringLiteral("none"));
        QCOMPARE(query->recordCount(), 0);
        OpenChequePrintOptions(code);
    } else {
        OpenVoucherPrintOptions(QStringLiteral("none"));
        QCOMPARE(query->recordCount(), 0);
        OpenVoucherPrintOptions(code);
    }
    QVERIFY(query->isOpen());
    QCOMPARE(query->statement(), Stmt::P2);
    QCOMPARE(query->recordCount(), rows);
    int previous = std::numeric_limits<int>::min();
    query->first();
    QCOMPARE(query->fieldInt(QStringLiteral("kjx")), leftmostX);
    for (int i = 0; i < rows; ++i) {
        QCOMPARE(query->fieldText(QStringLiteral("win")), code);
        const int x = query->fieldInt(QStringLiteral("kjx"));
        QVERIFY2(x >= previous, qPrintable(query->fieldText(QStringLiteral("kjmc"))));
        previous = x;
        if (i == rows - 1)
            QCOMPARE(query->fieldText(QStringLiteral("kjmc")), rightmost);
        query->next();
    }
}

QTEST_MAIN(TestApplyLayout)
#include "tst_applylayout.moc"
