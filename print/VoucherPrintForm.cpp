#include "print/VoucherPrintForm.h"

#include "print/Report.h"

TFrm_pz_print* Frm_pz_print = nullptr;

TFrm_pz_print::TFrm_pz_print(QObject* parent)
    : PrintForm(parent, QSizeF(297.0, 150.0), QMarginsF(5.0, 5.0, 5.0, 5.0), QStringLiteral("电汇凭证打印预览"),
                QSize(1085, 491))
{
    QRL_rq = QRBand1->addLabel("QRL_rq", QStringLiteral("仟"), 576, 232);
    QRL_rb = QRBand1->addLabel("QRL_rb", QStringLiteral("佰"), 592, 232);
    QRL_rs = QRBand1->addLabel("QRL_rs", QStringLiteral("拾"), 608, 232);
    QRL_wan = QRBand1->addLabel("QRL_wan", QStringLiteral("万"), 624, 232);
    QRL_qian = QRBand1->addLabel("QRL_qian", QStringLiteral("千"), 640, 232);
    QRL_bai = QRBand1->addLabel("QRL_bai", QStringLiteral("百"), 656, 232);
    QRL_shi = QRBand1->addLabel("QRL_shi", QStringLiteral("十"), 672, 232);
    QRL_yuan = QRBand1->addLabel("QRL_yuan", QStringLiteral("元"), 688, 232);
    QRL_jiao = QRBand1->addLabel("QRL_jiao", QStringLiteral("角"), 704, 232);
    QRL_fen = QRBand1->addLabel("QRL_fen", QStringLiteral("分"), 912, 232);
    QRL_cprzh = QRBand1->addLabel("QRL_cprzh", QStringLiteral("出票人帐号"), 80, 112);
    QRL_cprmc = QRBand1->addLabel("QRL_cprmc", QStringLiteral("出票人名称"), 80, 88);
    QRL_dx = QRBand1->addLabel("QRL_dx", QStringLiteral("人民币大写"), 72, 232);
    QRL_skrmc = QRBand1->addLabel("QRL_skrmc", QStringLiteral("收 款人全称"), 624, 80);
    QRL_nian = QRBand1->addLabel("QRL_nian", QStringLiteral("年"), 344, 72);
    QRL_yue = QRBand1->addLabel("QRL_yue", QStringLiteral("月"), 392, 72);
    QRL_ri = QRBand1->addLabel("QRL_ri", QStringLiteral("日"), 440, 72);
    QRL_skrzh = QRBand1->addLabel("QRL_skrzh", QStringLiteral("收款人帐号"), 624, 112);
    QRL_skrkhh = QRBand1->addLabel("QRL_skrkhh", QStringLiteral("收款人开户行"), 624, 136);
    QRL_cprkhh = QRBand1->addLabel("QRL_cprkhh", QStringLiteral("出票人开户行"), 80, 144);
    QRL_yi = QRBand1->addLabel("QRL_yi", QStringLiteral("亿"), 560, 232);
    QRL_shiyi = QRBand1->addLabel("QRL_shiyi", QStringLiteral("什"), 544, 232);
    QRL_baiyi = QRBand1->addLabel("QRL_baiyi", QStringLiteral("柏"), 528, 232);
    QRL_qianyi = QRBand1->addLabel("QRL_qianyi", QStringLiteral("杄"), 512, 232);
    QRL_wanyi = QRBand1->addLabel("QRL_wanyi", QStringLiteral("杤"), 496, 232);
}
