#include "common/Error.h"
#include "store/IniFile.h"
#include "store/Settings.h"
#include "tests/support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string_view>

using namespace Zt_typro;

namespace
{
QVariant storedValue(const QString& application, const QString& name)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), application);
    return settings.value(name);
}

void storeValue(const QString& application, const QString& name, const QVariant& value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), application);
    settings.setValue(name, value);
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// The text as little-endian UTF-16 bytes, as Windows Notepad saves "Unicode".
QByteArray utf16Bytes(std::u16string_view text)
{
    QByteArray bytes;
    for (char16_t c : text) {
        bytes.append(char(c & 0xff));
        bytes.append(char(c >> 8));
    }
    return bytes;
}

QString errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const AppError& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstRunReadsEmptyAndCreatesTheKeys();
    void readersSeeWhatWasWritten();
    void valuesOutsideTheKeyAreNotRead();
    void aValueThatIsNotTextIsAnError();
    void anUnreadableStoreIsAnError();
    void anUnwritableStoreIsReportedWithItsLocation();
    void trimRemovesBlanksAndControlsAroundOnly_data();
    void trimRemovesBlanksAndControlsAroundOnly();

    void payerFile_data();
    void payerFile();
    void missingPayerFileReadsEmpty();
    void passwordStoreIsForTheOwnerOnly();
    void payerFileThatIsNoPlainFile_isRefusedAtOnce_data();
    void payerFileThatIsNoPlainFile_isRefusedAtOnce();
    void decodeChoosesUtf8OrGbk_data();
    void decodeChoosesUtf8OrGbk();
    void payerFileIsFoundBesideTheProgramFromAnotherFolder();

private:
    std::unique_ptr<SettingsSandbox> m_sandbox;
    std::unique_ptr<QTemporaryDir> m_program;
};

void TestSettings::init()
{
    m_sandbox = std::make_unique<SettingsSandbox>();
    QVERIFY(m_sandbox->valid());
    m_program = std::make_unique<QTemporaryDir>();
    QVERIFY(m_program->isValid());
    SetPayerFileFolder(m_program->path());
}

void TestSettings::cleanup()
{
    SetPayerFileFolder(QString());
    m_program.reset();
    m_sandbox.reset();
}

void TestSettings::firstRunReadsEmptyAndCreatesTheKeys()
{
    const QString orgFile = m_sandbox->path(QStringLiteral("Bexholt/qc.conf"));
    const QString passFile = m_sandbox->path(QStringLiteral("Bexholt/pass.conf"));
    QVERIFY(!QFile::exists(orgFile));
    QVERIFY(!QFile::exists(passFile));

    QCOMPARE(ReadOrgName(), QString());
    QVERIFY(QFile::exists(orgFile));
    QCOMPARE(ReadOrgAccount(), QString());
    QCOMPARE(ReadOrgBank(), QString());
    QVERIFY(!QFile::exists(passFile));
    QCOMPARE(ReadPassword(), QString());
    QVERIFY(QFile::exists(passFile));
    QCOMPARE(OrgSettingsLocation(), orgFile);
    QCOMPARE(PasswordSettingsLocation(), passFile);

    // Nothing else is made: the key stays empty until something is written.
    QVERIFY(!storedValue(QStringLiteral("qc"), QStringLiteral("qc")).isValid());
}

void TestSettings::readersSeeWhatWasWritten()
{
    WriteOrgDetails(QStringLiteral("某某有限公司, 一分厂"), QStringLiteral("0200 1234 5678"),
                    QStringLiteral("中国工商银行"));
    QCOMPARE(ReadOrgName(), QStringLiteral("某某有限公司, 一分厂"));
    QCOMPARE(ReadOrgAccount(), QStringLiteral("0200 1234 5678"));
    QCOMPARE(ReadOrgBank(), QStringLiteral("中国工商银行"));
    // Stored under the value names other programs of the office know.
    QCOMPARE(storedValue(QStringLiteral("qc"), QStringLiteral("qc")).toString(), QStringLiteral("某某有限公司, 一分厂"));
    QCOMPARE(storedValue(QStringLiteral("qc"), QStringLiteral("zh")).toString(), QStringLiteral("0200 1234 5678"));
    QCOMPARE(storedValue(QStringLiteral("qc"), QStringLiteral("khh")).toString(), QStringLiteral("中国工商银行"));

    WritePassword(QStringLiteral("Secret 1"));
    QCOMPARE(ReadPassword(), QStringLiteral("Secret 1"));
    QCOMPARE(storedValue(QStringLiteral("pass"), QStringLiteral("pass")).toString(), QStringLiteral("Secret 1"));
    // The password lives in its own key, not beside the organisation's details.
    QVERIFY(!storedValue(QStringLiteral("qc"), QStringLiteral("pass")).isValid());

    // Written empty values read as empty and replace what was there.
    WriteOrgDetails(QString(), QString(), QString());
    QCOMPARE(ReadOrgName(), QString());
    QVERIFY(storedValue(QStringLiteral("qc"), QStringLiteral("qc")).isValid());
}

