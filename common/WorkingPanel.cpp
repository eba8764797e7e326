#include "common/WorkingPanel.h"

#include "common/Guard.h"

#include <algorithm>

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStyle>

namespace Zt_typro
{

QColor PanelBackground()
{
    return QColor(216, 228, 248);
}

QPoint KeptInside(const QPoint& wanted, const QSize& size, const QSize& parentSize)
{
    const int x = std::max(0, std::min(wanted.x(), parentSize.width() - size.width()));
    const int y = std::max(0, std::min(wanted.y(), parentSize.height() - size.height()));
    return {x, y};
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
    QWidget* parent = m_panel->parentWidget();
    const QPoint inParent = parent->mapFromGlobal(event->globalPosition().toPoint());
    m_panel->move(KeptInside(inParent - m_grab, m_panel->size(), parent->size()));
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
    m_designed = geometry.size();

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
    connectGuarded(m_close, &QPushButton::clicked, this, [this] { requestClose(); });

    hide();
}

bool WorkingPanel::requestClose()
{
    if (!confirmClose())
        return false;
    hide();
    emit closed();
    return true;
}

bool WorkingPanel::closeTopmost(QWidget* container)
{
    // children() lists siblings bottom to top, a raised one last.
    const QObjectList children = container->children();
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        auto* panel = qobject_cast<WorkingPanel*>(*it);
        if (!panel || !panel->isVisibleTo(container))
            continue;
        if (!closeTopmost(panel))
            panel->requestClose();
        return true;
    }
    return false;
}

void WorkingPanel::focusFirstField()
{
    QWidget* field = m_firstField;
    if (!field || !field->isVisibleTo(this) || !field->isEnabled()) {
        field = nullptr;
        // The first widget after the panel in the focus chain that takes keyboard focus.
        for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
            if (!isAncestorOf(w))
                continue;
            if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this) && !w->focusProxy()) {
                field = w;
                break;
            }
        }
    }
    if (field)
        field->setFocus(Qt::TabFocusReason);
}

void WorkingPanel::setVisible(bool visible)
{
    QFrame::setVisible(visible);
    if (!visible)
        return;
    raise();
    focusFirstField();
    // In a window smaller than its client area, the client scrolls to bring the panel into view.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(w)) {
            area->ensureWidgetVisible(this, 0, 0);
            break;
        }
    }
}

void WorkingPanel::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        guarded([this] {
            if (!closeTopmost(this))
                requestClose();
        });
        event->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        auto* focused = qobject_cast<QAbstractButton*>(window()->focusWidget());
        QAbstractButton* button = focused && isAncestorOf(focused) && !focused->isCheckable() ? focused : m_default;
        if (button && button->isEnabled() && button->isVisibleTo(this)) {
            button->click();
            event->accept();
            return;
        }
    }
    QFrame::keyPressEvent(event);
}

void WorkingPanel::setGrowsWithParent(bool grows)
{
    if (m_grows == grows)
        return;
    m_grows = grows;
    if (QWidget* parent = parentWidget()) {
        if (grows)
            parent->installEventFilter(this);
        else
            parent->removeEventFilter(this);
    }
    if (grows)
        growToParent();
    else
        resize(m_designed);
}

void WorkingPanel::growToParent()
{
    const QWidget* parent = parentWidget();
    if (!parent)
        return;
    const QSize room = (parent->size() - parent->minimumSize()).expandedTo(QSize(0, 0));
    resize(m_designed + room);
    move(KeptInside(pos(), size(), parent->size()));
}

bool WorkingPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (m_grows && watched == parentWidget() && event->type() == QEvent::Resize)
        growToParent();
    return QFrame::eventFilter(watched, event);
}

void WorkingPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    if (m_strip)
        m_strip->setGeometry(2, 2, width() - 4, 15);
    if (m_close)
        m_close->move(width() - 19, 1);
}

void WorkingPanel::setTitle(const QString& title)
{
    if (!m_title)
        return;
    m_title->setText(title);
    m_title->resize(m_title->sizeHint().width(), 15);
}

} // namespace Zt_typro
