#include "app/DataFolder.h"
#include "app/Forms.h"
#include "app/Login.h"
#include "app/MainWindow.h"
#include "app/SharedCommands.h"
#include "common/Error.h"
#include "store/Settings.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    // Setting up or moving into a shared register is a terminal's work: no window, no display.
    if (const int status = Zt_typro::RunSharedCommand(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillmate-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmate"));
    int result = 0;
    try {
        // Everything the program writes goes into its data folder, its working folder from here on.
        const QString data = Zt_typro::ChooseDataFolder(app.arguments().mid(1), QDir::currentPath());
        if (!QDir::setCurrent(data))
            throw Zt_typro::AppError(QStringLiteral("无法进入数据文件夹 %1。").arg(QDir::toNativeSeparators(data)));
        Zt_typro::SetDataFolder(data);
        Zt_typro::PrepareApplication();
        Zt_typro::CreateForms();
        if (Frm_login->runGate())
            result = app.exec();
    } catch (const Zt_typro::AppError& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Quillmate"), e.message());
        result = 1;
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Quillmate"), QString::fromUtf8(e.what()));
        result = 1;
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("Quillmate"), QString());
        result = 1;
    }
    Zt_typro::DestroyForms();
    return result;
}
