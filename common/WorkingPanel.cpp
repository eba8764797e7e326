#include "common/WorkingPanel.h"

#include "common/Guard.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace Zt_typro
{

QColor PanelBackground()
{
    return QColor(216, 228, 248);
}

TitleStrip::TitleStrip(QWidget* panel, QWidget* parent)
    : QWidget(parent), m_panel(panel)
{
    setCursor(Qt::SizeAllCursor);
}

void TitleStrip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(0, 0, width(), 0);
    g.setColorAt(0, QColor(166, 202, 240));
    g.setColorAt(1, QColor(232, 240, 252));
    p.fillRect(rect(), g);
}

void TitleStrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = true;
    m_grab = m_panel->mapFromGlobal(event->globalPosition().toPoint());
    event->accept();
}

void TitleStrip::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint inParent = m_panel->parentWidget()->mapFromGlobal(event->globalPosition().toPoint());
    m_panel->move(inParent - m_grab);
    event->accept();
}

void TitleStrip::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

WorkingPanel::WorkingPanel(QWidget* parent, const PanelChrome& chrome, const QRect& geometry)
    : QFrame(parent)
{
    setObjectName(QString::fromLatin1(chrome.panel));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, PanelBackground());
    setPalette(pal);
    setGeometry(geometry);

    m_strip = new TitleStrip(this, this);
    m_strip->setObjectName(QString::fromLatin1(chrome.image));
    m_strip->setGeometry(2, 2, geometry.width() - 4, 15);

    if (chrome.label) {
        m_title = new QLabel(QString::fromUtf8(chrome.title), this);
        m_title->setObjectName(QString::fromLatin1(chrome.label));
        QFont f(QStringLiteral("宋体"));
        f.setPixelSize(13);
        f.setBold(true);
        m_title->setFont(f);
        QPalette lp = m_title->palette();
        lp.setColor(QPalette::WindowText, Qt::blue);
        m_title->setPalette(lp);
        m_title->move(6, 2);
        m_title->resize(m_title->sizeHint().width(), 15);
        // Pressing on the title text drags the panel like the rest of the strip.
        m_title->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    m_close = new QPushButton(this);
    m_close->setObjectName(QString::fromLatin1(chrome.close));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setIconSize(QSize(11, 11));
    m_close->setFlat(true);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setToolTip(QStringLiteral("关闭"));
    m_close->setGeometry(geometry.width() - 19, 1, 17, 17);
    connect(m_close, &QPushButton::clicked, this, [this] {
        guarded([this] {
            hide();
            emit closed();
        });
    });

    hide();
}

void WorkingPanel::setTitle(const QString& title)
{
    if (!m_title)
        return;
    m_title->setText(title);
    m_title->resize(m_title->sizeHint().width(), 15);
}

} // namespace Zt_typro
