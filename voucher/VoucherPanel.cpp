#include "voucher/VoucherPanel.h"

#include <QGroupBox>

namespace
{
const Zt_typro::PanelChrome kChrome{"P_pz", "Image_pzedit", "Label38", "BitB_pz_close", "凭证编辑"};
const Zt_typro::PanelChrome kType{"Panel_pzlx", "Image_palx", nullptr, "BitBtn_pzlx_close", "凭证类型"};
} // namespace

VoucherPanel::VoucherPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 521, 441))
{
    Panel_pzlx = new Zt_typro::WorkingPanel(this, kType, QRect(144, 192, 241, 105));
    GroupBox_pzlx = new QGroupBox(QStringLiteral("凭证类型"), Panel_pzlx);
    GroupBox_pzlx->setObjectName(QStringLiteral("GroupBox_pzlx"));
    GroupBox_pzlx->setGeometry(8, 20, 225, 78);
}

void VoucherPanel::open()
{
    show();
}
