#pragma once

#include <QDialog>
#include <QMainWindow>

#include <memory>

class QAction;
class QMenu;
class QPushButton;
class QScrollArea;
class ChequePanel;
class VoucherPanel;
class ChequeDesigner;
class VoucherDesigner;
class SearchPanel;
class ResultPanel;
class OrgPanel;
class PasswordPanel;
class DatabasePanel;
class CalibrationPanel;

namespace Zt_typro
{
class VoucherAfterChequeLink;
}

/// The main window. It has no screen of its own: its menu brings up the working panels, which
/// are children of its client area, overlap, and keep their content and place while hidden.
class TFrm_main : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFrm_main)
public:
    explicit TFrm_main(QWidget* parent = nullptr);
    ~TFrm_main() override;

    QWidget* clientArea() const { return m_client; }
    /// The view of the client area: it scrolls when the window is smaller than the client's
    /// designed size, and makes the client as large as itself when the window is larger.
    QScrollArea* clientView() const { return m_view; }

    /// Sizes and places the window inside available (a screen's work area), not maximised: at its
    /// designed size where that fits, smaller with a scrolling client area where it does not,
    /// never off it. The operator may then make it larger.
    void fitInto(const QRect& available);

    // Menu
    QMenu* mnufile;
    QAction* mnuzh;
    QMenu* print_set;
    QAction* zz_prn_set;
    QAction* xx_prn_set;
    QAction* dhpz_prn_set;
    QAction* jzd_prn_set;
    QAction* dyj_jz;
    QAction* mnubf;
    QAction* mnuhf;
    QAction* pass_set;
    QAction* mnusjk;
    QAction* mnuquit;
    QMenu* mnuzp;
    QAction* mnuzpbj;
    QAction* mnupzbj;
    QMenu* mnu_pjcx;
    QAction* zpcx;
    QMenu* mnuhelp;
    QAction* help;
    QAction* mnugy;

    // Working panels, in stacking order (a later one lies above an earlier one)
    ChequePanel* Panel_zp;
    ChequeDesigner* P_zzzp_set;
    VoucherDesigner* Panel_pz_set;
    VoucherPanel* P_pz;
    OrgPanel* Panel_dwset;
    SearchPanel* Panel_zpcx;
    ResultPanel* Panel_zpcxjg;
    PasswordPanel* Panel_pass;
    DatabasePanel* Panel_sjk;
    CalibrationPanel* Panel_dyjjz;

    /// The form code the cheque designer works on ("zz" or "xj"); empty until chosen.
    QString chequeFormCode;
    /// The form code the voucher designer works on ("dhpz" or "jzd"); empty until chosen.
    QString voucherFormCode;

    // Menu handlers
    void mnuzhClick();
    void zz_prn_setClick();
    void xx_prn_setClick();
    void dhpz_prn_setClick();
    void jzd_prn_setClick();
    void pass_setClick();
    void mnusjkClick();
    void mnuquitClick();
    void dyj_jzClick();
    void mnubfClick();
    void mnuhfClick();
    void mnuzpbjClick();
    void mnupzbjClick();
    void zpcxClick();
    void helpClick();
    void mnugyClick();

    /// Prepares the close of the main window: closes the register search result.
    void FormCloseQuery();

    /// Loads an open designer again from the database, after the database file was replaced
    /// (a restore, or another file put in its place): it then shows, and saves, the layout of
    /// the file now in use rather than the one replaced.
    void reloadOpenDesigners();

    /// Shows only the commands the one signed in may use: on a shared register an auditor
    /// neither prints nor changes anything, a cashier does not change layouts nor void, and the
    /// program's own password plays no part. Called once signed in.
    void applyRights();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildMenu();
    void buildPanels();
    void openChequeDesigner(const QString& code, QAction* chosen, QAction* other);
    void openVoucherDesigner(const QString& code, QAction* chosen, QAction* other);

    QWidget* m_client;
    QScrollArea* m_view;
    std::unique_ptr<Zt_typro::VoucherAfterChequeLink> m_chequeToVoucher;
};

/// The about box: program icon, version line and an OK button.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    QPushButton* OKButton;
    void OKButtonClick();
};
