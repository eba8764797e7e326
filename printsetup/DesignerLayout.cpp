#include "printsetup/DesignerLayout.h"

#include "common/Error.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/DesignerGeometry.h"
#include "store/DataModule.h"

namespace Zt_typro
{

void LoadDesignerLayout(DesignerCanvas& canvas, DmQuery& query, const QString& code)
{
    query.close();
    const QueryCloser closer(query);
    query.setStatement(Stmt::P1, {code});
    query.open();

    const int rows = query.recordCount();
    for (DesignerFieldPanel* panel : canvas.fieldPanels()) {
        const QString name = panel->objectName();
        query.first();
        for (int i = 0; i < rows; ++i) {
            if (query.fieldText(QStringLiteral("kjmc")) == name)
                panel->setLayoutPos(
                    QPoint(query.fieldInt(QStringLiteral("kjx")), query.fieldInt(QStringLiteral("kjy"))));
            query.next();
        }
    }
    canvas.refreshMarks();
}

void SaveDesignerLayout(DesignerCanvas& canvas, const QString& code)
{
    TD_M& dm = RequireDataModule();
    DmQuery& update = *dm.ADOQ_zb_up;
    const QueryCloser closer(update);
    dm.transaction([&] {
        for (const DesignerFieldPanel* panel : canvas.fieldPanels()) {
            const QPoint at = ClampLayoutPosition(panel->layoutPos());
            update.setStatement(Stmt::P3, {at.x(), at.y(), panel->objectName(), code});
            update.execute();
        }
    });
}

} // namespace Zt_typro
