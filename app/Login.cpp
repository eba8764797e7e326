#include "app/Login.h"

#include "app/Forms.h"
#include "app/Main.h"

TFrm_login::TFrm_login(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("登录"));
}

bool TFrm_login::runGate()
{
    Frm_main->show();
    return true;
}
