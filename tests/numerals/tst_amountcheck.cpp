#include "common/Error.h"
#include "numerals/Amount.h"
#include "numerals/AmountCheck.h"

#include <QTest>

using namespace Zt_typro;

// The last check before printing reads the capitals and the digit boxes back on their own and
// compares both with the amount field. The readers are tested against capitals written out by
// hand, so that they do not merely mirror AmountToCapitals.
class TestAmountCheck : public QObject
{
    Q_OBJECT
private slots:
    void capitalsReadBack_data();
    void capitalsReadBack();
    void capitalsRefused_data();
    void capitalsRefused();
    void boxesReadBack_data();
    void boxesReadBack();
    void boxesRefused_data();
    void boxesRefused();
    void amountTextToFen_data();
    void amountTextToFen();
    void workedExamplesAgree_data();
    void workedExamplesAgree();
    void everyWrittenAmountReadsBack();
    void forgeryRefused_data();
    void forgeryRefused();
};

namespace
{
// Fifteen boxes from a text written left to right, "·" for an empty box: "· · ￥ 1 2 0 0 5 0".
QStringList boxes(const QString& leftToRight)
{
    QStringList parts = leftToRight.split(u' ', Qt::SkipEmptyParts);
    QStringList out;
    for (qsizetype i = parts.size() - 1; i >= 0; --i)
        out.append(parts.at(i) == QStringLiteral("·") ? QString() : parts.at(i));
    while (out.size() < kDigitBoxCount)
        out.append(QString());
    return out;
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const AppError& e) {
        return e.message();
    }
    return QString();
}
} // namespace

void TestAmountCheck::capitalsReadBack_data()
{
    QTest::addColumn<QString>("capitals");
    QTest::addColumn<qint64>("fen");

    QTest::newRow("1200") << "壹仟贰佰元整" << qint64(120000);
    QTest::newRow("1200.5") << "壹仟贰佰元伍角整" << qint64(120050);
    QTest::newRow("1200.05") << "壹仟贰佰元零伍分" << qint64(120005);
    QTest::newRow("12.5") << "壹拾贰元伍角整" << qint64(1250);
    QTest::newRow("5") << "伍元整" << qint64(500);
    QTest::newRow("10") << "壹拾元整" << qint64(1000);
    QTest::newRow(".5") << "伍角整" << qint64(50);
    QTest::newRow(".05") << "伍分" << qint64(5);
    QTest::newRow(".55") << "伍角伍分" << qint64(55);
    QTest::newRow("zero text") << " 零元零角整" << qint64(0);
    QTest::newRow("zero text without its blank") << "零元零角整" << qint64(0);
    QTest::newRow("100000") << "壹拾万元整" << qint64(10000000);
    QTest::newRow("1005000") << "壹佰万伍仟元整" << qint64(100500000);
    QTest::newRow("10050.8") << "壹万零伍拾元捌角整" << qint64(1005080);
    QTest::newRow("60708.09") << "陆万零柒佰零捌元零玖分" << qint64(6070809);
    QTest::newRow("20000.01") << "贰万元零壹分" << qint64(2000001);
    QTest::newRow("1000500.07") << "壹佰万零伍佰元零柒分" << qint64(100050007);
    QTest::newRow("100000001") << "壹亿零壹元整" << qint64(10000000100);
    QTest::newRow("100010000") << "壹亿零壹万元整" << qint64(10001000000);
    QTest::newRow("1000000000") << "壹拾亿元整" << qint64(100000000000);
    QTest::newRow("987654321098.76") << "玖仟捌佰柒拾陆亿伍仟肆佰叁拾贰万壹仟零玖拾捌元柒角陆分"
                                     << qint64(98765432109876);
    QTest::newRow("1012") << "壹仟零壹拾贰元整" << qint64(101200);
    QTest::newRow("10001000") << "壹仟万壹仟元整" << qint64(1000100000);
    QTest::newRow("100001000") << "壹亿零壹仟元整" << qint64(10000100000);
    QTest::newRow("101000000") << "壹亿零壹佰万元整" << qint64(10100000000);
    QTest::newRow("10.05") << "壹拾元零伍分" << qint64(1005);
}

