#pragma once

#include <QDialog>

/// The login gate shown before the main window.
class TFrm_login : public QDialog
{
    Q_OBJECT
public:
    explicit TFrm_login(QWidget* parent = nullptr);

    /// Start-up's login step: shows the dialog modally. Returns true when the operator logged
    /// in (the main window is then visible), false when the application is to end.
    bool runGate();
};
