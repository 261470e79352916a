#include "Harness.h"
#include "widgets/Controls.h"
#include "printing/PolImprim.h"

#include <QApplication>
#include <QLabel>

using namespace Qt::StringLiterals;

using Rows = QList<int>;
enum class Move { Down, Up, Click };
Q_DECLARE_METATYPE(Move)

namespace {

QStringList entries(const VbListBox *list)
{
    QStringList out;
    for (int i = 0; i < list->ListCount(); ++i)
        out << list->List(i);
    return out;
}

} // namespace

class TestPolPpal : public QObject
{
    Q_OBJECT
    std::unique_ptr<Harness> m_h;

    VbListBox *liste(int i) const { return m_h->find<VbListBox>(u"Liste%1"_s.arg(i)); }
    QLabel *exemple(int i) const { return m_h->find<QLabel>(u"Exemple%1"_s.arg(i)); }
    void press(const QString &button)
    {
        QTest::mouseClick(m_h->find<VkCommand>(button), Qt::LeftButton);
    }
    QWidget *focused(const QString &name)
    {
        auto *control = m_h->find<QWidget>(name);
        control->setFocus(Qt::TabFocusReason);
        return control;
    }
    void highlight(int list, const Rows &rows)
    {
        liste(list)->clearSelection();
        for (int row : rows)
            liste(list)->setSelected(row, true);
    }

private Q_SLOTS:
    // Sorted: 1 Arial, 2 DejaVu Sans, 3 Liberation Mono, 4 Liberation Serif, 5 Times New Roman.
    void init()
    {
        m_h = std::make_unique<Harness>();
        m_h->start({ u"Times New Roman"_s, u"Liberation Serif"_s, u"Arial"_s, u"DejaVu Sans"_s,
            u"Liberation Mono"_s });
        m_h->ppal()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_h->ppal()));
    }
    void cleanup() { m_h.reset(); }

    // The selection holds entries 2, 3 and 5 unless the row is -1.
    void sampleFollowsTheCurrentEntry_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("row");
        QTest::addColumn<Move>("move");
        QTest::addColumn<QString>("family"); // none: the pane is left as it was
        QTest::newRow("Down shows the next entry") << 0 << 0 << Move::Down << u"DejaVu Sans"_s;
        QTest::newRow("Up on the first entry leaves the pane") << 0 << 0 << Move::Up << QString();
        QTest::newRow("Down on the last entry leaves the pane")
            << 0 << 4 << Move::Down << QString();
        QTest::newRow("a click shows the entry clicked")
            << 0 << 3 << Move::Click << u"Liberation Serif"_s;
        QTest::newRow("Down in the selection reads the selection")
            << 1 << 0 << Move::Down << u"Liberation Mono"_s;
        QTest::newRow("a click in an empty selection changes nothing")
            << 1 << -1 << Move::Click << QString();
    }

    void sampleFollowsTheCurrentEntry()
    {
        QFETCH(int, list);
        QFETCH(int, row);
        QFETCH(Move, move);
        QFETCH(QString, family);
        if (row >= 0 && list == 1) {
            highlight(0, { 1, 2, 4 });
            press(u"Ajoute"_s);
            exemple(1)->hide();
        }
        VbListBox *box = liste(list);
        liste(1 - list)->setFocus(Qt::TabFocusReason);
        box->setCurrentRow(row);
        const QString familyBefore = exemple(list)->font().family();
        if (move == Move::Click) {
            const QRect entry = row < 0 ? QRect(0, 0, 20, 20) : box->visualItemRect(box->item(row));
            QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, entry.center());
        } else {
            QTest::keyClick(box, move == Move::Up ? Qt::Key_Up : Qt::Key_Down);
        }
        const bool moved = !family.isEmpty();
        QCOMPARE(exemple(list)->font().family(), moved ? family : familyBefore);
        // A move by key shows pane 1's sample too, whichever list moved.
        QCOMPARE(exemple(1)->isVisible(), move != Move::Click && moved);
    }

    // Ajouter with entries of the complete list highlighted, then a command on the selection.
    void selection_data()
    {
        QTest::addColumn<Rows>("added");
        QTest::addColumn<QString>("thenPressed");
        QTest::addColumn<Rows>("thenHighlighted"); // in the list the command acts on
        QTest::addColumn<QStringList>("selection");
        const QString arial = u"1 Arial"_s;
        const QString mono = u"3 Liberation Mono"_s;
        QTest::newRow("Ajouter copies the highlighted entries in order")
            << Rows { 0, 2 } << QString() << Rows() << QStringList { arial, mono };
        QTest::newRow("an entry added again is listed once")
            << Rows { 0, 2 } << u"Ajoute"_s << Rows { 2 } << QStringList { arial, mono };
        QTest::newRow("Enlever removes the highlighted entries")
            << Rows { 0, 1, 2 } << u"Enleve"_s << Rows { 1 } << QStringList { arial, mono };
        QTest::newRow("Enlever of every entry empties the selection")
            << Rows { 0, 1 } << u"Enleve"_s << Rows { 0, 1 } << QStringList();
        QTest::newRow("Vider empties the selection")
            << Rows { 0, 3 } << u"Enleve_Tout"_s << Rows() << QStringList();
    }

    void selection()
    {
        QFETCH(Rows, added);
        QFETCH(QString, thenPressed);
        QFETCH(Rows, thenHighlighted);
        QFETCH(QStringList, selection);
        highlight(0, added);
        press(u"Ajoute"_s);
        const bool adding = thenPressed.isEmpty() || thenPressed == u"Ajoute";
        if (!thenPressed.isEmpty()) {
            highlight(adding ? 0 : 1, thenHighlighted);
            press(thenPressed);
        }
        QCOMPARE(entries(liste(1)), selection);
        QCOMPARE(m_h->find<VkFrame>(u"List_S"_s)->Caption(),
            u"Liste de Sélection =  %1"_s.arg(selection.size()));
        QCOMPARE(exemple(1)->isVisible(), adding);
        QCOMPARE(m_h->find<VkCommand>(u"Enleve"_s)->isVisible(), !selection.isEmpty());
        QCOMPARE(m_h->app->polImprim()->choixListe(1)->isEnabled(), !selection.isEmpty());
        if (adding) {
            // The last entry copied is highlighted alone and shown in pane 1.
            QCOMPARE(liste(1)->selectedItems(), { liste(1)->item(int(selection.size()) - 1) });
            QCOMPARE(exemple(1)->font().family(), selection.last().section(u' ', 1));
        }
    }

    // The sample follows every key; the text is saved when the box is left.
    void sampleSizeTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("size");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("messages");
        QTest::newRow("2049 is capped with a message") << u"2049"_s << 2048.0 << u"2048"_s << 1;
        QTest::newRow("letters give the smallest size and are saved as typed")
            << u"abc"_s << 1.0 << u"abc"_s << 0;
        QTest::newRow("blanks are trimmed on saving") << u" 24 "_s << 24.0 << u"24"_s << 0;
    }

    void sampleSizeTyped()
    {
        QFETCH(QString, typed);
        QFETCH(double, size);
        QFETCH(QString, saved);
        QFETCH(int, messages);
        auto *box = m_h->find<VbComboBox>(u"Taille_Exemple0"_s);
        box->setFocus(Qt::TabFocusReason);
        box->lineEdit()->clear();
        QTest::keyClicks(box, typed);
        QCOMPARE(exemple(0)->font().pointSizeF(), size);
        QCOMPARE(m_h->messages.asked.size(), messages);
        QVERIFY(!QFile::exists(m_h->iniPath()));
        focused(u"Liste0"_s);
        QCOMPARE(m_h->readIni(), "[Options]\r\nTaille_Exemple0=" + saved.toUtf8() + "\r\n");
    }

    // A double click on an entry copies it, whatever was highlighted before.
    void doubleClickAddsTheEntry()
    {
        highlight(0, { 0 });
        const QRect entry = liste(0)->visualItemRect(liste(0)->item(3));
        QTest::mouseDClick(liste(0)->viewport(), Qt::LeftButton, {}, entry.center());
        QCOMPARE(entries(liste(1)), QStringList { u"4 Liberation Serif"_s });
    }

    // Keys typed on the focused control, with entries 1 and 3 in the selection.
    void keysGiveTheCommands()
    {
        highlight(0, { 0, 2 });
        press(u"Ajoute"_s);
        QStringList pressed;
        for (VkCommand *button : m_h->ppal()->findChildren<VkCommand *>())
            connect(button, &QPushButton::clicked, this,
                [&pressed, button] { pressed << button->objectName(); });
        QTest::keyClick(focused(u"Quitter"_s), Qt::Key_Return);
        QTest::keyClick(focused(u"Enleve_Tout"_s), Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(focused(u"Liste0"_s), Qt::Key_Delete);
        QTest::keyClick(focused(u"Liste0"_s), Qt::Key_Return);
        QTest::keyClick(focused(u"Liste1"_s), Qt::Key_Delete);
        QCOMPARE(pressed.join(u' '), u"Quitter Enleve_Tout Ajoute Enleve"_s);
    }

    void windowKeysPressTheirControls_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("pressed");
        QTest::newRow("Alt+A adds the highlighted entries") << (Qt::ALT | Qt::Key_A) << u"Ajoute"_s;
        QTest::newRow("Alt+E removes the highlighted ones") << (Qt::ALT | Qt::Key_E) << u"Enleve"_s;
        QTest::newRow("Alt+V empties the selection") << (Qt::ALT | Qt::Key_V) << u"Enleve_Tout"_s;
        QTest::newRow("Alt+I opens the print dialog") << (Qt::ALT | Qt::Key_I) << u"Imprimer"_s;
        QTest::newRow("Ctrl+P opens the print dialog") << (Qt::CTRL | Qt::Key_P) << u"Imprimer"_s;
        QTest::newRow("Alt+Q asks to quit") << (Qt::ALT | Qt::Key_Q) << u"Quitter"_s;
        QTest::newRow("Ctrl+Q asks to quit") << (Qt::CTRL | Qt::Key_Q) << u"Quitter"_s;
        QTest::newRow("Alt+G ticks Gras in pane 0") << (Qt::ALT | Qt::Key_G) << u"Gras0"_s;
        QTest::newRow("Alt+R ticks Gras in pane 1") << (Qt::ALT | Qt::Key_R) << u"Gras1"_s;
        QTest::newRow("Alt+L ticks Italique in pane 0") << (Qt::ALT | Qt::Key_L) << u"Italique0"_s;
        QTest::newRow("Alt+U ticks Italique in pane 1") << (Qt::ALT | Qt::Key_U) << u"Italique1"_s;
    }
    // Typed in the complete list, with an entry in the selection so that every button shows.
    void windowKeysPressTheirControls()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, pressed);
        press(u"Ajoute"_s);
        QObject listening;
        QStringList heard;
        QString dialogShown;
        // Queued from released, which comes before the command runs: the print dialog's own
        // event loop hears it, and Fermer ends that loop.
        for (QAbstractButton *button :
            m_h->ppal()->centralWidget()->findChildren<QAbstractButton *>()) {
            const auto hear = [&, button] {
                heard << button->objectName();
                if (QWidget *dialog = QApplication::activeModalWidget()) {
                    dialogShown = dialog->objectName();
                    dialog->findChild<QAbstractButton *>(u"Fermer"_s)->click();
                }
            };
            connect(button, &QAbstractButton::released, &listening, hear, Qt::QueuedConnection);
        }
        QTest::keyClick(focused(u"Liste0"_s), key.key(), key.keyboardModifiers());
        // A mnemonic presses its control once that has shown itself pressed for a moment.
        QTRY_COMPARE(heard, QStringList { pressed });
        QCOMPARE(dialogShown, pressed == u"Imprimer" ? u"PolImprim"_s : QString());
        // A style ticked is saved at once; start-up reads the same line back.
        if (m_h->ppal()->findChild<VbCheckBox *>(pressed))
            QCOMPARE(m_h->readIni(), "[Options]\r\n" + pressed.toLatin1() + "=1\r\n");
    }
};

QTEST_MAIN(TestPolPpal)
#include "tst_polppal.moc"