void TestAmountCheck::capitalsReadBack()
{
    QFETCH(QString, capitals);
    QFETCH(qint64, fen);
    QCOMPARE(CapitalsToFen(capitals), fen);
}

void TestAmountCheck::capitalsRefused_data()
{
    QTest::addColumn<QString>("capitals");
    QTest::addColumn<QString>("message");

    QTest::newRow("bare digit after 仟 (1100 or 1001?)")
        << "壹仟壹元整" << "大写金额“壹仟壹元整”无法读出金额: 第 3 个字“壹”个位数字前缺少“零”，读法不明确。";
    QTest::newRow("no 整 after 元") << "壹仟贰佰元" << "大写金额“壹仟贰佰元”无法读出金额: 末尾缺少“整”。";
    QTest::newRow("no 整 after 角")
        << "壹仟贰佰元伍角" << "大写金额“壹仟贰佰元伍角”无法读出金额: 末尾“角”后面应是“整”或几分。";
    QTest::newRow("零 without a gap")
        << "壹仟零贰佰元整"
        << "大写金额“壹仟零贰佰元整”无法读出金额: 第 5 个字“佰”“零”前后的数位是相连的，不应写“零”。";
    QTest::newRow("leading 零") << "零壹元整" << "大写金额“零壹元整”无法读出金额: 第 1 个字“零”金额不能以“零”开头。";
    QTest::newRow("unit twice") << "壹仟贰佰佰元整"
                                << "大写金额“壹仟贰佰佰元整”无法读出金额: 第 5 个字“佰”单位前面没有数字。";
    QTest::newRow("units rising") << "贰佰壹仟元整"
                                  << "大写金额“贰佰壹仟元整”无法读出金额: 第 4 个字“仟”单位的次序不对。";
    QTest::newRow("two 零") << "壹仟零零伍元整"
                            << "大写金额“壹仟零零伍元整”无法读出金额: 第 3 个字“零”“零”后面应是一个非零数字。";
    QTest::newRow("two digits in a row") << "壹贰元整"
                                         << "大写金额“壹贰元整”无法读出金额: 第 2 个字“贰”两个数字之间缺少单位。";
    QTest::newRow("万 before 亿") << "壹万亿元整" << "大写金额“壹万亿元整”无法读出金额: 第 3 个字“亿”“亿”的位置不对。";
    QTest::newRow("empty 万 group") << "壹亿万元整" << "大写金额“壹亿万元整”无法读出金额: 第 3 个字“万”“万”前面没有数字。";
    QTest::newRow("no digit before 元") << "元整" << "大写金额“元整”无法读出金额: 第 1 个字“元”“元”前面没有数字。";
    QTest::newRow("unit without digit") << "拾元整" << "大写金额“拾元整”无法读出金额: 第 1 个字“拾”单位前面没有数字。";
    QTest::newRow("ordinary digits") << "壹仟2佰元整"
                                     << "大写金额“壹仟2佰元整”无法读出金额: 第 3 个字“2”不是大写数字或金额单位。";
    QTest::newRow("圆 for 元") << "壹仟贰佰圆整" << "大写金额“壹仟贰佰圆整”无法读出金额: 第 1 个字“壹”不是大写金额。";
    QTest::newRow("零 twice in the fen") << "壹元零零伍分"
                                          << "大写金额“壹元零零伍分”无法读出金额: 第 3 个字“零”“元”后面应是“整”、几角或几分。";
    QTest::newRow("元 twice") << "壹元贰元整" << "大写金额“壹元贰元整”无法读出金额: 第 4 个字“元”“元”出现了两次。";
    QTest::newRow("empty") << "" << "大写金额是空的，无法核对金额。";
    QTest::newRow("blank") << "   " << "大写金额是空的，无法核对金额。";
}

void TestAmountCheck::capitalsRefused()
{
    QFETCH(QString, capitals);
    QFETCH(QString, message);
    QCOMPARE(errorOf([&] { CapitalsToFen(capitals); }), message);
}

