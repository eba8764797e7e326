#include "register/ResultPanel.h"

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_zpcxjg", "Image1", "Label50", "BitBtn_zpcxjg_close", "查询列表"};
}

ResultPanel::ResultPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 304, 457, 153))
{
}
