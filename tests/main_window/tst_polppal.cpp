#include "Harness.h"
#include "platform/Controls.h"
#include "printing/PolImprim.h"

#include <QClipboard>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>

namespace {

QStringList entries(const VbListBox *list)
{
    QStringList texts;
    for (int i = 0; i < list->ListCount(); ++i)
        texts.append(list->List(i));
    return texts;
}

QList<int> highlighted(const VbListBox *list)
{
    QList<int> rows;
    for (int i = 0; i < list->ListCount(); ++i) {
        if (list->Selected(i))
            rows.append(i);
    }
    return rows;
}

} // namespace

class TestPolPpal : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void arrowKeys_data();
    void arrowKeys();
    void clickAndFocusShowTheEntry();
    void emptySelectionShowsNothing();
    void cutByTheLengthOfTheCount_data();
    void cutByTheLengthOfTheCount();

    void ajoute_data();
    void ajoute();
    void ajouteWithNothingHighlighted();
    void ajouteWhileTheSelectionIsCurrent();
    void enleve_data();
    void enleve();

    void sizeTypedKeyByKey_data();
    void sizeTypedKeyByKey();
    void sizePickedFromTheList();
    void userSession();

private:
    VbListBox *liste(int i) const { return m_h->find<VbListBox>(u"Liste%1"_qs.arg(i)); }
    QLabel *exemple(int i) const { return m_h->find<QLabel>(u"Exemple%1"_qs.arg(i)); }
    VkFrame *cadre(int i) const { return m_h->find<VkFrame>(u"Cadre_Exemple%1"_qs.arg(i)); }
    VkCommand *button(const QString &name) const { return m_h->find<VkCommand>(name); }
    QString selectionCaption() const { return m_h->find<VkFrame>(u"List_S"_qs)->Caption(); }
    bool selectionChoice() const { return m_h->app->polImprim()->choixListe(1)->isEnabled(); }
    void highlight(int list, const QList<int> &rows);
    void click(const QString &name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void ajouter(const QList<int> &rows)
    {
        highlight(0, rows);
        click(u"Ajoute"_qs);
    }

    std::unique_ptr<Harness> m_h;
};

// Real font families, so that the sample labels can take them; sorted they read
// Arial, DejaVu Sans, Liberation Mono, Liberation Serif, Times New Roman.
const QStringList kFonts { u"Times New Roman"_qs, u"Liberation Serif"_qs, u"Arial"_qs,
    u"DejaVu Sans"_qs, u"Liberation Mono"_qs };

void TestPolPpal::init()
{
    m_h = std::make_unique<Harness>();
    m_h->start(kFonts);
    QVERIFY(QTest::qWaitForWindowExposed(m_h->ppal()));
}

void TestPolPpal::cleanup()
{
    m_h.reset();
}

void TestPolPpal::highlight(int list, const QList<int> &rows)
{
    VbListBox *box = liste(list);
    box->clearSelection();
    for (int row : rows)
        box->setSelected(row, true);
}

void TestPolPpal::arrowKeys_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown"); // requested family, empty when the pane must not change
    QTest::newRow("down on the first") << 0 << 0 << int(Qt::Key_Down) << u"DejaVu Sans"_qs;
    QTest::newRow("up on the first") << 0 << 0 << int(Qt::Key_Up) << QString();
    QTest::newRow("down on the last") << 0 << 4 << int(Qt::Key_Down) << QString();
    QTest::newRow("up on the last") << 0 << 4 << int(Qt::Key_Up) << u"Liberation Serif"_qs;
    QTest::newRow("page down leaves the pane") << 0 << 0 << int(Qt::Key_PageDown) << QString();
    // The selection holds DejaVu Sans, Liberation Mono and Times New Roman.
    QTest::newRow("selection, down on the first")
        << 1 << 0 << int(Qt::Key_Down) << u"Liberation Mono"_qs;
    QTest::newRow("selection, up on the first") << 1 << 0 << int(Qt::Key_Up) << QString();
    QTest::newRow("selection, down on the last") << 1 << 2 << int(Qt::Key_Down) << QString();
    QTest::newRow("selection, up on the last")
        << 1 << 2 << int(Qt::Key_Up) << u"Liberation Mono"_qs;
    QTest::newRow("selection, end leaves the pane") << 1 << 0 << int(Qt::Key_End) << QString();
}

