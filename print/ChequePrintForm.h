#pragma once

#include "print/PrintForm.h"

/// The cheque print form: one report of 33 labels, used for the form codes "zz" and "xj".
/// Page 297 × 200 mm, margins 10, 5, 5, 5 mm, one band of 1066 × 526 layout units.
class TFrm_zz_print : public Zt_typro::PrintForm
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFrm_zz_print)
public:
    explicit TFrm_zz_print(QObject* parent = nullptr);

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
    Zt_typro::ReportLabel* QRL_fkhmc;
    Zt_typro::ReportLabel* QRL_yt;
    Zt_typro::ReportLabel* QRL_dx;
    Zt_typro::ReportLabel* QRL_skr;
    Zt_typro::ReportLabel* QRL_year;
    Zt_typro::ReportLabel* QRL_moon;
    Zt_typro::ReportLabel* QRL_day;
    Zt_typro::ReportLabel* QRL_fjxx1;
    Zt_typro::ReportLabel* QRL_fjxx2;
    Zt_typro::ReportLabel* QRL_fjxx3;
    Zt_typro::ReportLabel* QRL_fjxx4;
    Zt_typro::ReportLabel* QRL_nian;
    Zt_typro::ReportLabel* QRL_yue;
    Zt_typro::ReportLabel* QRL_ri;
    Zt_typro::ReportLabel* QRL_skrcg;
    Zt_typro::ReportLabel* QRL_jecg;
    Zt_typro::ReportLabel* QRL_ytcg;
    Zt_typro::ReportLabel* QRL_yi;
    Zt_typro::ReportLabel* QRL_shiyi;
    Zt_typro::ReportLabel* QRL_baiyi;
    Zt_typro::ReportLabel* QRL_qianyi;
    Zt_typro::ReportLabel* QRL_wanyi;
};

/// The cheque print form of the running program (created and destroyed by the shell).
extern TFrm_zz_print* Frm_zz_print;
