#include "common/Error.h"
#include "numerals/Amount.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Zt_typro;

namespace
{

template <typename F>
QString errorOf(F&& body)
{
    try {
        body();
    } catch (const AppError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

// The fifteen box texts written left to right as on the form, "·" for an empty box.
QString boxesLeftToRight(const QStringList& texts)
{
    QStringList shown;
    for (auto it = texts.crbegin(); it != texts.crend(); ++it)
        shown.append(it->isEmpty() ? QStringLiteral("·") : *it);
    return shown.join(u' ');
}

const QString kInvalidTail = QStringLiteral("无效:金额只能由数字和一个小数点组成,小数点前最多12位,小数点后最多2位");

// Reads an amount in capitals back into fen, checking that it is well formed on the way: no
// doubled or trailing 零, no 零 before a unit it should have gone into, 整 exactly when there are
// no fen. Returns -1 with a reason in *why when the text is not such an amount.
qint64 parseCapitals(const QString& text, QString* why)
{
    if (text == QStringLiteral(" 零元零角整"))
        return 0;
    const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    const QStringList bad = {QStringLiteral("零零"), QStringLiteral("零元"), QStringLiteral("零万"),
                             QStringLiteral("零亿"), QStringLiteral("零整"), QStringLiteral("亿万"),
                             QStringLiteral("零角"), QStringLiteral("零分")};
    for (const QString& b : bad) {
        if (text.contains(b)) {
            *why = QStringLiteral("contains ") + b;
            return -1;
        }
    }
    if (text.startsWith(u'零')) {
        *why = QStringLiteral("starts with 零");
        return -1;
    }
    qint64 yuan = 0;    // everything above the current 亿 and 万 sections
    qint64 section = 0; // the group being read (below 万)
    qint64 number = -1; // the last digit read, -1 when none is pending
    qint64 jiao = 0, fen = 0;
    bool ended = false;
    for (QChar c : text) {
        if (ended) {
            *why = QStringLiteral("text after 整");
            return -1;
        }
        if (c == u'零')
            continue; // a zero between groups or units: its place is already empty
        const qsizetype d = digits.indexOf(c);
        if (d >= 0) {
            if (number >= 0) {
                *why = QStringLiteral("two digits in a row");
                return -1;
            }
            number = d;
            continue;
        }
        const qint64 value = number < 0 ? -1 : number;
        switch (c.unicode()) {
        case u'拾': case u'佰': case u'仟':
            if (value <= 0) {
                *why = QStringLiteral("unit without digit");
                return -1;
            }
            section += value * (c == u'拾' ? 10 : c == u'佰' ? 100 : 1000);
            break;
        case u'万':
            yuan += (section + qMax<qint64>(value, 0)) * 10000;
            section = 0;
            break;
        case u'亿':
            yuan = (yuan + section + qMax<qint64>(value, 0)) * 100000000;
            section = 0;
            break;
        case u'元':
            yuan += section + qMax<qint64>(value, 0);
            section = 0;
            break;
        case u'角':
            jiao = value;
            break;
        case u'分':
            fen = value;
            break;
        case u'整':
            ended = true;
            break;
        default:
            *why = QStringLiteral("unexpected character ") + c;
            return -1;
        }
        number = -1;
    }
    if (text.endsWith(u'整') == (fen != 0)) {
        *why = QStringLiteral("整 does not match the fen");
        return -1;
    }
    if (jiao < 0 || fen < 0 || number >= 0) {
        *why = QStringLiteral("dangling digit");
        return -1;
    }
    return yuan * 100 + jiao * 10 + fen;
}

} // namespace

class TestAmount : public QObject
{
    Q_OBJECT

private slots:
    void worked_data();
    void worked();
    void capitalsOfTextsWithPoint_data();
    void capitalsOfTextsWithPoint();
    void badAmounts_data();
    void badAmounts();
    void boxTextsRefuseWhatDoesNotFit();
    void keyRules_data();
    void keyRules();
    void roundTrip();
    void groupedAmount_data();
    void groupedAmount();
};

void TestAmount::worked_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("completed");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("capitals");

    QTest::newRow("1200") << "1200" << "1200.00" << "· · · · · · · · ￥ 1 2 0 0 0 0" << "壹仟贰佰元整";
    QTest::newRow("1200.5") << "1200.5" << "1200.50" << "· · · · · · · · ￥ 1 2 0 0 5 0" << "壹仟贰佰元伍角整";
    QTest::newRow("1200.05") << "1200.05" << "1200.05" << "· · · · · · · · ￥ 1 2 0 0 0 5" << "壹仟贰佰元零伍分";
    QTest::newRow("12.5") << "12.5" << "12.50" << "· · · · · · · · · · ￥ 1 2 5 0" << "壹拾贰元伍角整";
    QTest::newRow("5") << "5" << "5.00" << "· · · · · · · · · · · ￥ 5 0 0" << "伍元整";
    QTest::newRow("10") << "10" << "10.00" << "· · · · · · · · · · ￥ 1 0 0 0" << "壹拾元整";
    QTest::newRow(".5") << ".5" << ".50" << "· · · · · · · · · · · · ￥ 5 0" << "伍角整";
    QTest::newRow("0.00") << "0.00" << "0.00" << "· · · · · · · · · · · ￥ 0 0 0" << " 零元零角整";
    QTest::newRow("empty") << "" << ".00" << "· · · · · · · · · · · · ￥ 0 0" << " 零元零角整";
    QTest::newRow("100000") << "100000" << "100000.00" << "· · · · · · ￥ 1 0 0 0 0 0 0 0" << "壹拾万元整";
    QTest::newRow("1005000") << "1005000" << "1005000.00" << "· · · · · ￥ 1 0 0 5 0 0 0 0 0" << "壹佰万伍仟元整";
    QTest::newRow("10050.8") << "10050.8" << "10050.80" << "· · · · · · · ￥ 1 0 0 5 0 8 0" << "壹万零伍拾元捌角整";
    QTest::newRow("60708.09") << "60708.09" << "60708.09" << "· · · · · · · ￥ 6 0 7 0 8 0 9"
                              << "陆万零柒佰零捌元零玖分";
    QTest::newRow("20000.01") << "20000.01" << "20000.01" << "· · · · · · · ￥ 2 0 0 0 0 0 1" << "贰万元零壹分";
    QTest::newRow("1000500.07") << "1000500.07" << "1000500.07" << "· · · · · ￥ 1 0 0 0 5 0 0 0 7"
                                << "壹佰万零伍佰元零柒分";
    QTest::newRow("100000001") << "100000001" << "100000001.00" << "· · · ￥ 1 0 0 0 0 0 0 0 1 0 0"
                               << "壹亿零壹元整";
    QTest::newRow("100010000") << "100010000" << "100010000.00" << "· · · ￥ 1 0 0 0 1 0 0 0 0 0 0"
                               << "壹亿零壹万元整";
    QTest::newRow("1000000000") << "1000000000" << "1000000000.00" << "· · ￥ 1 0 0 0 0 0 0 0 0 0 0 0"
                                << "壹拾亿元整";
    QTest::newRow("987654321098.76") << "987654321098.76" << "987654321098.76"
                                     << "￥ 9 8 7 6 5 4 3 2 1 0 9 8 7 6"
                                     << "玖仟捌佰柒拾陆亿伍仟肆佰叁拾贰万壹仟零玖拾捌元柒角陆分";
    // Further cases of the same rules.
    QTest::newRow("1012 one zero in a group") << "1012" << "1012.00" << "· · · · · · · · ￥ 1 0 1 2 0 0"
                                              << "壹仟零壹拾贰元整";
    QTest::newRow("all 15 boxes") << "123456789012.34" << "123456789012.34" << "￥ 1 2 3 4 5 6 7 8 9 0 1 2 3 4"
                                  << "壹仟贰佰叁拾肆亿伍仟陆佰柒拾捌万玖仟零壹拾贰元叁角肆分";
    QTest::newRow("100001000 zero 万 group") << "100001000" << "100001000.00" << "· · · ￥ 1 0 0 0 0 1 0 0 0 0 0"
                                             << "壹亿零壹仟元整";
    QTest::newRow("blanks trimmed") << " 12.5 " << "12.50" << "· · · · · · · · · · ￥ 1 2 5 0" << "壹拾贰元伍角整";
    // The open cases, as decided for the program.
    QTest::newRow("ending with the point") << "12." << "12.00" << "· · · · · · · · · · ￥ 1 2 0 0" << "壹拾贰元整";
    QTest::newRow("point alone") << "." << ".00" << "· · · · · · · · · · · · ￥ 0 0" << " 零元零角整";
    QTest::newRow("0.50 leading zero") << "0.50" << "0.50" << "· · · · · · · · · · · ￥ 0 5 0" << "伍角整";
    QTest::newRow("0.05 leading zero") << "0.05" << "0.05" << "· · · · · · · · · · · ￥ 0 0 5" << "伍分";
    QTest::newRow("007 leading zeros") << "007" << "007.00" << "· · · · · · · · · ￥ 0 0 7 0 0" << "柒元整";
    QTest::newRow("0 alone") << "0" << "0.00" << "· · · · · · · · · · · ￥ 0 0 0" << " 零元零角整";
}

void TestAmount::worked()
{
    QFETCH(QString, typed);
    QFETCH(QString, completed);
    QFETCH(QString, boxes);
    QFETCH(QString, capitals);

    QVERIFY(IsAmountText(typed));
    QCOMPARE(CompleteAmountText(typed), completed);
    QCOMPARE(CompleteAmountText(completed), completed); // leaving the field again changes nothing
    const QString digits = AmountDigitString(completed);
    QCOMPARE(digits, QString(completed).remove(u'.'));
    const QStringList texts = DigitBoxTexts(digits);
    QCOMPARE(texts.size(), 15);
    QCOMPARE(boxesLeftToRight(texts), boxes);
    QCOMPARE(AmountToCapitals(digits), capitals);
    QCOMPARE(AmountToCapitals(completed), capitals);
}

void TestAmount::capitalsOfTextsWithPoint_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("capitals");

