#pragma once

#include "app/WorkingPanel.h"

/// Panel_zpcxjg: the "查询列表" working panel of the main window.
class ResultPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit ResultPanel(QWidget* parent);
};
