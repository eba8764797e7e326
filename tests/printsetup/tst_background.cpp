// The blank-form background of the layout designers: a scan generated here (a 10 mm grid at
// 300 dpi) is loaded through the "背景图" button and measured on the canvas as the operator sees it.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "print/Calibration.h"
#include "printsetup/ChequeDesigner.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/DesignerGeometry.h"
#include "printsetup/VoucherDesigner.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <memory>

using namespace Zt_typro;

namespace
{
constexpr double kUnitMm = 25.4 / 96.0;

template <typename T>
T* child(const char* name)
{
    T* w = Frm_main->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qWarning("no component %s", name);
    return w;
}

// A scan of a blank sheet of widthMm × heightMm at dpi: white, with black lines 4 pixels wide
// centred every 10 mm from the sheet's edges, in both directions.
QString writeGridScan(const QString& path, double dpi, double widthMm, double heightMm, const char* format)
{
    const double pxPerMm = dpi / 25.4;
    QImage image(qRound(widthMm * pxPerMm), qRound(heightMm * pxPerMm), QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter p(&image);
    for (double mm = 10.0; mm < widthMm; mm += 10.0)
        p.fillRect(QRectF(mm * pxPerMm - 2.0, 0, 4.0, image.height()), Qt::black);
    for (double mm = 10.0; mm < heightMm; mm += 10.0)
        p.fillRect(QRectF(0, mm * pxPerMm - 2.0, image.width(), 4.0), Qt::black);
    p.end();
    if (!image.save(path, format))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

// The file's bytes without its stored resolution: a PNG without its pHYs chunk, a JPEG whose
// JFIF density has no unit.
QByteArray withoutResolution(QByteArray data)
{
    if (data.startsWith("\x89PNG")) {
        const qsizetype at = data.indexOf("pHYs") - 4;
        if (at > 0)
            data.remove(at, 4 + 4 + 9 + 4);
    } else {
        const qsizetype at = data.indexOf(QByteArray("JFIF\0", 5));
        if (at > 0)
            data[at + 7] = 0;
    }
    return data;
}

QByteArray imageBytes(const char* format, int dotsPerMeter)
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Centres (in canvas pixels) of the dark vertical lines crossing row y of the canvas as shown,
// between x0 and x1: each run of pixels darker than the paper, weighted by its darkness.
QList<double> darkColumns(const QImage& shot, int y, int x0, int x1)
{
    QList<double> centres;
    double weight = 0.0;
    double sum = 0.0;
    for (int x = x0; x <= x1; ++x) {
        const double dark = x < x1 ? (255 - qGray(shot.pixel(x, y))) / 255.0 : 0.0;
        if (dark > 0.08) {
            weight += dark;
            sum += dark * x;
        } else if (weight > 0.0) {
            centres.append(sum / weight + 0.5); // the pixel's centre
            weight = 0.0;
            sum = 0.0;
        }
    }
    return centres;
}

// A row of the canvas as shown that no field panel, no bevel and no horizontal line of the scan
// covers, near wanted.
int freeRow(const DesignerCanvas* canvas, const QImage& shot, int wanted)
{
    for (int d = 0; d < 200; ++d) {
        for (const int y : {wanted + d, wanted - d}) {
            if (y < 3 || y > canvas->height() - 4)
                continue;
            bool free = true;
            for (const DesignerFieldPanel* panel : canvas->fieldPanels()) {
                if (y >= panel->y() - 1 && y <= panel->y() + panel->height())
                    free = false;
            }
            for (int row = y - 3; free && row <= y + 3; ++row) {
                int dark = 0;
                for (int x = 0; x < shot.width(); ++x)
                    dark += qGray(shot.pixel(x, row)) < 128 ? 1 : 0;
                free = dark < shot.width() / 3;
            }
            if (free)
                return y;
        }
    }
    return -1;
}
} // namespace

class TestBackground : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void geometry_data();
    void geometry();
    void gridShowsAtTrueScaleBeneathThePanels();
    void wholeScanShows_itsTopAndLeftStripToo_data();
    void wholeScanShows_itsTopAndLeftStripToo();
    void typedResolutionRescalesAndIsRemembered();
    void scanWithoutResolution_takesTheTypedOne_data();
    void scanWithoutResolution_takesTheTypedOne();
    void rememberedPerFormCode();
    void voucherDesignerToo();
    void neverPrinted();
    void missingOrUnreadableImageIsReported();

private:
    ChequeDesigner* openCheque(const char* item);
    std::unique_ptr<FormsFixture> m_forms;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QString m_scan;
};

void TestBackground::init()
{
    m_forms = std::make_unique<FormsFixture>();
    m_prompter = std::make_unique<ScriptedPrompter>();
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("qc")).clear();
    Frm_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frm_main));
    m_scan = writeGridScan(m_forms->workDir().filePath(QStringLiteral("grid300.png")), 300.0, 240.0, 100.0, "PNG");
}

