#include "print/Placement.h"

#include "common/Error.h"
#include "print/ChequePrintForm.h"
#include "print/FormPrinting.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QWidget>

namespace Zt_typro
{
namespace
{
// The window that owns the preview and the messages: the form's parent when it is a window,
// otherwise the active window.
QWidget* ownerOf(const QObject* form)
{
    if (auto* widget = qobject_cast<QWidget*>(form->parent()))
        return widget;
    return QApplication::activeWindow();
}
} // namespace

QString RowFieldKey(const QString& kjmc)
{
    return kjmc.mid(5);
}

void ApplyLayoutToBand(ReportBand& band, DmQuery& query, const QString& code)
{
    // The preview shows the page over the scan of this form code's blank form.
    if (Report* report = band.report())
        report->setFormCode(code);
    query.close();
    query.setStatement(Stmt::P1, {code});
    query.open();

    const int rows = query.recordCount();
    for (ReportLabel* label : band.labels()) {
        const QString key = label->key();
        query.first();
        for (int i = 0; i < rows; ++i) {
            if (RowFieldKey(query.fieldText(QStringLiteral("kjmc"))) == key) {
                label->setLeft(query.fieldInt(QStringLiteral("kjx")));
                label->setTop(query.fieldInt(QStringLiteral("kjy")));
                label->setFieldName(query.fieldText(QStringLiteral("kjyy")).trimmed());
                if (!query.fieldBool(QStringLiteral("dy")))
                    label->setCaption(QString());
            }
            query.next();
        }
    }
}

void ApplyLayoutToLabels(TFrm_zz_print* form, const QString& code)
{
    ApplyLayoutToBand(*form->QRBand1, *RequireDataModule().ADOQ_zb, code);
}

void ApplyLayoutToLabels(TFrm_pz_print* form, const QString& code)
{
    ApplyLayoutToBand(*form->QRBand1, *RequireDataModule().ADOQ_zb_pz, code);
}

void PrintLayoutSample(PrintForm& form, DmQuery& query, const QString& code)
{
    const QueryCloser closer(query);
    ApplyLayoutToBand(*form.QRBand1, query, code);
    PrintFormSample(*form.QuickRep1, ownerOf(&form));
}

void PreviewLayout(PrintForm& form, DmQuery& query, const QString& code)
{
    const QueryCloser closer(query);
    ApplyLayoutToBand(*form.QRBand1, query, code);
    const Report& report = *form.QuickRep1;
    CheckReportFonts(report);
    // Nothing was asked before this preview: a page sent from it is checked on whichever printer.
    PreviewAndPrint(report, ownerOf(&form), report.title(), FormPrinter(code), QString());
}

void OpenPrintOptions(DmQuery& query, const QString& code)
{
    query.close();
    query.setStatement(Stmt::P2, {code});
    query.open();
}

} // namespace Zt_typro
