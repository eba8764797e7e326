#include "layout/ChequeDesigner.h"

namespace
{
const Zt_typro::PanelChrome kChrome{"P_zzzp_set", "Image_zpdysz", "Label43", "BitBtn_zzzp_close", "支票打印设置"};
}

ChequeDesigner::ChequeDesigner(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(176, 80, 689, 428))
{
}

void ChequeDesigner::open(const QString&, const QString& heading)
{
    setTitle(heading);
    show();
}
