#pragma once

#include "common/WorkingPanel.h"

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

/// Panel_dwset: the "单位帐号设置" working panel of the main window, where the organisation's
/// full name, bank account number and bank are kept in the per-user settings.
class OrgPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit OrgPanel(QWidget* parent);

    /// mnuzhClick: fills the fields from the settings and shows the panel.
    void open();

    QGroupBox* GroupBox7;
    QLabel* Label39;
    QLabel* Label40;
    QLabel* Label41;
    QLineEdit* Edit_dwqc;
    QLineEdit* Edit_yhzh;
    QLineEdit* Edit_khh;
    QPushButton* Button_dwset_qd;
    QPushButton* Button_dwset_qx;

    /// "确 定": stores the trimmed fields and hides the panel; when the settings cannot be
    /// written the error is raised and the panel stays open with its text.
    void Button_dwset_qdClick();
    /// "取 消": hides the panel; nothing is stored.
    void Button_dwset_qxClick();
    /// The close button: hides the panel; nothing is stored.
    void BitBtn_dwset_closeClick();
    /// Enter in the full name moves to the account number.
    void Edit_dwqcKeyPress(QKeyEvent* event);
    /// Enter in the account number moves to the bank.
    void Edit_yhzhKeyPress(QKeyEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
