// The payer file reader on arbitrary bytes: decoding (UTF-16, UTF-8 or GBK) and reading values,
// from memory and from a real file.

#include "fuzz/FuzzText.h"
#include "store/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

using namespace QuillmateFuzz;

namespace
{

QString scratchFile()
{
    return QDir::temp().filePath(QStringLiteral("quillmate-fuzz-%1.ine").arg(QCoreApplication::applicationPid()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString section = takeText(data, 8);
    const QString key = takeText(data, 8);
    const QString typed = takeText(data);
    const std::vector<uint8_t> rest = data.ConsumeRemainingBytes<uint8_t>();
    const QByteArray file(reinterpret_cast<const char*>(rest.data()), qsizetype(rest.size()));

    const QString text = Zt_typro::DecodeIniText(file);
    for (const QString& s : {section, key, QStringLiteral("fkr")}) {
        for (const QString& k : {key, QStringLiteral("qc"), QStringLiteral("zh"), QStringLiteral("khh")}) {
            const QString value = Zt_typro::IniValue(text, s, k);
            check(!value.contains(u'\n'), "a value spans lines", text, value);
        }
    }

    // A value written in the file the way an operator writes it reads back as written.
    const QString value = QString(typed).remove(u'"').remove(u'\'').simplified();
    if (!value.isEmpty() && !value.contains(u';')) {
        const QString written = QStringLiteral("[fkr]\r\nqc = %1\r\n").arg(value);
        check(Zt_typro::IniValue(written, QStringLiteral("FKR"), QStringLiteral("QC")) == value,
              "a value does not read back", written, Zt_typro::IniValue(written, QStringLiteral("fkr"),
                                                                         QStringLiteral("qc")));
    }

    // The same bytes through the file reader give the same value.
    static const QString path = scratchFile();
    QFile out(path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        out.write(file);
        out.close();
        check(Zt_typro::ReadIniString(path, QStringLiteral("fkr"), QStringLiteral("qc")) ==
                  Zt_typro::IniValue(text, QStringLiteral("fkr"), QStringLiteral("qc")),
              "the file reader and the text reader differ", text);
    }
    return 0;
}
