#include "numerals/AmountCheck.h"

#include "common/Error.h"

#include <QList>

namespace Zt_typro
{
namespace
{
const QString kCapitalDigits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
const QString kZeroCapitals = QStringLiteral("零元零角整");
const QString kYen = QStringLiteral("￥");
constexpr int kBoxes = 15;

// Powers of ten up to 10^13 fen: the largest amount a form carries is 12 integer digits and 2 decimals.
qint64 pow10(int exponent)
{
    qint64 v = 1;
    for (int i = 0; i < exponent; ++i)
        v *= 10;
    return v;
}

int capitalDigit(QChar c)
{
    return int(kCapitalDigits.indexOf(c)); // -1 when c is not a capital digit
}

// The place of a unit inside its group of four: 拾 1, 佰 2, 仟 3; -1 for any other character.
int placeOfUnit(QChar c)
{
    switch (c.unicode()) {
    case u'拾':
        return 1;
    case u'佰':
        return 2;
    case u'仟':
        return 3;
    default:
        return -1;
    }
}

// Where reading the capitals stopped: the text, the 1-based position of the character, and why.
[[noreturn]] void unreadable(const QString& capitals, qsizetype index, const QString& why)
{
    const QString at = index < capitals.size() ? QStringLiteral("第 %1 个字“%2”").arg(index + 1).arg(capitals.at(index))
                                               : QStringLiteral("末尾");
    throw AppError(QStringLiteral("大写金额“%1”无法读出金额: %2%3。").arg(capitals, at, why));
}

// Reads the integer part of the capitals, text[begin, end), into yuan. Every non-zero digit has a
// place counted from the yuan digit (0) up to 仟亿 (11); groups are closed by 亿 and 万 in this
// order. A digit without a unit stands in the ones place of its group. Places must fall from left
// to right; 零 stands alone for a gap between two digits; a bare digit after a higher unit of its
// own group needs 零 or 拾 before it (壹仟壹 could be read as 1100 or 1001).
qint64 readIntegerPart(const QString& text, qsizetype begin, qsizetype end)
{
    // Group boundaries: 亿 then 万, each at most once.
    qsizetype yi = -1;
    qsizetype wan = -1;
    for (qsizetype i = begin; i < end; ++i) {
        if (text.at(i) == u'亿') {
            if (yi >= 0 || wan >= 0)
                unreadable(text, i, QStringLiteral("“亿”的位置不对"));
            yi = i;
        } else if (text.at(i) == u'万') {
            if (wan >= 0)
                unreadable(text, i, QStringLiteral("“万”出现了两次"));
            wan = i;
        }
    }
    struct Group
    {
        qsizetype begin;
        qsizetype end; // the group unit's index, or the end of the integer part
        int base;
    };
    QList<Group> groups;
    qsizetype from = begin;
    if (yi >= 0) {
        groups.append({from, yi, 8});
        from = yi + 1;
    }
    if (wan >= 0) {
        groups.append({from, wan, 4});
        from = wan + 1;
    }
    groups.append({from, end, 0});

    qint64 yuan = 0;
    int previousPlace = 12; // above the highest place: the first digit may stand anywhere
    bool anyDigit = false;
    for (const Group& g : groups) {
        bool groupHasDigit = false;
        int groupPrevious = 4; // place inside the group of the last digit written in it
        bool zeroBefore = false;
        for (qsizetype i = g.begin; i < g.end; ++i) {
            const QChar c = text.at(i);
            const int d = capitalDigit(c);
            if (d < 0) {
                unreadable(text, i, placeOfUnit(c) >= 0 ? QStringLiteral("单位前面没有数字")
                                                        : QStringLiteral("不是大写数字或金额单位"));
            }
            if (d == 0) {
                if (zeroBefore)
                    unreadable(text, i, QStringLiteral("“零”连写了两次"));
                if (!anyDigit)
                    unreadable(text, i, QStringLiteral("金额不能以“零”开头"));
                if (i + 1 >= g.end || capitalDigit(text.at(i + 1)) <= 0)
                    unreadable(text, i, QStringLiteral("“零”后面应是一个非零数字"));
                zeroBefore = true;
                continue;
            }
            int place = 0;
            if (i + 1 < g.end) {
                const QChar next = text.at(i + 1);
                place = placeOfUnit(next);
                if (place < 0)
                    unreadable(text, i + 1, QStringLiteral("两个数字之间缺少单位"));
                ++i; // the unit belongs to this digit
            }
            const int globalPlace = g.base + place;
            if (globalPlace >= previousPlace)
                unreadable(text, i, QStringLiteral("单位的次序不对"));
            if (zeroBefore && globalPlace >= previousPlace - 1)
                unreadable(text, i, QStringLiteral("“零”前后的数位是相连的，不应写“零”"));
            if (!zeroBefore && place == 0 && groupPrevious < 4 && groupPrevious != 1)
                unreadable(text, i, QStringLiteral("个位数字前缺少“零”，读法不明确"));
            yuan += d * pow10(globalPlace);
            previousPlace = globalPlace;
            groupPrevious = place;
            zeroBefore = false;
            groupHasDigit = true;
            anyDigit = true;
        }
        if (g.base > 0 && !groupHasDigit)
            unreadable(text, g.end, QStringLiteral("“%1”前面没有数字").arg(text.at(g.end)));
    }
    if (!anyDigit)
        unreadable(text, end, QStringLiteral("“元”前面没有数字"));
    return yuan;
}

// Reads what follows 元 (or the whole text of an amount below one yuan) into fen:
// 整 (after 元 only), X角整, X角Y分, 零Y分 (after 元 only), Y分 (without 元); X and Y not 零.
qint64 readDecimalPart(const QString& text, qsizetype begin, bool afterYuan)
{
    const QString tail = text.mid(begin);
    const auto digitAt = [&](qsizetype k) { return k < tail.size() ? capitalDigit(tail.at(k)) : -1; };
    const auto charAt = [&](qsizetype k) { return k < tail.size() ? tail.at(k) : QChar(); };
    if (afterYuan && tail == QStringLiteral("整"))
        return 0;
    if (digitAt(0) > 0 && charAt(1) == u'角') {
        if (tail.size() == 3 && charAt(2) == u'整')
            return digitAt(0) * 10;
        if (tail.size() == 4 && digitAt(2) > 0 && charAt(3) == u'分')
            return digitAt(0) * 10 + digitAt(2);
        unreadable(text, begin + 2, QStringLiteral("“角”后面应是“整”或几分"));
    }
    if (afterYuan && digitAt(0) == 0 && tail.size() == 3 && digitAt(1) > 0 && charAt(2) == u'分')
        return digitAt(1);
    if (!afterYuan && tail.size() == 2 && digitAt(0) > 0 && charAt(1) == u'分')
        return digitAt(0);
    if (tail.isEmpty())
        unreadable(text, text.size(), QStringLiteral("缺少“整”"));
    unreadable(text, begin, afterYuan ? QStringLiteral("“元”后面应是“整”、几角或几分") : QStringLiteral("不是大写金额"));
}

QString describeBoxes(const QStringList& boxTexts)
{
    QStringList shown;
    for (qsizetype i = boxTexts.size() - 1; i >= 0; --i)
        shown.append(boxTexts.at(i).isEmpty() ? QStringLiteral("·") : boxTexts.at(i));
    return shown.join(u' ');
}
} // namespace

qint64 AmountTextToFen(const QString& amountText)
{
    const QString text = amountText.trimmed();
    const qsizetype point = text.indexOf(u'.');
    const QString integer = point >= 0 ? text.left(point) : text;
    const QString decimals = point >= 0 ? text.mid(point + 1) : QString();
    const auto allDigits = [](const QString& s) {
        for (const QChar c : s) {
            if (c < u'0' || c > u'9')
                return false;
        }
        return true;
    };
    if (text.isEmpty() || text == QStringLiteral(".") || !allDigits(integer) || !allDigits(decimals)
        || decimals.size() > 2 || integer.size() > 14) {
        throw AppError(QStringLiteral("金额“%1”不是有效的金额，无法核对大写金额和数字格。").arg(amountText));
    }
    qint64 fen = 0;
    for (const QChar c : integer)
        fen = fen * 10 + (c.unicode() - u'0');
    const QString cents = (decimals + QStringLiteral("00")).left(2);
    return fen * 100 + (cents.at(0).unicode() - u'0') * 10 + (cents.at(1).unicode() - u'0');
}

qint64 CapitalsToFen(const QString& capitals)
{
    const QString text = capitals.trimmed();
    if (text.isEmpty())
        throw AppError(QStringLiteral("大写金额是空的，无法核对金额。"));
    if (text == kZeroCapitals)
        return 0;
    const qsizetype yuanAt = text.indexOf(u'元');
    if (yuanAt < 0)
        return readDecimalPart(text, 0, false);
    if (text.indexOf(u'元', yuanAt + 1) >= 0)
        unreadable(text, text.indexOf(u'元', yuanAt + 1), QStringLiteral("“元”出现了两次"));
    const qint64 yuan = readIntegerPart(text, 0, yuanAt);
    return yuan * 100 + readDecimalPart(text, yuanAt + 1, true);
}

qint64 DigitBoxesToFen(const QStringList& boxTexts)
{
    if (boxTexts.size() != kBoxes) {
        throw AppError(QStringLiteral("数字格应有 %1 格，实际有 %2 格，无法核对金额。").arg(kBoxes).arg(boxTexts.size()));
    }
    const QString shown = describeBoxes(boxTexts);
    qint64 fen = 0;
    int yenAt = -1;
    for (int i = 0; i < kBoxes; ++i) {
        const QString box = boxTexts.at(i).trimmed();
        if (box == kYen) {
            yenAt = i;
            break;
        }
        if (box.size() != 1 || box.at(0) < u'0' || box.at(0) > u'9') {
            const QString what = box.isEmpty() ? QStringLiteral("是空的") : QStringLiteral("是“%1”").arg(box);
            throw AppError(QStringLiteral("数字格（%1）从右数第 %2 格%3: “￥”右边每格应是一个数字。").arg(shown).arg(i + 1).arg(what));
        }
        fen += (box.at(0).unicode() - u'0') * pow10(i);
    }
    if (yenAt < 0)
        throw AppError(QStringLiteral("数字格（%1）中没有人民币符号“￥”。").arg(shown));
    if (yenAt < 2)
        throw AppError(QStringLiteral("数字格（%1）中“￥”右边应至少有角、分两格数字。").arg(shown));
    for (int i = yenAt + 1; i < kBoxes; ++i) {
        if (!boxTexts.at(i).trimmed().isEmpty()) {
            throw AppError(
                QStringLiteral("数字格（%1）从右数第 %2 格在“￥”左边，却写着“%3”。").arg(shown).arg(i + 1).arg(boxTexts.at(i)));
        }
    }
    return fen;
}

QString FenToAmountText(qint64 fen)
{
    const QString sign = fen < 0 ? QStringLiteral("-") : QString();
    const qint64 v = fen < 0 ? -fen : fen;
    return sign + QStringLiteral("%1.%2").arg(v / 100).arg(v % 100, 2, 10, QLatin1Char('0'));
}

void CheckAmountAgreement(const QString& amountField, const QString& capitals, const QStringList& boxTexts)
{
    const qint64 amount = AmountTextToFen(amountField);
    const qint64 fromCapitals = CapitalsToFen(capitals);
    if (fromCapitals != amount) {
        throw AppError(QStringLiteral("大写金额与金额不一致，不能打印: 金额是 %1 元，大写金额“%2”却是 %3 元。")
                           .arg(FenToAmountText(amount), capitals.trimmed(), FenToAmountText(fromCapitals)));
    }
    const qint64 fromBoxes = DigitBoxesToFen(boxTexts);
    if (fromBoxes != amount) {
        throw AppError(QStringLiteral("数字格与金额不一致，不能打印: 金额是 %1 元，数字格（%2）却是 %3 元。")
                           .arg(FenToAmountText(amount), describeBoxes(boxTexts), FenToAmountText(fromBoxes)));
    }
}

} // namespace Zt_typro