void TestPolPpal::arrowKeys()
{
    QFETCH(int, list);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(QString, shown);
    if (list == 1) {
        ajouter({ 1, 2, 4 });
        // "Enlever   <<<" with nothing highlighted hides pane 1's sample and clears its title.
        highlight(1, {});
        click(u"Enleve"_qs);
        QVERIFY(!exemple(1)->isVisible());
    }
    const QString otherTitle = cadre(1 - list)->Caption();
    const QString titleBefore = cadre(list)->Caption();
    const QString familyBefore = exemple(list)->font().family();
    VbListBox *box = liste(list);
    box->setCurrentRow(from);
    exemple(list)->setText(u"autre chose"_qs);
    QTest::keyClick(box, Qt::Key(key));
    // Each display puts the sample text back.
    QCOMPARE(exemple(list)->text(),
        shown.isEmpty() ? u"autre chose"_qs : m_h->app->state().TexteExemple);
    if (shown.isEmpty()) {
        QCOMPARE(cadre(list)->Caption(), titleBefore);
        QCOMPARE(exemple(list)->font().family(), familyBefore);
    } else {
        QCOMPARE(exemple(list)->font().family(), shown);
        QCOMPARE(cadre(list)->Caption(), QFontInfo(QFont(shown)).family());
        QCOMPARE(m_h->app->state().ListeCourante, list);
    }
    // A move in the complete list shows pane 1's label too, under the title "Sélection".
    QCOMPARE(exemple(1)->isVisible(), !shown.isEmpty());
    QCOMPARE(
        cadre(1 - list)->Caption(), list == 0 && !shown.isEmpty() ? u"Sélection"_qs : otherTitle);
}

void TestPolPpal::clickAndFocusShowTheEntry()
{
    VbListBox *complete = liste(0);
    QTest::mouseClick(complete->viewport(), Qt::LeftButton, {},
        complete->visualItemRect(complete->item(3)).center());
    QCOMPARE(exemple(0)->font().family(), u"Liberation Serif"_qs);
    QCOMPARE(m_h->app->state().ListeCourante, 0);

    ajouter({ 1, 2 });
    VbListBox *selection = liste(1);
    selection->setCurrentRow(0);
    selection->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_h->app->state().ListeCourante, 1);
    QCOMPARE(exemple(1)->font().family(), u"DejaVu Sans"_qs);
    QTest::mouseClick(selection->viewport(), Qt::LeftButton, {},
        selection->visualItemRect(selection->item(1)).center());
    QCOMPARE(exemple(1)->font().family(), u"Liberation Mono"_qs);
    // Back in the complete list, pane 0 catches up with the entry the highlight moved to.
    QCOMPARE(exemple(0)->font().family(), u"Liberation Serif"_qs);
    complete->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_h->app->state().ListeCourante, 0);
    QCOMPARE(exemple(0)->font().family(), u"Liberation Mono"_qs);
}

void TestPolPpal::emptySelectionShowsNothing()
{
    VbListBox *selection = liste(1);
    const QString title = cadre(1)->Caption();
    selection->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(selection->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyClick(selection, Qt::Key_Down);
    QCOMPARE(cadre(1)->Caption(), title);
    QVERIFY(!exemple(1)->isVisible());
}

void TestPolPpal::cutByTheLengthOfTheCount_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("523 fonts") << 523;
    QTest::newRow("1000 fonts") << 1000;
}

void TestPolPpal::cutByTheLengthOfTheCount()
{
    QFETCH(int, count);
    QStringList fonts;
    for (int k = 0; k < count - 1; ++k)
        fonts.append(u"Z%1"_qs.arg(k, 4, 10, QChar(u'0')));
    fonts.append(u"Arial"_qs);
    m_h->app.reset();
    m_h->start(fonts);
    // A three-digit entry: with 523 fonts the cut drops the number field, with 1000 it drops
    // the blank too; both leave the name once trimmed.
    VbListBox *complete = liste(0);
    complete->setList(1, u"007 Arial"_qs);
    complete->setCurrentRow(0);
    QTest::keyClick(complete, Qt::Key_Down);
    QCOMPARE(m_h->app->state().NomPolice, u"Arial"_qs);
    QCOMPARE(exemple(0)->font().family(), u"Arial"_qs);
    QCOMPARE(m_h->find<QLabel>(u"NbrePol"_qs)->text(), QString::number(count));
}

