#pragma once

#include "print/PrintForm.h"

/// The voucher print form: one report of 25 labels, used for the form codes "dhpz" and "jzd".
/// Page 297 × 150 mm, margins 5, 5, 5, 5 mm, one band of 1085 × 491 layout units.
class TFrm_pz_print : public Zt_typro::PrintForm
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFrm_pz_print)
public:
    explicit TFrm_pz_print(QObject* parent = nullptr);

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
