// A printing run long enough to be noticed, on a scripted printer whose every measurement
// takes a millisecond: the program keeps handling its window system events, no user input
// reaches a handler, and Escape stops the run.
#include "Harness.h"
#include "widgets/Controls.h"
#include "printing/PolImprim.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <thread>

using namespace Qt::StringLiterals;

class TestLongOperation : public QObject
{
    Q_OBJECT

    std::unique_ptr<Harness> m_h;
    PolImprim *m_dialog = nullptr;
    int m_measures = 0;
    std::function<void()> m_atMeasure100;

    void openDialogOnSlowPrinter()
    {
        m_h = std::make_unique<Harness>();
        for (int k = 0; k < 300; ++k)
            m_h->printer.fonts.append(u"Police %1"_s.arg(k, 3, 10, QChar(u'0')));
        m_h->start();
        m_dialog = m_h->app->afficherImpression();
        m_measures = 0;
        m_h->printer.height = [this](const ScriptedPrinter::Font &font, const QString &) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (++m_measures == 100 && m_atMeasure100)
                m_atMeasure100();
            return font.size * 20.0;
        };
    }

    // Imprimer clicked, with what a user does once the run is under way.
    void printWith(const std::function<void()> &atMeasure100)
    {
        m_atMeasure100 = atMeasure100;
        m_measures = 0;
        m_h->printer.log.clear();
        QTest::mouseClick(m_dialog->findChild<VkCommand *>(u"Impression"_s), Qt::LeftButton);
        m_atMeasure100 = nullptr;
    }

private Q_SLOTS:
    void cleanup() { m_h.reset(); }

    // Escape reaches the dialog only if the run keeps handling events.
    void escapeDropsTheDocumentAndKeepsTheDialog()
    {
        openDialogOnSlowPrinter();
        printWith([this] {
            QCoreApplication::postEvent(
                m_dialog, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        });
        QCOMPARE(m_h->printer.log.last(), u"abort"_s);
        QVERIFY(!m_h->printer.log.contains(u"enddoc"_s));
        QVERIFY(m_dialog->isVisible());
        QVERIFY(!m_dialog->findChild<VkCommand *>(u"Fermer"_s)->isHidden());
        QVERIFY(m_h->messages.asked.isEmpty());

        // The next run prints the whole catalogue. Fermer is hidden meanwhile: a click on its
        // place, or on the dialog's close box, must neither close the dialog nor cut the run
        // short.
        QSignalSpy rejected(m_dialog, &QDialog::rejected);
        printWith([this] {
            auto *fermer = m_dialog->findChild<VkCommand *>(u"Fermer"_s);
            QCoreApplication::postEvent(m_dialog, new QCloseEvent);
            QCoreApplication::postEvent(fermer,
                new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5),
                    fermer->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier));
        });
        QCOMPARE(m_h->printer.log.last(), u"enddoc"_s);
        QCOMPARE(m_h->printer.log.count(u"abort"_s), 0);
        QCOMPARE(rejected.count(), 0);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    }

    // The size box estimates the pages at every keystroke: keys typed meanwhile wait for it.
    void keysTypedDuringAnEstimateLandAfterIt()
    {
        openDialogOnSlowPrinter();
        auto *taille = m_dialog->findChild<VbComboBox *>(u"Taille_Police"_s);
        taille->lineEdit()->selectAll();
        m_atMeasure100 = [taille] {
            for (const char digit : { '0', '0' }) {
                QCoreApplication::postEvent(taille->lineEdit(),
                    new QKeyEvent(
                        QEvent::KeyPress, Qt::Key_0, Qt::NoModifier, QString(QLatin1Char(digit))));
            }
        };
        QTest::keyClick(taille->lineEdit(), Qt::Key_2);
        m_atMeasure100 = nullptr;
        QTRY_COMPARE(taille->Text(), u"200"_s);
    }
};

QTEST_MAIN(TestLongOperation)
#include "tst_longoperation.moc"
