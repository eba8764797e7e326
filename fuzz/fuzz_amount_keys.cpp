// The amount field's key rules on arbitrary edits: any text before, any text after (a paste of
// anything, a deletion, an undo), any cursor inside it.

#include "fuzz/FuzzText.h"
#include "numerals/Amount.h"

using namespace QuillmateFuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString before = takeText(data);
    const QString after = takeText(data);
    const int cursor = data.ConsumeIntegralInRange<int>(0, int(after.size()));
    const QString input = before + QStringLiteral(" -> ") + after;

    const Zt_typro::AmountEdit edit = Zt_typro::ApplyAmountKeyRules(before, after, cursor);
    if (!edit.accepted) {
        // A refused edit leaves the field as it was.
        check(edit.text == before, "a refused edit changed the text", input, edit.text);
        check(edit.cursor >= 0 && edit.cursor <= before.size(), "refused cursor outside the text", input);
        return 0;
    }
    check(edit.cursor >= 0 && edit.cursor <= edit.text.size(), "cursor outside the text", input, edit.text);
    check(edit.text.size() <= after.size(), "the rules added characters", input, edit.text);
    // Whatever the field takes is an amount text that completes, fills the boxes and reads in capitals.
    check(Zt_typro::IsAmountText(edit.text), "the field took a text that is no amount", input, edit.text);
    const QString completed = Zt_typro::CompleteAmountText(edit.text);
    const QString digits = Zt_typro::AmountDigitString(completed);
    check(Zt_typro::DigitBoxTexts(digits).size() == Zt_typro::kDigitBoxCount, "digit boxes", input, digits);
    check(!Zt_typro::AmountToCapitals(completed).isEmpty(), "empty capitals", input, completed);

    // Typing what the field holds once more, as a paste over nothing, keeps it as it is.
    const Zt_typro::AmountEdit again = Zt_typro::ApplyAmountKeyRules(QString(), edit.text, int(edit.text.size()));
    check(again.accepted && again.text == edit.text, "pasting an accepted text changed it", edit.text, again.text);
    return 0;
}
