#pragma once

#include "register/ResultPanel.h"
#include "register/SearchPanel.h"
#include "tests/cheque/ChequeFixture.h"

#include <QDateEdit>
#include <QTabWidget>
#include <QTableView>

namespace Zt_typro
{

/// The main window over a register filled through the real cheque print job, with the search
/// panel at hand.
struct RegisterFixture
{
    /// Prints one cheque on a given day through the cheque screen and its print job.
    void print(const QDate& day, const QString& ph, const QString& payee, const QString& amount,
               const QString& purpose, const QString& code = QStringLiteral("zz"))
    {
        SetToday(day);
        cheque.screen->open(); // the date boxes take the day
        cheque.fill(ph, payee, amount, purpose);
        cheque.confirmJob(code, true);
    }

    /// Opens the search from the menu, as the operator does.
    void openSearch()
    {
        QAction* item = Frm_main->findChild<QAction*>(QStringLiteral("zpcx"));
        QVERIFY2(item && item->isEnabled(), "menu item zpcx");
        item->trigger();
    }

    /// Chooses a tab, fills its field and presses "查  询".
    void search(int tab, const QVariant& value, const QVariant& end = {})
    {
        panel->PageControl_cxfs->setCurrentIndex(tab);
        switch (tab) {
        case 0:
            panel->Edit_ph->setText(value.toString());
            break;
        case 1:
            panel->DateTimePicker_ks->setDate(value.toDate());
            panel->DateTimePicker_zz->setDate(end.toDate());
            break;
        default:
            panel->ComboBox_skr->setEditText(value.toString());
            break;
        }
        panel->Button_zpcx->click();
    }

    /// One column of the grid, top to bottom, as its cells show it.
    QStringList column(int section) const
    {
        QStringList texts;
        const QAbstractItemModel* m = result->DBGrid_cx->model();
        for (int row = 0; row < m->rowCount(); ++row)
            texts << m->index(row, section).data().toString();
        return texts;
    }

    /// One row of the grid, left to right.
    QStringList row(int r) const
    {
        QStringList texts;
        const QAbstractItemModel* m = result->DBGrid_cx->model();
        for (int c = 0; c < m->columnCount(); ++c)
            texts << m->index(r, c).data().toString();
        return texts;
    }

    ChequeFixture cheque;
    SearchPanel* panel = Frm_main->Panel_zpcx;
    ResultPanel* result = Frm_main->Panel_zpcxjg;
};

} // namespace Zt_typro