void TestSettings::valuesOutsideTheKeyAreNotRead()
{
    // Organisation-wide values would be QSettings' fallback; the program reads its one key only.
    {
        QSettings orgWide(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"));
        orgWide.setValue(QStringLiteral("qc"), QStringLiteral("别的单位"));
        orgWide.setValue(QStringLiteral("pass"), QStringLiteral("other"));
        orgWide.sync();
    }
    storeValue(QStringLiteral("pass"), QStringLiteral("qc"), QStringLiteral("不是这里"));
    QCOMPARE(ReadOrgName(), QString());
    QCOMPARE(ReadPassword(), QString());
}

void TestSettings::aValueThatIsNotTextIsAnError()
{
    storeValue(QStringLiteral("qc"), QStringLiteral("zh"), QStringList{QStringLiteral("1"), QStringLiteral("2")});
    storeValue(QStringLiteral("qc"), QStringLiteral("khh"), QStringLiteral("中国银行"));
    const QString location = m_sandbox->path(QStringLiteral("Bexholt/qc.conf"));
    QCOMPARE(errorOf([] { ReadOrgAccount(); }),
             QStringLiteral("设置 %1 中的值 \"zh\" 不是文本。").arg(location));
    QCOMPARE(ReadOrgBank(), QStringLiteral("中国银行"));
}

void TestSettings::anUnreadableStoreIsAnError()
{
    // A settings "file" that cannot be opened must not read as an empty password.
    const QString passFile = m_sandbox->path(QStringLiteral("Bexholt/pass.conf"));
    QVERIFY(QDir().mkpath(passFile));
    QCOMPARE(errorOf([] { ReadPassword(); }), QStringLiteral("无法读取设置 %1。").arg(passFile));
}

void TestSettings::anUnwritableStoreIsReportedWithItsLocation()
{
    // The organisation's folder is taken by a plain file, so no settings file can be made in it.
    QVERIFY(writeFile(m_sandbox->path(QStringLiteral("Bexholt")), "not a folder"));
    const QString orgFile = m_sandbox->path(QStringLiteral("Bexholt/qc.conf"));
    const QString passFile = m_sandbox->path(QStringLiteral("Bexholt/pass.conf"));
    QCOMPARE(errorOf([] { WriteOrgDetails(QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("乙")); }),
             QStringLiteral("设置没有保存: 无法写入 %1。").arg(orgFile));
    QCOMPARE(errorOf([] { WritePassword(QStringLiteral("x")); }),
             QStringLiteral("设置没有保存: 无法写入 %1。").arg(passFile));
}

void TestSettings::trimRemovesBlanksAndControlsAroundOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("plain") << QStringLiteral("某某公司") << QStringLiteral("某某公司");
    QTest::newRow("blanks around") << QStringLiteral("  某某 公司  ") << QStringLiteral("某某 公司");
    QTest::newRow("tabs and line ends") << QStringLiteral("\t abc\r\n") << QStringLiteral("abc");
    QTest::newRow("control characters") << QStringLiteral("\x01\x1f" "abc\x7f") << QStringLiteral("abc");
    QTest::newRow("ideographic and no-break space") << QStringLiteral("\u3000abc\u00a0") << QStringLiteral("abc");
    QTest::newRow("inside stays") << QStringLiteral("a \t\u3000b") << QStringLiteral("a \t\u3000b");
    QTest::newRow("blanks only") << QStringLiteral(" \t ") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestSettings::trimRemovesBlanksAndControlsAroundOnly()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(TrimText(text), trimmed);
}

