#pragma once

#include <QMarginsF>
#include <QObject>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace Zt_typro
{

class Report;
class ReportBand;
class ReportLabel;

/// What the two print forms share: one report QuickRep1 with one band QRBand1 of labels. A print
/// form is never shown; only its report is previewed, printed or written to PDF. The cheque and
/// voucher print forms add their labels as named members.
class PrintForm : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintForm)
public:
    /// The form's caption: the title of its preview window.
    QString caption() const;

    /// The label with the field key key ("fen" for QRL_fen); nullptr when there is none.
    ReportLabel* label(const QString& key) const;

    Report* QuickRep1;
    ReportBand* QRBand1;

protected:
    /// A report of pageMm with marginsMm and title, holding one band of bandUnits layout units.
    PrintForm(QObject* parent, QSizeF pageMm, QMarginsF marginsMm, const QString& title, QSize bandUnits);
};

} // namespace Zt_typro