    QTest::newRow("one decimal") << "1200.5" << "壹仟贰佰元伍角整";
    QTest::newRow("no decimals") << "12." << "壹拾贰元整";
    QTest::newRow("jiao only") << ".5" << "伍角整";
    QTest::newRow("zero with one decimal") << "0.0" << " 零元零角整";
    QTest::newRow("leading zero digit string") << "050" << "伍角整";
    QTest::newRow("digit string of zeros") << "000" << " 零元零角整";
    QTest::newRow("fen only digit string") << "5" << "伍分";
    QTest::newRow("leading zeros over 12 digits") << "0000000000001.00" << "壹元整";
}

void TestAmount::capitalsOfTextsWithPoint()
{
    QFETCH(QString, text);
    QFETCH(QString, capitals);
    QCOMPARE(AmountToCapitals(text), capitals);
}

void TestAmount::badAmounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("completes");  // CompleteAmountText accepts it
    QTest::addColumn<bool>("converts");   // AmountToCapitals accepts it

    QTest::newRow("comma") << "1,000" << false << false;
    QTest::newRow("letter") << "12a" << false << false;
    QTest::newRow("two points") << "1.2.3" << false << false;
    QTest::newRow("three decimals") << "12.345" << false << false;
    QTest::newRow("13 digits: a digit string, no amount text") << "1234567890123" << false << true;
    QTest::newRow("13 integer digits with point") << "1234567890123.00" << false << false;
    QTest::newRow("15-digit digit string") << "123456789012345" << false << false;
    QTest::newRow("inner blank") << "12 5" << false << false;
    QTest::newRow("sign") << "-5" << false << false;
    QTest::newRow("full-width digits") << "１２" << false << false;
    QTest::newRow("empty") << "" << true << false;
}

