#include "printsetup/LayoutDesigner.h"

#include "common/Guard.h"
#include "print/Placement.h"
#include "print/PrintForm.h"
#include "print/Report.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/DesignerLayout.h"
#include "printsetup/DesignerPrintOptions.h"
#include "store/DataModule.h"

#include <QPushButton>

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
} // namespace

LayoutDesigner::LayoutDesigner(QWidget* parent, DesignerForm form)
    : WorkingPanel(parent, form.chrome, form.geometry),
      m_form(std::move(form))
{
    m_body = BuildDesignerBody(this, m_form.names, m_form.fields, designPositions(m_form));
    {
        const std::unique_ptr<PrintForm> print = m_form.makeForm(nullptr);
        m_background = new DesignerBackground(this, m_body.canvas, m_form.background, print->QuickRep1->marginsMm(), 16,
                                              394);
    }

    connect(m_body.save, &QPushButton::clicked, this, [this] { guarded([this] { saveLayout(); }); });
    connect(m_body.preview, &QPushButton::clicked, this, [this] { guarded([this] { previewLayout(); }); });
    connect(m_body.sample, &QPushButton::clicked, this, [this] { guarded([this] { printSample(); }); });
    connect(m_background->button(), &QPushButton::clicked, this, [this] { guarded([this] { chooseBackground(); }); });
    connect(this, &WorkingPanel::closed, this, [this] { guarded([this] { closeOptions(); }); });
}

void LayoutDesigner::open(const QString& formCode, const QString& heading)
{
    m_formCode = formCode;
    if (D_M)
        m_body.dataSource->setQuery(D_M->*m_form.optionsQuery);
    TD_M& dm = RequireDataModule();
    LoadDesignerLayout(*m_body.canvas, *dm.ADOQ_zb, formCode);
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

} // namespace Zt_typro
