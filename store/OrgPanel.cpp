#include "store/OrgPanel.h"

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_dwset", "Image_dwset", "Label42", "BitBtn_dwset_close", "单位帐号设置"};
}

OrgPanel::OrgPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 417, 225))
{
}

void OrgPanel::open()
{
    show();
}
