#include "app/MainWindow.h"

#include "app/BackupCommands.h"
#include "app/Forms.h"
#include "app/Help.h"
#include "app/ScreenLinks.h"
#include "cheque/ChequePanel.h"
#include "cheque/PrintCheque.h"
#include "common/Guard.h"
#include "common/WorkingPanel.h"
#include "printsetup/CalibrationPanel.h"
#include "printsetup/ChequeDesigner.h"
#include "printsetup/VoucherDesigner.h"
#include "register/ResultPanel.h"
#include "register/SearchPanel.h"
#include "settings/DatabasePanel.h"
#include "settings/OrgPanel.h"
#include "settings/PasswordPanel.h"
#include "store/DataModule.h"
#include "voucher/VoucherPanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

using Zt_typro::connectGuarded;
using Zt_typro::guarded;

namespace
{
// A caption with its mnemonic shown after it, as "系统设置(&S)"; none when key is 0.
QString withMnemonic(const char* caption, char key)
{
    QString text = QString::fromUtf8(caption);
    if (key)
        text += QStringLiteral("(&%1)").arg(QLatin1Char(key));
    return text;
}

QAction* addItem(QMenu* menu, const char* name, const char* caption, char key = 0, const QKeySequence& shortcut = {})
{
    QAction* action = menu->addAction(withMnemonic(caption, key));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

// The caption without its mnemonic: "转帐支票打印设置(&Z)" gives "转帐支票打印设置".
QString plainCaption(const QAction* action)
{
    QString text = action->text();
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)$"));
    text.remove(mnemonic);
    return text.remove(QLatin1Char('&'));
}

QMenu* addSubmenu(QWidget* parent, const char* name, const char* caption, char key)
{
    auto* menu = new QMenu(withMnemonic(caption, key), parent);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

void addSeparator(QMenu* menu, const char* name)
{
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}
} // namespace

TFrm_main::TFrm_main(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Frm_main"));
    setWindowTitle(QStringLiteral("Quillmate"));
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(13);
    setFont(f);

    // The client area is never smaller than its designed size: on a smaller screen the window
    // shows it through a view that scrolls, so that no panel or button is ever out of reach. A
    // window made larger (maximised, or resized by the operator) makes it larger too.
    m_view = new QScrollArea(this);
    m_view->setObjectName(QStringLiteral("ClientView"));
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setWidgetResizable(true);
    m_client = new QWidget;
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_client->setMinimumSize(996, 609);
    m_client->resize(m_client->minimumSize());
    m_client->setAutoFillBackground(true);
    QPalette pal = m_client->palette();
    pal.setColor(QPalette::Window, Zt_typro::PanelBackground());
    m_client->setPalette(pal);
    m_view->setPalette(pal);
    m_view->setWidget(m_client);
    setCentralWidget(m_view);

    buildMenu();
    buildPanels();
    if (const QScreen* s = screen())
        fitInto(s->availableGeometry());
}

void TFrm_main::fitInto(const QRect& available)
{
    // Opened at the designed size, the client area under the menu bar; only the operator makes it
    // larger, by maximising or resizing the window.
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    const QSize designed(m_client->minimumWidth(), m_client->minimumHeight() + menuBar()->sizeHint().height());
    // The window frame the window manager adds around it; an estimate before the first show.
    const QRect inner = geometry();
    const QRect outerNow = frameGeometry();
    const QMargins frame = isVisible() ? QMargins(inner.left() - outerNow.left(), inner.top() - outerNow.top(),
                                                  outerNow.right() - inner.right(), outerNow.bottom() - inner.bottom())
                                       : QMargins(4, 30, 4, 4);
    const QSize room = available.size().shrunkBy(frame).expandedTo(QSize(200, 150));
    resize(designed.boundedTo(room));
    // Centred in the available area, its title bar never above or left of it.
    const QSize outer = size().grownBy(frame);
    const QPoint topLeft(available.left() + std::max(0, (available.width() - outer.width()) / 2),
                         available.top() + std::max(0, (available.height() - outer.height()) / 2));
    move(topLeft);
}

TFrm_main::~TFrm_main()
{
    // The panels go with the window's children; none may hand anything on while they do.
    Panel_zp->setHandOver(nullptr);
}

void TFrm_main::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    // Each caption carries its mnemonic after it; the everyday commands have a shortcut too.
    mnufile = addSubmenu(bar, "mnufile", "系统设置", 'S');
    mnuzh = addItem(mnufile, "mnuzh", "单位帐号设置", 'U');
    addSeparator(mnufile, "N16");
    print_set = addSubmenu(mnufile, "print_set", "打印设置", 'P');
    mnufile->addMenu(print_set);
    zz_prn_set = addItem(print_set, "zz_prn_set", "转帐支票打印设置", 'Z');
    xx_prn_set = addItem(print_set, "xx_prn_set", "现金支票打印设置", 'X');
    addSeparator(print_set, "N12");
    dhpz_prn_set = addItem(print_set, "dhpz_prn_set", "电汇凭证打印设置", 'D');
    jzd_prn_set = addItem(print_set, "jzd_prn_set", "进 帐 单打印设置", 'J');
    addSeparator(print_set, "N13");
    dyj_jz = addItem(print_set, "dyj_jz", "打印机校准", 'C');
    addSeparator(mnufile, "N10");
    pass_set = addItem(mnufile, "pass_set", "密码设置", 'M');
    mnusjk = addItem(mnufile, "mnusjk", "数据库设置", 'K');
    addSeparator(mnufile, "N3");
    mnubf = addItem(mnufile, "mnubf", "备份数据", 'B');
    mnuhf = addItem(mnufile, "mnuhf", "恢复数据", 'R');
    addSeparator(mnufile, "N17");
    mnuquit = addItem(mnufile, "mnuquit", "退出", 'X');
    bar->addMenu(mnufile);

