// A Qt generic plugin that drives a real Quillmate program from inside, as a clerk would: it is
// loaded into the program started with QT_PLUGIN_PATH pointing at its folder and
// QT_QPA_GENERIC_PLUGINS=quillmatedriver, logs in with the empty first password, types one
// transfer cheque, confirms it and prints it from the preview into the PDF file named by
// QUILLMATE_DRIVER_PDF, declines the voucher, and quits. It knows the program only by the names
// of its widgets, so the same driver serves the build folder's program and an installed one.
// Exit status: the program's own on success; 3 when the cheque was not printed within a minute.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace
{
class Driver : public QObject
{
public:
    Driver()
    {
        m_clock.start();
        QTimer::singleShot(200, this, [this] { step(); });
    }

private:
    template <typename T>
    T* find(const char* name) const
    {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String(name))
                if (auto* w = qobject_cast<T*>(top))
                    return w;
            if (auto* w = top->findChild<T*>(QString::fromLatin1(name)))
                return w;
        }
        return nullptr;
    }

    void say(const QString& what) { std::fprintf(stderr, "driver: %s\n", qPrintable(what)); }

    void step()
    {
        if (m_clock.elapsed() > 60000) {
            say(QStringLiteral("gave up at stage %1").arg(m_stage));
            QApplication::exit(3);
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            say(QStringLiteral("box: ") + box->text());
            // Yes to printing the cheque; No to setting a password now and to the voucher.
            const bool print = box->text().contains(QStringLiteral("开始打印"));
            QAbstractButton* b = box->button(print ? QMessageBox::Yes : QMessageBox::No);
            if (!b) {
                say(QStringLiteral("unexpected message, giving up"));
                QApplication::exit(3);
                return;
            }
            b->click();
            if (!print && m_stage == 4) {
                m_stage = 5;
                QTimer::singleShot(100, qApp, [] { QApplication::exit(0); });
                return;
            }
        } else if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(qEnvironmentVariable("QUILLMATE_DRIVER_PDF"));
            preview->findChild<QPrintPreviewWidget*>()->print();
            preview->accept();
            m_stage = 4;
            say(QStringLiteral("printed"));
        } else if (auto* login = find<QPushButton>("Button_yes"); m_stage == 0 && login && login->isVisible()) {
            QTest::mouseClick(login, Qt::LeftButton);
            m_stage = 1;
        } else if (auto* menu = find<QAction>("mnuzpbj"); m_stage == 1 && menu && !modal) {
            QWidget* main = find<QWidget>("Frm_main");
            if (main && main->isVisible()) {
                main->activateWindow();
                menu->trigger();
                m_stage = 2;
            }
        } else if (QWidget* main = find<QWidget>("Frm_main"); m_stage == 2 && !modal && main && main->isActiveWindow()) {
            // Typed only once the window is active: leaving the amount field fills the capitals.
            typeCheque();
            m_stage = 3;
        }
        QTimer::singleShot(50, this, [this] { step(); });
    }

    void typeCheque()
    {
        find<QLineEdit>("E_ph")->setText(QStringLiteral("00420001"));
        find<QComboBox>("CB_skr")->setEditText(QStringLiteral("华东机械有限公司"));
        QLineEdit* amount = find<QLineEdit>("Edit_je");
        amount->setFocus();
        QTest::keyClicks(amount, QStringLiteral("1234.5"));
        QLineEdit* purpose = find<QLineEdit>("Edit_yt");
        purpose->setFocus();
        purpose->setText(QStringLiteral("设备款"));
        QTest::mouseClick(find<QPushButton>("Button_pjdy"), Qt::LeftButton);
        QPushButton* ok = find<QPushButton>("Button_qd");
        // The confirmation and the preview are modal: click once the loop has turned.
        QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
    }

    QElapsedTimer m_clock;
    int m_stage = 0; // 0 login, 1 main window, 2 cheque screen open, 3 typed, 4 printed, 5 done
};
} // namespace

class QuillmateDriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "driver.json")
public:
    QObject* create(const QString& key, const QString&) override
    {
        return key.compare(QLatin1String("quillmatedriver"), Qt::CaseInsensitive) == 0 ? new Driver : nullptr;
    }
};

#include "QuillmateDriver.moc"