void TestAmountCheck::boxesReadBack_data()
{
    QTest::addColumn<QString>("leftToRight");
    QTest::addColumn<qint64>("fen");

    QTest::newRow("1200.50") << "· · · · · · · · ￥ 1 2 0 0 5 0" << qint64(120050);
    QTest::newRow(".00") << "· · · · · · · · · · · · ￥ 0 0" << qint64(0);
    QTest::newRow("leading zero") << "· · · · · · · · · · · ￥ 0 5 0" << qint64(50);
    QTest::newRow("all fifteen") << "￥ 9 8 7 6 5 4 3 2 1 0 9 8 7 6" << qint64(98765432109876);
}

void TestAmountCheck::boxesReadBack()
{
    QFETCH(QString, leftToRight);
    QFETCH(qint64, fen);
    QCOMPARE(DigitBoxesToFen(boxes(leftToRight)), fen);
}

void TestAmountCheck::boxesRefused_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("message");

    QTest::newRow("no ￥") << boxes("· · · · · · · · · 1 2 0 0 5 0")
                          << "数字格（· · · · · · · · · 1 2 0 0 5 0）从右数第 7 格是空的: “￥”右边每格应是一个数字。";
    QTest::newRow("no ￥ at all, 15 digits") << boxes("1 9 8 7 6 5 4 3 2 1 0 9 8 7 6")
                                              << "数字格（1 9 8 7 6 5 4 3 2 1 0 9 8 7 6）中没有人民币符号“￥”。";
    QTest::newRow("digit left of ￥") << boxes("· · · · · · · 1 ￥ 1 2 0 0 5 0")
                                     << "数字格（· · · · · · · 1 ￥ 1 2 0 0 5 0）从右数第 8 格在“￥”左边，却写着“1”。";
    QTest::newRow("a letter") << boxes("· · · · · · · · ￥ 1 2 O 0 5 0")
                              << "数字格（· · · · · · · · ￥ 1 2 O 0 5 0）从右数第 4 格是“O”: “￥”右边每格应是一个数字。";
    QTest::newRow("two digits in a box") << boxes("· · · · · · · · · ￥ 12 0 0 5 0")
                                         << "数字格（· · · · · · · · · ￥ 12 0 0 5 0）从右数第 5 格是“12”: “￥”右边每格应是一个数字。";
    QTest::newRow("no jiao box") << boxes("· · · · · · · · · · · · · ￥ 5")
                                 << "数字格（· · · · · · · · · · · · · ￥ 5）中“￥”右边应至少有角、分两格数字。";
    QStringList fourteen = boxes("· · · · · · · · ￥ 1 2 0 0 5 0");
    fourteen.removeLast();
    QTest::newRow("fourteen boxes") << fourteen << "数字格应有 15 格，实际有 14 格，无法核对金额。";
}

void TestAmountCheck::boxesRefused()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, message);
    QCOMPARE(errorOf([&] { DigitBoxesToFen(texts); }), message);
}

void TestAmountCheck::amountTextToFen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("fen"); // -1: refused

    QTest::newRow("completed") << "1200.50" << qint64(120050);
    QTest::newRow("one decimal") << "1200.5" << qint64(120050);
    QTest::newRow("no decimals") << "1200" << qint64(120000);
    QTest::newRow("point only before jiao") << ".5" << qint64(50);
    QTest::newRow("blanks") << " 12.00 " << qint64(1200);
    QTest::newRow("zero") << ".00" << qint64(0);
    QTest::newRow("empty") << "" << qint64(-1);
    QTest::newRow("three decimals") << "1.005" << qint64(-1);
    QTest::newRow("two points") << "1.2.3" << qint64(-1);
    QTest::newRow("letter") << "12a" << qint64(-1);
}

void TestAmountCheck::amountTextToFen()
{
    QFETCH(QString, text);
    QFETCH(qint64, fen);
    if (fen < 0) {
        QCOMPARE(errorOf([&] { AmountTextToFen(text); }),
                 QStringLiteral("金额“%1”不是有效的金额，无法核对大写金额和数字格。").arg(text));
    } else {
        QCOMPARE(AmountTextToFen(text), fen);
    }
}

