#include "print/ChequeTexts.h"

#include "numerals/Amount.h"
#include "numerals/Dates.h"
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "store/ChequeStore.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>

namespace Zt_typro
{

ChequeTexts PrintedChequeTexts(const ChequeValues& cheque, const QString& bank, const QString& account)
{
    ChequeTexts t;
    t.year = YearToCapitals(cheque.nian);
    t.month = MonthToCapitals(cheque.yue);
    t.day = DayToCapitals(cheque.ri);
    t.nian = cheque.nian;
    t.yue = cheque.yue;
    t.ri = cheque.ri;
    t.payee = cheque.skr;
    // As leaving the amount field: completed, then the boxes and the capitals from its digits.
    const QString amount = CompleteAmountText(cheque.je);
    const QString digits = AmountDigitString(amount);
    t.digitBoxes = DigitBoxTexts(digits);
    t.capitals = AmountToCapitals(digits);
    t.purpose = cheque.yt;
    t.stubPayee = cheque.skr;
    t.stubAmount = amount;
    t.stubPurpose = cheque.yt;
    t.noteLines = StubNoteLines(cheque.fjxx);
    t.bank = bank;
    t.account = account;
    return t;
}

void FillChequeLabels(TFrm_zz_print& f, const ChequeTexts& t)
{
    f.QRL_fjxx1->setCaption(t.noteLines.value(0));
    f.QRL_fjxx2->setCaption(t.noteLines.value(1));
    f.QRL_fjxx3->setCaption(t.noteLines.value(2));
    f.QRL_fjxx4->setCaption(t.noteLines.value(3));
    f.QRL_nian->setCaption(t.nian);
    f.QRL_yue->setCaption(t.yue);
    f.QRL_ri->setCaption(t.ri);
    f.QRL_skrcg->setCaption(t.stubPayee);
    f.QRL_jecg->setCaption(t.stubAmount);
    f.QRL_ytcg->setCaption(t.stubPurpose);
    f.QRL_year->setCaption(t.year);
    f.QRL_moon->setCaption(t.month);
    f.QRL_day->setCaption(t.day);
    f.QRL_skr->setCaption(t.payee);
    f.QRL_dx->setCaption(t.capitals);
    ReportLabel* const digits[kDigitBoxCount] = {f.QRL_fen,  f.QRL_jiao,  f.QRL_yuan,  f.QRL_shi,    f.QRL_bai,
                                                 f.QRL_qian, f.QRL_wan,   f.QRL_rs,    f.QRL_rb,     f.QRL_rq,
                                                 f.QRL_yi,   f.QRL_shiyi, f.QRL_baiyi, f.QRL_qianyi, f.QRL_wanyi};
    for (int i = 0; i < kDigitBoxCount; ++i)
        digits[i]->setCaption(t.digitBoxes.value(i));
    f.QRL_fkhmc->setCaption(t.bank);
    f.QRL_cprzh->setCaption(t.account);
    f.QRL_yt->setCaption(t.purpose);
}

QSize StubNoteSize()
{
    return {209, 72};
}

QFont StubNoteFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(13);
    return font;
}

QStringList WrapNoteLines(const QString& note, const QFont& font, qreal lineWidth)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList lines;
    for (const QString& text : note.split(QLatin1Char('\n'))) {
        QTextLayout layout(text, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            lines << text.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
        if (text.isEmpty() && layout.lineCount() == 0)
            lines << QString();
    }
    if (lines.size() == 1 && lines.first().isEmpty())
        lines.clear();
    return lines;
}

qreal NoteLineWidth(const QPlainTextEdit& box)
{
    // Worked out from the box's own size, never read from its viewport, which is laid out only
    // once the box shows.
    const int width = box.contentsRect().width() - box.verticalScrollBar()->sizeHint().width();
    return std::max<qreal>(1, width - 2 * box.document()->documentMargin());
}

QStringList StubNoteLines(const QString& note)
{
    if (note.isEmpty())
        return {};
    // The frame and the scroll bar are the style's: measured on a box like the stub's.
    QPlainTextEdit box;
    box.resize(StubNoteSize());
    box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box.setFont(StubNoteFont());
    return WrapNoteLines(note, box.font(), NoteLineWidth(box));
}

} // namespace Zt_typro
