#include "layout/VoucherDesigner.h"

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_pz_set", "Image_pzdysz", "Label44", "BitBtn_pz_close", "凭证(进帐单)打印设置"};
}

VoucherDesigner::VoucherDesigner(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(176, 80, 689, 425))
{
}

void VoucherDesigner::open(const QString&, const QString& heading)
{
    setTitle(heading);
    show();
}