void TestAmountCheck::workedExamplesAgree_data()
{
    QTest::addColumn<QString>("completed");
    QTest::addColumn<QString>("capitals");
    QTest::addColumn<QString>("leftToRight");

    QTest::newRow("1200") << "1200.00" << "壹仟贰佰元整" << "· · · · · · · · ￥ 1 2 0 0 0 0";
    QTest::newRow("1200.5") << "1200.50" << "壹仟贰佰元伍角整" << "· · · · · · · · ￥ 1 2 0 0 5 0";
    QTest::newRow("1200.05") << "1200.05" << "壹仟贰佰元零伍分" << "· · · · · · · · ￥ 1 2 0 0 0 5";
    QTest::newRow("12.5") << "12.50" << "壹拾贰元伍角整" << "· · · · · · · · · · ￥ 1 2 5 0";
    QTest::newRow("5") << "5.00" << "伍元整" << "· · · · · · · · · · · ￥ 5 0 0";
    QTest::newRow("10") << "10.00" << "壹拾元整" << "· · · · · · · · · · ￥ 1 0 0 0";
    QTest::newRow(".5") << ".50" << "伍角整" << "· · · · · · · · · · · · ￥ 5 0";
    QTest::newRow("0.00") << "0.00" << " 零元零角整" << "· · · · · · · · · · · ￥ 0 0 0";
    QTest::newRow("empty") << ".00" << " 零元零角整" << "· · · · · · · · · · · · ￥ 0 0";
    QTest::newRow("100000") << "100000.00" << "壹拾万元整" << "· · · · · · ￥ 1 0 0 0 0 0 0 0";
    QTest::newRow("1005000") << "1005000.00" << "壹佰万伍仟元整" << "· · · · · ￥ 1 0 0 5 0 0 0 0 0";
    QTest::newRow("10050.8") << "10050.80" << "壹万零伍拾元捌角整" << "· · · · · · · ￥ 1 0 0 5 0 8 0";
    QTest::newRow("60708.09") << "60708.09" << "陆万零柒佰零捌元零玖分" << "· · · · · · · ￥ 6 0 7 0 8 0 9";
    QTest::newRow("20000.01") << "20000.01" << "贰万元零壹分" << "· · · · · · · ￥ 2 0 0 0 0 0 1";
    QTest::newRow("1000500.07") << "1000500.07" << "壹佰万零伍佰元零柒分" << "· · · · · ￥ 1 0 0 0 5 0 0 0 7";
    QTest::newRow("100000001") << "100000001.00" << "壹亿零壹元整" << "· · · ￥ 1 0 0 0 0 0 0 0 1 0 0";
    QTest::newRow("100010000") << "100010000.00" << "壹亿零壹万元整" << "· · · ￥ 1 0 0 0 1 0 0 0 0 0 0";
    QTest::newRow("1000000000") << "1000000000.00" << "壹拾亿元整" << "· · ￥ 1 0 0 0 0 0 0 0 0 0 0 0";
    QTest::newRow("987654321098.76") << "987654321098.76" << "玖仟捌佰柒拾陆亿伍仟肆佰叁拾贰万壹仟零玖拾捌元柒角陆分"
                                     << "￥ 9 8 7 6 5 4 3 2 1 0 9 8 7 6";
}

void TestAmountCheck::workedExamplesAgree()
{
    QFETCH(QString, completed);
    QFETCH(QString, capitals);
    QFETCH(QString, leftToRight);

    // As written out by hand, and as the screens write them.
    CheckAmountAgreement(completed, capitals, boxes(leftToRight));
    const QString digits = AmountDigitString(completed);
    QCOMPARE(AmountToCapitals(digits), capitals);
    QCOMPARE(DigitBoxTexts(digits), boxes(leftToRight));
    CheckAmountAgreement(completed, AmountToCapitals(digits), DigitBoxTexts(digits));
}