void TestPolPpal::ajoute_data()
{
    QTest::addColumn<QList<int>>("first");
    QTest::addColumn<QList<int>>("second");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("pane1");
    QTest::newRow("several") << QList<int> { 0, 2, 4 } << QList<int> {}
                             << QStringList { u"1 Arial"_qs, u"3 Liberation Mono"_qs,
                                    u"5 Times New Roman"_qs }
                             << u"Times New Roman"_qs;
    QTest::newRow("already present")
        << QList<int> { 1, 3 } << QList<int> { 3 }
        << QStringList { u"2 DejaVu Sans"_qs, u"4 Liberation Serif"_qs } << u"Liberation Serif"_qs;
    QTest::newRow("overlap") << QList<int> { 0 } << QList<int> { 0, 1 }
                             << QStringList { u"1 Arial"_qs, u"2 DejaVu Sans"_qs }
                             << u"DejaVu Sans"_qs;
}

void TestPolPpal::ajoute()
{
    QFETCH(QList<int>, first);
    QFETCH(QList<int>, second);
    QFETCH(QStringList, expected);
    QFETCH(QString, pane1);
    QList<bool> available;
    connect(m_h->ppal(), &PolPpal::choixSelectionDisponible, this,
        [&](bool on) { available.append(on); });
    ajouter(first);
    if (!second.isEmpty())
        ajouter(second);
    const QList<int> last = second.isEmpty() ? first : second;
    VbListBox *selection = liste(1);
    QCOMPARE(entries(selection), expected);
    QCOMPARE(selectionCaption(), u"Liste de Sélection =  %1"_qs.arg(expected.size()));
    QCOMPARE(highlighted(selection), QList<int> { int(expected.size()) - 1 });
    QCOMPARE(m_h->app->state().DernierAjout, last.last());
    QCOMPARE(exemple(1)->font().family(), pane1);
    QVERIFY(exemple(1)->isVisible());
    QVERIFY(button(u"Enleve"_qs)->isVisible());
    QVERIFY(button(u"Enleve_Tout"_qs)->isVisible());
    QVERIFY(selectionChoice());
    QVERIFY(available.last());
    QCOMPARE(highlighted(liste(0)), last);
}

void TestPolPpal::ajouteWithNothingHighlighted()
{
    ajouter({});
    QCOMPARE(liste(1)->ListCount(), 0);
    QCOMPARE(selectionCaption(), u"Liste de Sélection =  0"_qs);
    QVERIFY(button(u"Enleve"_qs)->isVisible());
    QVERIFY(button(u"Enleve_Tout"_qs)->isVisible());
    QVERIFY(exemple(1)->isVisible());
    QVERIFY(selectionChoice());
    click(u"Enleve"_qs);
    QVERIFY(button(u"Enleve"_qs)->isVisible());
    click(u"Enleve_Tout"_qs);
    QVERIFY(!button(u"Enleve"_qs)->isVisible());
    QVERIFY(!selectionChoice());
}

void TestPolPpal::ajouteWhileTheSelectionIsCurrent()
{
    ajouter({ 4 });
    liste(1)->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_h->app->state().ListeCourante, 1);
    ajouter({ 2 });
    QCOMPARE(entries(liste(1)), (QStringList { u"3 Liberation Mono"_qs, u"5 Times New Roman"_qs }));
    QCOMPARE(exemple(1)->font().family(), u"Liberation Mono"_qs);
}

void TestPolPpal::enleve_data()
{
    QTest::addColumn<QList<int>>("added");
    QTest::addColumn<QList<int>>("removed"); // highlighted in the selection
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("highlighted") << QList<int> { 0, 1, 2, 3 } << QList<int> { 1, 3 } << u"Enleve"_qs
                                 << QStringList { u"1 Arial"_qs, u"3 Liberation Mono"_qs };
    QTest::newRow("none highlighted") << QList<int> { 0, 1 } << QList<int> {} << u"Enleve"_qs
                                      << QStringList { u"1 Arial"_qs, u"2 DejaVu Sans"_qs };
    QTest::newRow("the last ones")
        << QList<int> { 0, 1 } << QList<int> { 0, 1 } << u"Enleve"_qs << QStringList {};
    QTest::newRow("Vider la sélection")
        << QList<int> { 0, 3 } << QList<int> {} << u"Enleve_Tout"_qs << QStringList {};
}

void TestPolPpal::enleve()
{
    QFETCH(QList<int>, added);
    QFETCH(QList<int>, removed);
    QFETCH(QString, command);
    QFETCH(QStringList, left);
    ajouter(added);
    const QString title = cadre(1)->Caption();
    QVERIFY(!title.isEmpty());
    highlight(1, removed);
    click(command);
    QCOMPARE(entries(liste(1)), left);
    QCOMPARE(selectionCaption(), u"Liste de Sélection =  %1"_qs.arg(left.size()));
    QVERIFY(!exemple(1)->isVisible());
    // "Enlever   <<<" clears pane 1's title; emptying the list leaves it.
    QCOMPARE(cadre(1)->Caption(), command == u"Enleve" ? QString() : title);
    QCOMPARE(button(u"Enleve"_qs)->isVisible(), !left.isEmpty());
    QCOMPARE(button(u"Enleve_Tout"_qs)->isVisible(), !left.isEmpty());
    QCOMPARE(selectionChoice(), !left.isEmpty());
}

