#include "app/Forms.h"
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"

#include <QFontInfo>
#include <QTest>
#include <QWidget>

using namespace Zt_typro;

class TestPrintForms : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void reportsHaveTheirPage_data();
    void reportsHaveTheirPage();
    void chequeLabelsInControlOrder();
    void voucherLabelsInControlOrder();
    void labelsAreFoundByName_data();
    void labelsAreFoundByName();
    void labelFontIsSettableAndFallsBackToTheReportFont();
    void reportFontIsASongFace();
    void textBoxAnchorIsMarginsPlusUnits_data();
    void textBoxAnchorIsMarginsPlusUnits();
    void formsTakeAWindowAsParent();
};

namespace
{
// "name|caption|left,top" per label, so a mismatch shows in full.
QString describe(const QString& name, const QString& caption, QPoint at)
{
    return QStringLiteral("%1|%2|%3,%4").arg(name, caption).arg(at.x()).arg(at.y());
}

struct Expected
{
    const char* name;
    QString caption;
    QPoint at;
};

QStringList describe(const QList<Expected>& expected)
{
    QStringList list;
    for (const Expected& e : expected)
        list.append(describe(QString::fromLatin1(e.name), e.caption, e.at));
    return list;
}

QStringList labelsOf(const ReportBand* band)
{
    QStringList list;
    for (const ReportLabel* label : band->labels())
        list.append(describe(label->objectName(), label->caption(), label->position()));
    return list;
}
} // namespace

void TestPrintForms::initTestCase()
{
    PrepareApplication();
}

void TestPrintForms::reportsHaveTheirPage_data()
{
    QTest::addColumn<bool>("cheque");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSizeF>("page");
    QTest::addColumn<QMarginsF>("margins");
    QTest::addColumn<QSize>("band");
    QTest::addColumn<QSizeF>("bandMm");
    QTest::addColumn<int>("labels");
    QTest::newRow("cheque") << true << "打印预览" << QSizeF(297, 200) << QMarginsF(10, 5, 5, 5) << QSize(1066, 526)
                            << QSizeF(282.0458, 139.1708) << 33;
    QTest::newRow("voucher") << false << "电汇凭证打印预览" << QSizeF(297, 150) << QMarginsF(5, 5, 5, 5)
                             << QSize(1085, 491) << QSizeF(287.0729, 129.9104) << 25;
}

void TestPrintForms::reportsHaveTheirPage()
{
    QFETCH(bool, cheque);
    QFETCH(QString, title);
    QFETCH(QSizeF, page);
    QFETCH(QMarginsF, margins);
    QFETCH(QSize, band);
    QFETCH(QSizeF, bandMm);
    QFETCH(int, labels);

    TFrm_zz_print zz;
    TFrm_pz_print pz;
    Report* report = cheque ? zz.QuickRep1 : pz.QuickRep1;
    QCOMPARE(cheque ? zz.caption() : pz.caption(), title);
    QCOMPARE(report->title(), title);
    QCOMPARE(report->objectName(), QStringLiteral("QuickRep1"));
    QCOMPARE(report->pageSizeMm(), page);
    QCOMPARE(report->marginsMm(), margins);
    QCOMPARE(report->band()->objectName(), QStringLiteral("QRBand1"));
    QCOMPARE(report->band()->sizeUnits(), band);
    QVERIFY(qAbs(report->band()->sizeMm().width() - bandMm.width()) < 0.0001);
    QVERIFY(qAbs(report->band()->sizeMm().height() - bandMm.height()) < 0.0001);
    QCOMPARE(report->band()->labels().size(), labels);
    QCOMPARE(report->font().family(), QStringLiteral("宋体"));
    QCOMPARE(report->font().pointSizeF(), 10.0);
    QCOMPARE(report->font().weight(), QFont::Normal);
    QCOMPARE(report->font().italic(), false);
}

