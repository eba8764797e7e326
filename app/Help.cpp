#include "app/Help.h"

#include "common/Guard.h"
#include "common/Prompt.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace Zt_typro
{
namespace
{
QString g_helpPath;
QPointer<QDialog> g_helpWindow;
} // namespace

QString HelpFilePath()
{
    if (!g_helpPath.isEmpty())
        return g_helpPath;
    // Beside the program in the build folder; under share/ of an installed one (bin/../share).
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString beside = programFolder.filePath(QStringLiteral("help/index.html"));
    const QString installed = QDir::cleanPath(programFolder.filePath(QStringLiteral("../share/quillmate/help/index.html")));
    return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

void SetHelpFilePath(const QString& path)
{
    g_helpPath = path;
}

void ShowHelpContents(QWidget* owner)
{
    const QString path = HelpFilePath();
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        prompter().error(owner, ApplicationTitle(),
                         QStringLiteral("找不到帮助文件 \"%1\"，无法显示帮助。程序的其他功能不受影响。")
                             .arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!g_helpWindow) {
        g_helpWindow = new QDialog(owner);
        g_helpWindow->setObjectName(QStringLiteral("HelpWindow"));
        g_helpWindow->setWindowTitle(QStringLiteral("Quillmate 帮助"));
        g_helpWindow->resize(640, 520);
        auto* layout = new QVBoxLayout(g_helpWindow);
        auto* browser = new QTextBrowser(g_helpWindow);
        browser->setObjectName(QStringLiteral("HelpBrowser"));
        browser->setOpenExternalLinks(false);
        layout->addWidget(browser);
    }
    auto* browser = g_helpWindow->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
    browser->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    g_helpWindow->show();
    g_helpWindow->raise();
    g_helpWindow->activateWindow();
}

} // namespace Zt_typro