void TestPolPpal::sizeTypedKeyByKey_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<double>>("sizes"); // label size after each keystroke
    QTest::addColumn<QString>("saved"); // once the box loses the focus
    QTest::addColumn<int>("messages");
    QTest::newRow("30") << u"30"_qs << QList<double> { 3, 30 } << u"30"_qs << 0;
    QTest::newRow("2048") << u"2048"_qs << QList<double> { 2, 20, 204, 2048 } << u"2048"_qs << 0;
    QTest::newRow("2049") << u"2049"_qs << QList<double> { 2, 20, 204, 2048 } << u"2048"_qs << 1;
    QTest::newRow("3000") << u"3000"_qs << QList<double> { 3, 30, 300, 2048 } << u"2048"_qs << 1;
    // The fifth key lands after the "2048" the cap put in the box, and is capped again.
    QTest::newRow("30000") << u"30000"_qs << QList<double> { 3, 30, 300, 2048, 2048 } << u"2048"_qs
                           << 2;
    QTest::newRow("1 2") << u"1 2"_qs << QList<double> { 1, 1, 12 } << u"1 2"_qs << 0;
    QTest::newRow("12,5") << u"12,5"_qs << QList<double> { 1, 12, 12, 12 } << u"12,5"_qs << 0;
    QTest::newRow("10.5") << u"10.5"_qs << QList<double> { 1, 10, 10, 10.5 } << u"10.5"_qs << 0;
    QTest::newRow("minus") << u"-"_qs << QList<double> { 1 } << u"-"_qs << 0;
    QTest::newRow("abc saved raw") << u"abc"_qs << QList<double> { 1, 1, 1 } << u"abc"_qs << 0;
    QTest::newRow("blanks trimmed on save")
        << u" 24 "_qs << QList<double> { 1, 2, 24, 24 } << u"24"_qs << 0;
}

void TestPolPpal::sizeTypedKeyByKey()
{
    QFETCH(QString, typed);
    QFETCH(QList<double>, sizes);
    QFETCH(QString, saved);
    QFETCH(int, messages);
    auto *box = m_h->find<VbComboBox>(u"Taille_Exemple0"_qs);
    box->setFocus(Qt::TabFocusReason);
    box->lineEdit()->clear();
    QList<double> seen;
    for (QChar c : typed) {
        QTest::keyClick(box, c.toLatin1());
        seen.append(exemple(0)->font().pointSizeF());
    }
    QCOMPARE(seen, sizes);
    QCOMPARE(box->Text(), messages ? u"2048"_qs : typed);
    QCOMPARE(m_h->messages.asked.size(), messages);
    for (const auto &asked : m_h->messages.asked)
        QCOMPARE(asked.text, u"La Taille maximum est de 2048"_qs);
    QCOMPARE(exemple(1)->font().pointSizeF(), 18.0);
    QVERIFY(!QFile::exists(m_h->iniPath()));
    liste(0)->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_h->readIni(), "[Options]\r\nTaille_Exemple0=" + saved.toLatin1() + "\r\n");
}

void TestPolPpal::sizePickedFromTheList()
{
    auto *box = m_h->find<VbComboBox>(u"Taille_Exemple0"_qs);
    box->setFocus(Qt::TabFocusReason);
    const int index = box->findText(u"72"_qs);
    box->setCurrentIndex(index - 1);
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->Text(), u"72"_qs);
    QCOMPARE(exemple(0)->font().pointSizeF(), 72.0);
    QVERIFY(!QFile::exists(m_h->iniPath()));
    liste(0)->setFocus(Qt::TabFocusReason);
    QVERIFY(m_h->readIni().contains("Taille_Exemple0=72"));
}

