#pragma once

#include "common/WorkingPanel.h"

#include <QList>
#include <QPageSize>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// Panel_dyjjz: the printer calibration panel ("打印机校准"). For the printer chosen in ComboBox_dyj
/// it shows and edits the paper the forms go on (ComboBox_zhizhang: the printer's own papers, first
/// its default), the offset (Edit_pyx, Edit_pyy, mm) and scale (Edit_blx, Edit_bly) that the
/// renderer applies to every form printed on it, stores them in the per-user settings under the
/// printer's name (Button_dyjjz_qd), and prints a calibration page on the chosen paper (Button_jzy). From the measured
/// positions of two crosshairs of that page (Edit_cl1x … Edit_cl2y) "计算" (Button_jzjs) works
/// out the offset and scale and shows them in the fields, to be stored with "确 定".
class CalibrationPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CalibrationPanel)
public:
    explicit CalibrationPanel(QWidget* parent);

    /// dyj_jzClick: fills the printer list from the installed printers and shows the panel.
    void open();

    /// Fills the printer list with names (the default printer chosen when it is among them) and
    /// shows the stored calibration of the chosen one. With no name the panel says that no printer
    /// is installed; the values can still be worked out, but not stored or printed.
    void fillPrinters(const QStringList& names);

    // Title strip
    Zt_typro::TitleStrip* Image_dyjjz;
    QLabel* Label_dyjjz;
    QPushButton* BitBtn_dyjjz_close;

    QLabel* Label_dyj;
    QComboBox* ComboBox_dyj;
    QLabel* Label_zhizhang;
    QComboBox* ComboBox_zhizhang;
    QLabel* Label_dyjts;

    QGroupBox* GroupBox_jzz;
    QLabel* Label_pyx;
    QLineEdit* Edit_pyx;
    QLabel* Label_pyy;
    QLineEdit* Edit_pyy;
    QLabel* Label_blx;
    QLineEdit* Edit_blx;
    QLabel* Label_bly;
    QLineEdit* Edit_bly;

    QGroupBox* GroupBox_cl;
    QComboBox* ComboBox_sz1;
    QLineEdit* Edit_cl1x;
    QLineEdit* Edit_cl1y;
    QComboBox* ComboBox_sz2;
    QLineEdit* Edit_cl2x;
    QLineEdit* Edit_cl2y;
    QPushButton* Button_jzjs;
    QLabel* Label_jzjg;

    QPushButton* Button_jzy;
    QPushButton* Button_dyjjz_qd;

    /// A printer was chosen: its papers, its stored paper and calibration are shown.
    void ComboBox_dyjChange();
    /// A paper was chosen: the crosshairs are those of the calibration page on that paper.
    void ComboBox_zhizhangChange();
    /// "计算": the calibration from the two measured crosshairs, shown in the fields (not stored).
    void Button_jzjsClick();
    /// "确 定": stores the values of the fields for the chosen printer.
    void Button_dyjjz_qdClick();
    /// "打印校准页": prints the calibration page, uncalibrated, on the chosen printer.
    void Button_jzyClick();

private:
    QString chosenPrinter() const;
    /// The paper chosen in ComboBox_zhizhang; invalid when the printer offers none.
    QPageSize chosenPaper() const;
    void fillPapers();

    /// The chosen printer's papers and its default, as fillPapers found them.
    QList<QPageSize> m_papers;
    QPageSize m_defaultPaper;
    void showCalibration(double offsetX, double offsetY, double scaleX, double scaleY);
};
