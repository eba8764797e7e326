#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// Frm_login: the login gate shown before the main window. With the local register the operator
/// types the password kept in the per-user settings; with a shared register (数据库设置) the
/// operator's name and password of the database server, with which the program signs in. The
/// right one shows the main window, cancelling or closing the dialog ends the application.
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
    /// The operator, asked for a shared register only.
    QLabel* Label_user;
    QLineEdit* Edit_user;
    QLineEdit* Edit_pass;
    QPushButton* Button_yes;
    QPushButton* Button_cancel;
    /// With a shared register only: the way back to the local file when the server cannot be used.
    QPushButton* Button_bjwj;
    /// Under the password field: while no password is stored, that a new installation has none
    /// and where to set one (hidden, and the buttons brought up, once one is set); with a shared
    /// register, the server and where to change it.
    QLabel* PasswordHint;

    /// The dialog became the active window: makes sure the password key exists and puts the
    /// focus into the password field.
    void FormActivate();
    /// The close box or the system menu closed the dialog: the application is to end.
    void FormClose();
    /// "登 录" or Enter: compares the trimmed entry with the stored password. The right one
    /// shows the main window and hides the dialog; a wrong one is answered with "密码错误!" and
    /// stays in the field. With a shared register: signs in to the server as the operator with
    /// the password typed; a wrong name or password, a server that does not answer and one
    /// without the register each get their own message.
    void Button_yesClick();

    /// Shows the dialog for the register chosen in the settings: the local file, or a shared
    /// server at connection (the operator's name is then asked too).
    void showFor(bool shared, const QString& connection);
    /// "取 消": the application is to end.
    void Button_cancelClick();
    /// "改用本机文件": keeps the register in the local file from now on (the connection stays in
    /// the settings for later) and asks for the program's own password.
    void Button_bjwjClick();

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
    void signInToServer();
    /// A failed login: message, or, after kFreeTries in a row, waitText (with %1 the failures
    /// and %2 the seconds to wait), after the message when withMessage, and the wait.
    void refuse(const QString& message, const QString& waitText, bool withMessage);
    bool m_shared = false;
    QString m_connection;
    bool m_loggedIn = false;
    bool m_emptyPassword = false; // the operator got in with the empty password
    int m_failures = 0; // wrong passwords in a row
};