void TestSettings::payerFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("bank");

    // 某某有限公司 and 中国工商银行 in the GBK code page, as Windows Notepad saves them.
    const QByteArray gbkName("\xc4\xb3\xc4\xb3\xd3\xd0\xcf\xde\xb9\xab\xcb\xbe");
    const QByteArray gbkBank("\xd6\xd0\xb9\xfa\xb9\xa4\xc9\xcc\xd2\xf8\xd0\xd0");
    const QString name = QStringLiteral("某某有限公司");
    const QString bank = QStringLiteral("中国工商银行");

    QTest::newRow("GBK, Windows line ends")
        << QByteArray("[fkr]\r\nqc=" + gbkName + "\r\nzh=0200123456789\r\nkhh=" + gbkBank + "\r\n") << name
        << QStringLiteral("0200123456789") << bank;
    QTest::newRow("UTF-8") << QByteArray("[fkr]\nqc=某某有限公司\nzh=0200123456789\nkhh=中国工商银行\n") << name
                           << QStringLiteral("0200123456789") << bank;
    QTest::newRow("UTF-8 with byte order mark")
        << QByteArray("\xef\xbb\xbf[fkr]\nqc=某某有限公司\nzh=1\nkhh=中国工商银行") << name << QStringLiteral("1") << bank;
    QTest::newRow("UTF-16 with byte order mark")
        << QByteArray("\xff\xfe" + utf16Bytes(u"[fkr]\r\nqc=某某有限公司\r\nkhh=中国工商银行"))
        << name << QString() << bank;
    QTest::newRow("names ignore case and blanks, values lose blanks and quotes")
        << QByteArray("; payer\n[ FKR ]\n QC = \"  某某有限公司 \" \nZh='12 34'\n KHH =  中国 工商银行  \n") << "  某某有限公司 "
        << QStringLiteral("12 34") << QStringLiteral("中国 工商银行");
    QTest::newRow("other sections are not read")
        << QByteArray("[other]\nqc=别处\nzh=9\n[fkr]\nqc=某某有限公司\n[after]\nkhh=后面\n") << name << QString()
        << QString();
    QTest::newRow("first section and first key count")
        << QByteArray("[fkr]\nqc=某某有限公司\nqc=第二个\n[fkr]\nzh=后来的\n") << name << QString() << QString();
    QTest::newRow("semicolon lines are comments, a semicolon in a value is text")
        << QByteArray("[fkr]\n;qc=注释\nqc=甲;乙\nkhh\n") << QStringLiteral("甲;乙") << QString() << QString();
    QTest::newRow("section missing") << QByteArray("[fk]\nqc=某某有限公司\n") << QString() << QString() << QString();
    QTest::newRow("empty file") << QByteArray() << QString() << QString() << QString();
    QTest::newRow("empty values") << QByteArray("[fkr]\nqc=\nzh=\nkhh=\n") << QString() << QString() << QString();
}

void TestSettings::payerFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    QFETCH(QString, account);
    QFETCH(QString, bank);

    QVERIFY(writeFile(QDir(m_program->path()).filePath(QStringLiteral("fkrxx.ine")), content));
    QCOMPARE(PayerFilePath(), QDir(m_program->path()).filePath(QStringLiteral("fkrxx.ine")));
    QCOMPARE(ReadPayerName(), name);
    QCOMPARE(ReadPayerAccount(), account);
    QCOMPARE(ReadPayerBank(), bank);
}

void TestSettings::missingPayerFileReadsEmpty()
{
    QCOMPARE(ReadPayerName(), QString());
    QCOMPARE(ReadPayerAccount(), QString());
    QCOMPARE(ReadPayerBank(), QString());
    // The file is only read, never made.
    QVERIFY(!QFile::exists(PayerFilePath()));

    // A folder of that name is no more readable than a missing file.
    QVERIFY(QDir(m_program->path()).mkdir(QStringLiteral("fkrxx.ine")));
    QCOMPARE(ReadPayerName(), QString());
}

// Only a regular file of at most 1 MiB is read: a link to an endless device, a FIFO nobody writes
// to and an oversized file are refused with a message at once, and a file at the limit is read.
void TestSettings::payerFileThatIsNoPlainFile_isRefusedAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    const QString notPlain = QStringLiteral("付款人信息文件 %1 不是普通文件，没有读取。请换成一个普通的文本文件。");
    const QString tooLong = QStringLiteral("付款人信息文件 %1 超过 1 MB，没有读取。请检查该文件是否正确。");
    QTest::newRow("link to /dev/zero") << QStringLiteral("zero") << notPlain;
    QTest::newRow("FIFO") << QStringLiteral("fifo") << notPlain;
    QTest::newRow("one byte over 1 MiB") << QStringLiteral("big") << tooLong;
    QTest::newRow("exactly 1 MiB") << QStringLiteral("limit") << QString();
}

