#include "numerals/Amount.h"

#include "common/Error.h"

#include <algorithm>

namespace Zt_typro
{

namespace
{

const QString kCapitalDigits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
// Unit of each digit counted from the right of a digit string: index 0 is fen.
const QString kUnits = QStringLiteral("分角元拾佰仟万拾佰仟亿拾佰仟万拾佰仟亿");
const QChar kZero = kCapitalDigits.at(0);
const QChar kPoint = u'.';
constexpr int kMaxDigitStringLength = kMaxAmountIntegerDigits + kMaxAmountDecimals;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAllDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), isDigit);
}

// Digits before and after the point of a text of digits and at most one point.
struct AmountParts
{
    QString integer;
    QString decimals;
    bool hasPoint = false;
};

// Splits a text of digits and points; false when it holds anything else or more than one point.
bool splitAmount(const QString& text, AmountParts* parts)
{
    const qsizetype point = text.indexOf(kPoint);
    parts->hasPoint = point >= 0;
    parts->integer = parts->hasPoint ? text.left(point) : text;
    parts->decimals = parts->hasPoint ? text.mid(point + 1) : QString();
    return isAllDigits(parts->integer) && isAllDigits(parts->decimals);
}

bool withinFieldLimits(const AmountParts& parts)
{
    return parts.integer.size() <= kMaxAmountIntegerDigits && parts.decimals.size() <= kMaxAmountDecimals;
}

QString invalidAmountMessage(const QString& text)
{
    return QStringLiteral("金额“%1”无效:金额只能由数字和一个小数点组成,小数点前最多12位,小数点后最多2位")
        .arg(text);
}

} // namespace

QString ZeroAmountCapitals()
{
    return QStringLiteral(" 零元零角整");
}

