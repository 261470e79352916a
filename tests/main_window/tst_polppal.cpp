#include "Harness.h"
#include "app/Settings.h"
#include "platform/Controls.h"
#include "printing/PolImprim.h"

#include <QClipboard>
#include <QFontInfo>
#include <QLabel>

namespace {

// The entries of a list, or the numbers of those highlighted, joined by "|".
QString rows(const VbListBox *list, bool highlighted = false)
{
    QStringList out;
    for (int i = 0; i < list->ListCount(); ++i)
        if (!highlighted || list->Selected(i))
            out << (highlighted ? QString::number(i) : list->List(i));
    return out.join(u'|');
}

void clickRow(VbListBox *list, int row, Qt::KeyboardModifiers keys = {})
{
    const QRect at = row < 0 ? QRect(0, 0, 20, 20) : list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, at.center());
}

// Sorted: Arial, DejaVu Sans, Liberation Mono, Liberation Serif, Times New Roman.
const QStringList kFonts { u"Times New Roman"_qs, u"Liberation Serif"_qs, u"Arial"_qs,
    u"DejaVu Sans"_qs, u"Liberation Mono"_qs };

} // namespace

class TestPolPpal : public QObject
{
    Q_OBJECT
    std::unique_ptr<Harness> m_h;

    VbListBox *liste(int i) const { return m_h->find<VbListBox>(u"Liste%1"_qs.arg(i)); }
    QLabel *exemple(int i) const { return m_h->find<QLabel>(u"Exemple%1"_qs.arg(i)); }
    QString title(int i) const
    {
        return m_h->find<VkFrame>(u"Cadre_Exemple%1"_qs.arg(i))->Caption();
    }
    void click(const QString &name)
    {
        QTest::mouseClick(m_h->find<VkCommand>(name), Qt::LeftButton);
    }
    void highlight(int list, const QList<int> &rows)
    {
        liste(list)->clearSelection();
        for (int row : rows)
            liste(list)->setSelected(row, true);
    }
    void ajouter(const QList<int> &rows) { highlight(0, rows), click(u"Ajoute"_qs); }
    QByteArray ini() const { return m_h->readIni(); }

private Q_SLOTS:
    void init()
    {
        m_h = std::make_unique<Harness>();
        m_h->start(kFonts);
        QVERIFY(QTest::qWaitForWindowExposed(m_h->ppal()));
    }
    void cleanup() { m_h.reset(); }

    // "list from action" in list 0 or in a selection of rows 1, 2, 4 (none: from -1): the
    // family then shown, none when the pane must not move.
    void sampleDisplay_data()
    {
        QTest::addColumn<QString>("shown");
        for (const char *row :
            { "0 0 Down:DejaVu Sans", "0 0 Up:", "0 4 Down:", "0 4 Up:Liberation Serif",
                "0 3 click:Liberation Serif", "0 2 focus:Liberation Mono",
                "1 0 Down:Liberation Mono", "1 0 Up:", "1 2 Down:", "1 2 Up:Liberation Mono",
                "1 2 click:Times New Roman", "1 0 focus:DejaVu Sans", "1 -1 click:", "1 -1 Down:" })
            QTest::newRow(QByteArray(row).split(':')[0])
                << QString::fromLatin1(row).section(u':', 1);
    }

    void sampleDisplay()
    {
        QFETCH(QString, shown);
        const QStringList tag = QString::fromLatin1(QTest::currentDataTag()).split(u' ');
        const int list = tag[0].toInt(), from = tag[1].toInt();
        const QString action = tag[2];
        if (list == 1 && from >= 0) // Enlever with nothing highlighted hides pane 1
            ajouter({ 1, 2, 4 }), highlight(1, {}), click(u"Enleve"_qs);
        VbListBox *box = liste(list);
        liste(1 - list)->setFocus(Qt::TabFocusReason);
        box->setCurrentRow(from);
        exemple(list)->setText(u"autre"_qs);
        const QString before = title(list), other = title(1 - list);
        const QString family = exemple(list)->font().family();
        if (action == u"click")
            clickRow(box, from);
        else if (action == u"focus")
            box->setFocus(Qt::TabFocusReason);
        else
            QTest::keyClick(box, action == u"Up" ? Qt::Key_Up : Qt::Key_Down);
        QCOMPARE(exemple(list)->font().family(), shown.isEmpty() ? family : shown);
        QCOMPARE(title(list), shown.isEmpty() ? before : QFontInfo(QFont(shown)).family());
        QCOMPARE(
            exemple(list)->text(), shown.isEmpty() ? u"autre"_qs : m_h->app->state().TexteExemple);
        if (action == u"Down" || action == u"Up") {
            // A move in list 0 shows pane 1's label too, under the title "Sélection".
            QCOMPARE(exemple(1)->isVisible(), !shown.isEmpty());
            QCOMPARE(title(1 - list), list == 0 && !shown.isEmpty() ? u"Sélection"_qs : other);
        }
    }

