#include "printsetup/LayoutDesigner.h"

#include "common/Error.h"
#include "common/Guard.h"
#include "common/Prompt.h"
#include "print/Placement.h"
#include "print/PrintForm.h"
#include "print/Report.h"
#include "print/SampleText.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/DesignerGeometry.h"
#include "printsetup/DesignerLayout.h"
#include "printsetup/DesignerPrintOptions.h"
#include "store/DataModule.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QtMath>

namespace Zt_typro
{
namespace
{
// The scroll box around the canvas at the designer's designed size.
const QSize kScrollBoxSize(505, 337);

// Until a layout is loaded, each field panel stands where the print form puts its label by design.
QList<QPoint> designPositions(const DesignerForm& form)
{
    const std::unique_ptr<PrintForm> print = form.makeForm(nullptr);
    QList<QPoint> out;
    for (const DesignerFieldSpec& def : form.fields) {
        const ReportLabel* label = print->label(QString::fromLatin1(def.name).mid(5));
        out.append(label ? label->position() : QPoint(4, 4 + 19 * int(out.size())));
    }
    return out;
}

// Each field panel is as large as what its field prints on the sample cheque or voucher, in the
// label's font: one canvas pixel per layout unit, rounded up so the box covers all of it.
QList<QSize> sampleSizes(const DesignerForm& form)
{
    const std::unique_ptr<PrintForm> print = form.makeForm(nullptr);
    QList<QSize> out;
    for (const DesignerFieldSpec& def : form.fields) {
        const QString key = QString::fromLatin1(def.name).mid(5);
        const ReportLabel* label = print->label(key);
        QString text = SampleFieldText(key);
        if (text.isEmpty())
            text = QString::fromUtf8(def.caption);
        const QSizeF size = PrintedTextSize(label ? label->font() : ReportFont(), text);
        out.append(QSize(qCeil(size.width()), qCeil(size.height())));
    }
    return out;
}
} // namespace

LayoutDesigner::LayoutDesigner(QWidget* parent, DesignerForm form)
    : WorkingPanel(parent, form.chrome, form.geometry),
      m_form(std::move(form))
{
    m_body = BuildDesignerBody(this, m_form.names, m_form.fields, sampleSizes(m_form), designPositions(m_form));
    {
        const std::unique_ptr<PrintForm> print = m_form.makeForm(nullptr);
        m_marginsMm = print->QuickRep1->marginsMm();
        m_body.canvas->setPaper(SheetInLayoutUnits(print->QuickRep1->pageSizeMm(), m_marginsMm));
    }
    m_background = new DesignerBackground(this, m_body.canvas, m_form.background, m_marginsMm, 16, 394);
    m_body.canvas->refreshMarks();
    rememberSavedPositions();

    // Grown with the window, the canvas takes the room: the print-content list and the scale box
    // keep to the right edge, the buttons to the bottom edge.
    for (QWidget* w : std::initializer_list<QWidget*>{m_body.groupBox, m_body.zoom})
        m_keptRight.append({w, w->pos()});
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_body.preview, m_body.save, m_body.sample, m_background->button(),
                                         m_background->slider(), m_background->dpiBox(), m_body.zoom})
        m_keptDown.append({w, w->pos()});

    connectGuarded(m_body.save, &QPushButton::clicked, this, [this] { saveLayout(); });
    connectGuarded(m_body.preview, &QPushButton::clicked, this, [this] { previewLayout(); });
    connectGuarded(m_body.sample, &QPushButton::clicked, this, [this] { printSample(); });
    connectGuarded(m_background->button(), &QPushButton::clicked, this, [this] { chooseBackground(); });
    connectGuarded(this, &WorkingPanel::closed, this, [this] { closeOptions(); });
    connectGuarded(m_body.canvas, &DesignerCanvas::fieldsChanged, this, [this] { showPosition(); });
    connectGuarded(m_body.zoom, &QComboBox::currentIndexChanged, this, [this] { applyZoom(); });
    // A scan shown or taken away changes the area to fit.
    connectGuarded(m_body.canvas, &DesignerCanvas::layoutAreaChanged, this, [this] { applyZoom(); });
}

void LayoutDesigner::resizeEvent(QResizeEvent* event)
{
    WorkingPanel::resizeEvent(event);
    if (!m_body.scrollBox)
        return;
    const QSize grown = size() - m_form.geometry.size();
    m_body.scrollBox->resize(kScrollBoxSize + grown);
    m_body.position->resize(kScrollBoxSize.width() + grown.width(), m_body.position->height());
    for (const Kept& kept : m_keptRight)
        kept.widget->move(kept.designed.x() + grown.width(), kept.widget->y());
    for (const Kept& kept : m_keptDown)
        kept.widget->move(kept.widget->x(), kept.designed.y() + grown.height());
    applyZoom();
}

