#pragma once

#include "app/WorkingPanel.h"

/// Panel_zpcx: the "支票查询" working panel of the main window.
class SearchPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit SearchPanel(QWidget* parent);

    /// zpcxClick: resets the search fields, loads the payee list and shows the panel.
    void open();
};