void TestBackground::cleanup()
{
    m_prompter.reset();
    m_forms.reset();
}

ChequeDesigner* TestBackground::openCheque(const char* item)
{
    QAction* a = child<QAction>(item);
    if (!a || !a->isEnabled())
        return nullptr;
    a->trigger();
    auto* d = child<ChequeDesigner>("P_zzzp_set");
    return d && d->isVisible() ? d : nullptr;
}

void TestBackground::geometry_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<double>("perPixel"); // canvas pixels per image pixel

    QTest::newRow("300 dpi") << 300.0 << 0.32;
    QTest::newRow("600 dpi") << 600.0 << 0.16;
    QTest::newRow("200 dpi") << 200.0 << 0.48;
    QTest::newRow("96 dpi") << 96.0 << 1.0;
}

void TestBackground::geometry()
{
    QFETCH(double, dpi);
    QFETCH(double, perPixel);
    QVERIFY(qAbs(CanvasPixelsPerImagePixel(dpi) - perPixel) < 1e-12);
    // 100 mm of a scan at any resolution are 100 / (25.4 / 96) = 377.95 canvas pixels.
    const int pixels = qRound(100.0 / 25.4 * dpi);
    const QRectF r = BackgroundImageRect(QSize(pixels, pixels / 2), dpi, QPointF(-37.8, -18.9));
    QVERIFY2(qAbs(r.width() - 377.95) < 0.2, qPrintable(QString::number(r.width())));
    QVERIFY(qAbs(r.height() - (pixels / 2) * perPixel) < 1e-9);
    QCOMPARE(r.topLeft(), QPointF(-37.8, -18.9));
    QCOMPARE(DotsPerInch(qRound(dpi / 0.0254)), dpi);
    QCOMPARE(DotsPerInch(0), 0.0);
    // The cheque's page margins are 10 and 5 mm: the sheet's edge lies that far up and left.
    const QPointF sheet = SheetOriginOnCanvas(10.0, 5.0);
    QVERIFY(qAbs(sheet.x() + 37.795) < 0.001 && qAbs(sheet.y() + 18.898) < 0.001);
}