void TestAmountCheck::everyWrittenAmountReadsBack()
{
    // Every pattern of zero and non-zero digits over twelve integer places, with each of the four
    // jiao/fen patterns: whatever AmountToCapitals writes, the reader must take back to the same
    // amount, or a correct cheque would be refused.
    const char* decimals[] = {"00", "50", "05", "37"};
    int checked = 0;
    for (int mask = 0; mask < (1 << kMaxAmountIntegerDigits); ++mask) {
        QString integer;
        for (int place = kMaxAmountIntegerDigits - 1; place >= 0; --place)
            integer.append((mask >> place) & 1 ? QChar(u'1' + (place % 9)) : QChar(u'0'));
        for (const char* d : decimals) {
            const QString completed = integer + u'.' + QLatin1String(d);
            const QString digits = AmountDigitString(completed);
            const QString capitals = AmountToCapitals(digits);
            const qint64 expected = AmountTextToFen(completed);
            qint64 read = -1;
            const QString error = errorOf([&] { read = CapitalsToFen(capitals); });
            QVERIFY2(error.isEmpty(), qPrintable(completed + QStringLiteral(": ") + error));
            QVERIFY2(read == expected, qPrintable(completed + QStringLiteral(" -> ") + capitals));
            QCOMPARE(DigitBoxesToFen(DigitBoxTexts(digits)), expected);
            ++checked;
        }
    }
    QCOMPARE(checked, 4096 * 4);
}

void TestAmountCheck::forgeryRefused_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("capitals");
    QTest::addColumn<QString>("leftToRight");
    QTest::addColumn<QString>("message");

    QTest::newRow("capitals one thousand more")
        << "1200.00" << "贰仟贰佰元整" << "· · · · · · · · ￥ 1 2 0 0 0 0"
        << "大写金额与金额不一致，不能打印: 金额是 1200.00 元，大写金额“贰仟贰佰元整”却是 2200.00 元。";
    QTest::newRow("capitals lose the jiao")
        << "1200.50" << "壹仟贰佰元整" << "· · · · · · · · ￥ 1 2 0 0 5 0"
        << "大写金额与金额不一致，不能打印: 金额是 1200.50 元，大写金额“壹仟贰佰元整”却是 1200.00 元。";
    QTest::newRow("capitals 万 for 仟")
        << "60708.09" << "陆仟零柒佰零捌元零玖分" << "· · · · · · · ￥ 6 0 7 0 8 0 9"
        << "大写金额“陆仟零柒佰零捌元零玖分”无法读出金额: 第 5 个字“佰”“零”前后的数位是相连的，不应写“零”。";
    QTest::newRow("a box altered")
        << "1200.50" << "壹仟贰佰元伍角整" << "· · · · · · · · ￥ 7 2 0 0 5 0"
        << "数字格与金额不一致，不能打印: 金额是 1200.50 元，数字格（· · · · · · · · ￥ 7 2 0 0 5 0）却是 7200.50 元。";
    QTest::newRow("a box shifted")
        << "1200.50" << "壹仟贰佰元伍角整" << "· · · · · · · ￥ 1 2 0 0 5 0 0"
        << "数字格与金额不一致，不能打印: 金额是 1200.50 元，数字格（· · · · · · · ￥ 1 2 0 0 5 0 0）却是 12005.00 元。";
    QTest::newRow("the ￥ missing")
        << "1200.50" << "壹仟贰佰元伍角整" << "· · · · · · · · · 1 2 0 0 5 0"
        << "数字格（· · · · · · · · · 1 2 0 0 5 0）从右数第 7 格是空的: “￥”右边每格应是一个数字。";
    QTest::newRow("the amount field altered")
        << "1300.50" << "壹仟贰佰元伍角整" << "· · · · · · · · ￥ 1 2 0 0 5 0"
        << "大写金额与金额不一致，不能打印: 金额是 1300.50 元，大写金额“壹仟贰佰元伍角整”却是 1200.50 元。";
    QTest::newRow("zero text for an amount")
        << "5.00" << " 零元零角整" << "· · · · · · · · · · · ￥ 5 0 0"
        << "大写金额与金额不一致，不能打印: 金额是 5.00 元，大写金额“零元零角整”却是 0.00 元。";
    QTest::newRow("capitals emptied") << "5.00" << "" << "· · · · · · · · · · · ￥ 5 0 0" << "大写金额是空的，无法核对金额。";
}

void TestAmountCheck::forgeryRefused()
{
    QFETCH(QString, amount);
    QFETCH(QString, capitals);
    QFETCH(QString, leftToRight);
    QFETCH(QString, message);
    QCOMPARE(errorOf([&] { CheckAmountAgreement(amount, capitals, boxes(leftToRight)); }), message);
}

QTEST_GUILESS_MAIN(TestAmountCheck)
#include "tst_amountcheck.moc"
