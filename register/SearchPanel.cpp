#include "register/SearchPanel.h"

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_zpcx", "Image_zpcx", "Label49", "BitBtn_zpcx_close", "支票查询"};
}

SearchPanel::SearchPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 457, 225))
{
}

void SearchPanel::open()
{
    show();
}
