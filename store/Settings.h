#pragma once

#include <QString>

namespace Zt_typro
{

// The per-user settings are QSettings of organisation "Bexholt": application "qc" holds the
// organisation's details (values "qc", "zh", "khh"), application "pass" the login password
// (value "pass"). On Windows these are the registry keys HKEY_CURRENT_USER\Software\Bexholt\qc
// and ...\pass; elsewhere the files Qt keeps under the XDG config folder. The payer details are
// the read-only ini file "fkrxx.ine" beside the program file, section "fkr".
//
// Every routine opens its store, reads or writes, and releases it: nothing is cached. A missing
// key, value, file or section reads as an empty text. A store that exists but cannot be read,
// a value that is not a text, and a write that does not reach the store throw AppError.

/// The organisation's full name ("qc").
QString ReadOrgName();
/// The organisation's bank account number ("zh").
QString ReadOrgAccount();
/// The organisation's bank ("khh").
QString ReadOrgBank();
/// The stored login password ("pass"), as stored: plain text or a PasswordHash() text.
QString ReadPassword();

/// The payer's name, account number and bank from "fkrxx.ine" (keys "qc", "zh", "khh").
QString ReadPayerName();
QString ReadPayerAccount();
QString ReadPayerBank();

/// Stores the organisation's details, in the order "qc", "zh", "khh", exactly as given.
void WriteOrgDetails(const QString& name, const QString& account, const QString& bank);
/// Stores the login password text exactly as given.
void WritePassword(const QString& stored);
/// Makes sure the password key exists, creating it empty when it is missing.
void EnsurePasswordKey();
/// Whether the operator, having logged in with the empty password, was already offered to set
/// one (value "offered" beside the password): the offer is made once, whatever the answer.
bool ReadPasswordOffered();
/// Remembers that the offer to set a password was made.
void WritePasswordOffered();

/// Where the register is kept, per user (application "sjk"): "lx" is "sqlite" for the local
/// file (also when missing) or "postgresql" for the shared server, "lj" the connection to it (a
/// libpq connection text or a service name; never a password).
struct StoreChoice
{
    bool shared = false;
    QString connection;
};
StoreChoice ReadStoreChoice();
/// Stores the choice. Throws AppError when it cannot be written.
void WriteStoreChoice(const StoreChoice& choice);

/// Where the per-user store of the organisation's details or of the password lives, for messages.
QString OrgSettingsLocation();
QString PasswordSettingsLocation();

/// The folder searched for "fkrxx.ine": the program file's folder unless SetPayerFileFolder()
/// chose another; when the file is not there, the data folder (SetDataFolder), since an installed
/// program's own folder is not the user's to write in. Any other working directory plays no part.
QString PayerFileFolder();
/// The full name of the payer file.
QString PayerFilePath();
/// Makes the data folder chosen at start-up a second place for the payer file (empty: none).
void SetDataFolder(const QString& folder);
/// Makes the payer file be looked for in folder (for tests); an empty folder returns to the
/// program file's folder.
void SetPayerFileFolder(const QString& folder);

/// Removes leading and trailing blanks (including ideographic and no-break spaces) and control
/// characters, as every entry field of the settings and the login is trimmed.
QString TrimText(const QString& text);

} // namespace Zt_typro