    mnuzp = addSubmenu(bar, "mnuzp", "票据编辑", 'E');
    mnuzpbj = addItem(mnuzp, "mnuzpbj", "支票编辑", 'Z', QKeySequence(Qt::Key_F2));
    addSeparator(mnuzp, "N11");
    mnupzbj = addItem(mnuzp, "mnupzbj", "凭证编辑", 'P', QKeySequence(Qt::Key_F3));
    bar->addMenu(mnuzp);

    mnu_pjcx = addSubmenu(bar, "mnu_pjcx", "票据查询", 'Q');
    zpcx = addItem(mnu_pjcx, "zpcx", "票据查询", 'C', QKeySequence(Qt::CTRL | Qt::Key_F));
    bar->addMenu(mnu_pjcx);

    // The heading keeps its trailing blank before the mnemonic.
    mnuhelp = addSubmenu(bar, "mnuhelp", "帮助 ", 'H');
    help = addItem(mnuhelp, "help", "帮助", 'H', QKeySequence(Qt::Key_F1));
    addSeparator(mnuhelp, "N1");
    mnugy = addItem(mnuhelp, "mnugy", "关于", 'A');
    bar->addMenu(mnuhelp);

    const auto bind = [this](QAction* action, void (TFrm_main::*handler)()) {
        connectGuarded(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    bind(mnuzh, &TFrm_main::mnuzhClick);
    bind(zz_prn_set, &TFrm_main::zz_prn_setClick);
    bind(xx_prn_set, &TFrm_main::xx_prn_setClick);
    bind(dhpz_prn_set, &TFrm_main::dhpz_prn_setClick);
    bind(jzd_prn_set, &TFrm_main::jzd_prn_setClick);
    bind(pass_set, &TFrm_main::pass_setClick);
    bind(mnusjk, &TFrm_main::mnusjkClick);
    bind(mnuquit, &TFrm_main::mnuquitClick);
    bind(dyj_jz, &TFrm_main::dyj_jzClick);
    bind(mnubf, &TFrm_main::mnubfClick);
    bind(mnuhf, &TFrm_main::mnuhfClick);
    bind(mnuzpbj, &TFrm_main::mnuzpbjClick);
    bind(mnupzbj, &TFrm_main::mnupzbjClick);
    bind(zpcx, &TFrm_main::zpcxClick);
    bind(help, &TFrm_main::helpClick);
    bind(mnugy, &TFrm_main::mnugyClick);
}

void TFrm_main::buildPanels()
{
    // Creation order is stacking order: a panel created later lies above an earlier one.
    Panel_zp = new ChequePanel(m_client);
    P_zzzp_set = new ChequeDesigner(m_client);
    Panel_pz_set = new VoucherDesigner(m_client);
    P_pz = new VoucherPanel(m_client);
    Panel_dwset = new OrgPanel(m_client);
    Panel_zpcx = new SearchPanel(m_client);
    Panel_zpcxjg = new ResultPanel(m_client);
    Panel_zpcxjg->setReprint([](QWidget* owner, qint64 zpid) { return Zt_typro::ReprintCheque(owner, zpid); });
    Panel_pass = new PasswordPanel(m_client);
    Panel_sjk = new DatabasePanel(m_client);
    Panel_dyjjz = new CalibrationPanel(m_client);

    // The cheque screen hands its payee, amount and date on to the voucher screen, and the two
    // share the capital-amount font.
    m_chequeToVoucher = std::make_unique<Zt_typro::VoucherAfterChequeLink>(*P_pz);
    Panel_zp->setHandOver(m_chequeToVoucher.get());
    Zt_typro::LinkCapitalsFont(*Panel_zp, *P_pz);

    // Closing a designer makes both commands of its pair available again.
    connect(P_zzzp_set, &Zt_typro::WorkingPanel::closed, this, [this] {
        zz_prn_set->setEnabled(true);
        xx_prn_set->setEnabled(true);
    });
    connect(Panel_pz_set, &Zt_typro::WorkingPanel::closed, this, [this] {
        dhpz_prn_set->setEnabled(true);
        jzd_prn_set->setEnabled(true);
    });
    // The register's result list and the two designers grow with the window; the other panels
    // keep their designed size and place.
    for (Zt_typro::WorkingPanel* panel :
         std::initializer_list<Zt_typro::WorkingPanel*>{Panel_zpcxjg, P_zzzp_set, Panel_pz_set})
        panel->setGrowsWithParent(true);

    // Closing the search panel also closes its result list.
    connect(Panel_zpcx, &Zt_typro::WorkingPanel::closed, Panel_zpcxjg, &QWidget::hide);
}

void TFrm_main::keyPressEvent(QKeyEvent* event)
{
    // Esc with the focus outside every panel closes the topmost open one.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        guarded([this] { Zt_typro::WorkingPanel::closeTopmost(m_client); });
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TFrm_main::mnuzhClick()
{
    Panel_dwset->open();
}

void TFrm_main::openChequeDesigner(const QString& code, QAction* chosen, QAction* other)
{
    // Chosen again while open with moves not yet saved, the designer comes up as it is: loading
    // the stored layout again would throw the moves away unasked.
    if (P_zzzp_set->isVisible() && P_zzzp_set->formCode() == code && P_zzzp_set->hasUnsavedMoves()) {
        P_zzzp_set->show();
        return;
    }
    chequeFormCode = code;
    P_zzzp_set->open(code, plainCaption(chosen));
    // Only once the designer is open: a failed load leaves both commands available.
    other->setEnabled(false);
}

void TFrm_main::openVoucherDesigner(const QString& code, QAction* chosen, QAction* other)
{
    if (Panel_pz_set->isVisible() && Panel_pz_set->formCode() == code && Panel_pz_set->hasUnsavedMoves()) {
        Panel_pz_set->show();
        return;
    }
    voucherFormCode = code;
    Panel_pz_set->open(code, plainCaption(chosen));
    other->setEnabled(false);
}

void TFrm_main::zz_prn_setClick()
{
    openChequeDesigner(QStringLiteral("zz"), zz_prn_set, xx_prn_set);
}

void TFrm_main::xx_prn_setClick()
{
    openChequeDesigner(QStringLiteral("xj"), xx_prn_set, zz_prn_set);
}

void TFrm_main::dhpz_prn_setClick()
{
    openVoucherDesigner(QStringLiteral("dhpz"), dhpz_prn_set, jzd_prn_set);
}

void TFrm_main::jzd_prn_setClick()
{
    openVoucherDesigner(QStringLiteral("jzd"), jzd_prn_set, dhpz_prn_set);
}

void TFrm_main::pass_setClick()
{
    Panel_pass->open();
}

void TFrm_main::mnusjkClick()
{
    Panel_sjk->open();
}

void TFrm_main::applyRights()
{
    const TD_M::Rights rights = Zt_typro::RequireDataModule().rights();
    const auto allow = [](QAction* action, bool allowed) {
        action->setVisible(allowed);
        action->setEnabled(allowed);
    };
    allow(mnuzpbj, rights.print);
    allow(mnupzbj, rights.print);
    mnuzp->menuAction()->setVisible(rights.print);
    for (QAction* layout : {zz_prn_set, xx_prn_set, dhpz_prn_set, jzd_prn_set})
        allow(layout, rights.layouts);
    allow(pass_set, !D_M->isShared());
    Panel_zpcxjg->Button_zpcx_cd->setVisible(rights.print);
    Panel_zpcxjg->Button_zpcx_zf->setVisible(rights.voiding);
    if (!rights.print) {
        Panel_zp->hide();
        P_pz->hide();
    }
    if (!rights.layouts) {
        P_zzzp_set->hide();
        Panel_pz_set->hide();
    }
}

void TFrm_main::dyj_jzClick()
{
    Panel_dyjjz->open();
}

void TFrm_main::mnubfClick()
{
    Zt_typro::BackupDatabaseInteractive(this);
}

void TFrm_main::mnuhfClick()
{
    if (Zt_typro::RestoreDatabaseInteractive(this))
        reloadOpenDesigners();
}

void TFrm_main::reloadOpenDesigners()
{
    // The print list was closed with the connection, and the canvas holds the positions of the
    // replaced file: saving them would write them over the layout of the file now in use.
    if (P_zzzp_set->isVisible())
        P_zzzp_set->open(P_zzzp_set->formCode(), P_zzzp_set->titleLabel()->text());
    if (Panel_pz_set->isVisible())
        Panel_pz_set->open(Panel_pz_set->formCode(), Panel_pz_set->titleLabel()->text());
}

void TFrm_main::mnuquitClick()
{
    // Ends the message loop at once: no close query, nothing to save.
    QCoreApplication::exit(0);
}

void TFrm_main::mnuzpbjClick()
{
    Panel_zp->open();
}

void TFrm_main::mnupzbjClick()
{
    P_pz->open();
}

void TFrm_main::zpcxClick()
{
    Panel_zpcx->open();
}

void TFrm_main::helpClick()
{
    Zt_typro::ShowHelpContents(this);
}

void TFrm_main::mnugyClick()
{
    AboutBox->exec();
}

void TFrm_main::FormCloseQuery()
{
    if (D_M)
        D_M->ADOQ_zpcx->close();
}

void TFrm_main::closeEvent(QCloseEvent* event)
{
    guarded([this] { FormCloseQuery(); });
    event->accept();
    // FormClose: closing the main window ends the application.
    QCoreApplication::exit(0);
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("关于"));
    setFixedSize(298, 213);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 281, 161);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    icon->setGeometry(8, 8, 32, 32);

    auto* product = new QLabel(QStringLiteral("Quillmate 票据打印"), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    product->setGeometry(88, 16, 180, 16);

    auto* version = new QLabel(QStringLiteral("版本:1.0     "), panel);
    version->setObjectName(QStringLiteral("Version"));
    version->setGeometry(88, 48, 180, 16);

    OKButton = new QPushButton(QStringLiteral("确 定"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    OKButton->setGeometry(111, 178, 75, 25);
    connectGuarded(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
}

void TAboutBox::OKButtonClick()
{
    accept();
}