void TestAmount::badAmounts()
{
    QFETCH(QString, text);
    QFETCH(bool, completes);
    QFETCH(bool, converts);
    const QString message = QStringLiteral("金额“%1”").arg(text) + kInvalidTail;
    QCOMPARE(IsAmountText(text), completes);
    QCOMPARE(errorOf([&] { CompleteAmountText(text); }), completes ? QStringLiteral("<no error>") : message);
    QCOMPARE(errorOf([&] { AmountToCapitals(text); }), converts ? QStringLiteral("<no error>") : message);
}

void TestAmount::boxTextsRefuseWhatDoesNotFit()
{
    QCOMPARE(errorOf([] { DigitBoxTexts(QStringLiteral("123456789012345")); }),
             QStringLiteral("金额数字“123456789012345”超过14位,数字框放不下"));
    QCOMPARE(errorOf([] { DigitBoxTexts(QStringLiteral("12.50")); }),
             QStringLiteral("数字“12.50”中有不是数字的字符,无法填入数字框"));
    QCOMPARE(boxesLeftToRight(DigitBoxTexts(QString())), QStringLiteral("· · · · · · · · · · · · · · ￥"));
}

void TestAmount::keyRules_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("textCursor");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("digit") << "" << "1" << 1 << "1" << 1 << true;
    QTest::newRow("paste of 12.5 in front of 12.5") << "12.5" << "12.512.5" << 4 << "12512.5" << 3 << true;
    QTest::newRow("paste of 12.5 after 12.5 refused") << "12.5" << "12.512.5" << 8 << "12.5" << 4 << false;
    QTest::newRow("point typed before the point") << "1." << "1.." << 2 << "1." << 1 << true;
    QTest::newRow("point") << "12" << "12." << 3 << "12." << 3 << true;
    QTest::newRow("letter ignored") << "12" << "12a" << 3 << "12" << 2 << true;
    QTest::newRow("letter in the middle ignored") << "12" << "1a2" << 2 << "12" << 1 << true;
    QTest::newRow("blank ignored") << "12" << "12 " << 3 << "12" << 2 << true;
    QTest::newRow("comma ignored") << "1" << "1," << 2 << "1" << 1 << true;
    QTest::newRow("Chinese character ignored") << "1" << "1元" << 2 << "1" << 1 << true;
    QTest::newRow("full-width digit ignored") << "1" << "1２" << 2 << "1" << 1 << true;
    QTest::newRow("second point ignored") << "12.5" << "12.5." << 5 << "12.5" << 4 << true;
    QTest::newRow("point before the point ignored") << "12.5" << ".12.5" << 1 << "12.5" << 0 << true;
    QTest::newRow("paste filtered") << "" << "1,000.50" << 8 << "1000.50" << 7 << true;
    QTest::newRow("paste with two points") << "" << "1.2.3" << 5 << "1.23" << 4 << true;
    QTest::newRow("paste of 3.4 over 12 keeps the old point") << "12.5" << "3.4.5" << 3 << "34.5" << 2 << true;
    QTest::newRow("paste with point after selected point") << "12.5" << "13.7" << 4 << "13.7" << 4 << true;
    QTest::newRow("12th digit") << "12345678901" << "123456789012" << 12 << "123456789012" << 12 << true;
    QTest::newRow("13th digit refused") << "123456789012" << "1234567890123" << 13 << "123456789012" << 12 << false;
    QTest::newRow("13th digit in front refused") << "123456789012" << "9123456789012" << 1 << "123456789012" << 1
                                                 << false;
    QTest::newRow("point after 12 digits") << "123456789012" << "123456789012." << 13 << "123456789012." << 13
                                           << true;
    QTest::newRow("second decimal") << "12.3" << "12.34" << 5 << "12.34" << 5 << true;
    QTest::newRow("third decimal refused") << "12.34" << "12.345" << 6 << "12.34" << 5 << false;
    QTest::newRow("point making three decimals refused") << "12345" << "12.345" << 3 << "12345" << 3 << false;
    QTest::newRow("deleting the point that would overflow refused")
        << "123456789012.34" << "12345678901234" << 12 << "123456789012.34" << 12 << false;
    QTest::newRow("deleting the point") << "12.34" << "1234" << 2 << "1234" << 2 << true;
    QTest::newRow("backspace") << "12.5" << "12." << 3 << "12." << 3 << true;
    QTest::newRow("clearing") << "12.5" << "" << 0 << "" << 0 << true;
    QTest::newRow("paste of 13 digits refused") << "" << "1234567890123" << 13 << "" << 0 << false;
    QTest::newRow("paste of spaced digits") << "" << "1 234 567.8" << 11 << "1234567.8" << 9 << true;
    QTest::newRow("digit before the point at 12 refused") << "123456789012.5" << "1234567890123.5" << 13
                                                         << "123456789012.5" << 13 << false;
    QTest::newRow("digit after the point at 12 integer digits") << "123456789012.5" << "123456789012.55" << 15
                                                                << "123456789012.55" << 15 << true;
}

