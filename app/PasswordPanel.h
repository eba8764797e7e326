#pragma once

#include "app/WorkingPanel.h"

/// Panel_pass: the "密码设置" working panel of the main window.
class PasswordPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit PasswordPanel(QWidget* parent);

    /// pass_setClick: empties the three fields and shows the panel.
    void open();
};
