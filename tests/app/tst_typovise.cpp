#include "Harness.h"
#include "app/PolCharge.h"
#include "platform/Controls.h"
#include "printing/PolImprim.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QSet>
#include <QTimer>
#include <QWheelEvent>
#include <functional>

using namespace Qt::StringLiterals;

using UserAction = std::function<void()>;
Q_DECLARE_METATYPE(UserAction)

enum class Window { Loading, Main, Print };
Q_DECLARE_METATYPE(Window)

namespace {

QString highlightedRows(const VbListBox *list)
{
    QStringList rows;
    for (int i = 0; i < list->ListCount(); ++i) {
        if (list->Selected(i))
            rows << QString::number(i);
    }
    return rows.join(u'|');
}

// The caption a user sees: the mnemonic's '&' only underlines the letter after it.
QString visibleText(QString text)
{
    return text.replace(u"&&"_s, u"\x01"_s).remove(u'&').replace(u'\x01', u'&');
}

} // namespace

// How the program answers the keyboard, the mouse and a screen reader, across its windows.
class TestTypovise : public QObject
{
    Q_OBJECT
    std::unique_ptr<Harness> m_h;
    QStringList m_pressed;

    template <typename T = QWidget> T *control(const QString &name) const
    {
        if (T *found = m_h->ppal()->findChild<T *>(name))
            return found;
        return m_h->app->polImprim()->findChild<T *>(name);
    }
    VbListBox *liste(int i) const { return control<VbListBox>(u"Liste%1"_s.arg(i)); }
    void recordPresses(QWidget *window)
    {
        for (VkCommand *button : window->findChildren<VkCommand *>()) {
            if (button->window() != window)
                continue; // the print dialog's, recorded when it opens
            connect(button, &QPushButton::clicked, this,
                [this, button] { m_pressed << button->objectName(); });
        }
    }
    void key(const QString &name, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        control(name)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control(name), key, modifiers);
    }
    QPoint rowCentre(int list, int row) const
    {
        return liste(list)->visualItemRect(liste(list)->item(row)).center();
    }
    void click(int list, Qt::MouseButton button, QPoint at)
    {
        QTest::mouseClick(liste(list)->viewport(), button, {}, at);
    }
    void wheel(const QString &name, int steps)
    {
        QWidget *box = control(name);
        const QPointF at = QRectF(box->rect()).center();
        QWheelEvent event(at, box->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &event);
    }
    void openPrintDialog()
    {
        PolImprim *dialog = m_h->app->afficherImpression();
        recordPresses(dialog);
        dialog->activateWindow();
        // The dialog shares the activation of its main window, so ask which one the keys go to.
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
    }
    void typeHeader(const QString &text)
    {
        auto *header = control<QLineEdit>(u"Texte1"_s);
        header->setFocus(Qt::TabFocusReason);
        header->selectAll();
        QTest::keyClicks(header, text);
    }
    void openAndCloseDropDown()
    {
        auto *box = control<QComboBox>(u"Taille_Exemple0"_s);
        key(box->objectName(), Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(box->view()->isVisible());
        QTest::keyClick(box->view(), Qt::Key_Escape);
        QTRY_VERIFY(!box->view()->isVisible());
    }
    // The print command opens the modal dialog and waits for it: closed as soon as it is up.
    void pressClosingTheDialog(const QString &name, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QTimer::singleShot(0, this, [] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        this->key(name, key, modifiers);
    }
    QWidget *window(Window which) const
    {
        switch (which) {
        case Window::Loading:
            return m_h->app->polCharge();
        case Window::Main:
            return m_h->ppal();
        case Window::Print:
            return m_h->app->polImprim();
        }
        return nullptr;
    }

private Q_SLOTS:
    // Five fonts; rows 0 and 2 in the selection; rows 1 and 3 of the complete list
    // highlighted; the size boxes at their "18".
    void init()
    {
        m_h = std::make_unique<Harness>();
        m_h->start({ u"Arial"_s, u"DejaVu Sans"_s, u"Liberation Mono"_s, u"Liberation Serif"_s,
            u"Times New Roman"_s });
        m_h->ppal()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_h->ppal()));
        for (int row : { 0, 2 })
            liste(0)->setSelected(row, true);
        control<VkCommand>(u"Ajoute"_s)->click();
        liste(0)->clearSelection();
        for (int row : { 1, 3 })
            liste(0)->setSelected(row, true);
        m_pressed.clear();
        recordPresses(m_h->ppal());
        m_h->messages.answers << MessageBoxes::No;
    }
    void cleanup() { m_h.reset(); }

    void keyAndMouse_data()
    {
        QTest::addColumn<UserAction>("action");
        QTest::addColumn<QStringList>("pressed");
        QTest::addColumn<QString>("highlighted");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QByteArray>("settings");
        const QString rows = u"1|3"_s;
        const QString size = u"18"_s;
        QTest::newRow("Return presses the focused button")
            << UserAction([this] { key(u"Quitter"_s, Qt::Key_Return); })
            << QStringList { u"Quitter"_s } << rows << size << QByteArray();
        QTest::newRow("keypad Enter presses the focused button")
            << UserAction([this] { key(u"Enleve_Tout"_s, Qt::Key_Enter, Qt::KeypadModifier); })
            << QStringList { u"Enleve_Tout"_s } << rows << size << QByteArray();
        QTest::newRow("Space presses the focused button")
            << UserAction([this] { key(u"Ajoute"_s, Qt::Key_Space); })
            << QStringList { u"Ajoute"_s } << rows << size << QByteArray();
        QTest::newRow("Return in the complete list is Ajouter")
            << UserAction([this] { key(u"Liste0"_s, Qt::Key_Return); })
            << QStringList { u"Ajoute"_s } << rows << size << QByteArray();
        QTest::newRow("a double click on an entry is Ajouter for it") << UserAction([this] {
            QTest::mouseDClick(liste(0)->viewport(), Qt::LeftButton, {}, rowCentre(0, 4));
        }) << QStringList { u"Ajoute"_s } << u"4"_s << size << QByteArray();
        QTest::newRow("Delete in the selection is Enlever")
            << UserAction([this] { key(u"Liste1"_s, Qt::Key_Delete); })
            << QStringList { u"Enleve"_s } << rows << size << QByteArray();
        QTest::newRow("Delete in the complete list does nothing")
            << UserAction([this] { key(u"Liste0"_s, Qt::Key_Delete); }) << QStringList() << rows
            << size << QByteArray();
        QTest::newRow("a right click on an entry keeps the highlights")
            << UserAction([this] { click(0, Qt::RightButton, rowCentre(0, 0)); }) << QStringList()
            << rows << size << QByteArray();
        QTest::newRow("a middle click on an entry keeps the highlights")
            << UserAction([this] { click(0, Qt::MiddleButton, rowCentre(0, 2)); }) << QStringList()
            << rows << size << QByteArray();
        QTest::newRow("a left click below the entries keeps the highlights") << UserAction([this] {
            click(0, Qt::LeftButton, QPoint(10, liste(0)->viewport()->height() - 4));
        }) << QStringList() << rows << size << QByteArray();
        QTest::newRow("a left click on an entry highlights it alone")
            << UserAction([this] { click(0, Qt::LeftButton, rowCentre(0, 0)); }) << QStringList()
            << u"0"_s << size << QByteArray();
        QTest::newRow("Down in a size box from 18 gives 20")
            << UserAction([this] { key(u"Taille_Exemple0"_s, Qt::Key_Down); }) << QStringList()
            << rows << u"20"_s << QByteArray();
        QTest::newRow("Up in a size box from 18 gives 16")
            << UserAction([this] { key(u"Taille_Exemple0"_s, Qt::Key_Up); }) << QStringList()
            << rows << u"16"_s << QByteArray();
        QTest::newRow("the wheel turned down over a size box from 18 gives 20")
            << UserAction([this] { wheel(u"Taille_Exemple0"_s, -1); }) << QStringList() << rows
            << u"20"_s << QByteArray();
        QTest::newRow("the size box's drop-down opened and closed saves nothing") << UserAction(
            [this] { openAndCloseDropDown(); }) << QStringList() << rows << size << QByteArray();
        QTest::newRow("Ctrl+P is Imprimer...") << UserAction([this] {
            pressClosingTheDialog(u"Liste0"_s, Qt::Key_P, Qt::ControlModifier);
        }) << QStringList { u"Imprimer"_s } << rows
                                               << size << QByteArray();
        QTest::newRow("Ctrl+Q is Quitter")
            << UserAction([this] { key(u"Liste0"_s, Qt::Key_Q, Qt::ControlModifier); })
            << QStringList { u"Quitter"_s } << rows << size << QByteArray();
        QTest::newRow("Alt+A is Ajouter")
            << UserAction([this] { key(u"Liste0"_s, Qt::Key_A, Qt::AltModifier); })
            << QStringList { u"Ajoute"_s } << rows << size << QByteArray();
        const QByteArray typedHeader = "[En-T\xEAte]\r\nTexte=Catalogue\r\n"_ba;
        QTest::newRow("Escape closes the print dialog and saves the header being typed")
            << UserAction([this] {
                   openPrintDialog();
                   typeHeader(u"Catalogue"_s);
                   QTest::keyClick(control(u"Texte1"_s), Qt::Key_Escape);
               })
            << QStringList() << rows << size << typedHeader;
        QTest::newRow("the print dialog's close box saves the header being typed") << UserAction(
            [this] {
                openPrintDialog();
                typeHeader(u"Catalogue"_s);
                m_h->app->polImprim()->close();
            }) << QStringList() << rows << size << typedHeader;
        QTest::newRow("Return on Fermer closes the print dialog") << UserAction([this] {
            openPrintDialog();
            typeHeader(u"Catalogue"_s);
            key(u"Fermer"_s, Qt::Key_Return);
        }) << QStringList { u"Fermer"_s } << rows << size << typedHeader;
    }

    void keyAndMouse()
    {
        QFETCH(UserAction, action);
        QFETCH(QStringList, pressed);
        QFETCH(QString, highlighted);
        QFETCH(QString, size);
        QFETCH(QByteArray, settings);
        action();
        QTRY_COMPARE(m_pressed, pressed);
        QCOMPARE(highlightedRows(liste(0)), highlighted);
        QCOMPARE(control<VbComboBox>(u"Taille_Exemple0"_s)->Text(), size);
        QCOMPARE(m_h->readIni(), settings);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The keyboard starts in the complete list, whose focus handler then shows its sample.
    void completeListHasTheFocusAtStart()
    {
        m_h = std::make_unique<Harness>();
        m_h->start({ u"Arial"_s, u"Times New Roman"_s });
        auto *pane = control<VkFrame>(u"Cadre_Exemple0"_s);
        const QString shown = pane->Caption();
        pane->setCaption(u"pas encore"_s);
        m_h->ppal()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_h->ppal()));
        QCOMPARE(QApplication::focusWidget(), liste(0));
        QCOMPARE(pane->Caption(), shown);
    }

    void accessibleNames_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("caption");
        QTest::newRow("the complete list")
            << Window::Main << u"Liste0"_s << u"Liste complète"_s << QAccessible::List << QString();
        QTest::newRow("the selection list")
            << Window::Main << u"Liste1"_s << u"Liste de sélection"_s << QAccessible::List
            << QString();
        QTest::newRow("pane 0's size box, by its pane, not its value")
            << Window::Main << u"Taille_Exemple0"_s << u"Taille de l'exemple, liste complète"_s
            << QAccessible::ComboBox << QString();
        QTest::newRow("pane 1's size box")
            << Window::Main << u"Taille_Exemple1"_s << u"Taille de l'exemple, sélection"_s
            << QAccessible::ComboBox << QString();
        QTest::newRow("pane 1's Gras") << Window::Main << u"Gras1"_s << u"Gras, sélection"_s
                                       << QAccessible::CheckBox << u"Gras"_s;
        QTest::newRow("pane 0's Italique, caption with its leading blank")
            << Window::Main << u"Italique0"_s << u"Italique, liste complète"_s
            << QAccessible::CheckBox << u" Italique"_s;
        QTest::newRow("Ajouter said in words, caption unchanged")
            << Window::Main << u"Ajoute"_s << u"Ajouter à la sélection"_s << QAccessible::Button
            << u"Ajouter    >>>"_s;
        QTest::newRow("Quitter without its mnemonic")
            << Window::Main << u"Quitter"_s << u"Quitter"_s << QAccessible::Button << u"Quitter"_s;
        QTest::newRow("the first sample line box")
            << Window::Print << u"Ligne_Exemple1"_s << u"1° ligne"_s << QAccessible::ComboBox
            << QString();
        QTest::newRow("the second sample line box")
            << Window::Print << u"Ligne_Exemple2"_s << u"2° ligne"_s << QAccessible::ComboBox
            << QString();
        QTest::newRow("OUI of the spacing")
            << Window::Print << u"Espace_Pol1"_s << u"Espacer les polices, OUI"_s
            << QAccessible::RadioButton << u"OUI"_s;
        QTest::newRow("the estimate's progress bar")
            << Window::Print << u"Barre"_s << u"Barre d'avancement de recalcul"_s
            << QAccessible::ProgressBar << QString();
        QTest::newRow("the printing's progress bar")
            << Window::Print << u"Bar_Impr"_s << u"Progression de l'impression"_s
            << QAccessible::ProgressBar << QString();
        QTest::newRow("Liste Sélection keeps its caption")
            << Window::Print << u"Ch_Liste1"_s << u"Liste Sélection"_s << QAccessible::RadioButton
            << u"Liste Sélection"_s;
        QTest::newRow("the loading window's counter")
            << Window::Loading << u"NbrePolices"_s << u"000"_s << QAccessible::StaticText
            << QString();
    }

    void accessibleNames()
    {
        QFETCH(Window, window);
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, caption);
        QWidget *widget = this->window(window)->findChild<QWidget *>(control);
        QVERIFY(widget);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), name);
        QCOMPARE(accessible->role(), role);
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            QCOMPARE(visibleText(button->text()), caption);
    }

    // Every control of the three windows has a name, and no two of a window read the same.
    void everyControlIsToldApart_data()
    {
        QTest::addColumn<Window>("window");
        QTest::newRow("the loading window") << Window::Loading;
        QTest::newRow("the main window") << Window::Main;
        QTest::newRow("the print dialog") << Window::Print;
    }

    void everyControlIsToldApart()
    {
        QFETCH(Window, window);
        QSet<QString> heard;
        for (QWidget *widget : this->window(window)->findChildren<QWidget *>()) {
            if (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"_s)
                || widget->window() != this->window(window))
                continue;
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(accessible);
            const QString said = accessible->text(QAccessible::Name) + u" / "_s
                + accessible->text(QAccessible::Description);
            QVERIFY2(
                !accessible->text(QAccessible::Name).isEmpty(), qPrintable(widget->objectName()));
            QVERIFY2(!heard.contains(said), qPrintable(widget->objectName() + u": "_s + said));
            heard << said;
        }
    }

    // The estimate's bar tells how far the estimate went.
    void progressBarValue()
    {
        openPrintDialog();
        auto *bar = control<VbBar>(u"Barre"_s);
        bar->resize(bar->fullWidth() / 4, bar->height());
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(bar);
        QVERIFY(accessible && accessible->valueInterface());
        QCOMPARE(accessible->valueInterface()->currentValue().toInt(), 25);
        QCOMPARE(accessible->valueInterface()->maximumValue().toInt(), 100);
        QCOMPARE(accessible->text(QAccessible::Value), u"25 %"_s);
    }
};

QTEST_MAIN(TestTypovise)
#include "tst_typovise.moc"
