#pragma once

#include "printsetup/LayoutDesigner.h"

/// P_zzzp_set: the "支票打印设置" working panel of the main window, the layout designer of the
/// cheque form codes "zz" (transfer cheque) and "xj" (cash cheque).
/// Its behaviour is LayoutDesigner's: this class describes its form to it and names the parts
/// and handlers.
class ChequeDesigner : public Zt_typro::LayoutDesigner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ChequeDesigner)
public:
    explicit ChequeDesigner(QWidget* parent);

    // Title strip
    Zt_typro::TitleStrip* Image_zpdysz;
    QLabel* Label43;
    QPushButton* BitBtn_zzzp_close;

    QScrollArea* ScrollBox_zz;
    Zt_typro::DesignerCanvas* Panel_zz;
    Zt_typro::DesignerBandShape* Shape_zp;

    // Field panels, in the canvas's control order
    Zt_typro::DesignerFieldPanel* P_zz_fjxx1;
    Zt_typro::DesignerFieldPanel* P_zz_nian;
    Zt_typro::DesignerFieldPanel* P_zz_yue;
    Zt_typro::DesignerFieldPanel* P_zz_ri;
    Zt_typro::DesignerFieldPanel* P_zz_skrcg;
    Zt_typro::DesignerFieldPanel* P_zz_jecg;
    Zt_typro::DesignerFieldPanel* P_zz_ytcg;
    Zt_typro::DesignerFieldPanel* P_zz_year;
    Zt_typro::DesignerFieldPanel* P_zz_moon;
    Zt_typro::DesignerFieldPanel* P_zz_day;
    Zt_typro::DesignerFieldPanel* P_zz_fkhmc;
    Zt_typro::DesignerFieldPanel* P_zz_cprzh;
    Zt_typro::DesignerFieldPanel* P_zz_skr;
    Zt_typro::DesignerFieldPanel* P_zz_dx;
    Zt_typro::DesignerFieldPanel* P_zz_fen;
    Zt_typro::DesignerFieldPanel* P_zz_yt;
    Zt_typro::DesignerFieldPanel* P_zz_jiao;
    Zt_typro::DesignerFieldPanel* P_zz_yuan;
    Zt_typro::DesignerFieldPanel* P_zz_shi;
    Zt_typro::DesignerFieldPanel* P_zz_bai;
    Zt_typro::DesignerFieldPanel* P_zz_qian;
    Zt_typro::DesignerFieldPanel* P_zz_wan;
    Zt_typro::DesignerFieldPanel* P_zz_rs;
    Zt_typro::DesignerFieldPanel* P_zz_rb;
    Zt_typro::DesignerFieldPanel* P_zz_rq;
    Zt_typro::DesignerFieldPanel* P_zz_yi;
    Zt_typro::DesignerFieldPanel* P_zz_fjxx2;
    Zt_typro::DesignerFieldPanel* P_zz_fjxx3;
    Zt_typro::DesignerFieldPanel* P_zz_fjxx4;
    Zt_typro::DesignerFieldPanel* P_zz_shiyi;
    Zt_typro::DesignerFieldPanel* P_zz_baiyi;
    Zt_typro::DesignerFieldPanel* P_zz_qianyi;
    Zt_typro::DesignerFieldPanel* P_zz_wanyi;

    /// The selected field's position: millimetres from the paper's top-left corner.
    QLabel* Label_zz_wz;
    /// The scale the canvas is shown at (显示比例): 适合窗口 (the whole form) or a fixed one.
    QComboBox* ComboBox_zz_xsbl;

    QPushButton* Button_zz_pre;
    QPushButton* Button_zz_bc;
    QPushButton* Butto_zz_prnyz;

    // The blank-form background (a scan of the paper form beneath the field panels; never printed)
    QPushButton* Button_zz_bjt;
    QSlider* Slider_zz_bjt;
    QSpinBox* Edit_zz_dpi;

    // The print-content list
    QGroupBox* GroupBox10;
    QHeaderView* HeaderControl1;
    QTableView* DBCtrlGrid_zp;
    Zt_typro::DesignerPrintOptions* DataSource_zp;
    QStyledItemDelegate* DBText_zpkjyy;
    QStyledItemDelegate* DBCheckBox_zpdy;

    /// Saves the canvas as the layout of the current form code.
    void Button_zz_bcClick();
    /// Previews the stored layout of the current form code on a fresh print form.
    void Button_zz_preClick();
    /// Prints the stored layout of the current form code on a fresh print form, without a dialog.
    void Butto_zz_prnyzClick();
    /// After the close button: closes the print-content list's query (the panel is hidden and
    /// the main window enables both menu items of the pair). Nothing is saved.
    void BitBtn_zzzp_closeClick();
    /// "背景图": loads a scan of the blank form for the current form code (PNG or JPEG, with its
    /// own resolution or the one typed in Edit_zz_dpi) and remembers it; a missing or unreadable
    /// file is reported and the designer goes on without it.
    void Button_zz_bjtClick();
};