void TestAmount::keyRules()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, cursor);
    QFETCH(QString, text);
    QFETCH(int, textCursor);
    QFETCH(bool, accepted);
    const AmountEdit edit = ApplyAmountKeyRules(before, after, cursor);
    QCOMPARE(edit.accepted, accepted);
    QCOMPARE(edit.text, text);
    QCOMPARE(edit.cursor, textCursor);
}

void TestAmount::roundTrip()
{
    // Amounts of 1 to 12 integer digits with 0 to 2 decimals, zeros made frequent so that runs of
    // zeros, empty 万 groups and zero jiao or fen come up often.
    QRandomGenerator random(20051225);
    for (int i = 0; i < 20000; ++i) {
        const int integerDigits = random.bounded(1, 13);
        const int decimals = random.bounded(0, 3);
        QString typed;
        qint64 fen = 0;
        for (int k = 0; k < integerDigits; ++k) {
            const int digit = random.bounded(2) == 0 ? 0 : random.bounded(1, 10);
            typed += QChar(u'0' + digit);
            fen = fen * 10 + digit;
        }
        fen *= 100;
        if (decimals > 0)
            typed += u'.';
        for (int k = 0; k < decimals; ++k) {
            const int digit = random.bounded(3) == 0 ? 0 : random.bounded(1, 10);
            typed += QChar(u'0' + digit);
            fen += digit * (k == 0 ? 10 : 1);
        }

        const QString completed = CompleteAmountText(typed);
        const QString digits = AmountDigitString(completed);
        const QString capitals = AmountToCapitals(digits);
        QString why;
        const qint64 parsed = parseCapitals(capitals, &why);
        const QString context = typed + QStringLiteral(" -> ") + capitals + u' ' + why;
        QVERIFY2(parsed == fen, qPrintable(context));
        QVERIFY2(capitals == AmountToCapitals(completed), qPrintable(context));
        QVERIFY2(DigitBoxTexts(digits).indexOf(QStringLiteral("￥")) == digits.size(), qPrintable(context));
    }
}

