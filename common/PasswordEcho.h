#pragma once

class QLineEdit;

namespace Zt_typro
{

/// Makes edit a password field that shows every character as "*".
void ShowAsStars(QLineEdit* edit);

} // namespace Zt_typro