void TestBackground::gridShowsAtTrueScaleBeneathThePanels()
{
    ChequeDesigner* d = openCheque("zz_prn_set");
    QVERIFY(d);
    QCOMPARE(d->Button_zz_bjt->text(), QStringLiteral("背景图"));
    QVERIFY(!d->Panel_zz->hasBackground());
    m_prompter->fileAnswers.enqueue(m_scan);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    QVERIFY2(m_prompter->ofKind(QStringLiteral("error")).isEmpty(), qPrintable(m_prompter->last().text));
    QCOMPARE(m_prompter->last().kind, QStringLiteral("file"));
    QCOMPARE(m_prompter->last().caption, QStringLiteral("选择空白票据的扫描图"));
    QVERIFY(d->Panel_zz->hasBackground());
    QCOMPARE(d->Edit_zz_dpi->value(), 300); // the file's own resolution
    d->Slider_zz_bjt->setValue(100);
    QCOMPARE(d->Panel_zz->backgroundOpacity(), 1.0);

    const QImage shot = d->Panel_zz->grab().toImage();
    const int y = freeRow(d->Panel_zz, shot, 30);
    QVERIFY(y > 0);
    // The scan of 240 mm starts at the sheet's edge, 10 mm left of the band, and is shown whole:
    // its lines at sheet x = 10, 20, … 230 mm lie at the layout x of (x − 10 mm) / unit, 37.795
    // pixels apart at 100 %.
    QCOMPARE(d->Panel_zz->zoom(), 1.0);
    const QList<double> lines = darkColumns(shot, y, 3, d->Panel_zz->width() - 3);
    QString seen;
    for (double c : lines)
        seen += QString::number(c, 'f', 2) + u' ';
    QCOMPARE(lines.size(), 23);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const double layoutX = (10.0 + 10.0 * double(i) - 10.0) / kUnitMm;
        const double expected = d->Panel_zz->toCanvas(QPointF(layoutX, 0.0)).x();
        QVERIFY2(qAbs(lines.at(i) - expected) < 0.5, qPrintable(seen));
    }
    const double spacing = (lines.last() - lines.first()) / double(lines.size() - 1);
    QVERIFY2(qAbs(spacing - 37.795) < 0.05, qPrintable(QString::number(spacing, 'f', 3)));

    // Under the field panels: the boxes are see-through, the grid shows inside them.
    const DesignerFieldPanel* dx = d->P_zz_dx;
    QVERIFY(dx->isSeeThrough());
    const QList<double> inside = darkColumns(shot, dx->y() + dx->height() / 2, dx->x() + 2, dx->x() + dx->width() - 3);
    QVERIFY2(dx->width() > 2 * 38 && !inside.isEmpty(), qPrintable(QString::number(inside.size())));
    // The opacity control: at 0 the grid is gone.
    d->Slider_zz_bjt->setValue(0);
    QVERIFY(darkColumns(d->Panel_zz->grab().toImage(), y, 3, d->Panel_zz->width() - 3).isEmpty());
    // Remembered for the form code.
    QCOMPARE(ReadDesignerBackground(QStringLiteral("zz")).path, m_scan);
    // Without the scan the boxes are white again.
    m_prompter->fileAnswers.enqueue(QString());
    m_prompter->confirmAnswers.enqueue(true);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    QVERIFY(!d->Panel_zz->hasBackground());
    QVERIFY(!dx->isSeeThrough());
}

void TestBackground::wholeScanShows_itsTopAndLeftStripToo_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QPointF>("marginsMm"); // left, top
    QTest::newRow("cheque") << "zz_prn_set" << QPointF(10.0, 5.0);
    QTest::newRow("voucher") << "dhpz_prn_set" << QPointF(5.0, 5.0);
}

