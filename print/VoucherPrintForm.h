#pragma once

#include <QObject>
#include <QString>

namespace Zt_typro
{
class Report;
class ReportBand;
class ReportLabel;
} // namespace Zt_typro

/// The voucher print form: one report of 25 labels, used for the form codes "dhpz" and "jzd".
/// Page 297 × 150 mm, margins 5, 5, 5, 5 mm, one band of 1085 × 491 layout units. The form is
/// never shown; only its report is previewed, printed or written to PDF.
class TFrm_pz_print : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFrm_pz_print)
public:
    explicit TFrm_pz_print(QObject* parent = nullptr);

    /// The form's caption, "电汇凭证打印预览": the title of its preview window.
    QString caption() const;

    /// The label with the field key key ("fen" for QRL_fen); nullptr when there is none.
    Zt_typro::ReportLabel* label(const QString& key) const;

    Zt_typro::Report* QuickRep1;
    Zt_typro::ReportBand* QRBand1;

    // The labels, in the band's control order.
    Zt_typro::ReportLabel* QRL_rq;
    Zt_typro::ReportLabel* QRL_rb;
    Zt_typro::ReportLabel* QRL_rs;
    Zt_typro::ReportLabel* QRL_wan;
    Zt_typro::ReportLabel* QRL_qian;
    Zt_typro::ReportLabel* QRL_bai;
    Zt_typro::ReportLabel* QRL_shi;
    Zt_typro::ReportLabel* QRL_yuan;
    Zt_typro::ReportLabel* QRL_jiao;
    Zt_typro::ReportLabel* QRL_fen;
    Zt_typro::ReportLabel* QRL_cprzh;
    Zt_typro::ReportLabel* QRL_cprmc;
    Zt_typro::ReportLabel* QRL_dx;
    Zt_typro::ReportLabel* QRL_skrmc;
    Zt_typro::ReportLabel* QRL_nian;
    Zt_typro::ReportLabel* QRL_yue;
    Zt_typro::ReportLabel* QRL_ri;
    Zt_typro::ReportLabel* QRL_skrzh;
    Zt_typro::ReportLabel* QRL_skrkhh;
    Zt_typro::ReportLabel* QRL_cprkhh;
    Zt_typro::ReportLabel* QRL_yi;
    Zt_typro::ReportLabel* QRL_shiyi;
    Zt_typro::ReportLabel* QRL_baiyi;
    Zt_typro::ReportLabel* QRL_qianyi;
    Zt_typro::ReportLabel* QRL_wanyi;
};

/// The voucher print form of the running program (created and destroyed by the shell).
extern TFrm_pz_print* Frm_pz_print;
