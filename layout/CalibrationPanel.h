#pragma once

#include "app/WorkingPanel.h"

/// Panel_dyjjz: the printer calibration panel ("打印机校准").
class CalibrationPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit CalibrationPanel(QWidget* parent);

    /// dyj_jzClick: fills the printer list and shows the panel.
    void open();
};
