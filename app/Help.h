#pragma once

#include <QString>

class QWidget;

namespace Zt_typro
{

/// The help document: "help/index.html" beside the program file (the build folder), or
/// "../share/quillmate/help/index.html" from it when installed; unless a test chose another.
QString HelpFilePath();

/// Points the help at another file (tests); an empty path returns to the default.
void SetHelpFilePath(const QString& path);

/// Shows the contents of the help document in the program's help window. A missing document is
/// reported in a message; the caller goes on either way.
void ShowHelpContents(QWidget* owner);

} // namespace Zt_typro
