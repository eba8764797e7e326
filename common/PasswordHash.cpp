#include "common/PasswordHash.h"

#include "common/Error.h"

#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>
#include <QtEndian>

namespace Zt_typro
{
namespace
{
const QString kScheme = QStringLiteral("pbkdf2-sha256");
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
// A stored hash asking for more rounds than this is a damaged value, never run: a hand-edited
// count would keep the login busy for many seconds at every try.
constexpr qint64 kMaxRounds = kMaxPasswordRounds;
constexpr qsizetype kMaxSaltBytes = 1024;
constexpr qsizetype kMinHashBytes = 16;
constexpr qsizetype kMaxHashBytes = 64;
int g_newPasswordRounds = kPasswordRounds;
constexpr auto kBase64 = QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors;

struct ParsedHash
{
    int rounds = 0;
    QByteArray salt;
    QByteArray hash;
};

bool parse(const QString& stored, ParsedHash* out, QString* tooManyRounds = nullptr)
{
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts.at(0) != kScheme)
        return false;
    static const QRegularExpression digits(QStringLiteral("^[1-9][0-9]*$"));
    if (!digits.match(parts.at(1)).hasMatch())
        return false;
    bool ok = false;
    const qint64 rounds = parts.at(1).toLongLong(&ok);
    if (!ok || rounds > kMaxRounds) {
        if (tooManyRounds)
            *tooManyRounds = parts.at(1);
        return false;
    }
    const auto salt = QByteArray::fromBase64Encoding(parts.at(2).toLatin1(), kBase64);
    const auto hash = QByteArray::fromBase64Encoding(parts.at(3).toLatin1(), kBase64);
    if (!salt || !hash || salt.decoded.isEmpty() || salt.decoded.size() > kMaxSaltBytes ||
        hash.decoded.size() < kMinHashBytes || hash.decoded.size() > kMaxHashBytes)
        return false;
    out->rounds = int(rounds);
    out->salt = salt.decoded;
    out->hash = hash.decoded;
    return true;
}

QByteArray utf16Bytes(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
}

/// Equal contents, in a time that depends on the lengths only.
bool constantTimeEqual(const QByteArray& a, const QByteArray& b)
{
    const qsizetype n = std::max(a.size(), b.size());
    unsigned diff = a.size() == b.size() ? 0u : 1u;
    for (qsizetype i = 0; i < n; ++i) {
        const auto x = i < a.size() ? static_cast<unsigned char>(a.at(i)) : 0u;
        const auto y = i < b.size() ? static_cast<unsigned char>(b.at(i)) : 0u;
        diff |= x ^ y;
    }
    return diff == 0;
}
} // namespace

int NewPasswordRounds()
{
    return g_newPasswordRounds;
}

void SetNewPasswordRounds(int rounds)
{
    g_newPasswordRounds = rounds > 0 ? rounds : kPasswordRounds;
}

QByteArray Pbkdf2HmacSha256(const QByteArray& password, const QByteArray& salt, int rounds, int length)
{
    Q_ASSERT(rounds > 0 && length > 0);
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    QByteArray derived;
    derived.reserve(length + kHashBytes);
    for (quint32 block = 1; derived.size() < length; ++block) {
        char index[4];
        qToBigEndian(block, index);
        mac.reset();
        mac.addData(salt);
        mac.addData(index, sizeof index);
        QByteArray u = mac.result();
        QByteArray t = u;
        for (int i = 1; i < rounds; ++i) {
            mac.reset();
            mac.addData(u);
            u = mac.result();
            for (qsizetype j = 0; j < t.size(); ++j)
                t[j] = char(t.at(j) ^ u.at(j));
        }
        derived += t;
    }
    derived.truncate(length);
    return derived;
}

QString PasswordHash(const QString& password, int rounds)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    const QByteArray hash = Pbkdf2HmacSha256(password.toUtf8(), salt, rounds, kHashBytes);
    return QStringLiteral("%1$%2$%3$%4")
        .arg(kScheme, QString::number(rounds), QString::fromLatin1(salt.toBase64()),
             QString::fromLatin1(hash.toBase64()));
}

bool IsPasswordHash(const QString& stored)
{
    ParsedHash parsed;
    return parse(stored, &parsed);
}

bool PasswordMatches(const QString& entry, const QString& stored)
{
    ParsedHash parsed;
    QString tooManyRounds;
    const bool isHash = parse(stored, &parsed, &tooManyRounds);
    if (!tooManyRounds.isEmpty())
        throw AppError(QStringLiteral("存储的密码已损坏: 它要求的计算次数 %1 超过了程序允许的 %2 次，无法核对。")
                           .arg(tooManyRounds)
                           .arg(kMaxRounds));
    if (isHash) {
        const QByteArray derived =
            Pbkdf2HmacSha256(entry.toUtf8(), parsed.salt, parsed.rounds, int(parsed.hash.size()));
        return constantTimeEqual(derived, parsed.hash);
    }
    return constantTimeEqual(utf16Bytes(entry), utf16Bytes(stored));
}

} // namespace Zt_typro
