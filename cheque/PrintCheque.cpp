#include "cheque/PrintCheque.h"

#include "cheque/ChequePanel.h"
#include "common/Error.h"
#include "common/Prompt.h"
#include "numerals/AmountCheck.h"
#include "numerals/Dates.h"
#include "print/CapitalsFont.h"
#include "print/ChequePrintForm.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "store/DataModule.h"
#include "store/Schema.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace Zt_typro
{
namespace
{
// The cheque as the screen holds it when the job starts.
struct ChequeData
{
    QString ph, skr, je, yt, nian, yue, ri, fjxx, hkfs;
    QDate rq;
};

ChequeData readScreen(const ChequePanel& s, const QString& formCode)
{
    ChequeData c;
    c.ph = s.E_ph->text();
    c.skr = s.CB_skr->currentText();
    c.je = s.Edit_je->text();
    c.yt = s.Edit_yt->text();
    c.nian = s.CB_nian->currentText();
    c.yue = s.CB_yue->currentText();
    c.ri = s.CB_ri->currentText();
    c.fjxx = s.Memo_xinxi->toPlainText();
    c.hkfs = formCode == QLatin1String("zz") ? QStringLiteral("转帐") : QStringLiteral("现金");
    c.rq = DateFromParts(c.nian, c.yue, c.ri);
    return c;
}

QVariantList registerValues(const ChequeData& c)
{
    return {c.ph, c.skr, c.je, c.yt, c.nian, c.yue, c.ri, c.fjxx, c.rq, c.hkfs};
}

// Everything the register and the payee list cannot hold, found before anything is written.
void refuseWhatCannotBeStored(const ChequeData& c)
{
    if (!c.rq.isValid())
        throw AppError(QStringLiteral("出票日期 \"%1-%2-%3\" 不是有效的日期，支票没有保存。请在存根上改正年、月、日。")
                           .arg(c.nian, c.yue, c.ri));
    const Statement& z1 = CatalogueStatement(Stmt::Z1);
    const QVariantList values = registerValues(c);
    for (int i = 0; i < values.size(); ++i) {
        const QString problem = CheckColumnValue(z1.columns.at(i), values.at(i));
        if (!problem.isEmpty())
            throw AppError(problem);
    }
    const QString problem = CheckColumnValue(QStringLiteral("skr.skrmc"), c.skr.trimmed());
    if (!problem.isEmpty())
        throw AppError(problem);
}

void fillLabels(TFrm_zz_print& f, const ChequePanel& s)
{
    const QStringList lines = s.memoDisplayLines();
    f.QRL_fjxx1->setCaption(lines.value(0));
    f.QRL_fjxx2->setCaption(lines.value(1));
    f.QRL_fjxx3->setCaption(lines.value(2));
    f.QRL_fjxx4->setCaption(lines.value(3));
    f.QRL_nian->setCaption(s.CB_nian->currentText());
    f.QRL_yue->setCaption(s.CB_yue->currentText());
    f.QRL_ri->setCaption(s.CB_ri->currentText());
    f.QRL_skrcg->setCaption(s.E_shoukuanren->text());
    f.QRL_jecg->setCaption(s.PE_jine->text());
    f.QRL_ytcg->setCaption(s.E_yongtu->text());
    f.QRL_year->setCaption(s.Panel_nian->text());
    f.QRL_moon->setCaption(s.Panel_yue->text());
    f.QRL_day->setCaption(s.Panel_ri->text());
    f.QRL_skr->setCaption(s.CB_skr->currentText());
    f.QRL_dx->setCaption(s.Panel_daxie->text());
    ReportLabel* digits[15] = {f.QRL_fen, f.QRL_jiao, f.QRL_yuan, f.QRL_shi,   f.QRL_bai,
                               f.QRL_qian, f.QRL_wan, f.QRL_rs,  f.QRL_rb,    f.QRL_rq,
                               f.QRL_yi,  f.QRL_shiyi, f.QRL_baiyi, f.QRL_qianyi, f.QRL_wanyi};
    for (int place = 1; place <= 15; ++place)
        digits[place - 1]->setCaption(s.digitBox(place)->text());
    f.QRL_fkhmc->setCaption(s.Panel_fkhmc->text());
    f.QRL_cprzh->setCaption(s.Panel_cprzh->text());
    f.QRL_yt->setCaption(s.Edit_yt->text());
}

void clearScreen(ChequePanel& s)
{
    s.Memo_xinxi->clear();
    s.E_shoukuanren->clear();
    s.PE_jine->clear();
    s.E_yongtu->clear();
    {
        // Emptied from code like the other fields: the payee copied to the voucher screen stays
        // there for the voucher that may follow.
        const QSignalBlocker block(s.CB_skr);
        s.CB_skr->setEditText(QString());
    }
    s.Panel_daxie->clear();
    s.Edit_yt->clear();
    s.E_ph->clear();
    s.Edit_je->clear();
    for (int place = 1; place <= 15; ++place)
        s.digitBox(place)->clear();
}

void closeQueries()
{
    D_M->ADOQ_zp_up->close();
    D_M->ADOQ_skr->close();
    D_M->ADOQ_skr_up->close();
    D_M->ADOQ_zb->close();
}
} // namespace

void PrintCheque(ChequePanel& screen, const QString& formCode)
{
    struct CloseAtEnd
    {
        ~CloseAtEnd() { closeQueries(); }
    } closeAtEnd;

    const ChequeData cheque = readScreen(screen, formCode);
    refuseWhatCannotBeStored(cheque);
    // A bank refuses a cheque whose capitals and figures disagree: read both back first.
    QStringList boxes;
    for (int place = 1; place <= 15; ++place)
        boxes << screen.digitBox(place)->text();
    CheckAmountAgreement(screen.Edit_je->text(), screen.Panel_daxie->text(), boxes);
    // The labels are filled first so that a page that could not be printed (no Chinese font)
    // is refused before anything is stored.
    fillLabels(*Frm_zz_print, screen);
    const Report& report = *Frm_zz_print->QuickRep1;
    CheckReportFonts(report);

    if (!prompter().confirm(screen.window(), QStringLiteral("提示"),
                            QStringLiteral("请认真核对您各项数据的正确性,是否现在开始打印?")))
        return;

    // The register row and the payee's count are stored together or not at all.
    const QString name = cheque.skr.trimmed();
    D_M->transaction([&] {
        D_M->ADOQ_zp_up->setStatement(Stmt::Z1, registerValues(cheque));
        D_M->ADOQ_zp_up->execute();
        D_M->ADOQ_skr->setStatement(Stmt::S6, {name});
        D_M->ADOQ_skr->open();
        const bool known = D_M->ADOQ_skr->recordCount() > 0;
        D_M->ADOQ_skr->close();
        D_M->ADOQ_skr_up->setStatement(known ? Stmt::S8 : Stmt::S7, {name});
        D_M->ADOQ_skr_up->execute();
    });

    ApplyLayoutToLabels(Frm_zz_print, formCode);
    prompter().preview(screen.window(), Frm_zz_print->caption(),
                       [&report](QPrinter* printer) { PaintReportOnPrinter(report, printer); });
    clearScreen(screen);
}

void ResetChequeCapitalsFont(ChequePanel& screen)
{
    QLabel* capitals = screen.Panel_daxie;
    capitals->setFont(CapitalsBaseFont(capitals->font()));
    Frm_zz_print->QRL_dx->setFont(CapitalsBaseFont(Frm_zz_print->QRL_dx->font()));
}

} // namespace Zt_typro
