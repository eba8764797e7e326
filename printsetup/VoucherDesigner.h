#pragma once

#include "printsetup/LayoutDesigner.h"

/// Panel_pz_set: the "凭证(进帐单)打印设置" working panel of the main window, the layout designer of the
/// voucher form codes "dhpz" (wire-transfer voucher) and "jzd" (deposit slip).
/// Its behaviour is LayoutDesigner's: this class describes its form to it and names the parts
/// and handlers.
class VoucherDesigner : public Zt_typro::LayoutDesigner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VoucherDesigner)
public:
    explicit VoucherDesigner(QWidget* parent);

    // Title strip
    Zt_typro::TitleStrip* Image_pzdysz;
    QLabel* Label44;
    QPushButton* BitBtn_pz_close;

    QScrollArea* ScrollBox_pz;
    Zt_typro::DesignerCanvas* Panel_pz;
    Zt_typro::DesignerBandShape* Shape_pz;

    // Field panels, in the canvas's control order
    Zt_typro::DesignerFieldPanel* P_pz_nian;
    Zt_typro::DesignerFieldPanel* P_pz_yue;
    Zt_typro::DesignerFieldPanel* P_pz_ri;
    Zt_typro::DesignerFieldPanel* P_pz_cprkhh;
    Zt_typro::DesignerFieldPanel* P_pz_skrzh;
    Zt_typro::DesignerFieldPanel* P_pz_skrmc;
    Zt_typro::DesignerFieldPanel* P_pz_cprmc;
    Zt_typro::DesignerFieldPanel* P_pz_cprzh;
    Zt_typro::DesignerFieldPanel* P_pz_skrkhh;
    Zt_typro::DesignerFieldPanel* P_pz_dx;
    Zt_typro::DesignerFieldPanel* P_pz_fen;
    Zt_typro::DesignerFieldPanel* P_pz_jiao;
    Zt_typro::DesignerFieldPanel* P_pz_yuan;
    Zt_typro::DesignerFieldPanel* P_pz_shi;
    Zt_typro::DesignerFieldPanel* P_pz_bai;
    Zt_typro::DesignerFieldPanel* P_pz_qian;
    Zt_typro::DesignerFieldPanel* P_pz_wan;
    Zt_typro::DesignerFieldPanel* P_pz_rs;
    Zt_typro::DesignerFieldPanel* P_pz_rb;
    Zt_typro::DesignerFieldPanel* P_pz_rq;
    Zt_typro::DesignerFieldPanel* P_pz_yi;
    Zt_typro::DesignerFieldPanel* P_pz_shiyi;
    Zt_typro::DesignerFieldPanel* P_pz_baiyi;
    Zt_typro::DesignerFieldPanel* P_pz_qianyi;
    Zt_typro::DesignerFieldPanel* P_pz_wanyi;

    /// The selected field's position: millimetres from the paper's top-left corner.
    QLabel* Label_pz_wz;
    /// The scale the canvas is shown at (显示比例): 适合窗口 (the whole form) or a fixed one.
    QComboBox* ComboBox_pz_xsbl;

    QPushButton* Button_pz_pre;
    QPushButton* Button_pz_bc;
    QPushButton* Button_pz_prnyz;

    // The blank-form background (a scan of the paper form beneath the field panels; never printed)
    QPushButton* Button_pz_bjt;
    QSlider* Slider_pz_bjt;
    QSpinBox* Edit_pz_dpi;

    // The print-content list
    QGroupBox* GroupBox11;
    QHeaderView* HeaderControl2;
    QTableView* DBCtrlGrid_pz;
    Zt_typro::DesignerPrintOptions* DataSource_pz;
    QStyledItemDelegate* DBText_kjx;
    QStyledItemDelegate* DBCheckBox_dy;

    /// Saves the canvas as the layout of the current form code.
    void Button_pz_bcClick();
    /// Previews the stored layout of the current form code on a fresh print form.
    void Button_pz_preClick();
    /// Prints the stored layout of the current form code on a fresh print form, without a dialog.
    void Button_pz_prnyzClick();
    /// After the close button: closes the print-content list's query (the panel is hidden and
    /// the main window enables both menu items of the pair). Nothing is saved.
    void BitBtn_pz_closeClick();
    /// "背景图": loads a scan of the blank form for the current form code (PNG or JPEG, with its
    /// own resolution or the one typed in Edit_pz_dpi) and remembers it; a missing or unreadable
    /// file is reported and the designer goes on without it.
    void Button_pz_bjtClick();
};
