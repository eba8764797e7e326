#pragma once

#include "common/WorkingPanel.h"

#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace Zt_typro
{
class ChequeHandOver;
}

/// Panel_zp: the cheque entry screen ("支票正联"): the face with the date in capitals, number,
/// payee, amount (capitals and digit boxes) and purpose; the stub Panel_cg and the type choice
/// Panel_zplx lie over it. The texts of its fields are the cheque: nothing else holds it.
class ChequePanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit ChequePanel(QWidget* parent);

    /// mnuzpbjClick: prepares the screen for a new cheque and shows it.
    void open();

    /// Who receives what the screen hands on (payee, amount, the moments around the print job);
    /// not owned, nullptr for nobody.
    void setHandOver(Zt_typro::ChequeHandOver* handOver) { m_handOver = handOver; }

    // The face
    QGroupBox* GroupBox3;
    QLabel* Panel_nian;
    QLabel* Panel_yue;
    QLabel* Panel_ri;
    QLineEdit* E_ph;
    QLabel* Panel_fkhmc;
    QLabel* Panel_cprzh;
    QComboBox* CB_skr;
    QLineEdit* Edit_je;
    QWidget* Panel_je;
    QLabel* Panel_daxie;
    QWidget* Panel_dw;
    QWidget* Panel_jine; // the 15 digit boxes Panel1 (分) ... Panel15, created right to left
    QLineEdit* Edit_yt;
    QPushButton* Button_setcg;
    QPushButton* Button_pjdy;
    QMenu* PopupMenu_font;
    QAction* popup_fontname;

    // The stub
    Zt_typro::WorkingPanel* Panel_cg;
    QPlainTextEdit* Memo_xinxi;
    QComboBox* CB_nian;
    QComboBox* CB_yue;
    QComboBox* CB_ri;
    QLineEdit* E_shoukuanren;
    QLabel* PE_jine;
    QLineEdit* E_yongtu;

    // The type choice
    Zt_typro::WorkingPanel* Panel_zplx;
    QGroupBox* GroupBox_zplx;
    QRadioButton* RadioButton_zz;
    QRadioButton* RadioButton_xj;
    QPushButton* Button_qd;
    QPushButton* Button_qx;

    /// The digit box for a place: 1 is 分, 15 the leftmost.
    QLabel* digitBox(int place) const;
    /// The lines of the note as the memo shows them, a wrapped line counting as several.
    QStringList memoDisplayLines() const;
    /// Whether the operator typed anything of a cheque: number, payee, amount, purpose or note.
    bool holdsTypedCheque() const;
    /// Empties what the operator typed of a cheque (the date stays), with its capitals, digit
    /// boxes and stub copies. The payee copied to the voucher screen stays there.
    void clearCheque();

    // Handlers
    void CB_skrChange();
    void Edit_jeExit();
    void Edit_ytChange();
    void Button_setcgClick();
    void CB_nianChange();
    void CB_yueChange();
    void CB_riChange();
    void Button_pjdyClick();
    void Button_qdClick();
    void Button_qxClick();

signals:
    /// The pop-up item "字体" of the capitals was chosen: the capital-amount font is shared with
    /// the voucher screen, whose font dialog answers it.
    void capitalsFontRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Closing a panel that holds a typed cheque not yet printed asks first (No the default);
    /// Yes empties it.
    bool confirmClose() override;

private:
    /// Empties the capitals, the digit boxes and the stub's amount: what shows the amount.
    void clearAmountShown();
    void buildFace();
    void buildStub();
    void buildTypeChoice();
    void fillDayList();
    QList<QLabel*> m_boxes; // Panel1 ... Panel15
    Zt_typro::ChequeHandOver* m_handOver = nullptr;
};
