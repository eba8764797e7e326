#pragma once

#include "common/WorkingPanel.h"

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QPushButton;
class QTabWidget;
class ResultPanel;

/// Panel_zpcx: the "支票查询" working panel of the main window. The register of printed cheques
/// is searched by cheque number, by a range of dates or by payee, as the tab of the page control
/// chooses; the rows found are listed by the result panel Panel_zpcxjg.
class SearchPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit SearchPanel(QWidget* parent);

    QGroupBox* GroupBox8;
    QTabWidget* PageControl_cxfs;
    QWidget* TabSheet_ph;
    QLabel* Label45;
    QLineEdit* Edit_ph;
    QWidget* TabSheet_rq;
    QLabel* Label46;
    QDateEdit* DateTimePicker_ks;
    QLabel* Label47;
    QDateEdit* DateTimePicker_zz;
    QWidget* TabSheet_skr;
    QLabel* Label48;
    QComboBox* ComboBox_skr;
    QPushButton* Button_zpcx;
    QPushButton* Button_zpcxclose;

    /// zpcxClick: both dates to today, the payee text and list emptied, the number emptied, the
    /// payee list loaded most used first; then the panel is shown on the date tab and today's
    /// cheques are searched (Button_zpcxClick), so the result panel lists them or says there are
    /// none. The focus is left in the start date.
    void open();

    /// "查  询": searches the register by the active tab (number without its surrounding blanks,
    /// both end days included, payee exactly as typed) and shows the rows found in the result
    /// panel, docked under this panel. A database error is raised and the result panel is then
    /// not shown by this search.
    void Button_zpcxClick();
    /// "关  闭": hides this panel and the result panel; nothing is reset.
    void Button_zpcxcloseClick();
    /// The close button of the title strip: hides this panel and the result panel.
    void BitBtn_zpcx_closeClick();
    /// A change of tab hides the result panel.
    void PageControl_cxfsChange();
    /// The mouse over this panel: the result panel takes this panel's left edge and lies
    /// directly under it (its top one pixel above this panel's bottom edge).
    void Panel_zpcxMouseMove();

    /// The result panel of the main window (the sibling named Panel_zpcxjg).
    ResultPanel* resultPanel() const;
    /// The field of the active tab: the number, the start date or the payee.
    QWidget* searchField() const;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    /// A move of this panel moves the result panel with it, kept inside the window.
    void moveEvent(QMoveEvent* event) override;
};
