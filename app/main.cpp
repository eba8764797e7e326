#include "app/Forms.h"
#include "app/Login.h"
#include "app/MainWindow.h"
#include "common/Error.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    int result = 0;
    try {
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