void TestSettings::payerFileThatIsNoPlainFile_isRefusedAtOnce()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString path = QDir(m_program->path()).filePath(QStringLiteral("fkrxx.ine"));
    if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {path}), 0);
    } else {
        QByteArray content("[fkr]\nqc=某某有限公司\n");
        content.append(QByteArray(kMaxIniFileBytes - content.size() + (kind == QLatin1String("big") ? 1 : 0), ';'));
        QVERIFY(writeFile(path, content));
    }
    if (message.isEmpty()) {
        QCOMPARE(ReadPayerName(), QStringLiteral("某某有限公司"));
        return;
    }
    try {
        ReadPayerName();
        QFAIL("the payer file was read");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), message.arg(QDir::toNativeSeparators(path)));
    }
}

// The password settings the program creates are its owner's only, and stay so when written.
void TestSettings::passwordStoreIsForTheOwnerOnly()
{
    WritePassword(QStringLiteral("pbkdf2-sha256$1$YQ==$YWJjZGVmZ2hpamtsbW5vcA=="));
    const QString file = m_sandbox->path(QStringLiteral("Bexholt/pass.conf"));
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    QVERIFY(QFileInfo::exists(file));
    QCOMPARE(QFile::permissions(file) & (others | QFile::ReadOwner | QFile::WriteOwner),
             QFile::ReadOwner | QFile::WriteOwner);
    WritePassword(QStringLiteral("again"));
    QCOMPARE(QFile::permissions(file) & others, QFileDevice::Permissions());
    QCOMPARE(ReadPassword(), QStringLiteral("again"));
}

void TestSettings::decodeChoosesUtf8OrGbk_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ASCII") << QByteArray("qc=abc") << QStringLiteral("qc=abc");
    QTest::newRow("UTF-8") << QByteArray("\xe6\x9f\x90\xe6\x9f\x90") << QStringLiteral("某某");
    QTest::newRow("GBK") << QByteArray("\xc4\xb3\xc4\xb3\xd3\xd0\xcf\xde\xb9\xab\xcb\xbe") << QStringLiteral("某某有限公司");
    // Valid GBK that is also valid UTF-8 is taken as UTF-8: "涓" is E6 B6 93 in UTF-8.
    QTest::newRow("GBK that is valid UTF-8") << QByteArray("\xe6\xb6\x93") << QStringLiteral("涓");
    QTest::newRow("GBK after ASCII") << QByteArray("[fkr]\nqc=\xd6\xd0\xb9\xfa") << QStringLiteral("[fkr]\nqc=中国");
}

void TestSettings::decodeChoosesUtf8OrGbk()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeIniText(bytes), text);
}

void TestSettings::payerFileIsFoundBesideTheProgramFromAnotherFolder()
{
    SetPayerFileFolder(QString());
    QCOMPARE(PayerFileFolder(), QCoreApplication::applicationDirPath());

    // A copy of a small program that prints what it reads, with its own payer file beside it.
    const QString program = QDir(m_program->path()).filePath(QStringLiteral("probe"));
    QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_PAYER_PROBE), program));
    QVERIFY(writeFile(QDir(m_program->path()).filePath(QStringLiteral("fkrxx.ine")),
                      "[fkr]\r\nqc=\xc4\xb3\xc4\xb3\xd3\xd0\xcf\xde\xb9\xab\xcb\xbe\r\n"
                      "zh=62220001\r\nkhh=\xd6\xd0\xb9\xfa\r\n"));

    // Started from another folder that holds a different payer file.
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    QVERIFY(writeFile(elsewhere.filePath(QStringLiteral("fkrxx.ine")), "[fkr]\nqc=wrong\nzh=0\nkhh=wrong\n"));
    QProcess probe;
    probe.setWorkingDirectory(elsewhere.path());
    probe.start(program, {});
    QVERIFY2(probe.waitForFinished(30000), qPrintable(probe.errorString()));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()), QStringLiteral("某某有限公司\n62220001\n中国\n"));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
