#include "store/Settings.h"

#include "common/Error.h"
#include "store/IniFile.h"
#include "store/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

namespace Zt_typro
{
namespace
{
const QString kOrganisation = QStringLiteral("Bexholt");
const QString kOrgApp = QStringLiteral("qc");
const QString kPassApp = QStringLiteral("pass");
const QString kStoreApp = QStringLiteral("sjk");
const QString kPayerFile = QStringLiteral("fkrxx.ine");
const QString kPayerSection = QStringLiteral("fkr");

QString& payerFolderOverride()
{
    static QString folder;
    return folder;
}

/// Opens the store of one application with none of QSettings' fallbacks (organisation-wide or
/// system-wide values), so that only the one key is read and written.
class Store
{
public:
    explicit Store(const QString& application)
        : m_settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, application)
    {
        m_settings.setFallbacksEnabled(false);
    }

    QString location() const { return QDir::toNativeSeparators(m_settings.fileName()); }

    /// Creates the key when it is missing. In the Windows registry QSettings creates the key
    /// of a user-scope store the first time it looks into it; a settings file is made empty here.
    void ensureKey()
    {
#ifdef Q_OS_WIN
        (void)m_settings.childKeys();
#else
        const QString path = m_settings.fileName();
        if (QFileInfo::exists(path))
            return;
        // Made for its owner only: the password store is nobody else's to read, and a later
        // write keeps the mode of the file it replaces.
        MakePrivateFolder(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            file.close();
            RestrictToOwner(path);
        }
#endif
    }

    QString read(const QString& name)
    {
        ensureKey();
        const QVariant value = m_settings.value(name);
        if (m_settings.status() != QSettings::NoError)
            throw AppError(QStringLiteral("无法读取设置 %1。").arg(location()));
        if (!value.isValid())
            return QString();
        if (value.typeId() != QMetaType::QString)
            throw AppError(QStringLiteral("设置 %1 中的值 \"%2\" 不是文本。").arg(location(), name));
        return value.toString();
    }

    void write(const QString& name, const QString& value) { m_settings.setValue(name, value); }

    void commit()
    {
        ensureKey();
        m_settings.sync();
        if (m_settings.status() != QSettings::NoError)
            throw AppError(QStringLiteral("设置没有保存: 无法写入 %1。").arg(location()));
    }

private:
    QSettings m_settings;
};

QString readValue(const QString& application, const QString& name)
{
    Store store(application);
    return store.read(name);
}

QString readPayer(const QString& key)
{
    return ReadIniString(PayerFilePath(), kPayerSection, key);
}

bool isBlank(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}
} // namespace

StoreChoice ReadStoreChoice()
{
    Store store(kStoreApp);
    StoreChoice choice;
    choice.shared = store.read(QStringLiteral("lx")) == QLatin1String("postgresql");
    choice.connection = store.read(QStringLiteral("lj"));
    return choice;
}

void WriteStoreChoice(const StoreChoice& choice)
{
    Store store(kStoreApp);
    store.write(QStringLiteral("lx"), choice.shared ? QStringLiteral("postgresql") : QStringLiteral("sqlite"));
    store.write(QStringLiteral("lj"), choice.connection.trimmed());
    store.commit();
}

QString ReadOrgName()
{
    return readValue(kOrgApp, QStringLiteral("qc"));
}

QString ReadOrgAccount()
{
    return readValue(kOrgApp, QStringLiteral("zh"));
}

QString ReadOrgBank()
{
    return readValue(kOrgApp, QStringLiteral("khh"));
}

QString ReadPassword()
{
    return readValue(kPassApp, QStringLiteral("pass"));
}

QString ReadPayerName()
{
    return readPayer(QStringLiteral("qc"));
}

QString ReadPayerAccount()
{
    return readPayer(QStringLiteral("zh"));
}

QString ReadPayerBank()
{
    return readPayer(QStringLiteral("khh"));
}

void WriteOrgDetails(const QString& name, const QString& account, const QString& bank)
{
    Store store(kOrgApp);
    store.write(QStringLiteral("qc"), name);
    store.write(QStringLiteral("zh"), account);
    store.write(QStringLiteral("khh"), bank);
    store.commit();
}

void WritePassword(const QString& stored)
{
    Store store(kPassApp);
    store.write(QStringLiteral("pass"), stored);
    store.commit();
}

void EnsurePasswordKey()
{
    Store(kPassApp).ensureKey();
}

bool ReadPasswordOffered()
{
    return !readValue(kPassApp, QStringLiteral("offered")).isEmpty();
}

void WritePasswordOffered()
{
    Store store(kPassApp);
    store.write(QStringLiteral("offered"), QStringLiteral("1"));
    store.commit();
}

QString OrgSettingsLocation()
{
    return Store(kOrgApp).location();
}

QString PasswordSettingsLocation()
{
    return Store(kPassApp).location();
}

namespace
{
QString& dataFolder()
{
    static QString folder;
    return folder;
}
} // namespace

void SetDataFolder(const QString& folder)
{
    dataFolder() = folder;
}

QString PayerFileFolder()
{
    const QString& folder = payerFolderOverride();
    if (!folder.isEmpty())
        return folder;
    const QString beside = QCoreApplication::applicationDirPath();
    if (!dataFolder().isEmpty() && !QFileInfo::exists(QDir(beside).filePath(kPayerFile)) &&
        QFileInfo::exists(QDir(dataFolder()).filePath(kPayerFile)))
        return dataFolder();
    return beside;
}

QString PayerFilePath()
{
    return QDir(PayerFileFolder()).filePath(kPayerFile);
}

void SetPayerFileFolder(const QString& folder)
{
    payerFolderOverride() = folder;
}

QString TrimText(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace Zt_typro
