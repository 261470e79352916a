// A printing run long enough to be noticed, on a scripted printer whose every measurement
// takes a millisecond: the program keeps handling its window system events, no user input
// reaches a handler, and Escape stops the run.
#include "Harness.h"
#include "platform/Controls.h"
#include "printing/PolImprim.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

struct RunSeen
{
    bool timerFiredDuringRun = false;
    bool dialogOpenAfterRun = false;
    bool fermerShownAfterRun = false;
    QStringList log;
    int boxes = 0;
};

} // namespace

class TestLongOperation : public QObject
{
    Q_OBJECT

    std::unique_ptr<Harness> m_h;
    PolImprim *m_dialog = nullptr;
    int m_measures = 0;
    bool m_timerFired = false;
    bool m_timerFiredDuringRun = false;
    std::function<void()> m_atMeasure100;

    void openDialogOnSlowPrinter()
    {
        m_h = std::make_unique<Harness>();
        for (int k = 0; k < 300; ++k)
            m_h->printer.fonts.append(u"Police %1"_s.arg(k, 3, 10, QChar(u'0')));
        m_h->start();
        m_dialog = m_h->app->afficherImpression();
        m_measures = 0;
        m_timerFired = false;
        m_timerFiredDuringRun = false;
        m_h->printer.height = [this](const ScriptedPrinter::Font &font, const QString &) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (++m_measures == 100 && m_atMeasure100)
                m_atMeasure100();
            if (m_measures > 200 && m_timerFired)
                m_timerFiredDuringRun = true;
            return font.size * 20.0;
        };
    }

    RunSeen printWith(const std::function<void()> &atMeasure100)
    {
        m_atMeasure100 = atMeasure100;
        m_h->printer.log.clear();
        QTimer::singleShot(0, this, [this] { m_timerFired = true; });
        QTest::mouseClick(m_dialog->findChild<VkCommand *>(u"Impression"_s), Qt::LeftButton);
        m_atMeasure100 = nullptr;
        RunSeen seen;
        seen.timerFiredDuringRun = m_timerFiredDuringRun;
        seen.dialogOpenAfterRun = m_dialog->isVisible();
        seen.fermerShownAfterRun = !m_dialog->findChild<VkCommand *>(u"Fermer"_s)->isHidden();
        seen.log = m_h->printer.log;
        seen.boxes = int(m_h->messages.asked.size());
        return seen;
    }

private Q_SLOTS:
    void cleanup() { m_h.reset(); }

    void eventsFlowWhileTheRunWorks()
    {
        openDialogOnSlowPrinter();
        const RunSeen seen = printWith({});
        QVERIFY(seen.timerFiredDuringRun);
        QCOMPARE(seen.log.last(), u"enddoc"_s);
    }

    void escapeDropsTheDocumentAndKeepsTheDialog()
    {
        openDialogOnSlowPrinter();
        const RunSeen stopped = printWith([this] {
            QCoreApplication::postEvent(
                m_dialog, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        });
        QCOMPARE(stopped.log.last(), u"abort"_s);
        QVERIFY(!stopped.log.contains(u"enddoc"_s));
        QVERIFY(stopped.dialogOpenAfterRun);
        QVERIFY(stopped.fermerShownAfterRun);
        QCOMPARE(stopped.boxes, 0);

        // The next run prints the whole catalogue.
        const RunSeen again = printWith({});
        QCOMPARE(again.log.last(), u"enddoc"_s);
        QCOMPARE(again.log.count(u"abort"_s), 0);
        QVERIFY(!again.dialogOpenAfterRun);
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

    void clicksDuringTheRunReachNoHandler()
    {
        openDialogOnSlowPrinter();
        const RunSeen seen = printWith([this] {
            auto *fermer = m_dialog->findChild<VkCommand *>(u"Fermer"_s);
            // Hidden during the run; a click on its place, or on the dialog's close box, must
            // neither close the dialog nor cut the run short.
            QCoreApplication::postEvent(m_dialog, new QCloseEvent);
            QCoreApplication::postEvent(fermer,
                new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5),
                    fermer->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier));
        });
        QCOMPARE(seen.log.last(), u"enddoc"_s);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestLongOperation)
#include "tst_longoperation.moc"
