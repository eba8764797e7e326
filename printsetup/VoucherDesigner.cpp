#include "printsetup/VoucherDesigner.h"

#include "common/Guard.h"
#include "printsetup/DesignerBackground.h"
#include "printsetup/DesignerBody.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/DesignerLayout.h"
#include "printsetup/DesignerPrintOptions.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableView>

#include <memory>

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_pz_set", "Image_pzdysz", "Label44", "BitBtn_pz_close", "凭证(进帐单)打印设置"};

const Zt_typro::DesignerNames kNames{"ScrollBox_pz", "Panel_pz", QSize(977, 317), "Shape_pz", "Button_pz_pre", "Button_pz_bc",
                                     "Button_pz_prnyz", "GroupBox11", "HeaderControl2", "DBCtrlGrid_pz", "DataSource_pz", "DBText_kjx",
                                     "DBCheckBox_dy"};

// The field panels in control order: name, caption, width, height.
const QList<Zt_typro::DesignerFieldSpec> kFields{
    {"P_pz_nian", "年", 17, 17},
    {"P_pz_yue", "月", 17, 17},
    {"P_pz_ri", "日", 17, 17},
    {"P_pz_cprkhh", "出票人开户行", 105, 17},
    {"P_pz_skrzh", "收款人帐号", 129, 17},
    {"P_pz_skrmc", "收款人全称", 129, 17},
    {"P_pz_cprmc", "出票人全称", 105, 17},
    {"P_pz_cprzh", "出票人帐号", 105, 17},
    {"P_pz_skrkhh", "收款人开户行", 129, 17},
    {"P_pz_dx", "人民币大写", 153, 25},
    {"P_pz_fen", "分", 17, 17},
    {"P_pz_jiao", "角", 17, 17},
    {"P_pz_yuan", "元", 17, 17},
    {"P_pz_shi", "十", 17, 17},
    {"P_pz_bai", "百", 17, 17},
    {"P_pz_qian", "千", 17, 17},
    {"P_pz_wan", "万", 17, 17},
    {"P_pz_rs", "拾", 17, 17},
    {"P_pz_rb", "佰", 17, 17},
    {"P_pz_rq", "仟", 17, 17},
    {"P_pz_yi", "亿", 17, 17},
    {"P_pz_shiyi", "什", 17, 17},
    {"P_pz_baiyi", "柏", 17, 17},
    {"P_pz_qianyi", "杄", 17, 17},
    {"P_pz_wanyi", "杤", 17, 17},
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

// Until a layout is loaded, each field panel stands where the print form puts its label by design.
QList<QPoint> designPositions()
{
    TFrm_pz_print form;
    QList<QPoint> out;
    for (const Zt_typro::DesignerFieldSpec& def : kFields) {
        const Zt_typro::ReportLabel* label = form.label(QString::fromLatin1(def.name).mid(5));
        out.append(label ? label->position() : QPoint(4, 4 + 19 * int(out.size())));
    }
    return out;
}
} // namespace

VoucherDesigner::VoucherDesigner(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(176, 80, 689, 425))
{
    static_assert(std::size(kFieldMembers) > 0);
    Q_ASSERT(std::size(kFieldMembers) == std::size_t(kFields.size()));
    Image_pzdysz = titleStrip();
    Label44 = titleLabel();
    BitBtn_pz_close = closeButton();

    const Zt_typro::DesignerBody body =
        Zt_typro::BuildDesignerBody(this, kNames, kFields, designPositions());
    ScrollBox_pz = body.scrollBox;
    Panel_pz = body.canvas;
    Shape_pz = body.canvas->band();
    for (qsizetype i = 0; i < body.fields.size(); ++i)
        this->*kFieldMembers[i] = body.fields.at(i);
    Button_pz_pre = body.preview;
    Button_pz_bc = body.save;
    Button_pz_prnyz = body.sample;
    GroupBox11 = body.groupBox;
    HeaderControl2 = body.header;
    DBCtrlGrid_pz = body.grid;
    DataSource_pz = body.dataSource;
    DBText_kjx = body.text;
    DBCheckBox_dy = body.check;

    {
        const TFrm_pz_print form;
        m_background = new Zt_typro::DesignerBackground(
            this, Panel_pz, {"Button_pz_bjt", "Slider_pz_bjt", "Edit_pz_dpi"}, form.QuickRep1->marginsMm(), 16, 394);
    }
    Button_pz_bjt = m_background->button();
    Slider_pz_bjt = m_background->slider();
    Edit_pz_dpi = m_background->dpiBox();

    connect(Button_pz_bc, &QPushButton::clicked, this, [this] { Zt_typro::guarded([this] { Button_pz_bcClick(); }); });
    connect(Button_pz_pre, &QPushButton::clicked, this, [this] { Zt_typro::guarded([this] { Button_pz_preClick(); }); });
    connect(Button_pz_prnyz, &QPushButton::clicked, this, [this] { Zt_typro::guarded([this] { Button_pz_prnyzClick(); }); });
    connect(Button_pz_bjt, &QPushButton::clicked, this,
            [this] { Zt_typro::guarded([this] { Button_pz_bjtClick(); }); });
    connect(this, &Zt_typro::WorkingPanel::closed, this, [this] { Zt_typro::guarded([this] { BitBtn_pz_closeClick(); }); });
}

void VoucherDesigner::open(const QString& formCode, const QString& heading)
{
    m_formCode = formCode;
    if (D_M)
        DataSource_pz->setQuery(D_M->ADOQ_pzdyxz);
    Zt_typro::LoadDesignerLayout(*Panel_pz, *Zt_typro::RequireDataModule().ADOQ_zb, formCode);
    Zt_typro::OpenVoucherPrintOptions(formCode);
    setTitle(heading);
    show();
    m_background->showFor(formCode);
}

void VoucherDesigner::Button_pz_bcClick()
{
    Zt_typro::SaveDesignerLayout(*Panel_pz, m_formCode);
}

void VoucherDesigner::Button_pz_preClick()
{
    // A fresh form each time: it shows the stored layout with the design captions, whatever
    // an earlier preview or print job left in another form.
    const auto form = std::make_unique<TFrm_pz_print>(window());
    Zt_typro::PreviewVoucherLayout(form.get(), m_formCode);
}

void VoucherDesigner::Button_pz_prnyzClick()
{
    const auto form = std::make_unique<TFrm_pz_print>(window());
    Zt_typro::PrintVoucherSample(form.get(), m_formCode);
}

void VoucherDesigner::BitBtn_pz_closeClick()
{
    if (D_M)
        D_M->ADOQ_pzdyxz->close();
}

void VoucherDesigner::Button_pz_bjtClick()
{
    m_background->chooseImage();
}
