#pragma once

class TFrm_main;
class TAboutBox;
class TFrm_zz_print;
class TD_M;
class TFrm_pz_print;
class TFrm_login;

/// The long-lived forms: created hidden by CreateForms() in this order, destroyed in reverse
/// order by DestroyForms(). Each carries its instance name as its objectName.
extern TFrm_main* Frm_main;
extern TAboutBox* AboutBox;
extern TFrm_zz_print* Frm_zz_print;
extern TD_M* D_M;
extern TFrm_pz_print* Frm_pz_print;
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
