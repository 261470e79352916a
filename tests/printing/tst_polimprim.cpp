// The print dialog on a scripted printer: what each control estimates and saves, the header's
// date, the keyboard's path, the preview, the progress bars and a failing run.
#include "Harness.h"
#include "widgets/Controls.h"
#include "printing/ApercuPages.h"
#include "printing/PolImprim.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QTimer>
#include <functional>

using namespace Qt::StringLiterals;

using UserAction = std::function<void()>;
Q_DECLARE_METATYPE(UserAction)

class TestPolImprim : public QObject
{
    Q_OBJECT

    std::unique_ptr<Harness> m_h;
    PolImprim *m_dialog = nullptr;
    QList<double> m_estimatedSizes; // the sample size of each estimate since the dialog opened
    QString m_unmeasurable; // the font the printer cannot measure

    template <typename T = QWidget> T *control(const QString &name) const
    {
        return m_dialog->findChild<T *>(name);
    }
    QAbstractButton *button(const QString &name) const { return control<QAbstractButton>(name); }
    QLineEdit *field(const QString &name) const
    {
        if (auto *box = control<QComboBox>(name))
            return box->lineEdit();
        return control<QLineEdit>(name);
    }
    void openDialog()
    {
        m_estimatedSizes.clear();
        m_dialog = m_h->app->afficherImpression();
        m_dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog));
    }
    // The dialog opened on a selection, the header box left, and nothing saved or estimated
    // yet: what a row does next is all that shows.
    void openOnASelectionWithNothingSaved()
    {
        m_h->find<VbListBox>(u"Liste0"_s)->setSelected(1, true);
        QTest::mouseClick(m_h->find<VkCommand>(u"Ajoute"_s), Qt::LeftButton);
        openDialog();
        moveFocusTo(u"Espace_Pol0"_s);
        QFile::remove(m_h->iniPath());
        m_estimatedSizes.clear();
    }
    void moveFocusTo(const QString &name) { control(name)->setFocus(Qt::TabFocusReason); }
    // Over the whole field: keys for ASCII text, an input method's commit for the rest.
    void typeInto(const QString &name, const QString &text)
    {
        moveFocusTo(name);
        field(name)->selectAll();
        for (QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(field(name), char(c.unicode()));
            else
                field(name)->insert(c);
        }
    }
    // The control that has the focus, named by the program: a box's own line edit is the box.
    QString namedFocus() const
    {
        const auto qtsOwn = [](const QWidget *widget) {
            return widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_");
        };
        QWidget *widget = QApplication::focusWidget();
        while (widget && qtsOwn(widget))
            widget = widget->parentWidget();
        return widget ? widget->objectName() : QString();
    }
    QString savedSettings() const
    {
        return QString::fromLatin1(m_h->readIni()).replace(u"\r\n"_s, u"\n"_s);
    }

