#pragma once

// The print forms and the data module declare their own globals beside their classes.
#include "print/ChequePrintForm.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"

class TFrm_main;
class TAboutBox;
class TFrm_login;

/// The long-lived forms: created hidden by CreateForms() in the order Frm_main, AboutBox,
/// Frm_zz_print, D_M, Frm_pz_print, Frm_login, destroyed in reverse order by DestroyForms().
/// Each carries its instance name as its objectName. The shell's own three are declared here.
extern TFrm_main* Frm_main;
extern TAboutBox* AboutBox;
extern TFrm_login* Frm_login;

namespace Zt_typro
{

/// Prepares the application object once: title, the "宋体" font mapping, and Qt's own dialogs
/// in Chinese. Start-up and the tests call it before CreateForms().
void PrepareApplication();

/// Creates the six long-lived forms, hidden. Creating the data module opens no database.
void CreateForms();

/// Destroys the long-lived forms in reverse order of creation.
void DestroyForms();

} // namespace Zt_typro