void TestBackground::wholeScanShows_itsTopAndLeftStripToo()
{
    QFETCH(QString, item);
    QFETCH(QPointF, marginsMm);
    // A blank form whose top-left corner carries a blue square of 6 mm, at 300 dpi.
    const double pxPerMm = 300.0 / 25.4;
    QImage image(qRound(240.0 * pxPerMm), qRound(100.0 * pxPerMm), QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(300.0 / 0.0254));
    image.setDotsPerMeterY(qRound(300.0 / 0.0254));
    {
        QPainter p(&image);
        p.fillRect(QRectF(0, 0, 6.0 * pxPerMm, 6.0 * pxPerMm), QColor(0, 0, 255));
    }
    const QString corner = m_forms->workDir().filePath(QStringLiteral("corner.png"));
    QVERIFY(image.save(corner, "PNG"));

    child<QAction>(qPrintable(item))->trigger();
    auto* canvas = child<DesignerCanvas>(item == QLatin1String("zz_prn_set") ? "Panel_zz" : "Panel_pz");
    auto* button = child<QPushButton>(item == QLatin1String("zz_prn_set") ? "Button_zz_bjt" : "Button_pz_bjt");
    auto* slider = child<QSlider>(item == QLatin1String("zz_prn_set") ? "Slider_zz_bjt" : "Slider_pz_bjt");
    QVERIFY(canvas && button && slider && canvas->isVisible());
    m_prompter->fileAnswers.enqueue(corner);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(canvas->hasBackground());
    slider->setValue(100);

    // The sheet's corner lies the page margins up and left of the band: on the canvas, whole.
    const QPointF sheet = SheetOriginOnCanvas(marginsMm.x(), marginsMm.y());
    const QPointF cornerAt = canvas->toCanvas(sheet);
    QVERIFY2(cornerAt.x() >= 0.0 && cornerAt.y() >= 0.0 && cornerAt.x() < 1.0 && cornerAt.y() < 1.0,
             qPrintable(QStringLiteral("%1, %2").arg(cornerAt.x()).arg(cornerAt.y())));
    const QRectF scan = canvas->backgroundRect();
    QVERIFY(QRectF(canvas->rect())
                .adjusted(-1, -1, 1, 1)
                .contains(QRectF(canvas->toCanvas(scan.topLeft()), canvas->toCanvas(scan.bottomRight()))));
    // The blue corner is drawn: 3 mm in from the sheet's corner, and 1 mm in.
    const QImage shot = canvas->grab().toImage();
    for (const double mm : {3.0, 1.0}) {
        const QPointF at = canvas->toCanvas(sheet + QPointF(mm / kUnitMm, mm / kUnitMm));
        const QColor seen = shot.pixelColor(at.toPoint());
        QVERIFY2(seen.blue() > 200 && seen.red() < 60 && seen.green() < 60,
                 qPrintable(QStringLiteral("%1 mm: %2 at %3, %4").arg(mm).arg(seen.name()).arg(at.x()).arg(at.y())));
    }
}

void TestBackground::typedResolutionRescalesAndIsRemembered()
{
    ChequeDesigner* d = openCheque("zz_prn_set");
    QVERIFY(d);
    m_prompter->fileAnswers.enqueue(m_scan);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    const QRectF at300 = d->Panel_zz->backgroundRect();
    d->Edit_zz_dpi->setValue(600);
    const QRectF at600 = d->Panel_zz->backgroundRect();
    QVERIFY(qAbs(at600.width() * 2.0 - at300.width()) < 0.01);
    QCOMPARE(at600.topLeft(), at300.topLeft());
    QCOMPARE(ReadDesignerBackground(QStringLiteral("zz")).dpi, 600.0);
    // Opening the designer again shows the typed resolution.
    d->closeButton()->click();
    QVERIFY(openCheque("zz_prn_set"));
    QCOMPARE(d->Edit_zz_dpi->value(), 600);
    QVERIFY(qAbs(d->Panel_zz->backgroundRect().width() - at600.width()) < 0.01);
}

void TestBackground::scanWithoutResolution_takesTheTypedOne_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("png") << QByteArray("png");
    QTest::newRow("jpeg") << QByteArray("jpg");
}

