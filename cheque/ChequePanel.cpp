#include "cheque/ChequePanel.h"

#include <QGroupBox>

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_zp", "Image_zpedit", "Label1", "BitBtn_zp_close", "支票正联"};
const Zt_typro::PanelChrome kStub{"Panel_cg", "Image_cg", "Label4", "BitBtn_cg_close", "支票存根"};
const Zt_typro::PanelChrome kType{"Panel_zplx", "Image_zplx", nullptr, "BitBtn_lx_yc", "支票类型"};
} // namespace

ChequePanel::ChequePanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(232, 80, 641, 355))
{
    Panel_cg = new Zt_typro::WorkingPanel(this, kStub, QRect(168, 88, 241, 225));
    Panel_zplx = new Zt_typro::WorkingPanel(this, kType, QRect(168, 160, 241, 97));
    GroupBox_zplx = new QGroupBox(QStringLiteral("支票类型"), Panel_zplx);
    GroupBox_zplx->setObjectName(QStringLiteral("GroupBox_zplx"));
    GroupBox_zplx->setGeometry(8, 20, 225, 70);
}

void ChequePanel::open()
{
    show();
}
