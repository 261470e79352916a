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
    void arrowKeysInTheSelection_data();
    void arrowKeysInTheSelection();
    void clickAndFocusShowTheEntry();
    void emptySelectionShowsNothing();
    void cutByTheLengthOfTheCount_data();
    void cutByTheLengthOfTheCount();
    void sampleTextIsRestoredOnEachDisplay();

    void ajoute_data();
    void ajoute();
    void ajouteWithNothingHighlighted();
    void ajouteWhileTheSelectionIsCurrent();
    void enleve();
    void enleveWithNothingHighlighted();
    void enleveTheLastEntries();
    void enleveTout();

    void sizeTypedKeyByKey_data();
    void sizeTypedKeyByKey();
    void sizePastedAboveTheMaximum();
    void sizeSavedRawAndTrimmedOnFocusLoss_data();
    void sizeSavedRawAndTrimmedOnFocusLoss();
    void sizePickedFromTheList();
    void grasAndItaliqueTouchOnlyTheirPane();
    void userSession();

private:
    void startWith(const QStringList &fonts);
    VbListBox *liste(int i) const { return m_h->find<VbListBox>(u"Liste%1"_qs.arg(i)); }
    QLabel *exemple(int i) const { return m_h->find<QLabel>(u"Exemple%1"_qs.arg(i)); }
    VkFrame *cadre(int i) const { return m_h->find<VkFrame>(u"Cadre_Exemple%1"_qs.arg(i)); }
    VkCommand *button(const QString &name) const { return m_h->find<VkCommand>(name); }
    void highlight(int list, const QList<int> &rows);
    void click(const QString &name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    std::unique_ptr<Harness> m_h;
};

// Real font families, so that the sample labels can take them; sorted they read
// Arial, DejaVu Sans, Liberation Mono, Liberation Serif, Times New Roman.
const QStringList kFonts { u"Times New Roman"_qs, u"Liberation Serif"_qs, u"Arial"_qs,
    u"DejaVu Sans"_qs, u"Liberation Mono"_qs };

void TestPolPpal::init()
{
    m_h = std::make_unique<Harness>();
}

void TestPolPpal::cleanup()
{
    m_h.reset();
}

void TestPolPpal::startWith(const QStringList &fonts)
{
    m_h->printer.fonts = fonts;
    m_h->start();
    QVERIFY(QTest::qWaitForWindowExposed(m_h->ppal()));
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
    QTest::addColumn<bool>("label1Visible");
    QTest::newRow("down on the first") << 0 << 0 << int(Qt::Key_Down) << u"DejaVu Sans"_qs << true;
    QTest::newRow("up on the first") << 0 << 0 << int(Qt::Key_Up) << QString() << false;
    QTest::newRow("down on the last") << 0 << 4 << int(Qt::Key_Down) << QString() << false;
    QTest::newRow("up on the last") << 0 << 4 << int(Qt::Key_Up) << u"Liberation Serif"_qs << true;
    QTest::newRow("page down leaves the pane")
        << 0 << 0 << int(Qt::Key_PageDown) << QString() << false;
}

void TestPolPpal::arrowKeys()
{
    QFETCH(int, list);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(QString, shown);
    QFETCH(bool, label1Visible);
    startWith(kFonts);
    VbListBox *box = liste(list);
    box->setCurrentRow(from);
    const QString titleBefore = cadre(list)->Caption();
    const QString familyBefore = exemple(list)->font().family();
    QTest::keyClick(box, Qt::Key(key));
    if (shown.isEmpty()) {
        QCOMPARE(cadre(list)->Caption(), titleBefore);
        QCOMPARE(exemple(list)->font().family(), familyBefore);
    } else {
        QCOMPARE(exemple(list)->font().family(), shown);
        QCOMPARE(cadre(list)->Caption(), QFontInfo(QFont(shown)).family());
    }
    QCOMPARE(exemple(1)->isVisible(), label1Visible);
    if (label1Visible)
        QCOMPARE(cadre(1)->Caption(), u"Sélection"_qs);
}

