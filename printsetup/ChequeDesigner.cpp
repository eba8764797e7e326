#include "printsetup/ChequeDesigner.h"

#include "print/ChequePrintForm.h"
#include "printsetup/DesignerCanvas.h"
#include "store/DataModule.h"

#include <memory>

namespace
{
const Zt_typro::PanelChrome kChrome{"P_zzzp_set", "Image_zpdysz", "Label43", "BitBtn_zzzp_close", "支票打印设置"};

const Zt_typro::DesignerNames kNames{"ScrollBox_zz",    "Panel_zz",      QSize(981, 317),   "Shape_zp",
                                     "Button_zz_pre",   "Button_zz_bc",  "Butto_zz_prnyz",  "GroupBox10",
                                     "HeaderControl1",  "DBCtrlGrid_zp", "DataSource_zp",   "DBText_zpkjyy",
                                     "DBCheckBox_zpdy", "Label_zz_wz",   "ComboBox_zz_xsbl"};

// The field panels in control order: name and caption.
const QList<Zt_typro::DesignerFieldSpec> kFields{
    {"P_zz_fjxx1", "附加信息一"},
    {"P_zz_nian", "年"},
    {"P_zz_yue", "月"},
    {"P_zz_ri", "日"},
    {"P_zz_skrcg", "收款人存根"},
    {"P_zz_jecg", "金额存根"},
    {"P_zz_ytcg", "用途存根"},
    {"P_zz_year", "大写年"},
    {"P_zz_moon", "大写月"},
    {"P_zz_day", "大写日"},
    {"P_zz_fkhmc", "付款行名称"},
    {"P_zz_cprzh", "出票人帐号"},
    {"P_zz_skr", "收款人"},
    {"P_zz_dx", "人民币大写"},
    {"P_zz_fen", "分"},
    {"P_zz_yt", "用途"},
    {"P_zz_jiao", "角"},
    {"P_zz_yuan", "元"},
    {"P_zz_shi", "十"},
    {"P_zz_bai", "百"},
    {"P_zz_qian", "千"},
    {"P_zz_wan", "万"},
    {"P_zz_rs", "拾"},
    {"P_zz_rb", "佰"},
    {"P_zz_rq", "仟"},
    {"P_zz_yi", "亿"},
    {"P_zz_fjxx2", "附加信息二"},
    {"P_zz_fjxx3", "附加信息三"},
    {"P_zz_fjxx4", "附加信息四"},
    {"P_zz_shiyi", "什"},
    {"P_zz_baiyi", "柏"},
    {"P_zz_qianyi", "杄"},
    {"P_zz_wanyi", "杤"},
};

using FieldMember = Zt_typro::DesignerFieldPanel* ChequeDesigner::*;
const FieldMember kFieldMembers[] = {
    &ChequeDesigner::P_zz_fjxx1,
    &ChequeDesigner::P_zz_nian,
    &ChequeDesigner::P_zz_yue,
    &ChequeDesigner::P_zz_ri,
    &ChequeDesigner::P_zz_skrcg,
    &ChequeDesigner::P_zz_jecg,
    &ChequeDesigner::P_zz_ytcg,
    &ChequeDesigner::P_zz_year,
    &ChequeDesigner::P_zz_moon,
    &ChequeDesigner::P_zz_day,
    &ChequeDesigner::P_zz_fkhmc,
    &ChequeDesigner::P_zz_cprzh,
    &ChequeDesigner::P_zz_skr,
    &ChequeDesigner::P_zz_dx,
    &ChequeDesigner::P_zz_fen,
    &ChequeDesigner::P_zz_yt,
    &ChequeDesigner::P_zz_jiao,
    &ChequeDesigner::P_zz_yuan,
    &ChequeDesigner::P_zz_shi,
    &ChequeDesigner::P_zz_bai,
    &ChequeDesigner::P_zz_qian,
    &ChequeDesigner::P_zz_wan,
    &ChequeDesigner::P_zz_rs,
    &ChequeDesigner::P_zz_rb,
    &ChequeDesigner::P_zz_rq,
    &ChequeDesigner::P_zz_yi,
    &ChequeDesigner::P_zz_fjxx2,
    &ChequeDesigner::P_zz_fjxx3,
    &ChequeDesigner::P_zz_fjxx4,
    &ChequeDesigner::P_zz_shiyi,
    &ChequeDesigner::P_zz_baiyi,
    &ChequeDesigner::P_zz_qianyi,
    &ChequeDesigner::P_zz_wanyi,
};

Zt_typro::DesignerForm describe()
{
    return {kChrome,
            QRect(176, 80, 689, 428),
            kNames,
            kFields,
            {"Button_zz_bjt", "Slider_zz_bjt", "Edit_zz_dpi"},
            [](QObject* parent) { return std::make_unique<TFrm_zz_print>(parent); },
            &TD_M::ADOQ_zb,
            &TD_M::ADOQ_zpdyxz,
            true};
}
} // namespace

ChequeDesigner::ChequeDesigner(QWidget* parent)
    : LayoutDesigner(parent, describe())
{
    static_assert(std::size(kFieldMembers) > 0);
    Q_ASSERT(std::size(kFieldMembers) == std::size_t(kFields.size()));
    Image_zpdysz = titleStrip();
    Label43 = titleLabel();
    BitBtn_zzzp_close = closeButton();

    ScrollBox_zz = body().scrollBox;
    Panel_zz = body().canvas;
    Shape_zp = body().canvas->band();
    for (qsizetype i = 0; i < body().fields.size(); ++i)
        this->*kFieldMembers[i] = body().fields.at(i);
    Label_zz_wz = body().position;
    ComboBox_zz_xsbl = body().zoom;
    Button_zz_pre = body().preview;
    Button_zz_bc = body().save;
    Butto_zz_prnyz = body().sample;
    GroupBox10 = body().groupBox;
    HeaderControl1 = body().header;
    DBCtrlGrid_zp = body().grid;
    DataSource_zp = body().dataSource;
    DBText_zpkjyy = body().text;
    DBCheckBox_zpdy = body().check;

    Button_zz_bjt = background()->button();
    Slider_zz_bjt = background()->slider();
    Edit_zz_dpi = background()->dpiBox();
}

void ChequeDesigner::Button_zz_bcClick()
{
    saveLayout();
}

void ChequeDesigner::Button_zz_preClick()
{
    previewLayout();
}

void ChequeDesigner::Butto_zz_prnyzClick()
{
    printSample();
}

void ChequeDesigner::BitBtn_zzzp_closeClick()
{
    closeOptions();
}

void ChequeDesigner::Button_zz_bjtClick()
{
    chooseBackground();
}
