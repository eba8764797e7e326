#include "app/PasswordPanel.h"

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_pass", "Image_mmset", "Label51", "BitBtn_pass_close", "密码设置"};
}

PasswordPanel::PasswordPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 289, 201))
{
}

void PasswordPanel::open()
{
    show();
}
