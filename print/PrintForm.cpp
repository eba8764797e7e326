#include "print/PrintForm.h"

#include "print/Report.h"

namespace Zt_typro
{

PrintForm::PrintForm(QObject* parent, QSizeF pageMm, QMarginsF marginsMm, const QString& title, QSize bandUnits)
    : QObject(parent)
{
    QuickRep1 = new Report(this, QStringLiteral("QuickRep1"), pageMm, marginsMm, title);
    QRBand1 = QuickRep1->addBand(QStringLiteral("QRBand1"), bandUnits);
}

QString PrintForm::caption() const
{
    return QuickRep1->title();
}

ReportLabel* PrintForm::label(const QString& key) const
{
    return QRBand1->label(key);
}

} // namespace Zt_typro
