#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// Frm_login: the login gate shown before the main window. The operator types the password
/// kept in the per-user settings; the right one shows the main window, cancelling or closing
/// the dialog ends the application.
class TFrm_login : public QDialog
{
    Q_OBJECT
public:
    explicit TFrm_login(QWidget* parent = nullptr);

    /// Start-up's login step: shows the dialog modally. Returns true when the operator logged
    /// in (the main window is then visible and the dialog hidden), false when the operator
    /// cancelled or closed the dialog and the application is to end. The first time the
    /// operator gets in with the empty password, the main window then asks once whether to set
    /// a password (offerToSetPassword).
    bool runGate();

    QGroupBox* GroupBox1;
    QLineEdit* Edit_pass;
    QPushButton* Button_yes;
    QPushButton* Button_cancel;
    /// Under the password field: a new installation has no password, and where to set one.
    QLabel* PasswordHint;

    /// The dialog became the active window: makes sure the password key exists and puts the
    /// focus into the password field.
    void FormActivate();
    /// The close box or the system menu closed the dialog: the application is to end.
    void FormClose();
    /// "登 录" or Enter: compares the trimmed entry with the stored password. The right one
    /// shows the main window and hides the dialog; a wrong one is answered with "密码错误!" and
    /// stays in the field.
    void Button_yesClick();
    /// "取 消": the application is to end.
    void Button_cancelClick();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    /// After a login with the empty password: unless it was done before, remembers that it is
    /// done and asks whether to set a password now; Yes opens the password panel.
    void offerToSetPassword();

    /// Wrong passwords in a row answered at once; each one after them makes the next try wait a
    /// second longer than the last, at most kMaxWaitSeconds.
    static constexpr int kFreeTries = 3;
    static constexpr int kMaxWaitSeconds = 5;
    bool m_loggedIn = false;
    bool m_emptyPassword = false; // the operator got in with the empty password
    int m_failures = 0; // wrong passwords in a row
};