    // Steps: "A" Ajouter with those rows of list 0 highlighted, "E" Enlever with those of the
    // selection, "V" Vider; then the selection's entries and pane 1's family (none: hidden).
    void ajouterEnlever_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("pane1");
        QTest::newRow("A0,2,4") << u"1 Arial|3 Liberation Mono|5 Times New Roman"_qs
                                << u"Times New Roman"_qs;
        QTest::newRow("A1,3 A3") << u"2 DejaVu Sans|4 Liberation Serif"_qs
                                 << u"Liberation Serif"_qs;
        QTest::newRow("A0 A0,1") << u"1 Arial|2 DejaVu Sans"_qs << u"DejaVu Sans"_qs;
        QTest::newRow("A") << QString() << QString(); // nothing highlighted
        QTest::newRow("A0,1,2,3 E1,3") << u"1 Arial|3 Liberation Mono"_qs << QString();
        QTest::newRow("A0,1 E") << u"1 Arial|2 DejaVu Sans"_qs << QString();
        QTest::newRow("A0,1 E0,1") << QString() << QString();
        QTest::newRow("A0,3 V") << QString() << QString();
    }

    void ajouterEnlever()
    {
        QFETCH(QString, left);
        QFETCH(QString, pane1);
        QString titleBefore, command;
        for (const QString &step : QString::fromLatin1(QTest::currentDataTag()).split(u' ')) {
            QList<int> rows;
            for (const QString &row : step.mid(1).split(u',', Qt::SkipEmptyParts))
                rows << row.toInt();
            titleBefore = title(1);
            command = step[0] == u'A' ? QString()
                : step[0] == u'E'     ? u"Enleve"_qs
                                      : u"Enleve_Tout"_qs;
            highlight(command.isEmpty() ? 0 : 1, rows);
            click(command.isEmpty() ? u"Ajoute"_qs : command);
        }
        const int count = left.isEmpty() ? 0 : int(left.count(u'|')) + 1;
        QCOMPARE(rows(liste(1)), left);
        QCOMPARE(
            m_h->find<VkFrame>(u"List_S"_qs)->Caption(), u"Liste de Sélection =  %1"_qs.arg(count));
        QCOMPARE(exemple(1)->isVisible(), command.isEmpty());
        if (!pane1.isEmpty()) {
            QCOMPARE(exemple(1)->font().family(), pane1);
            QCOMPARE(title(1), QFontInfo(QFont(pane1)).family());
            QCOMPARE(rows(liste(1), true), QString::number(count - 1));
        } else if (!command.isEmpty()) {
            QCOMPARE(title(1), command == u"Enleve" ? QString() : titleBefore);
        }
        const bool shown = command.isEmpty() || count;
        QCOMPARE(m_h->find<VkCommand>(u"Enleve"_qs)->isVisible(), shown);
        QCOMPARE(m_h->find<VkCommand>(u"Enleve_Tout"_qs)->isVisible(), shown);
        QCOMPARE(m_h->app->polImprim()->choixListe(1)->isEnabled(), shown);
    }

    // Typed key by key, pasted whole, or "↓" to pick "72": the sizes shown, what is saved.
    void sizeTypedKeyByKey_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sizes");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("messages");
        auto row = [](const char *name, const QString &typed, const char *sizes,
                       const QString &saved, int messages = 0) {
            QTest::newRow(name) << typed << QString::fromLatin1(sizes) << saved << messages;
        };
        row("30", u"30"_qs, "3 30", u"30"_qs);
        row("2048", u"2048"_qs, "2 20 204 2048", u"2048"_qs);
        row("2049", u"2049"_qs, "2 20 204 2048", u"2048"_qs, 1);
        // The fifth key lands after the "2048" that the cap put in, and is capped again.
        row("30000", u"30000"_qs, "3 30 300 2048 2048", u"2048"_qs, 2);
        row("1 2", u"1 2"_qs, "1 1 12", u"1 2"_qs);
        row("12,5", u"12,5"_qs, "1 12 12 12", u"12,5"_qs);
        row("10.5", u"10.5"_qs, "1 10 10 10.5", u"10.5"_qs);
        row("abc saved raw", u"abc"_qs, "1 1 1", u"abc"_qs);
        row("trimmed on save", u" 24 "_qs, "1 2 24 24", u"24"_qs);
        row("picking 72", u"↓"_qs, "72", u"72"_qs);
        const QString letters(1 << 20, u'a'), controls = u"2\u0001\u0000\u001b[0m"_qs;
        row("paste 1 MB of digits", QString(1 << 20, u'9'), "2048", u"2048"_qs, 1);
        row("paste 1 MB of letters", letters, "1", letters.left(32767)); // a line edit's limit
        row("paste control characters", controls, "2", controls);
        row("paste a lone surrogate", u"3"_qs + QChar(0xD800), "3", u"3\uFFFD"_qs);
        row("paste right-to-left", u"\u202E24"_qs, "1", u"\u202E24"_qs);
    }

    void sizeTypedKeyByKey()
    {
        QFETCH(QString, typed);
        QFETCH(QString, sizes);
        QFETCH(QString, saved);
        QFETCH(int, messages);
        auto *box = m_h->find<VbComboBox>(u"Taille_Exemple0"_qs);
        box->setFocus(Qt::TabFocusReason);
        box->lineEdit()->clear();
        QStringList seen;
        if (QByteArray(QTest::currentDataTag()).startsWith("paste")) {
            QGuiApplication::clipboard()->setText(typed);
            QTest::keySequence(box, QKeySequence::Paste);
            seen << QString::number(exemple(0)->font().pointSizeF());
        }
        for (QChar c : seen.isEmpty() ? typed : QString()) {
            if (c == u'↓')
                box->setCurrentIndex(box->findText(u"72"_qs) - 1),
                    QTest::keyClick(box, Qt::Key_Down);
            else
                QTest::keyClick(box, c.toLatin1());
            seen << QString::number(exemple(0)->font().pointSizeF());
        }
        QCOMPARE(seen.join(u' '), sizes);
        QCOMPARE(box->Text(), messages || typed == u"↓" ? saved : typed.left(32767));
        QCOMPARE(m_h->messages.asked.size(), messages);
        QCOMPARE(exemple(1)->font().pointSizeF(), 18.0);
        QVERIFY(!QFile::exists(m_h->iniPath()));
        liste(0)->setFocus(Qt::TabFocusReason);
        QCOMPARE(ini(), "[Options]\r\nTaille_Exemple0=" + saved.toUtf8() + "\r\n");
        QCOMPARE(Settings::readText(m_h->iniPath(), Settings::kOptions, u"Taille_Exemple0"_qs),
            saved.left(254));
    }

    // Clicks with Shift and Ctrl, keys, pane 1's options, a typed size, then a restart.
    void userSession()
    {
        m_h->ppal()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_h->ppal()));
        VbListBox *complete = liste(0), *selection = liste(1);
        clickRow(complete, 1);
        clickRow(complete, 3, Qt::ShiftModifier);
        QCOMPARE(rows(complete, true), u"1|2|3"_qs);
        clickRow(complete, 0, Qt::ControlModifier);
        clickRow(complete, 2, Qt::ControlModifier);
        click(u"Ajoute"_qs);
        QCOMPARE(rows(selection), u"1 Arial|2 DejaVu Sans|4 Liberation Serif"_qs);
        clickRow(selection, 0);
        QTest::keyClick(selection, Qt::Key_Down);
        QCOMPARE(exemple(1)->font().family(), u"DejaVu Sans"_qs);

        auto tick = [this](const char *name) {
            auto *box = m_h->find<VbCheckBox>(QLatin1String(name));
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        };
        tick("Gras1");
        QVERIFY(exemple(1)->font().bold() && !exemple(0)->font().bold());
        QCOMPARE(ini(), "[Options]\r\nGras1=1\r\n");
        tick("Italique1");
        tick("Gras1");
        QVERIFY(exemple(1)->font().italic() && !exemple(1)->font().bold()
            && !exemple(0)->font().italic());
        QCOMPARE(ini(), "[Options]\r\nGras1=0\r\nItalique1=1\r\n");
        auto *taille1 = m_h->find<VbComboBox>(u"Taille_Exemple1"_qs);
        QTest::mouseDClick(taille1->lineEdit(), Qt::LeftButton);
        QTest::keyClicks(taille1, u"36"_qs);
        QCOMPARE(exemple(1)->font().pointSizeF(), 36.0);
        QCOMPARE(exemple(0)->font().pointSizeF(), 18.0);
        clickRow(complete, 4);
        QCOMPARE(ini(), "[Options]\r\nGras1=0\r\nItalique1=1\r\nTaille_Exemple1=36\r\n");

        m_h->restart();
        QCOMPARE(exemple(1)->font().pointSizeF(), 36.0); // all restored from the file
        QVERIFY(exemple(1)->font().italic() && !exemple(1)->font().bold()
            && !exemple(0)->font().italic());
        tick("Italique1");
        QVERIFY(!exemple(1)->font().italic());
        QCOMPARE(ini(), "[Options]\r\nGras1=0\r\nItalique1=0\r\nTaille_Exemple1=36\r\n");
    }
};

QTEST_MAIN(TestPolPpal)
#include "tst_polppal.moc"
