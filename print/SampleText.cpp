#include "print/SampleText.h"

#include "numerals/Amount.h"
#include "print/ChequeTexts.h"
#include "print/PrintForm.h"
#include "print/Report.h"
#include "store/ChequeStore.h"

#include <QHash>
#include <QImage>
#include <QPainter>

namespace Zt_typro
{
namespace
{
// A printer's resolution: the text is measured as the printer lays it out, not at screen size.
constexpr double kMeasureDpi = 1200.0;

// The digit box keys from 分 (index 0) to 万亿 (index 14).
const char* const kDigitKeys[kDigitBoxCount] = {"fen", "jiao", "yuan", "shi",   "bai",   "qian",   "wan",  "rs",
                                                "rb",  "rq",   "yi",   "shiyi", "baiyi", "qianyi", "wanyi"};

QHash<QString, QString> buildSamples()
{
    const QString payee = QString::fromUtf8(SamplePayee);
    const QString amount = QString::fromUtf8(SampleAmount);
    const QString purpose = QStringLiteral("支付四季度建筑材料款");
    const QString note = QStringLiteral("附言：第四季度货款");
    const QString bank = QStringLiteral("中国工商银行北京海淀支行");
    const QString account = QStringLiteral("0200004509014567891");
    // The cheque's fields as the cheque print form shows them for the sample cheque. The note is
    // left out of the cheque: each of the four note lines shows the sample note whole.
    ChequeValues cheque;
    cheque.skr = payee;
    cheque.je = amount;
    cheque.yt = purpose;
    cheque.nian = QString::fromUtf8(SampleYear);
    cheque.yue = QString::fromUtf8(SampleMonth);
    cheque.ri = QString::fromUtf8(SampleDay);
    const ChequeTexts printed = PrintedChequeTexts(cheque, bank, account);
    QHash<QString, QString> s;
    s.insert(QStringLiteral("nian"), printed.nian);
    s.insert(QStringLiteral("yue"), printed.yue);
    s.insert(QStringLiteral("ri"), printed.ri);
    s.insert(QStringLiteral("year"), printed.year);
    s.insert(QStringLiteral("moon"), printed.month);
    s.insert(QStringLiteral("day"), printed.day);
    s.insert(QStringLiteral("skr"), printed.payee);
    s.insert(QStringLiteral("skrcg"), printed.stubPayee);
    s.insert(QStringLiteral("skrmc"), payee);
    s.insert(QStringLiteral("jecg"), printed.stubAmount);
    s.insert(QStringLiteral("dx"), printed.capitals);
    for (int i = 0; i < kDigitBoxCount; ++i)
        s.insert(QString::fromLatin1(kDigitKeys[i]), printed.digitBoxes.value(i));
    s.insert(QStringLiteral("yt"), printed.purpose);
    s.insert(QStringLiteral("ytcg"), printed.stubPurpose);
    for (const char* key : {"fjxx1", "fjxx2", "fjxx3", "fjxx4"})
        s.insert(QString::fromLatin1(key), note);
    s.insert(QStringLiteral("fkhmc"), printed.bank);
    s.insert(QStringLiteral("cprkhh"), bank);
    s.insert(QStringLiteral("skrkhh"), bank);
    s.insert(QStringLiteral("cprzh"), printed.account);
    s.insert(QStringLiteral("skrzh"), account);
    s.insert(QStringLiteral("cprmc"), QStringLiteral("北京市海淀区华信电子科技发展股份有限公司"));
    return s;
}
} // namespace

QString SampleFieldText(const QString& fieldKey)
{
    static const QHash<QString, QString> samples = buildSamples();
    return samples.value(fieldKey);
}

void FillSampleCaptions(PrintForm& form)
{
    for (ReportLabel* label : form.QRBand1->labels())
        label->setCaption(SampleFieldText(label->key()));
}

QSizeF PrintedTextSize(const QFont& font, const QString& text)
{
    if (text.isEmpty())
        return {};
    // Laid out as PaintReport lays out a label: the font resolved at the device's resolution, the
    // text box from boundingRect with the same flags.
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(kMeasureDpi / 0.0254);
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&device);
    painter.setFont(font);
    const QRectF box = painter.boundingRect(QRectF(0.0, 0.0, 1.0e6, 1.0e6), Qt::AlignLeft | Qt::AlignTop, text);
    const double unitsPerPixel = 25.4 / device.logicalDpiX() / LayoutUnitMm;
    return {box.width() * unitsPerPixel, box.height() * 25.4 / device.logicalDpiY() / LayoutUnitMm};
}

} // namespace Zt_typro