void TestBackground::scanWithoutResolution_takesTheTypedOne()
{
    QFETCH(QByteArray, format);
    // The header tells whether a resolution is stored; 96 dpi stored is stored too.
    for (int dpm : {11811, 3780}) {
        const QByteArray stored = imageBytes(format.constData(), dpm);
        QVERIFY(StoresResolution(stored));
        QVERIFY(!StoresResolution(withoutResolution(stored)));
    }
    QVERIFY(!StoresResolution(QByteArray("\x89PNG\r\n\x1a\n\xff\xff\xff\xff", 12)));
    QVERIFY(!StoresResolution(QByteArray("\xff\xd8\xff\xe0\x00", 5)));

    // A 300-dpi scan that stores no resolution shows at the 300 dpi in the box, not at 96.
    const QString stored = writeGridScan(m_forms->workDir().filePath(QStringLiteral("stored.") + format), 300.0,
                                         240.0, 110.0, format.constData());
    QFile in(stored);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray bare = withoutResolution(in.readAll());
    in.close();
    const QString scan = m_forms->workDir().filePath(QStringLiteral("bare.") + format);
    QFile out(scan);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bare);
    out.close();
    ChequeDesigner* d = openCheque("zz_prn_set");
    QVERIFY(d);
    QCOMPARE(d->Edit_zz_dpi->value(), 300);
    m_prompter->fileAnswers.enqueue(scan);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    QVERIFY(d->Panel_zz->hasBackground());
    const double widthAt300 = 240.0 / kUnitMm;
    QVERIFY2(qAbs(d->Panel_zz->backgroundRect().width() - widthAt300) < 0.5,
             qPrintable(QString::number(d->Panel_zz->backgroundRect().width())));
    QCOMPARE(ReadDesignerBackground(QStringLiteral("zz")).dpi, 300.0);

    // A resolution typed before the scan is chosen is the one it is read at.
    m_prompter->confirmAnswers.enqueue(true);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton); // no file: the background is taken away
    QVERIFY(!d->Panel_zz->hasBackground());
    d->Edit_zz_dpi->setValue(600);
    m_prompter->fileAnswers.enqueue(scan);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    QVERIFY(qAbs(d->Panel_zz->backgroundRect().width() - widthAt300 / 2.0) < 0.5);
    QCOMPARE(d->Edit_zz_dpi->value(), 600);
    // Opened again, the remembered resolution.
    d->closeButton()->click();
    QVERIFY(openCheque("zz_prn_set"));
    QVERIFY(qAbs(d->Panel_zz->backgroundRect().width() - widthAt300 / 2.0) < 0.5);
}

void TestBackground::rememberedPerFormCode()
{
    ChequeDesigner* d = openCheque("zz_prn_set");
    QVERIFY(d);
    m_prompter->fileAnswers.enqueue(m_scan);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    QVERIFY(d->Panel_zz->hasBackground());
    d->closeButton()->click();
    // The cash cheque has its own (none yet).
    QVERIFY(openCheque("xx_prn_set"));
    QVERIFY(!d->Panel_zz->hasBackground());
    d->closeButton()->click();
    QVERIFY(openCheque("zz_prn_set"));
    QVERIFY(d->Panel_zz->hasBackground());
    // Cancelling the file choice while one is shown offers to remove it.
    m_prompter->confirmAnswers.enqueue(true);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    QCOMPARE(m_prompter->last().text, QStringLiteral("不再显示背景图吗?"));
    QVERIFY(!d->Panel_zz->hasBackground());
    QCOMPARE(ReadDesignerBackground(QStringLiteral("zz")).path, QString());
}

void TestBackground::voucherDesignerToo()
{
    const QString jpeg =
        writeGridScan(m_forms->workDir().filePath(QStringLiteral("grid300.jpg")), 300.0, 240.0, 100.0, "JPEG");
    child<QAction>("dhpz_prn_set")->trigger();
    auto* d = child<VoucherDesigner>("Panel_pz_set");
    QVERIFY(d && d->isVisible());
    QCOMPARE(d->Button_pz_bjt->text(), QStringLiteral("背景图"));
    m_prompter->fileAnswers.enqueue(jpeg);
    QTest::mouseClick(d->Button_pz_bjt, Qt::LeftButton);
    QVERIFY2(m_prompter->ofKind(QStringLiteral("error")).isEmpty(), qPrintable(m_prompter->last().text));
    QCOMPARE(d->Edit_pz_dpi->value(), 300);
    d->Slider_pz_bjt->setValue(100);
    // The voucher's margins are 5 mm: the line at sheet x = 10 mm lies at layout x = 18.9.
    const QImage shot = d->Panel_pz->grab().toImage();
    const int y = freeRow(d->Panel_pz, shot, 40);
    QVERIFY(y > 0);
    const QList<double> lines = darkColumns(shot, y, 3, 200);
    QVERIFY(!lines.isEmpty());
    const double expected = d->Panel_pz->toCanvas(QPointF(5.0 / kUnitMm, 0.0)).x();
    QVERIFY2(qAbs(lines.first() - expected) < 0.6, qPrintable(QString::number(lines.first())));
    QCOMPARE(ReadDesignerBackground(QStringLiteral("dhpz")).path, jpeg);
    QCOMPARE(ReadDesignerBackground(QStringLiteral("jzd")).path, QString());
}

