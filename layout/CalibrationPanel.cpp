#include "layout/CalibrationPanel.h"

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_dyjjz", "Image_dyjjz", "Label_dyjjz", "BitBtn_dyjjz_close", "打印机校准"};
}

CalibrationPanel::CalibrationPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 417, 300))
{
}

void CalibrationPanel::open()
{
    show();
}
