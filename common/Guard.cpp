#include "common/Guard.h"

#include "common/Prompt.h"

#include <QApplication>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcGuard, "quillmate.guard")

namespace Zt_typro
{

QString ApplicationTitle()
{
    return QStringLiteral("Quillmate");
}

void ShowHandlerError(const QString& text)
{
    qCWarning(lcGuard) << "handler error:" << text;
    try {
        prompter().error(QApplication::activeWindow(), ApplicationTitle(), text);
    } catch (...) {
        // Nothing may escape from the error report itself.
    }
}

} // namespace Zt_typro