void TestBackground::neverPrinted()
{
    ChequeDesigner* d = openCheque("zz_prn_set");
    QVERIFY(d);
    m_prompter->fileAnswers.enqueue(m_scan);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    QVERIFY(d->Panel_zz->hasBackground());
    const QString pdf = m_forms->workDir().filePath(QStringLiteral("preview.pdf"));
    m_prompter->onPage = [&pdf](const std::function<void(QPrinter*)>& paint) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        paint(&printer);
    };
    QTest::mouseClick(d->Button_zz_pre, Qt::LeftButton);
    QCOMPARE(m_prompter->previews, 1);
    QVERIFY(QFile::exists(pdf));
    QProcess images;
    images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    QVERIFY(images.waitForFinished(30000));
    const QStringList rows = QString::fromUtf8(images.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 2); // the two heading lines: no image on the page
}

void TestBackground::missingOrUnreadableImageIsReported()
{
    // A remembered image that is gone: reported when the designer opens, which works on.
    const QString gone = m_forms->workDir().filePath(QStringLiteral("gone.png"));
    WriteDesignerBackground(QStringLiteral("zz"), {gone, 0.0});
    ChequeDesigner* d = openCheque("zz_prn_set");
    QVERIFY(d);
    QCOMPARE(m_prompter->last().kind, QStringLiteral("error"));
    QCOMPARE(m_prompter->last().text,
             QStringLiteral("背景图 %1 不存在。设计器照常使用，只是没有背景图。").arg(QDir::toNativeSeparators(gone)));
    QVERIFY(!d->Panel_zz->hasBackground());
    QVERIFY(d->isVisible());

    // A file that is no image.
    const QString junk = m_forms->workDir().filePath(QStringLiteral("junk.png"));
    QFile f(junk);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("this is not an image");
    f.close();
    m_prompter->fileAnswers.enqueue(junk);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    QCOMPARE(m_prompter->last().kind, QStringLiteral("error"));
    QCOMPARE(m_prompter->last().text,
             QStringLiteral("背景图 %1 不是 PNG 或 JPEG 图片，无法显示。设计器照常使用，只是没有背景图。")
                 .arg(QDir::toNativeSeparators(junk)));
    QVERIFY(!d->Panel_zz->hasBackground());
    // The designer still saves and moves fields.
    QTest::mouseClick(d->Button_zz_bc, Qt::LeftButton);
    QCOMPARE(m_prompter->ofKind(QStringLiteral("error")).size(), 2);

    // A truncated PNG: the format is known, the pixels are not.
    QFile good(m_scan);
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray head = good.read(200);
    good.close();
    const QString broken = m_forms->workDir().filePath(QStringLiteral("broken.png"));
    QFile b(broken);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write(head);
    b.close();
    m_prompter->fileAnswers.enqueue(broken);
    QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
    QVERIFY2(m_prompter->last().text.startsWith(
                 QStringLiteral("背景图 %1 无法读取（").arg(QDir::toNativeSeparators(broken))),
             qPrintable(m_prompter->last().text));
    QVERIFY(m_prompter->last().text.endsWith(QStringLiteral("）。设计器照常使用，只是没有背景图。")));
    QVERIFY(!d->Panel_zz->hasBackground());
}

QTEST_MAIN(TestBackground)
#include "tst_background.moc"
