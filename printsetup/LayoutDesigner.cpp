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

#include <QLabel>
#include <QPushButton>
#include <QtMath>

namespace Zt_typro
{
namespace
{
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
    }
    m_background = new DesignerBackground(this, m_body.canvas, m_form.background, m_marginsMm, 16, 394);
    m_body.canvas->refreshOverlapMarks();
    rememberSavedPositions();

    connectGuarded(m_body.save, &QPushButton::clicked, this, [this] { saveLayout(); });
    connectGuarded(m_body.preview, &QPushButton::clicked, this, [this] { previewLayout(); });
    connectGuarded(m_body.sample, &QPushButton::clicked, this, [this] { printSample(); });
    connectGuarded(m_background->button(), &QPushButton::clicked, this, [this] { chooseBackground(); });
    connectGuarded(this, &WorkingPanel::closed, this, [this] { closeOptions(); });
    connectGuarded(m_body.canvas, &DesignerCanvas::fieldsChanged, this, [this] { showPosition(); });
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
        out.append(panel->pos());
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
    m_body.position->setText(current ? positionText(current->text(), current->pos()) : QString());
}

} // namespace Zt_typro
