#include "printsetup/ChequeDesigner.h"

#include "common/Guard.h"
#include "printsetup/DesignerBackground.h"
#include "printsetup/DesignerBody.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/DesignerLayout.h"
#include "printsetup/DesignerPrintOptions.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "print/ChequePrintForm.h"
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
const Zt_typro::PanelChrome kChrome{"P_zzzp_set", "Image_zpdysz", "Label43", "BitBtn_zzzp_close", "支票打印设置"};

const Zt_typro::DesignerNames kNames{"ScrollBox_zz", "Panel_zz", QSize(981, 317), "Shape_zp", "Button_zz_pre", "Button_zz_bc",
                                     "Butto_zz_prnyz", "GroupBox10", "HeaderControl1", "DBCtrlGrid_zp", "DataSource_zp", "DBText_zpkjyy",
                                     "DBCheckBox_zpdy"};

// The field panels in control order: name, caption, width, height.
const QList<Zt_typro::DesignerFieldSpec> kFields{
    {"P_zz_fjxx1", "附加信息一", 105, 17},
    {"P_zz_nian", "年", 17, 17},
    {"P_zz_yue", "月", 17, 17},
    {"P_zz_ri", "日", 17, 17},
    {"P_zz_skrcg", "收款人存根", 129, 17},
    {"P_zz_jecg", "金额存根", 129, 17},
    {"P_zz_ytcg", "用途存根", 129, 17},
    {"P_zz_year", "大写年", 41, 17},
    {"P_zz_moon", "大写月", 41, 17},
    {"P_zz_day", "大写日", 41, 17},
    {"P_zz_fkhmc", "付款行名称", 105, 17},
    {"P_zz_cprzh", "出票人帐号", 105, 17},
    {"P_zz_skr", "收款人", 153, 17},
    {"P_zz_dx", "人民币大写", 153, 25},
    {"P_zz_fen", "分", 17, 17},
    {"P_zz_yt", "用途", 153, 17},
    {"P_zz_jiao", "角", 17, 17},
    {"P_zz_yuan", "元", 17, 17},
    {"P_zz_shi", "十", 17, 17},
    {"P_zz_bai", "百", 17, 17},
    {"P_zz_qian", "千", 17, 17},
    {"P_zz_wan", "万", 17, 17},
    {"P_zz_rs", "拾", 17, 17},
    {"P_zz_rb", "佰", 17, 17},
    {"P_zz_rq", "仟", 17, 17},
    {"P_zz_yi", "亿", 17, 17},
    {"P_zz_fjxx2", "附加信息二", 105, 17},
    {"P_zz_fjxx3", "附加信息三", 105, 17},
    {"P_zz_fjxx4", "附加信息四", 105, 17},
    {"P_zz_shiyi", "什", 17, 17},
    {"P_zz_baiyi", "柏", 17, 17},
    {"P_zz_qianyi", "杄", 17, 17},
    {"P_zz_wanyi", "杤", 17, 17},
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

// Until a layout is loaded, each field panel stands where the print form puts its label by design.
QList<QPoint> designPositions()
{
    TFrm_zz_print form;
    QList<QPoint> out;
    for (const Zt_typro::DesignerFieldSpec& def : kFields) {
        const Zt_typro::ReportLabel* label = form.label(QString::fromLatin1(def.name).mid(5));
        out.append(label ? label->position() : QPoint(4, 4 + 19 * int(out.size())));
    }
    return out;
}
} // namespace

ChequeDesigner::ChequeDesigner(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(176, 80, 689, 428))
{
    static_assert(std::size(kFieldMembers) > 0);
    Q_ASSERT(std::size(kFieldMembers) == std::size_t(kFields.size()));
    Image_zpdysz = titleStrip();
    Label43 = titleLabel();
    BitBtn_zzzp_close = closeButton();

    const Zt_typro::DesignerBody body =
        Zt_typro::BuildDesignerBody(this, kNames, kFields, designPositions());
    ScrollBox_zz = body.scrollBox;
    Panel_zz = body.canvas;
    Shape_zp = body.canvas->band();
    for (qsizetype i = 0; i < body.fields.size(); ++i)
        this->*kFieldMembers[i] = body.fields.at(i);
    Button_zz_pre = body.preview;
    Button_zz_bc = body.save;
    Butto_zz_prnyz = body.sample;
    GroupBox10 = body.groupBox;
    HeaderControl1 = body.header;
    DBCtrlGrid_zp = body.grid;
    DataSource_zp = body.dataSource;
    DBText_zpkjyy = body.text;
    DBCheckBox_zpdy = body.check;

    {
        const TFrm_zz_print form;
        m_background = new Zt_typro::DesignerBackground(
            this, Panel_zz, {"Button_zz_bjt", "Slider_zz_bjt", "Edit_zz_dpi"}, form.QuickRep1->marginsMm(), 16, 394);
    }
    Button_zz_bjt = m_background->button();
    Slider_zz_bjt = m_background->slider();
    Edit_zz_dpi = m_background->dpiBox();

    connect(Button_zz_bc, &QPushButton::clicked, this, [this] { Zt_typro::guarded([this] { Button_zz_bcClick(); }); });
    connect(Button_zz_pre, &QPushButton::clicked, this, [this] { Zt_typro::guarded([this] { Button_zz_preClick(); }); });
    connect(Butto_zz_prnyz, &QPushButton::clicked, this, [this] { Zt_typro::guarded([this] { Butto_zz_prnyzClick(); }); });
    connect(Button_zz_bjt, &QPushButton::clicked, this,
            [this] { Zt_typro::guarded([this] { Button_zz_bjtClick(); }); });
    connect(this, &Zt_typro::WorkingPanel::closed, this, [this] { Zt_typro::guarded([this] { BitBtn_zzzp_closeClick(); }); });
}

void ChequeDesigner::open(const QString& formCode, const QString& heading)
{
    m_formCode = formCode;
    if (D_M)
        DataSource_zp->setQuery(D_M->ADOQ_zpdyxz);
    Zt_typro::LoadDesignerLayout(*Panel_zz, *Zt_typro::RequireDataModule().ADOQ_zb, formCode);
    Zt_typro::OpenChequePrintOptions(formCode);
    setTitle(heading);
    show();
    m_background->showFor(formCode);
}

void ChequeDesigner::Button_zz_bcClick()
{
    // The print-content list is read again first, so it shows its first row afterwards.
    Zt_typro::OpenChequePrintOptions(m_formCode);
    Zt_typro::SaveDesignerLayout(*Panel_zz, m_formCode);
}

void ChequeDesigner::Button_zz_preClick()
{
    // A fresh form each time: it shows the stored layout with the design captions, whatever
    // an earlier preview or print job left in another form.
    const auto form = std::make_unique<TFrm_zz_print>(window());
    Zt_typro::PreviewChequeLayout(form.get(), m_formCode);
}

void ChequeDesigner::Butto_zz_prnyzClick()
{
    const auto form = std::make_unique<TFrm_zz_print>(window());
    Zt_typro::PrintChequeSample(form.get(), m_formCode);
}

void ChequeDesigner::BitBtn_zzzp_closeClick()
{
    if (D_M)
        D_M->ADOQ_zpdyxz->close();
}

void ChequeDesigner::Button_zz_bjtClick()
{
    m_background->chooseImage();
}