void TestAmount::groupedAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("amount");
    QTest::addColumn<qint64>("fen");
    QTest::addColumn<QString>("grouped");
    QTest::newRow("completed") << "1234567.50" << true << qint64(123456750) << "1,234,567.50";
    QTest::newRow("one decimal") << "1234567.5" << true << qint64(123456750) << "1,234,567.50";
    QTest::newRow("no point") << "1000" << true << qint64(100000) << "1,000.00";
    QTest::newRow("under a thousand") << "999.99" << true << qint64(99999) << "999.99";
    QTest::newRow("point first") << ".5" << true << qint64(50) << "0.50";
    QTest::newRow("point last") << "12." << true << qint64(1200) << "12.00";
    QTest::newRow("leading zeros") << "007" << true << qint64(700) << "7.00";
    QTest::newRow("blanks around") << " 88 " << true << qint64(8800) << "88.00";
    QTest::newRow("twelve digits") << "999999999999.99" << true << qint64(99999999999999) << "999,999,999,999.99";
    QTest::newRow("nothing") << "0" << true << qint64(0) << "0.00";
    QTest::newRow("empty") << "" << false << qint64(0) << QString();
    QTest::newRow("point alone") << "." << false << qint64(0) << QString();
    QTest::newRow("already grouped") << "1,000.00" << false << qint64(0) << QString();
    QTest::newRow("three decimals") << "12.345" << false << qint64(0) << QString();
    QTest::newRow("thirteen digits") << "1234567890123" << false << qint64(0) << QString();
}

// The amount of an amount text in fen, and as a list shows it.
void TestAmount::groupedAmount()
{
    QFETCH(QString, text);
    QFETCH(bool, amount);
    QFETCH(qint64, fen);
    QFETCH(QString, grouped);
    qint64 read = -1;
    QCOMPARE(AmountInFen(text, &read), amount);
    QCOMPARE(read, amount ? fen : qint64(-1));
    if (amount)
        QCOMPARE(GroupedAmountText(read), grouped);
}

QTEST_GUILESS_MAIN(TestAmount)
#include "tst_amount.moc"
