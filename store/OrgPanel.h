#pragma once

#include "app/WorkingPanel.h"

/// Panel_dwset: the "单位帐号设置" working panel of the main window.
class OrgPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit OrgPanel(QWidget* parent);

    /// mnuzhClick: fills the fields from the settings and shows the panel.
    void open();
};
