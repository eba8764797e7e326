// Prints the three payer details, one a line in UTF-8, as the program reads them.
#include "store/Settings.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString out = Zt_typro::ReadPayerName() + u'\n' + Zt_typro::ReadPayerAccount() + u'\n' +
                        Zt_typro::ReadPayerBank() + u'\n';
    const QByteArray bytes = out.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return 0;
}