void TestPolPpal::arrowKeysInTheSelection_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown"); // empty when pane 1 must not change
    QTest::newRow("down on the first") << 0 << int(Qt::Key_Down) << u"Liberation Mono"_qs;
    QTest::newRow("up on the first") << 0 << int(Qt::Key_Up) << QString();
    QTest::newRow("down on the last") << 2 << int(Qt::Key_Down) << QString();
    QTest::newRow("up on the last") << 2 << int(Qt::Key_Up) << u"Liberation Mono"_qs;
    QTest::newRow("end leaves the pane") << 0 << int(Qt::Key_End) << QString();
}

void TestPolPpal::arrowKeysInTheSelection()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(QString, shown);
    startWith(kFonts);
    highlight(0, { 1, 2, 4 });
    click(u"Ajoute"_qs);
    // "Enlever   <<<" with nothing highlighted hides pane 1's sample and clears its title.
    highlight(1, {});
    click(u"Enleve"_qs);
    QVERIFY(!exemple(1)->isVisible());
    const QString pane0 = cadre(0)->Caption();
    VbListBox *selection = liste(1);
    selection->setCurrentRow(from);
    QTest::keyClick(selection, Qt::Key(key));
    if (shown.isEmpty()) {
        QCOMPARE(cadre(1)->Caption(), QString());
        QVERIFY(!exemple(1)->isVisible());
    } else {
        QCOMPARE(exemple(1)->font().family(), shown);
        QCOMPARE(cadre(1)->Caption(), QFontInfo(QFont(shown)).family());
        QVERIFY(exemple(1)->isVisible());
        QCOMPARE(m_h->app->state().ListeCourante, 1);
    }
    QCOMPARE(cadre(0)->Caption(), pane0);
}

void TestPolPpal::clickAndFocusShowTheEntry()
{
    startWith(kFonts);
    VbListBox *complete = liste(0);
    QTest::mouseClick(complete->viewport(), Qt::LeftButton, {},
        complete->visualItemRect(complete->item(3)).center());
    QCOMPARE(exemple(0)->font().family(), u"Liberation Serif"_qs);
    QCOMPARE(m_h->app->state().ListeCourante, 0);

    highlight(0, { 1, 2 });
    click(u"Ajoute"_qs);
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
    startWith(kFonts);
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
    startWith(fonts);
    // A three-digit entry: with 523 fonts the cut drops the number field, with 1000 it drops
    // the blank too; both leave the name once trimmed.
    VbListBox *complete = liste(0);
    complete->setList(1, u"007 Arial"_qs);
    complete->setCurrentRow(0);
    QTest::keyClick(complete, Qt::Key_Down);
    QCOMPARE(m_h->app->state().EntreeListe, u"007 Arial"_qs);
    QCOMPARE(m_h->app->state().NomPolice, u"Arial"_qs);
    QCOMPARE(exemple(0)->font().family(), u"Arial"_qs);
    QCOMPARE(m_h->find<QLabel>(u"NbrePol"_qs)->text(), QString::number(count));
}

void TestPolPpal::sampleTextIsRestoredOnEachDisplay()
{
    startWith(kFonts);
    exemple(0)->setText(u"autre chose"_qs);
    QTest::keyClick(liste(0), Qt::Key_Down);
    QCOMPARE(exemple(0)->text(), m_h->app->state().TexteExemple);
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
    startWith(kFonts);
    QList<bool> available;
    connect(m_h->ppal(), &PolPpal::choixSelectionDisponible, this,
        [&](bool on) { available.append(on); });
    highlight(0, first);
    click(u"Ajoute"_qs);
    if (!second.isEmpty()) {
        highlight(0, second);
        click(u"Ajoute"_qs);
    }
    VbListBox *selection = liste(1);
    QCOMPARE(entries(selection), expected);
    QCOMPARE(m_h->find<VkFrame>(u"List_S"_qs)->Caption(),
        u"Liste de Sélection =  %1"_qs.arg(expected.size()));
    QCOMPARE(highlighted(selection), QList<int> { int(expected.size()) - 1 });
    QCOMPARE(m_h->app->state().DernierAjout, (second.isEmpty() ? first : second).last());
    QCOMPARE(exemple(1)->font().family(), pane1);
    QVERIFY(exemple(1)->isVisible());
    QVERIFY(button(u"Enleve"_qs)->isVisible());
    QVERIFY(button(u"Enleve_Tout"_qs)->isVisible());
    QVERIFY(m_h->app->polImprim()->choixListe(1)->isEnabled());
    QVERIFY(available.last());
    // The complete list keeps its highlights.
    QCOMPARE(highlighted(liste(0)), second.isEmpty() ? first : second);
}

