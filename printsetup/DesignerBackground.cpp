#include "printsetup/DesignerBackground.h"

#include "common/Error.h"
#include "common/Guard.h"
#include "common/Prompt.h"
#include "print/Calibration.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/DesignerGeometry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

namespace Zt_typro
{
namespace
{
constexpr int kMinDpi = 50;
constexpr int kMaxDpi = 2400;
constexpr int kDefaultOpacity = 50;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

DesignerBackground::DesignerBackground(QWidget* designer, DesignerCanvas* canvas, const Names& names,
                                       QMarginsF pageMarginsMm, int x, int y)
    : QObject(designer), m_designer(designer), m_canvas(canvas), m_margins(pageMarginsMm)
{
    setObjectName(QStringLiteral("%1_control").arg(QString::fromLatin1(names.button)));
    m_button = new QPushButton(QStringLiteral("背景图"), designer);
    m_button->setObjectName(QString::fromLatin1(names.button));
    m_button->setGeometry(x, y, 60, 25);
    m_button->setToolTip(QStringLiteral("载入空白票据的扫描图（PNG 或 JPEG），只显示，不打印"));

    m_slider = new QSlider(Qt::Horizontal, designer);
    m_slider->setObjectName(QString::fromLatin1(names.slider));
    m_slider->setRange(0, 100);
    m_slider->setValue(kDefaultOpacity);
    m_slider->setGeometry(x + 64, y, 80, 25);
    m_slider->setToolTip(QStringLiteral("背景图的浓淡"));

    m_dpi = new QSpinBox(designer);
    m_dpi->setObjectName(QString::fromLatin1(names.dpi));
    m_dpi->setRange(kMinDpi, kMaxDpi);
    m_dpi->setValue(300);
    m_dpi->setSuffix(QStringLiteral(" dpi"));
    m_dpi->setKeyboardTracking(false);
    m_dpi->setGeometry(x + 148, y, 72, 25);
    m_dpi->setToolTip(QStringLiteral("扫描图的分辨率（每英寸点数）"));

    m_canvas->setBackgroundOpacity(kDefaultOpacity / 100.0);
    connectGuarded(m_slider, &QSlider::valueChanged, this,
                   [this](int value) { m_canvas->setBackgroundOpacity(value / 100.0); });
    connectGuarded(m_dpi, &QSpinBox::valueChanged, this, [this] { dpiEdited(); });
}

void DesignerBackground::showFor(const QString& formCode)
{
    m_formCode = formCode;
    m_path.clear();
    m_canvas->clearBackground();
    const DesignerBackgroundSetting setting = ReadDesignerBackground(formCode);
    if (setting.path.isEmpty())
        return;
    try {
        load(setting.path, setting.dpi);
    } catch (const AppError& e) {
        // The designer works on without it; the remembered path stays for when the file is back.
        ShowHandlerError(e.message());
    }
}

void DesignerBackground::chooseImage()
{
    const QString chosen = prompter().fileName(m_designer, QStringLiteral("选择空白票据的扫描图"), m_path,
                                               QStringLiteral("图片 (*.png *.jpg *.jpeg)"), false);
    if (chosen.isEmpty()) {
        if (m_canvas->hasBackground()
            && prompter().confirm(m_designer, QStringLiteral("提示"), QStringLiteral("不再显示背景图吗?"))) {
            m_canvas->clearBackground();
            m_path.clear();
            if (!m_formCode.isEmpty())
                WriteDesignerBackground(m_formCode, {});
        }
        return;
    }
    load(chosen, 0.0);
    // The resolution is remembered with the file unless the file stores its own.
    if (!m_formCode.isEmpty())
        WriteDesignerBackground(m_formCode, {m_path, m_fileDpi > 0.0 ? 0.0 : double(m_dpi->value())});
}

void DesignerBackground::load(const QString& path, double typedDpi)
{
    if (!QFileInfo::exists(path)) {
        throw AppError(QStringLiteral("背景图 %1 不存在。设计器照常使用，只是没有背景图。").arg(shown(path)));
    }
    QImageReader reader(path);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg" && format != "jpg") {
        throw AppError(QStringLiteral("背景图 %1 不是 PNG 或 JPEG 图片，无法显示。设计器照常使用，只是没有背景图。")
                           .arg(shown(path)));
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        throw AppError(QStringLiteral("背景图 %1 无法读取（%2）。设计器照常使用，只是没有背景图。")
                           .arg(shown(path), reader.errorString()));
    }
    // A file that stores no resolution is read at the reader's default (96 dpi), which says
    // nothing of the scan: the resolution in the box is taken then, as is one the operator typed
    // before choosing the file.
    QFile file(path);
    const bool stored = file.open(QIODevice::ReadOnly) && StoresResolution(file.read(1 << 16));
    file.close();
    m_fileDpi = stored ? DotsPerInch(image.dotsPerMeterX()) : 0.0;
    const double dpi = typedDpi > 0.0                   ? typedDpi
                       : m_dpiTyped || m_fileDpi <= 0.0 ? double(m_dpi->value())
                                                        : m_fileDpi;
    m_dpiTyped = false;
    m_path = path;
    m_canvas->setBackground(image, dpi, SheetOriginOnCanvas(m_margins.left(), m_margins.top()));
    {
        const QSignalBlocker block(m_dpi);
        m_dpi->setValue(qBound(kMinDpi, qRound(dpi), kMaxDpi));
    }
}

void DesignerBackground::dpiEdited()
{
    if (!m_canvas->hasBackground()) {
        m_dpiTyped = true; // for the scan chosen next
        return;
    }
    const double dpi = m_dpi->value();
    m_canvas->setBackgroundDpi(dpi);
    if (!m_formCode.isEmpty())
        WriteDesignerBackground(m_formCode, {m_path, qFuzzyCompare(dpi, m_fileDpi) ? 0.0 : dpi});
}

} // namespace Zt_typro
