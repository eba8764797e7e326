#include "app/Forms.h"

#include "app/Login.h"
#include "app/MainWindow.h"
#include "common/Guard.h"
#include "common/Prompt.h"
#include "print/ChequePrintForm.h"
#include "print/VoucherPrintForm.h"
#include "store/Backup.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TFrm_main* Frm_main = nullptr;
TAboutBox* AboutBox = nullptr;
TFrm_login* Frm_login = nullptr;

namespace Zt_typro
{

void PrepareApplication()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;

    QCoreApplication::setApplicationName(QStringLiteral("Quillmate"));
    // "宋体" is the face the forms are designed in. Map it to an installed Song-style CJK face;
    // otherwise Qt silently picks a sans face with Japanese glyph forms and text boxes shift.
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});

    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

void CreateForms()
{
    Frm_main = new TFrm_main;
    AboutBox = new TAboutBox(Frm_main);
    Frm_zz_print = new TFrm_zz_print;
    Frm_zz_print->setObjectName(QStringLiteral("Frm_zz_print"));
    D_M = new TD_M;
    Zt_typro::InstallDailyBackup(*D_M);
    // The write goes on; the operator is told before it does.
    QObject::connect(D_M, &TD_M::beforeWriteHookFailed, Frm_main, [](const QString& message) {
        Zt_typro::prompter().error(QApplication::activeWindow(), Zt_typro::ApplicationTitle(), message);
    });
    // After the handler that found the file replaced has reported it.
    connectGuarded(
        D_M, &TD_M::replacedFileLetGo, Frm_main, [] { Frm_main->reloadOpenDesigners(); }, Qt::QueuedConnection);
    Frm_pz_print = new TFrm_pz_print;
    Frm_pz_print->setObjectName(QStringLiteral("Frm_pz_print"));
    Frm_login = new TFrm_login;
    Frm_login->setObjectName(QStringLiteral("Frm_login"));
}

void DestroyForms()
{
    // Each global is cleared before its form is deleted: a handler that runs while a form is being
    // destroyed (the amount field losing focus as the main window closes) then finds no form
    // instead of a half-destroyed one.
    const auto destroy = [](auto*& form) {
        auto* dying = form;
        form = nullptr;
        delete dying;
    };
    destroy(Frm_login);
    destroy(Frm_pz_print);
    destroy(D_M);
    destroy(Frm_zz_print);
    destroy(AboutBox);
    destroy(Frm_main);
}

} // namespace Zt_typro
