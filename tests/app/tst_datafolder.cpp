// Where the program keeps its data: "--data", the folder it was started in when that holds a
// register, otherwise the user's own data folder; and the payer file found in the data folder
// when it is not beside the program.
#include "app/DataFolder.h"
#include "common/Error.h"
#include "store/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Zt_typro;

namespace
{
bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A user as the program's messages name one.
QString userOf(uid_t uid)
{
    const struct passwd* entry = ::getpwuid(uid);
    return entry ? QStringLiteral("%1（用户号 %2）").arg(QString::fromLocal8Bit(entry->pw_name)).arg(uid)
                 : QStringLiteral("用户号 %1").arg(uid);
}
} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("xdg")).toUtf8());
        QDir(m_dir.path()).mkpath(QStringLiteral("start"));
        QDir(m_dir.path()).mkpath(QStringLiteral("register"));
        QFile db(m_dir.filePath(QStringLiteral("register/pjzp.pdp")));
        QVERIFY(db.open(QIODevice::WriteOnly));
        QFile file(m_dir.filePath(QStringLiteral("a-file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        // A register of the user's own in a folder everybody may write in.
        QDir(m_dir.path()).mkpath(QStringLiteral("open-start"));
        QFile open(m_dir.filePath(QStringLiteral("open-start/pjzp.pdp")));
        QVERIFY(open.open(QIODevice::WriteOnly));
        QVERIFY(::chmod(QFile::encodeName(m_dir.filePath(QStringLiteral("open-start"))).constData(), 0777) == 0);
        // The folders the program may use are written by their owner alone, whatever the umask.
        for (const char* folder : {"start", "register"})
            QVERIFY(::chmod(QFile::encodeName(m_dir.filePath(QLatin1String(folder))).constData(), 0755) == 0);
    }

    void chooses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("expected"); // relative to the test folder
        QTest::newRow("a launcher: the user's own folder") << QStringList() << "start"
                                                           << "xdg/quillmate";
        QTest::newRow("started where a register is") << QStringList() << "register"
                                                     << "register";
        QTest::newRow("--data wins over the start folder")
            << QStringList{"--data", m_dir.filePath("chosen")} << "register"
            << "chosen";
        QTest::newRow("--data=DIR") << QStringList{"--data=" + m_dir.filePath("chosen2")} << "start"
                                    << "chosen2";
        QTest::newRow("--data of an existing folder") << QStringList{"--data", m_dir.filePath("register")} << "start"
                                                      << "register";
        QTest::newRow("other arguments are left alone") << QStringList{"--something", "x"} << "start"
                                                        << "xdg/quillmate";
        QTest::newRow("a register where others may write: the user's own folder") << QStringList() << "open-start"
                                                                                  << "xdg/quillmate";
    }

    void chooses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, start);
        QFETCH(QString, expected);
        const QString chosen = ChooseDataFolder(arguments, m_dir.filePath(start));
        QCOMPARE(chosen, QDir::cleanPath(m_dir.filePath(expected)));
        QVERIFY(QFileInfo(chosen).isDir());
        // A folder the program made is its owner's alone.
        if (expected != QLatin1String("register")) {
            QCOMPARE(QFile::permissions(chosen) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup |
                                                   QFile::WriteOther | QFile::ExeGroup | QFile::ExeOther),
                     QFile::Permissions());
        }
    }

    void someoneElsesRegisterIsNotUsed()
    {
        if (geteuid() != 0)
            QSKIP("needs root to give the file to another user");
        const QString other = m_dir.filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(other));
        QFile db(QDir(other).filePath(QStringLiteral("pjzp.pdp")));
        QVERIFY(db.open(QIODevice::WriteOnly));
        db.close();
        QVERIFY(::chown(QFile::encodeName(db.fileName()).constData(), 65534, 65534) == 0);
        QCOMPARE(ChooseDataFolder({}, other), QDir::cleanPath(m_dir.filePath(QStringLiteral("xdg/quillmate"))));
    }

    // A register someone else could have planted is never opened: in a folder others may write
    // in or that is another user's, another user's file or a link to one, or a link that leads
    // nowhere. The message names the folder, the file and whose they are; nothing is changed.
    void plantedRegister_refused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("byData"); // chosen by --data, else the default data folder
        QTest::addColumn<QString>("message");
        const QString nobody = userOf(65534);
        QTest::newRow("--data others may write in") << "open" << true << "除了您以外别人也可以写入 (权限 777)";
        QTest::newRow("--data of another user") << "folder" << true << "属于另一个用户 " + nobody + "，不是您的";
        QTest::newRow("--data holding another user's register")
            << "file" << true << "中的数据库文件 pjzp.pdp 属于另一个用户 " + nobody;
        QTest::newRow("--data holding a link to another user's register")
            << "link" << true << "中的数据库文件 pjzp.pdp 属于另一个用户 " + nobody;
        QTest::newRow("--data holding a link that leads nowhere")
            << "dangling" << true << "中的数据库文件 pjzp.pdp 是指向 %2 的链接，但它指向的文件不存在";
        QTest::newRow("the default folder holding another user's register")
            << "file" << false << "中的数据库文件 pjzp.pdp 属于另一个用户 " + nobody;
        QTest::newRow("the default folder others may write in")
            << "open" << false << "除了您以外别人也可以写入 (权限 777)";
    }

    void plantedRegister_refused()
    {
        QFETCH(QString, kind);
        QFETCH(bool, byData);
        QFETCH(QString, message);
        if (kind != QLatin1String("open") && kind != QLatin1String("dangling") && geteuid() != 0)
            QSKIP("needs root to give a file to another user");
        // Each case in a place of its own.
        const QString place = m_dir.filePath(QStringLiteral("planted/") + QString::fromUtf8(QTest::currentDataTag()));
        if (!byData)
            qputenv("XDG_DATA_HOME", QFile::encodeName(place));
        const QString folder = byData ? place : DefaultDataFolder();
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), kind == QLatin1String("open") ? 0777 : 0700) == 0);
        const QString database = QDir(folder).filePath(QStringLiteral("pjzp.pdp"));
        const QString elsewhere = QDir(place).filePath(QStringLiteral("elsewhere.pdp"));
        QVERIFY(writeFile(elsewhere, "他人的登记簿"));
        if (kind == QLatin1String("folder"))
            QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
        if (kind == QLatin1String("file"))
            QVERIFY(QFile::copy(elsewhere, database));
        if (kind == QLatin1String("link") || kind == QLatin1String("dangling"))
            QVERIFY(QFile::link(elsewhere, database));
        if (kind == QLatin1String("file") || kind == QLatin1String("link"))
            QVERIFY(::chown(QFile::encodeName(QFileInfo(database).canonicalFilePath()).constData(), 65534, 65534) == 0);
        if (kind == QLatin1String("dangling"))
            QVERIFY(QFile::remove(elsewhere));
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);

        const QStringList arguments = byData ? QStringList{QStringLiteral("--data"), folder} : QStringList();
        try {
            ChooseDataFolder(arguments, m_dir.filePath(QStringLiteral("start")));
            QFAIL("a register someone else could have planted was chosen");
        } catch (const AppError& e) {
            const QString expected = QString(message).replace(QLatin1String("%2"), QDir::toNativeSeparators(elsewhere));
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
            QVERIFY2(e.message().startsWith(QStringLiteral("数据文件夹 %1").arg(QDir::toNativeSeparators(folder))),
                     qPrintable(e.message()));
        }
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before);
    }

    // The XDG rule: a relative XDG_DATA_HOME is ignored, so that the program started from two
    // folders keeps one register, in ~/.local/share/quillmate.
    void relativeXdgDataHome_ignored()
    {
        qputenv("XDG_DATA_HOME", "relative/data");
        const QString expected = QDir::home().filePath(QStringLiteral(".local/share/quillmate"));
        QCOMPARE(DefaultDataFolder(), expected);
        const QString previous = QDir::currentPath();
        QStringList chosen;
        for (const char* from : {"start", "register/.."}) {
            QVERIFY(QDir::setCurrent(m_dir.filePath(QLatin1String(from))));
            chosen << ChooseDataFolder({}, m_dir.filePath(QStringLiteral("start")));
        }
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(chosen, (QStringList{expected, expected}));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("start/relative"))));
    }

    void refuses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("--data without a folder") << QStringList{"--data"} << "--data 后面要写数据文件夹";
        QTest::newRow("--data= empty") << QStringList{"--data="} << "--data 后面要写数据文件夹";
        QTest::newRow("--data of a file") << QStringList{"--data", m_dir.filePath("a-file")} << "不是一个文件夹";
        QTest::newRow("--data under a file")
            << QStringList{"--data", m_dir.filePath("a-file/sub")} << "无法建立数据文件夹";
    }

    void refuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        try {
            ChooseDataFolder(arguments, m_dir.filePath(QStringLiteral("register")));
            QFAIL("accepted");
        } catch (const AppError& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
    }

    void payerFileInTheDataFolder()
    {
        // Not beside the test program: the data folder's copy is read.
        QVERIFY(!QFileInfo::exists(QDir(QCoreApplication::applicationDirPath()).filePath("fkrxx.ine")));
        SetDataFolder(m_dir.filePath(QStringLiteral("register")));
        QCOMPARE(PayerFileFolder(), QCoreApplication::applicationDirPath());
        QFile payer(m_dir.filePath(QStringLiteral("register/fkrxx.ine")));
        QVERIFY(payer.open(QIODevice::WriteOnly));
        payer.write("[fkr]\nqc=华东机械有限公司\nzh=6222000011112222\nkhh=工商银行\n");
        payer.close();
        QCOMPARE(PayerFileFolder(), m_dir.filePath(QStringLiteral("register")));
        QCOMPARE(ReadPayerName(), QStringLiteral("华东机械有限公司"));
        SetDataFolder(QString());
        QCOMPARE(PayerFileFolder(), QCoreApplication::applicationDirPath());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
