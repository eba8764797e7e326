#pragma once

#include <QByteArray>
#include <QString>

namespace Zt_typro
{

/// Rounds of PBKDF2 used for a new password.
inline constexpr int kPasswordRounds = 310000;
/// The most rounds a stored hash may ask for: a few times kPasswordRounds. More is a damaged
/// value that PasswordMatches refuses instead of running.
inline constexpr int kMaxPasswordRounds = 4 * kPasswordRounds;

/// Rounds for a password the password panel stores: kPasswordRounds, unless a test has asked
/// for fewer with SetNewPasswordRounds (a check always uses the rounds written in the hash).
int NewPasswordRounds();
/// Sets the rounds NewPasswordRounds gives; 0 or less sets kPasswordRounds again.
void SetNewPasswordRounds(int rounds);

/// PBKDF2 with HMAC-SHA256: a key of length bytes derived from password and salt in rounds
/// iterations. rounds and length must be positive.
QByteArray Pbkdf2HmacSha256(const QByteArray& password, const QByteArray& salt, int rounds, int length);

/// The stored form of a password: "pbkdf2-sha256$<rounds>$<salt, base64>$<hash, base64>", with
/// a fresh 16-byte salt from the system's random source and a 32-byte hash of the UTF-8 text.
QString PasswordHash(const QString& password, int rounds = kPasswordRounds);

/// True when stored is a well-formed PasswordHash() text.
bool IsPasswordHash(const QString& stored);

/// Whether entry is the password that stored holds. A PasswordHash() text is checked by
/// deriving the hash again; any other stored text is the password itself in plain text and must
/// equal entry exactly (letter case and every character count). The comparison takes the same
/// time wherever the texts first differ. Throws AppError for a hash text that asks for more than
/// kMaxPasswordRounds rounds (a damaged value).
bool PasswordMatches(const QString& entry, const QString& stored);

} // namespace Zt_typro