void LayoutDesigner::applyZoom()
{
    const double chosen = m_body.zoom->currentData().toDouble();
    // The room is measured without the bars: a bar kept on by the last scale would be taken off
    // it (maximumViewportSize leaves out a bar that is always on) and then taken off again below.
    QScrollArea* box = m_body.scrollBox;
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // 0: the whole area the canvas shows, as large as fits inside the scroll box.
    m_body.canvas->setZoom(
        chosen > 0.0 ? chosen
                     : FitZoom(QSizeF(m_body.canvas->layoutArea().size()), m_body.scrollBox->maximumViewportSize()));
    // The scroll bars the canvas needs at once, rather than after the scroll box has looked
    // again: a canvas that fits beside one bar does not get the other one.
    const QSize room = box->maximumViewportSize();
    const QSize canvas = m_body.canvas->size();
    bool across = canvas.width() > room.width();
    bool down = canvas.height() > room.height();
    down = down || (across && canvas.height() > room.height() - box->horizontalScrollBar()->sizeHint().height());
    across = across || (down && canvas.width() > room.width() - box->verticalScrollBar()->sizeHint().width());
    box->setHorizontalScrollBarPolicy(across ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(down ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void LayoutDesigner::open(const QString& formCode, const QString& heading)
{
    m_formCode = formCode;
    if (D_M)
        m_body.dataSource->setQuery(D_M->*m_form.optionsQuery);
    TD_M& dm = RequireDataModule();
    LoadDesignerLayout(*m_body.canvas, *dm.ADOQ_zb, formCode);
    rememberSavedPositions();
    showPosition();
    OpenPrintOptions(*(dm.*m_form.optionsQuery), formCode);
    setTitle(heading);
    show();
    m_background->showFor(formCode);
}

void LayoutDesigner::saveLayout()
{
    if (m_form.rereadOptionsOnSave)
        OpenPrintOptions(*(RequireDataModule().*m_form.optionsQuery), m_formCode);
    SaveDesignerLayout(*m_body.canvas, m_formCode);
    rememberSavedPositions();
}

void LayoutDesigner::previewLayout()
{
    // A fresh form each time: it shows the stored layout with the design captions, whatever
    // an earlier preview or print job left in another form.
    const std::unique_ptr<PrintForm> form = m_form.makeForm(window());
    PreviewLayout(*form, *(RequireDataModule().*m_form.layoutQuery), m_formCode);
}

void LayoutDesigner::printSample()
{
    const std::unique_ptr<PrintForm> form = m_form.makeForm(window());
    PrintLayoutSample(*form, *(RequireDataModule().*m_form.layoutQuery), m_formCode);
}

void LayoutDesigner::closeOptions()
{
    if (D_M)
        (D_M->*m_form.optionsQuery)->close();
}

void LayoutDesigner::chooseBackground()
{
    m_background->chooseImage();
}

bool LayoutDesigner::confirmClose()
{
    if (!hasUnsavedMoves())
        return true;
    switch (prompter().askYesNoCancel(this, QStringLiteral("提示"), QStringLiteral("版面已改动，是否保存?"))) {
    case YesNoCancel::Yes:
        try {
            saveLayout();
        } catch (const AppError& e) {
            // Not saved: the designer stays open with its moves.
            ShowHandlerError(e.message());
            return false;
        }
        return true;
    case YesNoCancel::No:
        return true;
    case YesNoCancel::Cancel:
        break;
    }
    return false;
}

bool LayoutDesigner::hasUnsavedMoves() const
{
    return fieldPositions() != m_savedPositions;
}

QList<QPoint> LayoutDesigner::fieldPositions() const
{
    QList<QPoint> out;
    for (const DesignerFieldPanel* panel : m_body.canvas->fieldPanels())
        out.append(panel->layoutPos());
    return out;
}

void LayoutDesigner::rememberSavedPositions()
{
    m_savedPositions = fieldPositions();
}

QString LayoutDesigner::positionText(const QString& caption, QPoint at) const
{
    const QPointF mm = PaperPositionMm(at, m_marginsMm.left(), m_marginsMm.top());
    return QStringLiteral("%1：距纸左边 %2 毫米，距纸上边 %3 毫米")
        .arg(caption, QString::number(mm.x(), 'f', 1), QString::number(mm.y(), 'f', 1));
}

void LayoutDesigner::showPosition()
{
    const DesignerFieldPanel* current = m_body.canvas->currentFieldPanel();
    QString text;
    if (current) {
        text = positionText(current->text(), current->layoutPos());
        if (current->isOffPaper())
            text += QStringLiteral("（超出纸张）");
    }
    m_body.position->setText(text);
}

} // namespace Zt_typro