void TestPrintForms::chequeLabelsInControlOrder()
{
    const QList<Expected> expected = {
        {"QRL_rq", "仟", {712, 224}},
        {"QRL_rb", "佰", {728, 224}},
        {"QRL_rs", "拾", {744, 224}},
        {"QRL_wan", "万", {760, 224}},
        {"QRL_qian", "千", {776, 224}},
        {"QRL_bai", "百", {792, 224}},
        {"QRL_shi", "十", {808, 224}},
        {"QRL_yuan", "元", {824, 224}},
        {"QRL_jiao", "角", {840, 224}},
        {"QRL_fen", "分", {856, 224}},
        {"QRL_cprzh", "出票人帐号", {720, 120}},
        {"QRL_fkhmc", "付款行名称", {720, 80}},
        {"QRL_yt", "用     途 ", {384, 216}},
        {"QRL_dx", "大写金额 ", {384, 168}},
        {"QRL_skr", " 收   款  人", {384, 128}},
        {"QRL_year", "大写年", {384, 80}},
        {"QRL_moon", "大写月", {440, 80}},
        {"QRL_day", "大写日", {496, 80}},
        {"QRL_fjxx1", "附加信息一", {96, 88}},
        {"QRL_fjxx2", "附加信息二", {96, 112}},
        {"QRL_fjxx3", "附加信息三", {96, 136}},
        {"QRL_fjxx4", "附加信息四", {96, 160}},
        {"QRL_nian", "年", {88, 208}},
        {"QRL_yue", "月", {112, 208}},
        {"QRL_ri", "日", {144, 208}},
        {"QRL_skrcg", "收款人存根", {88, 248}},
        {"QRL_jecg", "金额存根", {88, 280}},
        {"QRL_ytcg", "用途存根", {88, 304}},
        {"QRL_yi", "亿", {696, 224}},
        {"QRL_shiyi", "什", {680, 224}},
        {"QRL_baiyi", "柏", {664, 224}},
        {"QRL_qianyi", "杄", {648, 224}},
        {"QRL_wanyi", "杤", {632, 224}},
    };
    TFrm_zz_print form;
    QCOMPARE(labelsOf(form.QRBand1), describe(expected));
}

void TestPrintForms::voucherLabelsInControlOrder()
{
    const QList<Expected> expected = {
        {"QRL_rq", "仟", {576, 232}},
        {"QRL_rb", "佰", {592, 232}},
        {"QRL_rs", "拾", {608, 232}},
        {"QRL_wan", "万", {624, 232}},
        {"QRL_qian", "千", {640, 232}},
        {"QRL_bai", "百", {656, 232}},
        {"QRL_shi", "十", {672, 232}},
        {"QRL_yuan", "元", {688, 232}},
        {"QRL_jiao", "角", {704, 232}},
        {"QRL_fen", "分", {912, 232}},
        {"QRL_cprzh", "出票人帐号", {80, 112}},
        {"QRL_cprmc", "出票人名称", {80, 88}},
        {"QRL_dx", "人民币大写", {72, 232}},
        {"QRL_skrmc", "收 款人全称", {624, 80}},
        {"QRL_nian", "年", {344, 72}},
        {"QRL_yue", "月", {392, 72}},
        {"QRL_ri", "日", {440, 72}},
        {"QRL_skrzh", "收款人帐号", {624, 112}},
        {"QRL_skrkhh", "收款人开户行", {624, 136}},
        {"QRL_cprkhh", "出票人开户行", {80, 144}},
        {"QRL_yi", "亿", {560, 232}},
        {"QRL_shiyi", "什", {544, 232}},
        {"QRL_baiyi", "柏", {528, 232}},
        {"QRL_qianyi", "杄", {512, 232}},
        {"QRL_wanyi", "杤", {496, 232}},
    };
    TFrm_pz_print form;
    QCOMPARE(labelsOf(form.QRBand1), describe(expected));
}

void TestPrintForms::labelsAreFoundByName_data()
{
    QTest::addColumn<bool>("cheque");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("exists");
    QTest::newRow("cheque fen") << true << "fen" << true;
    QTest::newRow("cheque fkhmc") << true << "fkhmc" << true;
    QTest::newRow("cheque has no skrmc") << true << "skrmc" << false;
    QTest::newRow("voucher skrkhh") << false << "skrkhh" << true;
    QTest::newRow("voucher has no fjxx1") << false << "fjxx1" << false;
    QTest::newRow("keys are case-sensitive") << false << "FEN" << false;
}

