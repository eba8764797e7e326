#include "layout/DesignerLayout.h"

#include "app/Error.h"
#include "app/Forms.h"
#include "app/Main.h"
#include "layout/ChequeDesigner.h"
#include "layout/DesignerCanvas.h"
#include "layout/DesignerGeometry.h"
#include "layout/LayoutRoutines.h"
#include "layout/VoucherDesigner.h"
#include "store/Dm.h"

namespace Zt_typro
{
namespace
{
// Closes a query when the routine ends, however it ends.
class ClosesQuery
{
public:
    explicit ClosesQuery(DmQuery& query) : m_query(query) {}
    ~ClosesQuery() { m_query.close(); }
    ClosesQuery(const ClosesQuery&) = delete;
    ClosesQuery& operator=(const ClosesQuery&) = delete;

private:
    DmQuery& m_query;
};

TD_M& dataModule()
{
    if (!D_M)
        throw AppError(QStringLiteral("数据模块没有创建，无法读写打印格式。"));
    return *D_M;
}

DesignerCanvas& chequeCanvas()
{
    if (!Frm_main || !Frm_main->P_zzzp_set)
        throw AppError(QStringLiteral("主窗口没有创建，无法使用支票打印设置。"));
    return *Frm_main->P_zzzp_set->Panel_zz;
}

DesignerCanvas& voucherCanvas()
{
    if (!Frm_main || !Frm_main->Panel_pz_set)
        throw AppError(QStringLiteral("主窗口没有创建，无法使用凭证打印设置。"));
    return *Frm_main->Panel_pz_set->Panel_pz;
}
} // namespace

void LoadDesignerLayout(DesignerCanvas& canvas, DmQuery& query, const QString& code)
{
    query.close();
    const ClosesQuery closer(query);
    query.setStatement(Stmt::P1, {code});
    query.open();

    const int rows = query.recordCount();
    for (DesignerFieldPanel* panel : canvas.fieldPanels()) {
        const QString name = panel->objectName();
        query.first();
        for (int i = 0; i < rows; ++i) {
            if (query.fieldText(QStringLiteral("kjmc")) == name)
                panel->move(query.fieldInt(QStringLiteral("kjx")), query.fieldInt(QStringLiteral("kjy")));
            query.next();
        }
    }
}

void SaveDesignerLayout(DesignerCanvas& canvas, const QString& code)
{
    TD_M& dm = dataModule();
    DmQuery& update = *dm.ADOQ_zb_up;
    const ClosesQuery closer(update);
    dm.transaction([&] {
        for (const DesignerFieldPanel* panel : canvas.fieldPanels()) {
            const QPoint at = ClampLayoutPosition(panel->pos());
            update.setStatement(Stmt::P3, {at.x(), at.y(), panel->objectName(), code});
            update.execute();
        }
    });
}

void LoadChequeLayout(const QString& code)
{
    LoadDesignerLayout(chequeCanvas(), *dataModule().ADOQ_zb, code);
}

void LoadVoucherLayout(const QString& code)
{
    LoadDesignerLayout(voucherCanvas(), *dataModule().ADOQ_zb, code);
}

void SaveChequeLayout(const QString& code)
{
    DesignerCanvas& canvas = chequeCanvas();
    OpenChequePrintOptions(code);
    SaveDesignerLayout(canvas, code);
}

void SaveVoucherLayout(const QString& code)
{
    SaveDesignerLayout(voucherCanvas(), code);
}

} // namespace Zt_typro
