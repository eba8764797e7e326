#pragma once

#include "common/WorkingPanel.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// Panel_sjk: the "数据库设置" working panel of the main window, where the operator chooses where
/// the register is kept: the local file (the default) or a shared server, with its connection.
/// The choice is kept in the per-user settings and takes effect at the next start (the login
/// then asks for the operator of the shared server). No password is ever stored.
class DatabasePanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit DatabasePanel(QWidget* parent);

    /// mnusjkClick: shows the stored choice.
    void open();

    QGroupBox* GroupBox_sjk;
    QLabel* Label_sjklx;
    QComboBox* ComboBox_sjklx; // "本机文件 (SQLite)", "共享服务器 (PostgreSQL)"
    QLabel* Label_sjklj;
    QLineEdit* Edit_sjklj; // a libpq connection text or a service name
    QLabel* Label_sjk_sm;  // what to type, or what the test found
    QPushButton* Button_sjk_cs;
    QPushButton* Button_sjk_qd;
    QPushButton* Button_sjk_qx;

    /// "测试连接": tries the connection typed (libpq's defaults and .pgpass, no operator) and says
    /// what it found; stores nothing.
    void Button_sjk_csClick();
    /// "确 定": checks the connection text (not the server), stores the choice, says it takes
    /// effect at the next start, and hides the panel. A refusal stores nothing.
    void Button_sjk_qdClick();
    /// "取 消": hides the panel; nothing is stored.
    void Button_sjk_qxClick();

private:
    void showKind();
};