void TestPrintForms::labelsAreFoundByName()
{
    QFETCH(bool, cheque);
    QFETCH(QString, key);
    QFETCH(bool, exists);

    TFrm_zz_print zz;
    TFrm_pz_print pz;
    QObject* form = cheque ? static_cast<QObject*>(&zz) : &pz;
    ReportLabel* byKey = cheque ? zz.label(key) : pz.label(key);
    auto* byName = form->findChild<ReportLabel*>(QStringLiteral("QRL_") + key);
    QCOMPARE(byKey != nullptr, exists);
    QCOMPARE(byName, byKey);
    if (exists) {
        QCOMPARE(byKey->key(), key);
        QCOMPARE(byKey->objectName(), QStringLiteral("QRL_") + key);
    }
    QCOMPARE(zz.QRL_fen, zz.findChild<ReportLabel*>(QStringLiteral("QRL_fen")));
    QCOMPARE(pz.QRL_dx, pz.findChild<ReportLabel*>(QStringLiteral("QRL_dx")));
}

void TestPrintForms::labelFontIsSettableAndFallsBackToTheReportFont()
{
    TFrm_zz_print form;
    QVERIFY(!form.QRL_dx->hasOwnFont());
    QCOMPARE(form.QRL_dx->font(), ReportFont());

    QFont capitals(QStringLiteral("Noto Sans CJK SC"));
    capitals.setPointSize(14);
    capitals.setBold(true);
    form.QRL_dx->setFont(capitals);
    QCOMPARE(form.QRL_dx->font(), capitals);
    QCOMPARE(form.QRL_skr->font(), ReportFont()); // the other labels keep the report font

    QFont song(QStringLiteral("宋体"));
    song.setPointSize(10);
    form.QRL_dx->setFont(song);
    QCOMPARE(form.QRL_dx->font().family(), QStringLiteral("宋体"));
    QCOMPARE(form.QRL_dx->font().pointSize(), 10);
    QCOMPARE(form.QRL_dx->font().bold(), false);

    form.QRL_dx->setFont(capitals);
    form.QRL_dx->resetFont();
    QCOMPARE(form.QRL_dx->font(), ReportFont());

    // A fresh form always starts with the report font.
    TFrm_pz_print voucher;
    for (const ReportLabel* label : voucher.QRBand1->labels())
        QCOMPARE(label->font(), ReportFont());
}

void TestPrintForms::reportFontIsASongFace()
{
    // "宋体" is mapped to an installed Chinese face, never a silent Latin fallback.
    const QFontInfo info(ReportFont());
    QVERIFY2(info.family().startsWith(QStringLiteral("Noto Serif CJK")), qPrintable(info.family()));
    TFrm_zz_print cheque;
    CheckReportFonts(*cheque.QuickRep1); // throws when a caption would print as boxes
}

void TestPrintForms::textBoxAnchorIsMarginsPlusUnits_data()
{
    QTest::addColumn<bool>("cheque");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QPointF>("mm");
    QTest::newRow("cheque fen 715, 103") << true << QPoint(715, 103) << QPointF(199.1771, 32.2521);
    QTest::newRow("cheque corner") << true << QPoint(0, 0) << QPointF(10, 5);
    QTest::newRow("cheque negative") << true << QPoint(-96, -12) << QPointF(-15.4, 1.825);
    QTest::newRow("voucher corner") << false << QPoint(0, 0) << QPointF(5, 5);
    QTest::newRow("voucher 96, 192") << false << QPoint(96, 192) << QPointF(30.4, 55.8);
}

void TestPrintForms::textBoxAnchorIsMarginsPlusUnits()
{
    QFETCH(bool, cheque);
    QFETCH(QPoint, position);
    QFETCH(QPointF, mm);
    TFrm_zz_print zz;
    TFrm_pz_print pz;
    ReportLabel* label = cheque ? zz.QRL_fen : pz.QRL_fen;
    label->setLeft(position.x());
    label->setTop(position.y());
    const QPointF at = (cheque ? zz.QuickRep1 : pz.QuickRep1)->labelTopLeftMm(*label);
    QVERIFY2(qAbs(at.x() - mm.x()) < 0.0001, qPrintable(QString::number(at.x(), 'f', 5)));
    QVERIFY2(qAbs(at.y() - mm.y()) < 0.0001, qPrintable(QString::number(at.y(), 'f', 5)));
}

void TestPrintForms::formsTakeAWindowAsParent()
{
    QWidget window;
    auto* cheque = new TFrm_zz_print(&window);
    auto* voucher = new TFrm_pz_print(&window);
    QCOMPARE(cheque->parent(), &window);
    QCOMPARE(window.findChild<TFrm_pz_print*>(), voucher);
    QCOMPARE(window.findChild<ReportLabel*>(QStringLiteral("QRL_skrmc")), voucher->QRL_skrmc);
}

QTEST_MAIN(TestPrintForms)
#include "tst_printforms.moc"