void TestPolPpal::ajouteWithNothingHighlighted()
{
    startWith(kFonts);
    highlight(0, {});
    click(u"Ajoute"_qs);
    QCOMPARE(liste(1)->ListCount(), 0);
    QCOMPARE(m_h->find<VkFrame>(u"List_S"_qs)->Caption(), u"Liste de Sélection =  0"_qs);
    QVERIFY(button(u"Enleve"_qs)->isVisible());
    QVERIFY(button(u"Enleve_Tout"_qs)->isVisible());
    QVERIFY(exemple(1)->isVisible());
    QVERIFY(m_h->app->polImprim()->choixListe(1)->isEnabled());
    click(u"Enleve"_qs);
    QVERIFY(button(u"Enleve"_qs)->isVisible());
    click(u"Enleve_Tout"_qs);
    QVERIFY(!button(u"Enleve"_qs)->isVisible());
    QVERIFY(!m_h->app->polImprim()->choixListe(1)->isEnabled());
}

void TestPolPpal::ajouteWhileTheSelectionIsCurrent()
{
    startWith(kFonts);
    highlight(0, { 4 });
    click(u"Ajoute"_qs);
    liste(1)->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_h->app->state().ListeCourante, 1);
    highlight(0, { 2 });
    click(u"Ajoute"_qs);
    QCOMPARE(entries(liste(1)), (QStringList { u"3 Liberation Mono"_qs, u"5 Times New Roman"_qs }));
    QCOMPARE(exemple(1)->font().family(), u"Liberation Mono"_qs);
}

void TestPolPpal::enleve()
{
    startWith(kFonts);
    highlight(0, { 0, 1, 2, 3 });
    click(u"Ajoute"_qs);
    highlight(1, { 1, 3 });
    click(u"Enleve"_qs);
    QCOMPARE(entries(liste(1)), (QStringList { u"1 Arial"_qs, u"3 Liberation Mono"_qs }));
    QCOMPARE(m_h->find<VkFrame>(u"List_S"_qs)->Caption(), u"Liste de Sélection =  2"_qs);
    QCOMPARE(cadre(1)->Caption(), QString());
    QVERIFY(!exemple(1)->isVisible());
    QVERIFY(button(u"Enleve"_qs)->isVisible());
    QVERIFY(m_h->app->polImprim()->choixListe(1)->isEnabled());
}

void TestPolPpal::enleveWithNothingHighlighted()
{
    startWith(kFonts);
    highlight(0, { 0, 1 });
    click(u"Ajoute"_qs);
    QVERIFY(!cadre(1)->Caption().isEmpty());
    highlight(1, {});
    click(u"Enleve"_qs);
    QCOMPARE(liste(1)->ListCount(), 2);
    QCOMPARE(cadre(1)->Caption(), QString());
    QVERIFY(!exemple(1)->isVisible());
}

void TestPolPpal::enleveTheLastEntries()
{
    startWith(kFonts);
    highlight(0, { 0, 1 });
    click(u"Ajoute"_qs);
    highlight(1, { 0, 1 });
    click(u"Enleve"_qs);
    QCOMPARE(liste(1)->ListCount(), 0);
    QVERIFY(!button(u"Enleve"_qs)->isVisible());
    QVERIFY(!button(u"Enleve_Tout"_qs)->isVisible());
    QVERIFY(!exemple(1)->isVisible());
    QVERIFY(!m_h->app->polImprim()->choixListe(1)->isEnabled());
    QCOMPARE(m_h->find<VkFrame>(u"List_S"_qs)->Caption(), u"Liste de Sélection =  0"_qs);
}