AmountEdit ApplyAmountKeyRules(const QString& before, const QString& after, int cursor)
{
    // The edit left a head and a tail of the text alone and put in what lies between them. What was
    // put in ends at the cursor, so the tail is matched first and no further left than the cursor:
    // pasting "12.5" in front of "12.5" puts in the first point, not the second.
    const qsizetype shorter = std::min(before.size(), after.size());
    const qsizetype afterCursor = after.size() - std::clamp<qsizetype>(cursor, 0, after.size());
    qsizetype tail = 0;
    while (tail < std::min(shorter, afterCursor)
           && before.at(before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
        ++tail;
    qsizetype head = 0;
    while (head < shorter - tail && before.at(head) == after.at(head))
        ++head;
    const qsizetype insertedEnd = after.size() - tail;
    const bool untouchedHasPoint =
        after.left(head).contains(kPoint) || after.mid(insertedEnd).contains(kPoint);

    AmountEdit edit;
    bool pointKept = false;
    for (qsizetype i = 0; i < after.size(); ++i) {
        const QChar c = after.at(i);
        const bool inserted = i >= head && i < insertedEnd;
        bool keep = isDigit(c);
        if (c == kPoint && !pointKept && !(inserted && untouchedHasPoint)) {
            keep = true;
            pointKept = true;
        }
        if (keep) {
            edit.text += c;
            if (i < cursor)
                ++edit.cursor;
        }
    }

    AmountParts parts;
    splitAmount(edit.text, &parts);
    if (!withinFieldLimits(parts))
        return AmountEdit{before, static_cast<int>(std::min<qsizetype>(cursor, before.size())), false};
    edit.accepted = true;
    return edit;
}

bool IsAmountText(const QString& text)
{
    AmountParts parts;
    return splitAmount(text.trimmed(), &parts) && withinFieldLimits(parts);
}

QString CompleteAmountText(const QString& text)
{
    const QString trimmed = text.trimmed();
    AmountParts parts;
    if (!splitAmount(trimmed, &parts) || !withinFieldLimits(parts))
        throw AppError(invalidAmountMessage(text));
    if (!parts.hasPoint)
        return trimmed + QStringLiteral(".00");
    return trimmed + QString(kMaxAmountDecimals - parts.decimals.size(), u'0');
}

bool AmountInFen(const QString& text, qint64* fen)
{
    const QString trimmed = text.trimmed();
    AmountParts parts;
    if (trimmed.isEmpty() || trimmed == kPoint || !splitAmount(trimmed, &parts) || !withinFieldLimits(parts))
        return false;
    // At most 12 + 2 figures: within a qint64 whatever they are.
    qint64 value = 0;
    for (const QChar c : parts.integer + parts.decimals.leftJustified(kMaxAmountDecimals, u'0'))
        value = value * 10 + (c.unicode() - u'0');
    *fen = value;
    return true;
}

QString GroupedAmount(const QString& amount)
{
    qint64 fen = 0;
    return AmountInFen(amount, &fen) ? GroupedAmountText(fen) : amount;
}

QString GroupedAmountText(qint64 fen)
{
    const bool negative = fen < 0;
    // The magnitude as unsigned: the most negative qint64 has no positive counterpart.
    const quint64 magnitude = negative ? quint64(0) - quint64(fen) : quint64(fen);
    const QString yuan = QString::number(magnitude / 100);
    QString grouped;
    for (qsizetype i = 0; i < yuan.size(); ++i) {
        if (i > 0 && (yuan.size() - i) % 3 == 0)
            grouped += u',';
        grouped += yuan.at(i);
    }
    return (negative ? QStringLiteral("-") : QString()) + grouped + kPoint +
           QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString AmountDigitString(const QString& completedText)
{
    QString digits = completedText.trimmed();
    digits.remove(kPoint);
    return digits;
}

QStringList DigitBoxTexts(const QString& digitString)
{
    if (!isAllDigits(digitString))
        throw AppError(QStringLiteral("数字“%1”中有不是数字的字符,无法填入数字框").arg(digitString));
    if (digitString.size() > kMaxDigitStringLength)
        throw AppError(QStringLiteral("金额数字“%1”超过%2位,数字框放不下").arg(digitString).arg(kMaxDigitStringLength));
    QStringList boxes;
    boxes.reserve(kDigitBoxCount);
    for (qsizetype k = 0; k < digitString.size(); ++k)
        boxes.append(QString(digitString.at(digitString.size() - 1 - k)));
    boxes.append(QStringLiteral("￥"));
    while (boxes.size() < kDigitBoxCount)
        boxes.append(QString());
    return boxes;
}

QString AmountToCapitals(const QString& amountText)
{
    const QString trimmed = amountText.trimmed();
    AmountParts parts;
    if (trimmed.isEmpty() || !splitAmount(trimmed, &parts) || parts.decimals.size() > kMaxAmountDecimals)
        throw AppError(invalidAmountMessage(amountText));

    // With a point the decimals are completed to jiao and fen; without one the text is a digit string.
    QString digits = parts.hasPoint ? parts.integer + parts.decimals.leftJustified(kMaxAmountDecimals, u'0')
                                    : parts.integer;
    // Leading zeros are no part of the amount: "050" is five jiao, not "元伍角".
    qsizetype firstSignificant = 0;
    while (firstSignificant < digits.size() && digits.at(firstSignificant) == u'0')
        ++firstSignificant;
    if (firstSignificant == digits.size())
        return ZeroAmountCapitals();
    digits = digits.mid(firstSignificant);
    if (digits.size() > kMaxDigitStringLength)
        throw AppError(invalidAmountMessage(amountText));

    const QString wan = QStringLiteral("万");
    const QString yuan = QStringLiteral("元");
    const QString yi = QStringLiteral("亿");
    QString result;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const int digit = digits.at(i).unicode() - u'0';
        const QChar unit = kUnits.at(digits.size() - 1 - i);
        if (digit != 0) {
            result += kCapitalDigits.at(digit);
            result += unit;
        } else if (unit == wan.at(0)) {
            // An all-zero 万 group after 亿 writes no 万; zeros before 万 go into it.
            if (result.endsWith(yi + kZero))
                continue;
            if (result.endsWith(kZero))
                result.chop(1);
            result += unit;
        } else if (unit == yuan.at(0) || unit == yi.at(0)) {
            if (result.endsWith(kZero))
                result.chop(1);
            result += unit;
        } else if (!result.endsWith(kZero)) {
            // A run of zeros inside a group writes one 零.
            result += kZero;
        }
    }

    if (result.endsWith(yuan + kZero) || result.endsWith(QStringLiteral("角零"))) {
        result.chop(1);
        result += QStringLiteral("整");
    } else if (result.endsWith(kZero)) {
        result.chop(1);
        result += QStringLiteral("元整");
    }
    return result;
}

} // namespace Zt_typro
