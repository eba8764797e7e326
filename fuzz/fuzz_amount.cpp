// Completion, the digit string, the digit boxes and the amount in capitals on arbitrary text.

#include "fuzz/FuzzText.h"
#include "numerals/Amount.h"

using namespace QuillmateFuzz;

namespace
{

const QString kCapitalDigits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
const QString kCapitalsAlphabet = QStringLiteral("零壹贰叁肆伍陆柒捌玖拾佰仟万亿元角分整");

// The capitals as a bank clerk checks them: only capital numerals and units, one 零 at a time,
// never first, ending in 整 or 分, and the non-zero digits in the order of the amount's digits.
void checkCapitals(const QString& input, const QString& digitString, const QString& capitals)
{
    QString significant;
    for (QChar c : digitString) {
        if (c != u'0')
            significant += kCapitalDigits.at(c.unicode() - u'0');
    }
    if (significant.isEmpty()) {
        check(capitals == Zt_typro::ZeroAmountCapitals(), "zero amount capitals", input, capitals);
        return;
    }
    QString read;
    for (QChar c : capitals) {
        check(kCapitalsAlphabet.contains(c), "a character that is no capital numeral", input, capitals);
        if (c != kCapitalDigits.at(0) && kCapitalDigits.contains(c))
            read += c;
    }
    check(read == significant, "capitals do not read the amount's digits", input, capitals);
    check(!capitals.startsWith(kCapitalDigits.at(0)), "capitals start with 零", input, capitals);
    check(!capitals.contains(QStringLiteral("零零")), "two 零 in a row", input, capitals);
    check(capitals.endsWith(u'整') || capitals.endsWith(u'分'), "capitals end in neither 整 nor 分", input, capitals);
    check(capitals.endsWith(u'分') == !digitString.endsWith(u'0'), "整 and 分 disagree with the fen digit", input,
          capitals);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString text = takeText(data);

    const bool amount = Zt_typro::IsAmountText(text);
    QString completed;
    const bool completes = refusedOrDone([&] { completed = Zt_typro::CompleteAmountText(text); });
    check(amount == completes, "completion disagrees with IsAmountText", text, completed);

    if (completes) {
        check(Zt_typro::IsAmountText(completed), "a completed text is no amount text", text, completed);
        check(completed.indexOf(u'.') == completed.size() - 3, "not completed to two decimals", text, completed);
        check(Zt_typro::CompleteAmountText(completed) == completed, "completion is not stable", text, completed);
        const QString digits = Zt_typro::AmountDigitString(completed);
        const QStringList boxes = Zt_typro::DigitBoxTexts(digits);
        check(boxes.size() == Zt_typro::kDigitBoxCount, "digit box count", text, digits);
        QString fromBoxes;
        for (qsizetype i = 0; i < digits.size(); ++i)
            fromBoxes.prepend(boxes.at(i));
        check(fromBoxes == digits, "boxes do not hold the digits", text, fromBoxes);
        check(boxes.at(digits.size()) == QStringLiteral("￥"), "no ￥ left of the highest digit", text, digits);
        const QString capitals = Zt_typro::AmountToCapitals(completed);
        checkCapitals(text, digits, capitals);
        // A digit string and its amount text read the same.
        check(Zt_typro::AmountToCapitals(digits) == capitals, "digit string and amount text differ", text, digits);
    }

    // Whatever the text, the other routines either do their work or refuse with a message.
    refusedOrDone([&] { Zt_typro::AmountToCapitals(text); });
    refusedOrDone([&] { Zt_typro::DigitBoxTexts(text); });
    Zt_typro::AmountDigitString(text);
    return 0;
}