void TestPolPpal::enleveTout()
{
    startWith(kFonts);
    highlight(0, { 0, 3 });
    click(u"Ajoute"_qs);
    const QString title = cadre(1)->Caption();
    click(u"Enleve_Tout"_qs);
    QCOMPARE(liste(1)->ListCount(), 0);
    QVERIFY(!button(u"Enleve"_qs)->isVisible());
    QVERIFY(!button(u"Enleve_Tout"_qs)->isVisible());
    QVERIFY(!exemple(1)->isVisible());
    QVERIFY(!m_h->app->polImprim()->choixListe(1)->isEnabled());
    QCOMPARE(m_h->find<VkFrame>(u"List_S"_qs)->Caption(), u"Liste de Sélection =  0"_qs);
    QCOMPARE(cadre(1)->Caption(), title);
}

void TestPolPpal::sizeTypedKeyByKey_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<double>>("sizes"); // label size after each keystroke
    QTest::addColumn<QString>("finalText");
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
}

void TestPolPpal::sizeTypedKeyByKey()
{
    QFETCH(QString, typed);
    QFETCH(QList<double>, sizes);
    QFETCH(QString, finalText);
    QFETCH(int, messages);
    startWith(kFonts);
    auto *box = m_h->find<VbComboBox>(u"Taille_Exemple0"_qs);
    box->setFocus(Qt::TabFocusReason);
    box->lineEdit()->clear();
    QList<double> seen;
    for (QChar c : typed) {
        QTest::keyClick(box, c.toLatin1());
        seen.append(exemple(0)->font().pointSizeF());
    }
    QCOMPARE(seen, sizes);
    QCOMPARE(box->Text(), finalText);
    QCOMPARE(m_h->messages.asked.size(), messages);
    for (const auto &asked : m_h->messages.asked)
        QCOMPARE(asked.text, u"La Taille maximum est de 2048"_qs);
    QCOMPARE(exemple(1)->font().pointSizeF(), 18.0);
    QVERIFY(!QFile::exists(m_h->iniPath()));
}

void TestPolPpal::sizePastedAboveTheMaximum()
{
    startWith(kFonts);
    auto *box = m_h->find<VbComboBox>(u"Taille_Exemple1"_qs);
    box->setFocus(Qt::TabFocusReason);
    box->lineEdit()->selectAll();
    QGuiApplication::clipboard()->setText(u"30000"_qs);
    QTest::keySequence(box, QKeySequence::Paste);
    QCOMPARE(m_h->messages.asked.size(), 1);
    QCOMPARE(box->Text(), u"2048"_qs);
    QCOMPARE(exemple(1)->font().pointSizeF(), 2048.0);
}

void TestPolPpal::sizeSavedRawAndTrimmedOnFocusLoss_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("abc") << u"abc"_qs << QByteArray("Taille_Exemple1=abc\r\n");
    QTest::newRow("blanks") << u"  24  "_qs << QByteArray("Taille_Exemple1=24\r\n");
    QTest::newRow("fraction") << u"10.5"_qs << QByteArray("Taille_Exemple1=10.5\r\n");
}

void TestPolPpal::sizeSavedRawAndTrimmedOnFocusLoss()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, saved);
    startWith(kFonts);
    auto *box = m_h->find<VbComboBox>(u"Taille_Exemple1"_qs);
    box->setFocus(Qt::TabFocusReason);
    box->setText(text);
    QVERIFY(!QFile::exists(m_h->iniPath()));
    liste(0)->setFocus(Qt::TabFocusReason);
    QVERIFY(m_h->readIni().contains(saved));
}

