#pragma once

#include "app/WorkingPanel.h"

class QGroupBox;

/// P_pz: the voucher entry screen ("凭证编辑"), with the type choice Panel_pzlx lying over it.
class VoucherPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit VoucherPanel(QWidget* parent);

    /// mnupzbjClick: prepares the screen for a new voucher and shows it.
    void open();

    Zt_typro::WorkingPanel* Panel_pzlx;
    QGroupBox* GroupBox_pzlx;
};
