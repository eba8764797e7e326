#pragma once

#include "common/WorkingPanel.h"

#include <QList>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace Zt_typro
{
class CapitalsFontDialog;
}

/// P_pz: the voucher entry screen ("凭证编辑"): remittance date, amount (capitals and digit
/// boxes), the paying organisation and the payee, with the type choice Panel_pzlx lying over it.
/// The texts of its fields are the voucher: nothing else holds it.
class VoucherPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit VoucherPanel(QWidget* parent);

    /// mnupzbjClick: prepares the screen for a new voucher and shows it.
    void open();

    // Date and amount
    QGroupBox* GroupBox2;
    QComboBox* ComboBox_nian;
    QComboBox* ComboBox_yue;
    QComboBox* ComboBox_ri;
    QLineEdit* Edit_jine;
    QLabel* P_daxie;
    QWidget* Panel_pzdw; // the unit headings above the boxes
    QWidget* P_jine;     // the 15 digit boxes Panel001 (分) ... Panel015

    // The paying organisation (display only)
    QGroupBox* GroupBox4;
    QLabel* P_cpr;
    QLabel* P_cprzh;
    QLabel* P_cprkhh;
    /// Where the payer shown came from, when not from the payer file; hidden otherwise.
    QLabel* Label_cprly;

    // The payee
    QGroupBox* GroupBox5;
    QComboBox* ComboBox_skrmc;
    QLineEdit* E_skrzh;
    QLineEdit* E_skrkhh;

    QPushButton* Button_pz_dy;

    // The type choice
    Zt_typro::WorkingPanel* Panel_pzlx;
    QGroupBox* GroupBox6;
    QRadioButton* RadioButton_dhpz;
    QRadioButton* RadioButton_jzd;
    QPushButton* Button_pzlx_qd;
    QPushButton* Button_pzlx_qx;

    /// The font dialog behind the pop-up item "字体" of both capitals panels.
    Zt_typro::CapitalsFontDialog* FontDialog_daxie;

    /// The digit box for a place: 1 is 分 (Panel001), 15 the leftmost (Panel015).
    QLabel* digitBox(int place) const;

    /// Fills the day list with 1 ... N for the month of the year and month texts; the day text stays.
    void fillDayList(const QString& yearText, const QString& monthText);
    /// Replaces the year list by the year before yearText and the five after it.
    void fillYearList(const QString& yearText);
    /// Whether the screen holds a voucher's amount or payee.
    bool holdsTypedVoucher() const;
    /// Empties the amount with its capitals and digit boxes, and the payee's name, account and bank.
    void clearVoucher();

    // Handlers
    void Edit_jineExit();
    void ComboBox_nianChange();
    void ComboBox_yueChange();
    void ComboBox_skrmcChange();
    void Button_pz_dyClick();
    void Button_pzlx_qdClick();
    void Button_pzlx_qxClick();
    void popup_fontnameClick();

signals:
    /// The capitals panel asks for the pop-up menu "字体" at globalPos (one menu serves both
    /// entry screens).
    void capitalsMenuRequested(const QPoint& globalPos);
    /// The font dialog behind "字体" was closed: font is the capital-amount font of both screens
    /// and both print forms from now on.
    void capitalsFontChosen(const QFont& font);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Closing a panel that holds a voucher not yet printed asks first (No the default); Yes
    /// empties it.
    bool confirmClose() override;

private:
    /// Empties the capitals and the digit boxes: what shows the amount.
    void clearAmountShown();
    void buildDateAndAmount();
    void buildPayer();
    void buildPayee();
    void buildTypeChoice();
    void refreshDayList();
    QList<QLabel*> m_boxes; // Panel001 ... Panel015
};
