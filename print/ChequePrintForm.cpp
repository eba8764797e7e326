#include "print/ChequePrintForm.h"

#include "print/Report.h"

TFrm_zz_print* Frm_zz_print = nullptr;

TFrm_zz_print::TFrm_zz_print(QObject* parent)
    : PrintForm(parent, QSizeF(297.0, 200.0), QMarginsF(10.0, 5.0, 5.0, 5.0), QStringLiteral("打印预览"),
                QSize(1066, 526))
{
    QRL_rq = QRBand1->addLabel("QRL_rq", QStringLiteral("仟"), 712, 224);
    QRL_rb = QRBand1->addLabel("QRL_rb", QStringLiteral("佰"), 728, 224);
    QRL_rs = QRBand1->addLabel("QRL_rs", QStringLiteral("拾"), 744, 224);
    QRL_wan = QRBand1->addLabel("QRL_wan", QStringLiteral("万"), 760, 224);
    QRL_qian = QRBand1->addLabel("QRL_qian", QStringLiteral("千"), 776, 224);
    QRL_bai = QRBand1->addLabel("QRL_bai", QStringLiteral("百"), 792, 224);
    QRL_shi = QRBand1->addLabel("QRL_shi", QStringLiteral("十"), 808, 224);
    QRL_yuan = QRBand1->addLabel("QRL_yuan", QStringLiteral("元"), 824, 224);
    QRL_jiao = QRBand1->addLabel("QRL_jiao", QStringLiteral("角"), 840, 224);
    QRL_fen = QRBand1->addLabel("QRL_fen", QStringLiteral("分"), 856, 224);
    QRL_cprzh = QRBand1->addLabel("QRL_cprzh", QStringLiteral("出票人帐号"), 720, 120);
    QRL_fkhmc = QRBand1->addLabel("QRL_fkhmc", QStringLiteral("付款行名称"), 720, 80);
    QRL_yt = QRBand1->addLabel("QRL_yt", QStringLiteral("用     途 "), 384, 216);
    QRL_dx = QRBand1->addLabel("QRL_dx", QStringLiteral("大写金额 "), 384, 168);
    QRL_skr = QRBand1->addLabel("QRL_skr", QStringLiteral(" 收   款  人"), 384, 128);
    QRL_year = QRBand1->addLabel("QRL_year", QStringLiteral("大写年"), 384, 80);
    QRL_moon = QRBand1->addLabel("QRL_moon", QStringLiteral("大写月"), 440, 80);
    QRL_day = QRBand1->addLabel("QRL_day", QStringLiteral("大写日"), 496, 80);
    QRL_fjxx1 = QRBand1->addLabel("QRL_fjxx1", QStringLiteral("附加信息一"), 96, 88);
    QRL_fjxx2 = QRBand1->addLabel("QRL_fjxx2", QStringLiteral("附加信息二"), 96, 112);
    QRL_fjxx3 = QRBand1->addLabel("QRL_fjxx3", QStringLiteral("附加信息三"), 96, 136);
    QRL_fjxx4 = QRBand1->addLabel("QRL_fjxx4", QStringLiteral("附加信息四"), 96, 160);
    QRL_nian = QRBand1->addLabel("QRL_nian", QStringLiteral("年"), 88, 208);
    QRL_yue = QRBand1->addLabel("QRL_yue", QStringLiteral("月"), 112, 208);
    QRL_ri = QRBand1->addLabel("QRL_ri", QStringLiteral("日"), 144, 208);
    QRL_skrcg = QRBand1->addLabel("QRL_skrcg", QStringLiteral("收款人存根"), 88, 248);
    QRL_jecg = QRBand1->addLabel("QRL_jecg", QStringLiteral("金额存根"), 88, 280);
    QRL_ytcg = QRBand1->addLabel("QRL_ytcg", QStringLiteral("用途存根"), 88, 304);
    QRL_yi = QRBand1->addLabel("QRL_yi", QStringLiteral("亿"), 696, 224);
    QRL_shiyi = QRBand1->addLabel("QRL_shiyi", QStringLiteral("什"), 680, 224);
    QRL_baiyi = QRBand1->addLabel("QRL_baiyi", QStringLiteral("柏"), 664, 224);
    QRL_qianyi = QRBand1->addLabel("QRL_qianyi", QStringLiteral("杄"), 648, 224);
    QRL_wanyi = QRBand1->addLabel("QRL_wanyi", QStringLiteral("杤"), 632, 224);
}