// The way a user works: mouse clicks with Shift and Ctrl, arrow keys, typing into a size box
// and moving on, then starting the program again on what was saved.
void TestPolPpal::userSession()
{
    m_h->ppal()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_h->ppal()));
    VbListBox *complete = liste(0);
    VbListBox *selection = liste(1);
    auto clickRow = [](VbListBox *list, int row, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseClick(
            list->viewport(), Qt::LeftButton, keys, list->visualItemRect(list->item(row)).center());
    };

    clickRow(complete, 1);
    QVERIFY(complete->hasFocus());
    QCOMPARE(cadre(0)->Caption(), QFontInfo(QFont(u"DejaVu Sans"_qs)).family());
    clickRow(complete, 3, Qt::ShiftModifier);
    QCOMPARE(highlighted(complete), (QList<int> { 1, 2, 3 }));
    QCOMPARE(exemple(0)->font().family(), u"Liberation Serif"_qs);
    clickRow(complete, 0, Qt::ControlModifier);
    clickRow(complete, 2, Qt::ControlModifier);
    QCOMPARE(highlighted(complete), (QList<int> { 0, 1, 3 }));

    click(u"Ajoute"_qs);
    QCOMPARE(entries(selection),
        (QStringList { u"1 Arial"_qs, u"2 DejaVu Sans"_qs, u"4 Liberation Serif"_qs }));
    QCOMPARE(selectionCaption(), u"Liste de Sélection =  3"_qs);
    QCOMPARE(exemple(1)->font().family(), u"Liberation Serif"_qs);
    QVERIFY(exemple(1)->isVisible());

    clickRow(selection, 0);
    QCOMPARE(m_h->app->state().ListeCourante, 1);
    QCOMPARE(exemple(1)->font().family(), u"Arial"_qs);
    QTest::keyClick(selection, Qt::Key_Down);
    QCOMPARE(exemple(1)->font().family(), u"DejaVu Sans"_qs);
    clickRow(selection, 2, Qt::ControlModifier);
    QCOMPARE(highlighted(selection), (QList<int> { 1, 2 }));
    click(u"Enleve"_qs);
    QCOMPARE(entries(selection), QStringList { u"1 Arial"_qs });
    QCOMPARE(selectionCaption(), u"Liste de Sélection =  1"_qs);
    QCOMPARE(cadre(1)->Caption(), QString());
    QVERIFY(!exemple(1)->isVisible());
    QVERIFY(button(u"Enleve_Tout"_qs)->isVisible());

    // Pane 1's options touch pane 1 only, and are saved at each change.
    auto tick = [this](const QString &name) {
        auto *box = m_h->find<VbCheckBox>(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    };
    tick(u"Gras1"_qs);
    QVERIFY(exemple(1)->font().bold() && !exemple(0)->font().bold());
    QCOMPARE(m_h->readIni(), QByteArray("[Options]\r\nGras1=1\r\n"));
    tick(u"Italique1"_qs);
    QVERIFY(exemple(1)->font().italic() && !exemple(0)->font().italic());
    tick(u"Gras1"_qs);
    QVERIFY(!exemple(1)->font().bold());
    const QByteArray options = "[Options]\r\nGras1=0\r\nItalique1=1\r\n";
    QCOMPARE(m_h->readIni(), options);

    auto *taille1 = m_h->find<VbComboBox>(u"Taille_Exemple1"_qs);
    QTest::mouseDClick(taille1->lineEdit(), Qt::LeftButton);
    QVERIFY(taille1->lineEdit()->hasFocus());
    QCOMPARE(taille1->lineEdit()->selectedText(), u"18"_qs);
    QTest::keyClicks(taille1, u" 36 "_qs);
    QCOMPARE(exemple(1)->font().pointSizeF(), 36.0);
    QCOMPARE(exemple(0)->font().pointSizeF(), 18.0);
    QCOMPARE(m_h->readIni(), options);
    clickRow(complete, 4);
    QVERIFY(complete->hasFocus());
    QCOMPARE(m_h->readIni(), options + "Taille_Exemple1=36\r\n");
    QCOMPARE(exemple(0)->font().family(), u"Times New Roman"_qs);

    m_h->restart();
    QVERIFY(!m_h->find<VbCheckBox>(u"Gras1"_qs)->isChecked());
    QVERIFY(m_h->find<VbCheckBox>(u"Italique1"_qs)->isChecked());
    QCOMPARE(m_h->find<VbComboBox>(u"Taille_Exemple1"_qs)->Text(), u"36"_qs);
    QCOMPARE(exemple(1)->font().pointSizeF(), 36.0);
    QVERIFY(exemple(1)->font().italic() && !exemple(1)->font().bold());
    QVERIFY(!exemple(0)->font().italic());
    QCOMPARE(liste(1)->ListCount(), 0);
}

QTEST_MAIN(TestPolPpal)
#include "tst_polppal.moc"
