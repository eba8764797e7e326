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

#include <unistd.h>

using namespace Zt_typro;

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
