#include "cheque/PrintCheque.h"

#include "cheque/ChequePanel.h"
#include "common/Error.h"
#include "common/Prompt.h"
#include "numerals/Amount.h"
#include "numerals/AmountCheck.h"
#include "numerals/Dates.h"
#include "print/CapitalsFont.h"
#include "print/ChequePrintForm.h"
#include "print/ChequeTexts.h"
#include "print/FormPrinting.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "store/ChequeHistory.h"
#include "store/ChequeStore.h"
#include "store/DataModule.h"
#include "store/KeptPrints.h"
#include "store/Settings.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>

#include <optional>

namespace Zt_typro
{
namespace
{
// The cheque as the screen holds it when the job starts.
ChequeValues readScreen(const ChequePanel& s, const QString& formCode)
{
    ChequeValues c;
    c.ph = s.E_ph->text();
    c.skr = s.CB_skr->currentText();
    c.je = s.Edit_je->text();
    c.yt = s.Edit_yt->text();
    c.nian = s.CB_nian->currentText();
    c.yue = s.CB_yue->currentText();
    c.ri = s.CB_ri->currentText();
    c.fjxx = s.Memo_xinxi->toPlainText();
    c.hkfs = ChequeValues::PaymentKind(formCode);
    c.rq = DateFromParts(c.nian, c.yue, c.ri);
    return c;
}

// What the screen shows, as the print form takes it: the stub as the operator may have edited it.
ChequeTexts shownTexts(const ChequePanel& s)
{
    ChequeTexts t;
    t.year = s.Panel_nian->text();
    t.month = s.Panel_yue->text();
    t.day = s.Panel_ri->text();
    t.nian = s.CB_nian->currentText();
    t.yue = s.CB_yue->currentText();
    t.ri = s.CB_ri->currentText();
    t.payee = s.CB_skr->currentText();
    t.capitals = s.Panel_daxie->text();
    for (int place = 1; place <= kDigitBoxCount; ++place)
        t.digitBoxes << s.digitBox(place)->text();
    t.purpose = s.Edit_yt->text();
    t.stubPayee = s.E_shoukuanren->text();
    t.stubAmount = s.PE_jine->text();
    t.stubPurpose = s.E_yongtu->text();
    t.noteLines = s.memoDisplayLines();
    t.bank = s.Panel_fkhmc->text();
    t.account = s.Panel_cprzh->text();
    return t;
}

void closeQueries()
{
    D_M->ADOQ_zp_up->close();
    D_M->ADOQ_skr->close();
    D_M->ADOQ_skr_up->close();
    D_M->ADOQ_zb->close();
}
} // namespace

namespace
{
QString formName(const QString& formCode)
{
    return formCode == QLatin1String("xj") ? QStringLiteral("现金支票") : QStringLiteral("转帐支票");
}

// What the confirmation shows under its question: the cheque as it will be printed.
QString chequeDetails(const ChequeValues& c, const QString& formCode, const QString& capitals)
{
    return QStringLiteral("票据: %1\n票号: %2\n收款人: %3\n金额: %4 元\n大写: %5\n出票日期: %6")
        .arg(formName(formCode), c.ph, c.skr.trimmed(), GroupedAmount(c.je), capitals, c.rq.toString(Qt::ISODate));
}

// What the clerk is told when the register did not take a print at once.
void tellRecorded(QWidget* owner, const QString& number, const RecordedPrint& recorded)
{
    if (recorded.written && !recorded.registeredAgain)
        return;
    if (recorded.refused) {
        prompter().inform(owner, QStringLiteral("提示"), recorded.why);
        return;
    }
    if (recorded.written) {
        prompter().inform(
            owner, QStringLiteral("提示"),
            QStringLiteral("票号 %1 的支票已经打印。打印时登记簿被换成了另一份%2，其中没有这张支票: "
                           "已把它重新登记，并记下了这次打印。")
                .arg(number, recorded.why.isEmpty() ? QString() : QStringLiteral("（%1）").arg(recorded.why)));
        return;
    }
    if (!recorded.kept) {
        prompter().error(owner, QStringLiteral("提示"),
                         QStringLiteral("票号 %1 的支票已经打印，但打印记录没能写入登记簿（%2），"
                                        "本机也无法保存它（%3）。\n请把票号记下来，交给管理员补记；"
                                        "不要再打印这张支票。")
                             .arg(number, recorded.why, recorded.keptWhy));
        return;
    }
    prompter().inform(owner, QStringLiteral("提示"),
                      QStringLiteral("票号 %1 的支票已经打印，但打印记录暂时没能写入登记簿（%2）。\n"
                                     "打印记录已保存在本机，登记簿可以写入时会自动补记（最迟在下次启动程序时）。"
                                     "在此之前请不要再打印这张支票。")
                          .arg(number, recorded.why));
}

// Writes the prints kept on this computer now that the register takes writes; a print of a
// cheque voided meanwhile is said (it is kept no longer).
void writeKeptPrints(QWidget* owner)
{
    for (const QString& refused : WriteKeptPrints(*D_M).refused)
        prompter().inform(owner, QStringLiteral("提示"), refused);
}

// The question before a number the register already holds is stored again: true to go on.
bool useNumberAgain(QWidget* owner, const QString& number, const NumberUses& uses)
{
    // A print kept on this computer is a print: the cheque is never shown as not printed.
    QString state = uses.state;
    for (const KeptPrint& kept : KeptPrintsFor(*D_M))
        if (kept.zpid == uses.zpid && state == QString::fromUtf8(kStateUnprinted))
            state = QString::fromUtf8(kStatePrinted);
    const QString earlier =
        QStringLiteral("%1，%2，%3 元，%4").arg(uses.date, uses.payee, GroupedAmount(uses.amount), state);
    const QString times = uses.count > 1 ? QStringLiteral("（共 %1 次，最近一次）").arg(uses.count) : QString();
    // No is the default: Enter must never register a second cheque under a used number.
    return prompter().confirmDefaultNo(owner, QStringLiteral("提示"),
                                       QStringLiteral("票号 %1 已经登记过%2: %3。\n是否仍要用这个票号登记并打印？"
                                                      "（卡纸后重打可以沿用原票号；否则请改正票号。）")
                                           .arg(number, times, earlier),
                                       QString());
}

// Stores the cheque, asking again whenever another clerk stored its number after the clerk was
// asked (or found it new): the number is looked up in the transaction that stores the cheque.
// Returns the row key, or nothing when the clerk chose not to use the number again.
std::optional<qint64> storeAsked(QWidget* owner, const ChequeValues& cheque, int acceptedUses)
{
    for (;;) {
        try {
            return StoreCheque(*D_M, cheque, acceptedUses);
        } catch (const NumberTaken& taken) {
            if (!useNumberAgain(owner, cheque.ph, taken.uses()))
                return std::nullopt;
            acceptedUses = taken.uses().count;
        }
    }
}
} // namespace

ChequeJobEnd PrintCheque(ChequePanel& screen, const QString& formCode)
{
    const auto closeAtEnd = qScopeGuard([] { closeQueries(); });

    const ChequeValues cheque = readScreen(screen, formCode);
    CheckChequeValues(cheque);
    // A bank refuses a cheque whose capitals and figures disagree: read both back first.
    QStringList boxes;
    for (int place = 1; place <= 15; ++place)
        boxes << screen.digitBox(place)->text();
    CheckAmountAgreement(screen.Edit_je->text(), screen.Panel_daxie->text(), boxes);
    // Everything that can fail runs before anything is stored: the labels, the layout of the
    // form (fields it does not print are emptied), and the glyphs of what will print.
    FillChequeLabels(*Frm_zz_print, shownTexts(screen));
    ApplyLayoutToLabels(Frm_zz_print, formCode);
    const Report& report = *Frm_zz_print->QuickRep1;
    CheckReportFonts(report);

    QWidget* owner = screen.window();
    // A field the printer's paper would cut spoils the cheque: the clerk may go back first.
    const QString printerName = FormPrinter(formCode);
    if (!ConfirmFieldsFit(report, printerName, owner))
        return ChequeJobEnd::Declined;
    const NumberUses uses = RegisteredUses(*D_M, cheque.ph);
    if (uses.count > 0 && !useNumberAgain(owner, cheque.ph, uses))
        return ChequeJobEnd::Declined;
    if (!prompter().confirmDetailed(owner, QStringLiteral("提示"),
                                    QStringLiteral("请认真核对您各项数据的正确性,是否现在开始打印?"),
                                    chequeDetails(cheque, formCode, screen.Panel_daxie->text())))
        return ChequeJobEnd::Declined;

    // The register row, its registration and the payee's count are stored together or not at all.
    const std::optional<qint64> stored = storeAsked(owner, cheque, uses.count);
    if (!stored)
        return ChequeJobEnd::Declined;
    const qint64 zpid = *stored;
    // The register has just taken a write: prints kept on this computer go in now.
    writeKeptPrints(owner);
    // Stored a moment ago, in the transaction above: its history holds no print yet.
    KeptPrint print = PrintToRecord(*D_M, zpid, cheque, ChequeEvent::Printed, 0);

    const PreviewResult shown = PreviewAndPrint(
        report, owner, QStringLiteral("%1 %2 打印预览").arg(formName(formCode), cheque.ph), printerName, printerName);
    if (shown.printed) {
        // The paper is out: the print is recorded whatever the register does now.
        print.note = shown.destination;
        const RecordedPrint recorded = RecordPrint(*D_M, print);
        screen.clearCheque();
        tellRecorded(owner, cheque.ph, recorded);
        return ChequeJobEnd::Printed;
    }
    // Closed without printing: the register says so, kept to be printed later, or voided. An
    // operator who may not void keeps it; voiding it is an administrator's.
    if (!D_M->rights().voiding) {
        AddChequeEvent(*D_M, zpid, ChequeEvent::ClosedUnprinted);
        screen.clearCheque();
        prompter().inform(owner, QStringLiteral("提示"),
                          QStringLiteral("这张支票还没有打印（票号 %1），已保留登记，记为未打印。\n"
                                         "以后可在票据查询中打印；如要作废，请管理员在票据查询中作废。")
                              .arg(cheque.ph));
        return ChequeJobEnd::KeptUnprinted;
    }
    const bool keep = prompter().confirm(
        owner, QStringLiteral("提示"),
        QStringLiteral("这张支票还没有打印（票号 %1）。\n选“是”: 保留登记，记为未打印，以后可在票据查询中打印；\n"
                       "选“否”: 作废这张支票，作废原因为“预览后未打印”，屏幕上的内容保留。")
            .arg(cheque.ph));
    if (keep) {
        AddChequeEvent(*D_M, zpid, ChequeEvent::ClosedUnprinted);
        screen.clearCheque();
        return ChequeJobEnd::KeptUnprinted;
    }
    D_M->transaction([&] {
        AddChequeEvent(*D_M, zpid, ChequeEvent::ClosedUnprinted);
        AddChequeEvent(*D_M, zpid, ChequeEvent::Voided, QStringLiteral("预览后未打印"));
    });
    return ChequeJobEnd::VoidedUnprinted;
}

bool ReprintCheque(QWidget* owner, qint64 zpid)
{
    const auto closeAtEnd = qScopeGuard([] { closeQueries(); });

    // Prints kept on this computer go in first when the register takes them now.
    writeKeptPrints(owner);
    const RegisteredCheque stored = StoredCheque(*D_M, zpid);
    const QString number = stored.values.ph;
    if (stored.state == QString::fromUtf8(kStateVoided))
        throw AppError(QStringLiteral("票号 %1 的支票已作废，不能重打。").arg(number));
    bool keptPrint = false;
    for (const KeptPrint& kept : KeptPrintsFor(*D_M)) {
        if (kept.zpid != zpid)
            continue;
        keptPrint = true;
        if (!prompter().confirm(owner, QStringLiteral("提示"),
                                QStringLiteral("票号 %1 的支票已在 %2 %3，只是这条记录还没有写入登记簿"
                                               "（保存在本机，等登记簿可以写入时补记）。\n是否仍要重打？")
                                    .arg(number, kept.time, ChequeEventName(kept.event))))
            return false;
        break;
    }
    const QString formCode = stored.values.formCode();

    // Worked out from the stored values as the screen works them out: the capitals, digit boxes,
    // stub and note lines come out exactly as when the cheque was first printed.
    // The same read-back as the first print: a stored amount that does not come out exactly in
    // capitals and digit boxes (a register changed outside the program) is never printed.
    ChequeTexts texts;
    try {
        texts = PrintedChequeTexts(stored.values, ReadOrgBank(), ReadOrgAccount());
        CheckAmountAgreement(stored.values.je, texts.capitals, texts.digitBoxes);
    } catch (const AppError& e) {
        throw AppError(QStringLiteral("票号 %1 登记的金额“%2”不能准确打印，没有重打。%3")
                           .arg(number, stored.values.je, e.message()));
    }
    FillChequeLabels(*Frm_zz_print, texts);
    ApplyLayoutToLabels(Frm_zz_print, formCode);
    const Report& report = *Frm_zz_print->QuickRep1;
    CheckReportFonts(report);
    const QString printerName = FormPrinter(formCode);
    if (!ConfirmFieldsFit(report, printerName, owner))
        return false;
    // A cheque never printed before is printed now for the first time, unless its print is only
    // kept on this computer so far.
    const ChequeEvent event = stored.state == QString::fromUtf8(kStateUnprinted) && !keptPrint ? ChequeEvent::Printed
                                                                                               : ChequeEvent::Reprinted;
    KeptPrint print = PrintToRecord(*D_M, zpid, stored.values, event, EventCount(*D_M, zpid, event));
    const PreviewResult shown = PreviewAndPrint(
        report, owner, QStringLiteral("%1 %2 重打预览").arg(formName(formCode), number), printerName, printerName);
    if (!shown.printed)
        return false;
    print.note = shown.destination;
    tellRecorded(owner, number, RecordPrint(*D_M, print));
    return true;
}

void WriteKeptPrintsAtStart(QWidget* owner)
{
    const KeptPrintsWritten done = WriteKeptPrints(*D_M);
    if (done.written > 0)
        prompter().inform(
            owner, QStringLiteral("提示"),
            QStringLiteral("上次没能写入登记簿的 %1 条打印记录已经补记%2。")
                .arg(done.written)
                .arg(done.registeredAgain > 0
                         ? QStringLiteral("（其中 %1 张支票登记簿中没有，已重新登记）").arg(done.registeredAgain)
                         : QString()));
    for (const QString& refused : done.refused)
        prompter().inform(owner, QStringLiteral("提示"), refused);
    if (done.stillKept > 0)
        prompter().inform(owner, QStringLiteral("提示"),
                          QStringLiteral("还有 %1 条打印记录没能写入登记簿（%2），仍保存在本机，稍后会再补记。"
                                         "这些支票已经打印，请不要再打印。")
                              .arg(done.stillKept)
                              .arg(done.why));
}

void ResetChequeCapitalsFont(ChequePanel& screen)
{
    QLabel* capitals = screen.Panel_daxie;
    capitals->setFont(CapitalsBaseFont(capitals->font()));
    Frm_zz_print->QRL_dx->setFont(CapitalsBaseFont(Frm_zz_print->QRL_dx->font()));
}

} // namespace Zt_typro
