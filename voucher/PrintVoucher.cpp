#include "voucher/PrintVoucher.h"

#include "common/Error.h"
#include "common/Prompt.h"
#include "numerals/AmountCheck.h"
#include "numerals/Dates.h"
#include "print/CapitalsFont.h"
#include "print/FormPrinting.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"
#include "store/Schema.h"
#include "voucher/VoucherPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>

namespace Zt_typro
{
namespace
{
// The payee as the screen holds it when the job starts.
struct PayeeData
{
    QString name;    // trimmed: the key of the payee list
    QString account; // as typed
    QString bank;    // as typed
};

PayeeData readPayee(const VoucherPanel& s)
{
    return {s.ComboBox_skrmc->currentText().trimmed(), s.E_skrzh->text(), s.E_skrkhh->text()};
}

void refuse(const QString& column, const QString& value)
{
    const QString problem = CheckColumnValue(column, value);
    if (!problem.isEmpty())
        throw AppError(problem);
}

// What the payee list cannot hold whichever way the payee is recorded, found before anything is
// written. Account and bank are stored as typed for a known payee, so a text that fits only
// without its blanks is refused by the store itself, still before anything is written.
void refuseWhatCannotBeStored(const PayeeData& p)
{
    refuse(QStringLiteral("skr.skrmc"), p.name);
    refuse(QStringLiteral("skr.zh"), p.account.trimmed());
    refuse(QStringLiteral("skr.khh"), p.bank.trimmed());
}

void fillLabels(TFrm_pz_print& f, const VoucherPanel& s)
{
    f.QRL_cprmc->setCaption(s.P_cpr->text());
    f.QRL_cprzh->setCaption(s.P_cprzh->text());
    f.QRL_cprkhh->setCaption(s.P_cprkhh->text());
    f.QRL_nian->setCaption(s.ComboBox_nian->currentText());
    f.QRL_yue->setCaption(s.ComboBox_yue->currentText());
    f.QRL_ri->setCaption(s.ComboBox_ri->currentText());
    f.QRL_skrmc->setCaption(s.ComboBox_skrmc->currentText());
    f.QRL_skrzh->setCaption(s.E_skrzh->text());
    f.QRL_skrkhh->setCaption(s.E_skrkhh->text());
    f.QRL_dx->setCaption(s.P_daxie->text());
    ReportLabel* digits[15] = {f.QRL_fen, f.QRL_jiao, f.QRL_yuan, f.QRL_shi,   f.QRL_bai,
                               f.QRL_qian, f.QRL_wan, f.QRL_rs,  f.QRL_rb,    f.QRL_rq,
                               f.QRL_yi,  f.QRL_shiyi, f.QRL_baiyi, f.QRL_qianyi, f.QRL_wanyi};
    for (int place = 1; place <= 15; ++place)
        digits[place - 1]->setCaption(s.digitBox(place)->text());
}

void closeQueries()
{
    D_M->ADOQ_skr->close();
    D_M->ADOQ_skr_up->close();
    D_M->ADOQ_zb_pz->close();
}
} // namespace

void PrintVoucher(VoucherPanel& screen, const QString& formCode)
{
    const auto closeAtEnd = qScopeGuard(closeQueries);

    // A bank refuses a voucher dated on no real day: it is not printed on the form.
    const QString year = screen.ComboBox_nian->currentText();
    const QString month = screen.ComboBox_yue->currentText();
    const QString day = screen.ComboBox_ri->currentText();
    if (!DateFromParts(year, month, day).isValid())
        throw AppError(QStringLiteral("汇款日期 \"%1-%2-%3\" 不是有效的日期，凭证没有打印。请改正年、月、日。")
                           .arg(year, month, day));
    const PayeeData payee = readPayee(screen);
    refuseWhatCannotBeStored(payee);
    // A bank refuses a voucher whose capitals and figures disagree: read both back first.
    QStringList boxes;
    for (int place = 1; place <= 15; ++place)
        boxes << screen.digitBox(place)->text();
    CheckAmountAgreement(screen.Edit_jine->text(), screen.P_daxie->text(), boxes);
    // Everything that can fail runs before anything is stored: the labels, the layout of the
    // form (fields it does not print are emptied), and the glyphs of what will print.
    fillLabels(*Frm_pz_print, screen);
    ApplyLayoutToLabels(Frm_pz_print, formCode);
    const Report& report = *Frm_pz_print->QuickRep1;
    CheckReportFonts(report);

    // A field the printer's paper would cut spoils the form: the clerk may go back first.
    const QString printerName = FormPrinter(formCode);
    if (!ConfirmFieldsFit(report, printerName, screen.window()))
        return;
    if (!prompter().confirm(screen.window(), QStringLiteral("提示"),
                            QStringLiteral("请认真核对您各项数据的正确性,是否现在开始打印?")))
        return;

    // A known payee gets the account and bank as typed; a new one is added with all three trimmed.
    D_M->transaction([&] {
        D_M->ADOQ_skr->setStatement(Stmt::S9, {payee.name});
        D_M->ADOQ_skr->open();
        const bool known = D_M->ADOQ_skr->recordCount() > 0;
        D_M->ADOQ_skr->close();
        if (known)
            D_M->ADOQ_skr_up->setStatement(Stmt::S11, {payee.account, payee.bank, payee.name});
        else
            D_M->ADOQ_skr_up->setStatement(Stmt::S10, {payee.name, payee.account.trimmed(), payee.bank.trimmed()});
        D_M->ADOQ_skr_up->execute();
    });

    const QString title = formCode == QLatin1String("jzd") ? QStringLiteral("进帐单打印预览")
                                                           : QStringLiteral("电汇凭证打印预览");
    // Closed without printing, the voucher stays on the screen to be printed or corrected.
    if (PreviewAndPrint(report, screen.window(), title, printerName, printerName).printed)
        screen.clearVoucher();
}

void ResetVoucherCapitalsFont(VoucherPanel& screen)
{
    QLabel* capitals = screen.P_daxie;
    capitals->setFont(CapitalsBaseFont(capitals->font()));
    Frm_pz_print->QRL_dx->setFont(CapitalsBaseFont(Frm_pz_print->QRL_dx->font()));
}

} // namespace Zt_typro
