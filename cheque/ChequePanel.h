#pragma once

#include "app/WorkingPanel.h"

class QGroupBox;

/// Panel_zp: the cheque entry screen ("支票正联"), with the stub Panel_cg and the type choice
/// Panel_zplx lying over it.
class ChequePanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit ChequePanel(QWidget* parent);

    /// mnuzpbjClick: prepares the screen for a new cheque and shows it.
    void open();

    Zt_typro::WorkingPanel* Panel_cg;
    Zt_typro::WorkingPanel* Panel_zplx;
    QGroupBox* GroupBox_zplx;
};
