#include "printsetup/VoucherDesigner.h"

#include "print/VoucherPrintForm.h"
#include "printsetup/DesignerCanvas.h"
#include "store/DataModule.h"

#include <memory>

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_pz_set", "Image_pzdysz", "Label44", "BitBtn_pz_close", "凭证(进帐单)打印设置"};

const Zt_typro::DesignerNames kNames{"ScrollBox_pz",   "Panel_pz",      QSize(977, 317),   "Shape_pz",
                                     "Button_pz_pre",  "Button_pz_bc",  "Button_pz_prnyz", "GroupBox11",
                                     "HeaderControl2", "DBCtrlGrid_pz", "DataSource_pz",   "DBText_kjx",
                                     "DBCheckBox_dy",  "Label_pz_wz",   "ComboBox_pz_xsbl"};

// The field panels in control order: name and caption.
const QList<Zt_typro::DesignerFieldSpec> kFields{
    {"P_pz_nian", "年"},
    {"P_pz_yue", "月"},
    {"P_pz_ri", "日"},
    {"P_pz_cprkhh", "出票人开户行"},
    {"P_pz_skrzh", "收款人帐号"},
    {"P_pz_skrmc", "收款人全称"},
    {"P_pz_cprmc", "出票人全称"},
    {"P_pz_cprzh", "出票人帐号"},
    {"P_pz_skrkhh", "收款人开户行"},
    {"P_pz_dx", "人民币大写"},
    {"P_pz_fen", "分"},
    {"P_pz_jiao", "角"},
    {"P_pz_yuan", "元"},
    {"P_pz_shi", "十"},
    {"P_pz_bai", "百"},
    {"P_pz_qian", "千"},
    {"P_pz_wan", "万"},
    {"P_pz_rs", "拾"},
    {"P_pz_rb", "佰"},
    {"P_pz_rq", "仟"},
    {"P_pz_yi", "亿"},
    {"P_pz_shiyi", "什"},
    {"P_pz_baiyi", "柏"},
    {"P_pz_qianyi", "杄"},
    {"P_pz_wanyi", "杤"},
};

using FieldMember = Zt_typro::DesignerFieldPanel* VoucherDesigner::*;
const FieldMember kFieldMembers[] = {
    &VoucherDesigner::P_pz_nian,
    &VoucherDesigner::P_pz_yue,
    &VoucherDesigner::P_pz_ri,
    &VoucherDesigner::P_pz_cprkhh,
    &VoucherDesigner::P_pz_skrzh,
    &VoucherDesigner::P_pz_skrmc,
    &VoucherDesigner::P_pz_cprmc,
    &VoucherDesigner::P_pz_cprzh,
    &VoucherDesigner::P_pz_skrkhh,
    &VoucherDesigner::P_pz_dx,
    &VoucherDesigner::P_pz_fen,
    &VoucherDesigner::P_pz_jiao,
    &VoucherDesigner::P_pz_yuan,
    &VoucherDesigner::P_pz_shi,
    &VoucherDesigner::P_pz_bai,
    &VoucherDesigner::P_pz_qian,
    &VoucherDesigner::P_pz_wan,
    &VoucherDesigner::P_pz_rs,
    &VoucherDesigner::P_pz_rb,
    &VoucherDesigner::P_pz_rq,
    &VoucherDesigner::P_pz_yi,
    &VoucherDesigner::P_pz_shiyi,
    &VoucherDesigner::P_pz_baiyi,
    &VoucherDesigner::P_pz_qianyi,
    &VoucherDesigner::P_pz_wanyi,
};

Zt_typro::DesignerForm describe()
{
    return {kChrome,
            QRect(176, 80, 689, 425),
            kNames,
            kFields,
            {"Button_pz_bjt", "Slider_pz_bjt", "Edit_pz_dpi"},
            [](QObject* parent) { return std::make_unique<TFrm_pz_print>(parent); },
            &TD_M::ADOQ_zb_pz,
            &TD_M::ADOQ_pzdyxz,
            false};
}
} // namespace

VoucherDesigner::VoucherDesigner(QWidget* parent)
    : LayoutDesigner(parent, describe())
{
    static_assert(std::size(kFieldMembers) > 0);
    Q_ASSERT(std::size(kFieldMembers) == std::size_t(kFields.size()));
    Image_pzdysz = titleStrip();
    Label44 = titleLabel();
    BitBtn_pz_close = closeButton();

    ScrollBox_pz = body().scrollBox;
    Panel_pz = body().canvas;
    Shape_pz = body().canvas->band();
    for (qsizetype i = 0; i < body().fields.size(); ++i)
        this->*kFieldMembers[i] = body().fields.at(i);
    Label_pz_wz = body().position;
    ComboBox_pz_xsbl = body().zoom;
    Button_pz_pre = body().preview;
    Button_pz_bc = body().save;
    Button_pz_prnyz = body().sample;
    GroupBox11 = body().groupBox;
    HeaderControl2 = body().header;
    DBCtrlGrid_pz = body().grid;
    DataSource_pz = body().dataSource;
    DBText_kjx = body().text;
    DBCheckBox_dy = body().check;

    Button_pz_bjt = background()->button();
    Slider_pz_bjt = background()->slider();
    Edit_pz_dpi = background()->dpiBox();
}

void VoucherDesigner::Button_pz_bcClick()
{
    saveLayout();
}

void VoucherDesigner::Button_pz_preClick()
{
    previewLayout();
}

void VoucherDesigner::Button_pz_prnyzClick()
{
    printSample();
}

void VoucherDesigner::BitBtn_pz_closeClick()
{
    closeOptions();
}

void VoucherDesigner::Button_pz_bjtClick()
{
    chooseBackground();
}
