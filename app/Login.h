#pragma once

#include <QDialog>

/// The login gate shown before the main window.
class TFrm_login : public QDialog
{
    Q_OBJECT
public:
    explicit TFrm_login(QWidget* parent = nullptr);
};
