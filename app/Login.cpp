#include "app/Login.h"

TFrm_login::TFrm_login(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("登录"));
}
