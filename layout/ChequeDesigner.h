#pragma once

#include "app/WorkingPanel.h"

/// P_zzzp_set: the "支票打印设置" working panel of the main window.
class ChequeDesigner : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit ChequeDesigner(QWidget* parent);
};
