#include "common/PasswordEcho.h"

#include <QLineEdit>

namespace Zt_typro
{

void ShowAsStars(QLineEdit* edit)
{
    edit->setEchoMode(QLineEdit::Password);
    // The styles draw a bullet by default; the fields of this program show "*" (character 42).
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}

} // namespace Zt_typro
