#pragma once

#include "common/WorkingPanel.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// Panel_pass: the "密码设置" working panel of the main window, where the operator changes the
/// login password.
class PasswordPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit PasswordPanel(QWidget* parent);

    /// pass_setClick: empties the three fields and shows the panel.
    void open();

    QGroupBox* GroupBox9;
    QLabel* Label52;
    QLabel* Label53;
    QLabel* Label54;
    QLineEdit* Edit_old_pass;
    QLineEdit* Edit_newpass;
    QLineEdit* Edit_newpass_too;
    QPushButton* Button_pass_qd;
    QPushButton* Button_pass_qx;

    /// "确 定": the old password must log in, the new one typed twice must agree; then the new
    /// password is stored as a salted hash, "密码修改成功!" is shown and the panel hides. A
    /// refusal stores nothing and leaves the panel open with its text.
    void Button_pass_qdClick();
    /// "取 消": hides the panel; nothing is stored.
    void Button_pass_qxClick();
    /// The close button: hides the panel; nothing is stored.
    void BitBtn_pass_closeClick();
};