void TestPolPpal::sizePickedFromTheList()
{
    startWith(kFonts);
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

void TestPolPpal::grasAndItaliqueTouchOnlyTheirPane()
{
    startWith(kFonts);
    auto *gras1 = m_h->find<VbCheckBox>(u"Gras1"_qs);
    auto *italique1 = m_h->find<VbCheckBox>(u"Italique1"_qs);
    const bool bold0 = exemple(0)->font().bold();
    gras1->click();
    QVERIFY(exemple(1)->font().bold());
    QCOMPARE(exemple(0)->font().bold(), bold0);
    QVERIFY(m_h->readIni().contains("[Options]\r\nGras1=1\r\n"));
    italique1->click();
    QVERIFY(exemple(1)->font().italic());
    QVERIFY(!exemple(0)->font().italic());
    gras1->click();
    QVERIFY(!exemple(1)->font().bold());
    QCOMPARE(m_h->readIni(), QByteArray("[Options]\r\nGras1=0\r\nItalique1=1\r\n"));

    m_h->restart();
    QVERIFY(!m_h->find<VbCheckBox>(u"Gras1"_qs)->isChecked());
    QVERIFY(m_h->find<VbCheckBox>(u"Italique1"_qs)->isChecked());
    QVERIFY(exemple(1)->font().italic());
    QVERIFY(!exemple(0)->font().italic());
}

// The way a user works: mouse clicks with Shift and Ctrl, arrow keys, typing into a size box
// and moving on, then starting the program again on what was saved.
void TestPolPpal::userSession()
{
    startWith(kFonts);
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
    QCOMPARE(m_h->find<VkFrame>(u"List_S"_qs)->Caption(), u"Liste de Sélection =  3"_qs);
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
    QCOMPARE(m_h->find<VkFrame>(u"List_S"_qs)->Caption(), u"Liste de Sélection =  1"_qs);
    QCOMPARE(cadre(1)->Caption(), QString());
    QVERIFY(!exemple(1)->isVisible());
    QVERIFY(button(u"Enleve_Tout"_qs)->isVisible());

    auto *gras1 = m_h->find<VbCheckBox>(u"Gras1"_qs);
    QTest::mouseClick(gras1, Qt::LeftButton, {}, QPoint(8, gras1->height() / 2));
    QVERIFY(gras1->isChecked());
    QVERIFY(exemple(1)->font().bold());
    QCOMPARE(m_h->readIni(), QByteArray("[Options]\r\nGras1=1\r\n"));

    auto *taille1 = m_h->find<VbComboBox>(u"Taille_Exemple1"_qs);
    QTest::mouseDClick(taille1->lineEdit(), Qt::LeftButton);
    QVERIFY(taille1->lineEdit()->hasFocus());
    QCOMPARE(taille1->lineEdit()->selectedText(), u"18"_qs);
    QTest::keyClicks(taille1, u" 36 "_qs);
    QCOMPARE(exemple(1)->font().pointSizeF(), 36.0);
    QCOMPARE(exemple(0)->font().pointSizeF(), 18.0);
    QCOMPARE(m_h->readIni(), QByteArray("[Options]\r\nGras1=1\r\n"));
    clickRow(complete, 4);
    QVERIFY(complete->hasFocus());
    QCOMPARE(m_h->readIni(), QByteArray("[Options]\r\nGras1=1\r\nTaille_Exemple1=36\r\n"));
    QCOMPARE(exemple(0)->font().family(), u"Times New Roman"_qs);

    m_h->restart();
    QVERIFY(m_h->find<VbCheckBox>(u"Gras1"_qs)->isChecked());
    QCOMPARE(m_h->find<VbComboBox>(u"Taille_Exemple1"_qs)->Text(), u"36"_qs);
    QCOMPARE(exemple(1)->font().pointSizeF(), 36.0);
    QVERIFY(exemple(1)->font().bold());
    QVERIFY(!exemple(0)->font().bold());
    QCOMPARE(liste(1)->ListCount(), 0);
}

QTEST_MAIN(TestPolPpal)
#include "tst_polppal.moc"
