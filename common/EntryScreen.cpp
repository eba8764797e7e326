#include "common/EntryScreen.h"

#include "common/Named.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>

namespace Zt_typro
{

QLabel* TextPanel(QWidget* parent, const char* name, const QRect& geometry, Qt::Alignment align,
                  const QColor& background)
{
    auto* p = placed<QLabel>(parent, name, geometry);
    p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p->setAlignment(align | Qt::AlignVCenter);
    p->setAutoFillBackground(true);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, background);
    p->setPalette(pal);
    p->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return p;
}

QList<QLabel*> BuildDigitBoxes(QWidget* headings, QWidget* boxes, int boxHeight, const char* namePrefix, int nameDigits)
{
    const int boxW = 22;
    const char* units[15] = {"分", "角", "元", "十", "百", "千", "万", "十", "百", "千", "亿", "十", "百", "千", "万"};
    QList<QLabel*> out;
    for (int k = 0; k < 15; ++k) {
        const int x = 1 + (14 - k) * boxW;
        auto* unit = new QLabel(QString::fromUtf8(units[k]), headings);
        unit->setAlignment(Qt::AlignCenter);
        unit->setGeometry(x, 1, boxW, 18);
        const QByteArray name = namePrefix + QByteArray::number(k + 1).rightJustified(nameDigits, '0');
        auto* box = placed<QLabel>(boxes, name.constData(), QRect(x, 1, boxW, boxHeight));
        box->setAlignment(Qt::AlignCenter);
        QFont f = box->font();
        f.setPixelSize(16);
        f.setBold(true);
        box->setFont(f);
        out.append(box);
    }
    return out;
}

bool IsEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

void ClearListKeepingText(QComboBox* box)
{
    const QSignalBlocker block(box);
    const QString text = box->currentText();
    box->clear();
    box->setEditText(text);
}

void AddItemsKeepingText(QComboBox* box, const QStringList& items)
{
    const QSignalBlocker block(box);
    const QString text = box->currentText();
    box->addItems(items);
    box->setEditText(text);
}

} // namespace Zt_typro