private Q_SLOTS:
    void init()
    {
        m_h = std::make_unique<Harness>();
        m_unmeasurable.clear();
        m_h->start({ u"Arial"_s, u"DejaVu Sans"_s, u"Liberation Mono"_s, u"Times"_s });
        // An estimate measures the header (Arial 15 bold) before anything else.
        m_h->printer.height = [this](const ScriptedPrinter::Font &font, const QString &) {
            if (font.size == 15 && font.bold)
                m_estimatedSizes.append(m_h->app->state().TaillePolice);
            return font.name == m_unmeasurable ? -1.0 : font.size * 20;
        };
    }
    void cleanup() { m_h.reset(); }

    void optionClicked_data()
    {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<int>("cell");
        QTest::newRow("Liste Complète estimates the complete list") << u"Ch_Liste0"_s << 0;
        QTest::newRow("Avec Exemple estimates with samples") << u"Option_LC1"_s << 1;
        QTest::newRow("Espacer estimates with spacing") << u"Espace_Pol1"_s << 2;
        QTest::newRow("N° estimates with numbers") << u"Avec_No1"_s << 4;
    }
    // The count shown follows every option, and so does the layout picture.
    void optionClicked()
    {
        QFETCH(QString, clicked);
        QFETCH(int, cell);
        openOnASelectionWithNothingSaved();
        button(clicked)->click();
        QCOMPARE(m_estimatedSizes.size(), 1);
        QCOMPARE(control(u"Modele"_s)->property("cell").toInt(), cell);
    }

    void choicesSaved_data()
    {
        QTest::addColumn<UserAction>("action");
        QTest::addColumn<QString>("settings");
        QTest::newRow("Date clicked saves the date and time choices")
            << UserAction([this] { button(u"Date_Heure0"_s)->click(); })
            << u"[En-Tête]\nDateImpression=1\nHeureImpression=0\n"_s;
        QTest::newRow("Escape closes the dialog and saves the header being typed") << UserAction(
            [this] {
                typeInto(u"Texte1"_s, u"Catalogue"_s);
                QTest::keyClick(field(u"Texte1"_s), Qt::Key_Escape);
            }) << u"[En-Tête]\nTexte=Catalogue\n"_s;
        QTest::newRow("a sample line picked from its list is saved with the size")
            << UserAction([this] {
                   moveFocusTo(u"Ligne_Exemple1"_s);
                   QTest::keyClick(control(u"Ligne_Exemple1"_s), Qt::Key_Down);
               })
            << u"[Textes]\n1°_Ligne= abcdefghijklmnopqrstuvwxyz 0123456789 éèçàâä\n"
               u"2°_Ligne=ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%\n[TaillePolice]\nTaille=12\n"_s;
        QTest::newRow("a sample line typed is saved when left")
            << UserAction([this] {
                   typeInto(u"Ligne_Exemple2"_s, u"Zoé"_s);
                   moveFocusTo(u"Texte1"_s);
               })
            << u"[Textes]\n1°_Ligne= Portez ce vieux whisky au juge blond qui fume\n"
               u"2°_Ligne= Zoé\n[TaillePolice]\nTaille=12\n"_s;
    }
    void choicesSaved()
    {
        QFETCH(UserAction, action);
        QFETCH(QString, settings);
        openOnASelectionWithNothingSaved();
        action();
        QCOMPARE(savedSettings(), settings);
    }

    void sizeTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<double>>("estimatedSizes"); // one estimate per key
        QTest::addColumn<QString>("savedSize");
        QTest::addColumn<QString>("message");
        QTest::newRow("3000 becomes 2048 with a message")
            << u"3000"_s << QList<double> { 3, 30, 300, 2048, 2048 } << u"2048"_s
            << u"La Taille maximum est de 2048"_s;
        QTest::newRow("a comma ends the number")
            << u"10,5"_s << QList<double> { 1, 10, 10, 10 } << u"10"_s << QString();
        QTest::newRow("a point keeps the half")
            << u"10.5"_s << QList<double> { 1, 10, 10, 10.5 } << u"10.5"_s << QString();
    }
    void sizeTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QList<double>, estimatedSizes);
        QFETCH(QString, savedSize);
        QFETCH(QString, message);
        openOnASelectionWithNothingSaved();
        typeInto(u"Taille_Police"_s, typed);
        QCOMPARE(m_estimatedSizes, estimatedSizes);
        QVERIFY(savedSettings().endsWith(u"[TaillePolice]\nTaille=%1\n"_s.arg(savedSize)));
        QCOMPARE(m_h->messages.asked.value(0).text, message);
    }

    void unmeasurableFontsGiveNoCount()
    {
        openDialog();
        m_unmeasurable = u"Arial"_s; // the header's font, measured first
        typeInto(u"Taille_Police"_s, u"14"_s);
        QCOMPARE(control<QLabel>(u"Estim_Pages"_s)->text(), u"?"_s);
    }

    // Run under LC_ALL=C.UTF-8 and LC_ALL=fr_FR.UTF-8: the month is named in the system's
    // language, the rest of the header is the program's own French. Four entries: each bar
    // stops one step short of its full width, three quarters along.
    void completedRunPrintsTheHeaderAndTellsTheBarsValue()
    {
        openDialog();
        typeInto(u"Texte1"_s, u"Catalogue"_s);
        m_dialog->setClock([] { return QDateTime(QDate(2026, 12, 5), QTime(9, 5, 7)); });
        button(u"Date_Heure0"_s)->click();
        button(u"Date_Heure1"_s)->click();
        button(u"Impression"_s)->click();
        const QString month = qgetenv("LC_ALL").startsWith("fr") ? u"décembre"_s : u"December"_s;
        QCOMPARE(m_h->printer.log.value(0),
            u"print:Arial|15|bi|Catalogue le 5 %1 2026 à 9:05:07"_s.arg(month));
        QCOMPARE(m_h->printer.log.last(), u"enddoc"_s);
        for (const QString &bar : { u"Barre"_s, u"Bar_Impr"_s }) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control(bar));
            QVERIFY2(accessible && accessible->valueInterface(), qPrintable(bar));
            QCOMPARE(accessible->valueInterface()->currentValue(), QVariant(75));
        }
    }

    void failedRun_data()
    {
        QTest::addColumn<UserAction>("fault"); // set once the dialog is open
        QTest::newRow("the header refused")
            << UserAction([this] { m_h->printer.failPrintAt = 0; });
        QTest::newRow("a sample line on the second page refused")
            << UserAction([this] { m_h->printer.failPrintAt = 9; });
        QTest::newRow("the page break refused")
            << UserAction([this] { m_h->printer.failNewPage = true; });
        QTest::newRow("the document's end refused")
            << UserAction([this] { m_h->printer.failEndDoc = true; });
        QTest::newRow("a font that cannot be measured")
            << UserAction([this] { m_unmeasurable = u"Liberation Mono"_s; });
    }
    // One message, the document dropped once, and the dialog still there to try again.
    void failedRun()
    {
        QFETCH(UserAction, fault);
        ScriptedPrinter &printer = m_h->printer;
        printer.pageHeight = 2000; // two blocks of 12-point samples under the header
        openDialog();
        button(u"Option_LC1"_s)->click();
        fault();
        button(u"Impression"_s)->click();
        QCOMPARE(m_h->messages.asked.size(), 1);
        QCOMPARE(m_h->messages.asked[0].text, u"Défaut d'impression! Corrigez et recommencez."_s);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(m_dialog->isVisible());
        QVERIFY(control(u"Fermer"_s)->isVisible());
        QCOMPARE(printer.log.count(u"abort"_s), 1);
        QCOMPARE(printer.log.last(), u"abort"_s);
        QCOMPARE(printer.pagesEnded(), 0);
    }

    void tabFollowsTheReadingOrder_data()
    {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QStringList>("stops");
        const QStringList header { u"Texte1"_s, u"Date_Heure0"_s, u"Date_Heure1"_s,
            u"Ligne_Exemple1"_s, u"Ligne_Exemple2"_s, u"Ch_Liste0"_s };
        const QStringList after { u"Taille_Police"_s, u"Espace_Pol0"_s, u"Avec_No0"_s, u"Modele"_s,
            u"Impression"_s, u"Fermer"_s, u"Texte1"_s };
        QTest::newRow("one stop per option pair, on the checked one")
            << QString() << header + QStringList { u"Option_LC0"_s } + after;
        QTest::newRow("the stop moves with the choice")
            << u"Option_LC1"_s << header + QStringList { u"Option_LC1"_s } + after;
    }
    // Options first, row by row as the eye reads them, then the picture, then the commands.
    void tabFollowsTheReadingOrder()
    {
        QFETCH(QString, clicked);
        QFETCH(QStringList, stops);
        openDialog();
        if (!clicked.isEmpty())
            button(clicked)->click();
        moveFocusTo(u"Texte1"_s);
        QStringList visited { namedFocus() };
        for (qsizetype i = 1; i < stops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(namedFocus());
        }
        QCOMPARE(visited, stops);
    }

    void altKeysPressTheirControls_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("pressed");
        QTest::newRow("Alt+D adds the date") << (Qt::ALT | Qt::Key_D) << u"Date_Heure0"_s;
        QTest::newRow("Alt+H adds the time") << (Qt::ALT | Qt::Key_H) << u"Date_Heure1"_s;
        QTest::newRow("Alt+C chooses the complete list") << (Qt::ALT | Qt::Key_C) << u"Ch_Liste0"_s;
        QTest::newRow("Alt+S chooses the selection") << (Qt::ALT | Qt::Key_S) << u"Ch_Liste1"_s;
        QTest::newRow("Alt+E chooses the samples") << (Qt::ALT | Qt::Key_E) << u"Option_LC1"_s;
        QTest::newRow("Alt+U chooses names only") << (Qt::ALT | Qt::Key_U) << u"Option_LC0"_s;
        QTest::newRow("Alt+I prints") << (Qt::ALT | Qt::Key_I) << u"Impression"_s;
        QTest::newRow("Alt+F closes the dialog") << (Qt::ALT | Qt::Key_F) << u"Fermer"_s;
    }
    // On a selection, so that every option may be chosen.
    void altKeysPressTheirControls()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, pressed);
        openOnASelectionWithNothingSaved();
        QObject listening;
        QStringList heard;
        for (QAbstractButton *b : m_dialog->findChildren<QAbstractButton *>())
            connect(b, &QAbstractButton::clicked, &listening,
                [&heard, b] { heard << b->objectName(); });
        QTest::keyClick(m_dialog, key.key(), key.keyboardModifiers());
        // A mnemonic presses its button the way a click does, once the button has shown
        // itself pressed for a moment.
        QTRY_COMPARE(heard, QStringList { pressed });
    }

    // Samples on pages of 2000 twips: two blocks under the header, the other two on page 2.
    void pageKeysTurnThePreview()
    {
        m_h->printer.pageHeight = 2000;
        m_h->printer.previewPage = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {});
        openDialog();
        button(u"Option_LC1"_s)->click();
        QList<int> shown;
        QTimer::singleShot(0, this, [&] {
            ApercuPages *apercu = m_dialog->apercu();
            QVERIFY(apercu);
            // Closed whatever this check finds, so that a failure cannot leave it waiting.
            const auto close = qScopeGuard([apercu] { apercu->reject(); });
            QTRY_VERIFY(apercu->isActiveWindow());
            QTRY_COMPARE(apercu->pageCount(), 2);
            QTest::keyClick(apercu, Qt::Key_PageDown);
            shown << apercu->currentPage();
            QTest::keyClick(apercu, Qt::Key_PageUp);
            shown << apercu->currentPage();
        });
        QTest::mouseClick(control(u"Modele"_s), Qt::LeftButton);
        QCOMPARE(shown, (QList<int> { 2, 1 }));
    }
};

QTEST_MAIN(TestPolImprim)
#include "tst_polimprim.moc"
