#include "Harness.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"
#include "printing/PolImprim.h"

#include <QLabel>
#include <QTimer>

class TestPolImprim : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void firstOpeningWithoutSettings();
    void selectionIsChosenAtEveryOpening();
    void headerTextSavedOnFocusLoss_data();
    void headerTextSavedOnFocusLoss();
    void dateAndTimeWriteBothKeys();
    void sizeTypedKeyByKey_data();
    void sizeTypedKeyByKey();
    void presetLineKeepsALeadingBlank();
    void numberingOnEstimatesTwiceOnOpening();
    void previewFollowsTheOptions_data();
    void previewFollowsTheOptions();
    void pageCountFollowsTheOptions_data();
    void pageCountFollowsTheOptions();
    void unknownCountWhenNothingCanBeMeasured();
    void choicesLastForTheRunOnly();
    void closingPutsTheLinesIntoPaneZero();
    void openedFromTheMainWindow();

private:
    void startWith(const QStringList &fonts);
    PolImprim *open();
    void closeDialog();
    template <typename T> T *control(const QString &name) const
    {
        T *widget = m_dialog->findChild<T *>(name);
        if (!widget)
            qWarning("no control named %s", qPrintable(name));
        return widget;
    }
    QString estimate() const { return control<QLabel>(u"Estim_Pages"_qs)->text(); }
    void typeInto(QWidget *widget, const QString &text);

    std::unique_ptr<Harness> m_h;
    PolImprim *m_dialog = nullptr;
};

const QStringList kFonts { u"Arial"_qs, u"DejaVu Sans"_qs, u"Liberation Mono"_qs,
    u"Liberation Serif"_qs, u"Times New Roman"_qs };

void TestPolImprim::init()
{
    m_h = std::make_unique<Harness>();
}

void TestPolImprim::cleanup()
{
    m_dialog = nullptr;
    m_h.reset();
}

void TestPolImprim::startWith(const QStringList &fonts)
{
    m_h->printer.fonts = fonts;
    m_h->start();
}

PolImprim *TestPolImprim::open()
{
    m_dialog = m_h->app->afficherImpression();
    m_dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(m_dialog))
        qWarning("the print dialog did not become active");
    return m_dialog;
}

void TestPolImprim::closeDialog()
{
    QTest::mouseClick(control<VkCommand>(u"Fermer"_qs), Qt::LeftButton);
    m_dialog = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestPolImprim::typeInto(QWidget *widget, const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(widget, c.toLatin1());
}

void TestPolImprim::firstOpeningWithoutSettings()
{
    startWith(kFonts);
    open();
    QCOMPARE(m_dialog->windowTitle(), u"Typovise                      Choix de l'impression"_qs);
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_dialog->isModal() || m_dialog->windowModality() == Qt::ApplicationModal);
    QCOMPARE(control<VbTextBox>(u"Texte1"_qs)->Text(), u"Polices..."_qs);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure0"_qs)->Value(), 0);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure1"_qs)->Value(), 0);
    auto *size = control<VbComboBox>(u"Taille_Police"_qs);
    QCOMPARE(size->Text(), u"12"_qs);
    QCOMPARE(size->count(), 23);
    QCOMPARE(size->itemText(0), u"  8"_qs);
    QCOMPARE(size->itemText(22), u" 72"_qs);
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple1"_qs)->Text(),
        u"Portez ce vieux whisky au juge blond qui fume"_qs);
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple2"_qs)->Text(),
        u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs);
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple2"_qs)->itemText(3),
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZ &\"'(-_)$£¤µ%§*~#{[|`\\^@]}"_qs);
    QVERIFY(!control<VbOptionButton>(u"Ch_Liste1"_qs)->isEnabled());
    QVERIFY(control<VbOptionButton>(u"Ch_Liste0"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Option_LC0"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Espace_Pol0"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Avec_No0"_qs)->Value());
    QCOMPARE(m_h->app->state().ListeImprimee, 0);
    QCOMPARE(estimate(), u"1"_qs);
    QCOMPARE(control<QLabel>(u"Modele"_qs)->property("cell").toInt(), 0);
    QVERIFY(!control<QLabel>(u"Modele"_qs)->pixmap().isNull());
    QVERIFY(!QFile::exists(m_h->iniPath()));
}

void TestPolImprim::selectionIsChosenAtEveryOpening()
{
    startWith(kFonts);
    auto *complete = m_h->find<VbListBox>(u"Liste0"_qs);
    complete->clearSelection();
    complete->setSelected(1, true);
    QTest::mouseClick(m_h->find<VkCommand>(u"Ajoute"_qs), Qt::LeftButton);
    open();
    QVERIFY(control<VbOptionButton>(u"Ch_Liste1"_qs)->isEnabled());
    QVERIFY(control<VbOptionButton>(u"Ch_Liste1"_qs)->Value());
    QCOMPARE(m_h->app->state().ListeImprimee, 1);
    control<VbOptionButton>(u"Ch_Liste0"_qs)->click();
    QCOMPARE(m_h->app->state().ListeImprimee, 0);
    closeDialog();
    open();
    QVERIFY(control<VbOptionButton>(u"Ch_Liste1"_qs)->Value());
    QCOMPARE(m_h->app->state().ListeImprimee, 1);
}

void TestPolImprim::headerTextSavedOnFocusLoss_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reopened");
    QTest::newRow("text") << u"Catalogue  2026"_qs << u"Catalogue  2026"_qs;
    QTest::newRow("cleared") << QString() << u"Polices..."_qs;
    QTest::newRow("300 characters") << QString(300, u'x') << QString(254, u'x');
}

void TestPolImprim::headerTextSavedOnFocusLoss()
{
    QFETCH(QString, typed);
    QFETCH(QString, reopened);
    startWith(kFonts);
    open();
    auto *texte = control<VbTextBox>(u"Texte1"_qs);
    texte->setFocus(Qt::TabFocusReason);
    texte->setText(typed);
    control<VbComboBox>(u"Taille_Police"_qs)->setFocus(Qt::TabFocusReason);
    QCOMPARE(
        ProfileFile::readString(m_h->iniPath(), u"En-Tête", u"Texte", u"missing"_qs, 1000), typed);
    closeDialog();
    open();
    QCOMPARE(control<VbTextBox>(u"Texte1"_qs)->Text(), reopened);
}

void TestPolImprim::dateAndTimeWriteBothKeys()
{
    startWith(kFonts);
    open();
    control<VbCheckBox>(u"Date_Heure1"_qs)->click();
    const QByteArray ini = m_h->readIni();
    QCOMPARE(ini, QByteArray("[En-T\xeate]\r\nDateImpression=0\r\nHeureImpression=1\r\n"));
    closeDialog();
    open();
    QCOMPARE(control<VbCheckBox>(u"Date_Heure0"_qs)->Value(), 0);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure1"_qs)->Value(), 1);
}

void TestPolImprim::sizeTypedKeyByKey_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("size");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("estimates"); // runs of the estimate caused by the typing
    QTest::newRow("3000") << u"3000"_qs << u"2048"_qs << 2048.0 << QByteArray("Taille=2048") << 1
                          << 5;
    QTest::newRow("2048") << u"2048"_qs << u"2048"_qs << 2048.0 << QByteArray("Taille=2048") << 0
                          << 4;
    QTest::newRow("comma") << u"10,5"_qs << u"10,5"_qs << 10.0 << QByteArray("Taille=10\r\n") << 0
                           << 4;
    QTest::newRow("point") << u"10.5"_qs << u"10.5"_qs << 10.5 << QByteArray("Taille=10.5") << 0
                           << 4;
    QTest::newRow("minus") << u"-"_qs << u"-"_qs << 0.0 << QByteArray("Taille=0") << 0 << 1;
}

void TestPolImprim::sizeTypedKeyByKey()
{
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(double, size);
    QFETCH(QByteArray, saved);
    QFETCH(int, messages);
    QFETCH(int, estimates);
    startWith(kFonts);
    open();
    auto *box = control<VbComboBox>(u"Taille_Police"_qs);
    box->setFocus(Qt::TabFocusReason);
    box->lineEdit()->clear();
    const int perEstimate = 2 + int(kFonts.size()); // header lines, then one name line each
    const int before = m_h->printer.measureCalls;
    typeInto(box, typed);
    QCOMPARE(box->Text(), field);
    QCOMPARE(m_h->app->state().TaillePolice, size);
    QCOMPARE(m_h->messages.asked.size(), messages);
    QVERIFY(m_h->readIni().contains(saved));
    QVERIFY(m_h->readIni().contains(
        "[Textes]\r\n1\xb0_Ligne= Portez ce vieux whisky au juge blond qui fume\r\n"));
    QCOMPARE((m_h->printer.measureCalls - before) / perEstimate, estimates);
}

void TestPolImprim::presetLineKeepsALeadingBlank()
{
    startWith(kFonts);
    open();
    auto *line2 = control<VbComboBox>(u"Ligne_Exemple2"_qs);
    line2->setFocus(Qt::TabFocusReason);
    line2->setCurrentIndex(1);
    QTest::keyClick(line2, Qt::Key_Down);
    QCOMPARE(m_h->app->state().LignesExemple[2], u" ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789"_qs);
    QVERIFY(m_h->readIni().contains("2\xb0_Ligne= ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789\r\n"));
    QVERIFY(m_h->readIni().contains("[TaillePolice]\r\nTaille=12\r\n"));
    closeDialog();
    open();
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple2"_qs)->Text(),
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789"_qs);
}

void TestPolImprim::numberingOnEstimatesTwiceOnOpening()
{
    startWith(kFonts);
    const int perEstimate = 2 + int(kFonts.size());
    int before = m_h->printer.measureCalls;
    open();
    QCOMPARE(m_h->printer.measureCalls - before, perEstimate);
    control<VbOptionButton>(u"Avec_No1"_qs)->click();
    QVERIFY(m_h->app->state().AvecNumero);
    closeDialog();
    before = m_h->printer.measureCalls;
    open();
    QVERIFY(control<VbOptionButton>(u"Avec_No1"_qs)->Value());
    QCOMPARE(m_h->printer.measureCalls - before, 2 * perEstimate);
}

void TestPolImprim::previewFollowsTheOptions_data()
{
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("spacing");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<int>("cell");
    QTest::newRow("names only") << false << false << false << 0;
    QTest::newRow("samples") << true << false << false << 1;
    QTest::newRow("spacing") << false << true << false << 2;
    QTest::newRow("samples and spacing") << true << true << false << 3;
    QTest::newRow("numbers") << false << false << true << 4;
    QTest::newRow("all three") << true << true << true << 7;
}

void TestPolImprim::previewFollowsTheOptions()
{
    QFETCH(bool, samples);
    QFETCH(bool, spacing);
    QFETCH(bool, numbers);
    QFETCH(int, cell);
    startWith(kFonts);
    open();
    control<VbOptionButton>(samples ? u"Option_LC1"_qs : u"Option_LC0"_qs)->click();
    control<VbOptionButton>(spacing ? u"Espace_Pol1"_qs : u"Espace_Pol0"_qs)->click();
    control<VbOptionButton>(numbers ? u"Avec_No1"_qs : u"Avec_No0"_qs)->click();
    QCOMPARE(control<QLabel>(u"Modele"_qs)->property("cell").toInt(), cell);
    QCOMPARE(m_h->app->state().AvecExemple, samples);
    QCOMPARE(m_h->app->state().ApercuExemple, samples);
}

void TestPolImprim::pageCountFollowsTheOptions_data()
{
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("spacing");
    QTest::addColumn<QString>("expected");
    // Header 300 + 200 twips, each name line 240, each spacing line 200, each sample line
    // 20 twips per point of the 12-point sample size.
    QTest::newRow("names fit") << 15840.0 << false << false << u"1"_qs;
    QTest::newRow("names on two pages") << 1000.0 << false << false << u"2"_qs;
    QTest::newRow("names spaced") << 1000.0 << false << true << u"3"_qs;
    QTest::newRow("blocks taller than the page") << 500.0 << true << false << u"6"_qs;
}

void TestPolImprim::pageCountFollowsTheOptions()
{
    QFETCH(double, pageHeight);
    QFETCH(bool, samples);
    QFETCH(bool, spacing);
    QFETCH(QString, expected);
    startWith(kFonts);
    m_h->printer.pageHeight = pageHeight;
    open();
    if (samples)
        control<VbOptionButton>(u"Option_LC1"_qs)->click();
    if (spacing)
        control<VbOptionButton>(u"Espace_Pol1"_qs)->click();
    QCOMPARE(estimate(), expected);
}

void TestPolImprim::unknownCountWhenNothingCanBeMeasured()
{
    startWith(kFonts);
    m_h->printer.height = [](const ScriptedPrinter::Font &, const QString &) { return -1.0; };
    open();
    QCOMPARE(estimate(), u"?"_qs);
    auto *box = control<VbComboBox>(u"Taille_Police"_qs);
    box->setFocus(Qt::TabFocusReason);
    typeInto(box, u"4"_qs);
    QCOMPARE(estimate(), u"?"_qs);
    QVERIFY(m_h->messages.asked.isEmpty());
    QVERIFY(control<VkCommand>(u"Fermer"_qs)->isEnabled());
}

void TestPolImprim::choicesLastForTheRunOnly()
{
    startWith(kFonts);
    open();
    control<VbOptionButton>(u"Option_LC1"_qs)->click();
    control<VbOptionButton>(u"Espace_Pol1"_qs)->click();
    control<VbCheckBox>(u"Date_Heure0"_qs)->click();
    auto *box = control<VbComboBox>(u"Taille_Police"_qs);
    box->setText(u"24"_qs);
    closeDialog();
    open();
    QVERIFY(control<VbOptionButton>(u"Option_LC1"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Espace_Pol1"_qs)->Value());
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_qs)->Text(), u"24"_qs);
    closeDialog();

    m_h->restart();
    open();
    QVERIFY(control<VbOptionButton>(u"Option_LC0"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Espace_Pol0"_qs)->Value());
    QCOMPARE(control<VbCheckBox>(u"Date_Heure0"_qs)->Value(), 1);
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_qs)->Text(), u"24"_qs);
}

void TestPolImprim::closingPutsTheLinesIntoPaneZero()
{
    startWith(kFonts);
    open();
    auto *line1 = control<VbComboBox>(u"Ligne_Exemple1"_qs);
    line1->setFocus(Qt::TabFocusReason);
    line1->setText(u"Voix ambiguë"_qs);
    control<VbComboBox>(u"Taille_Police"_qs)->setFocus(Qt::TabFocusReason);
    const QFont before = m_h->find<QLabel>(u"Exemple0"_qs)->font();
    closeDialog();
    QCOMPARE(m_h->find<QLabel>(u"Exemple0"_qs)->text(),
        u" Voix ambiguë ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs);
    QCOMPARE(m_h->find<QLabel>(u"Exemple0"_qs)->font(), before);
    QVERIFY(!m_h->ppal()->findChild<PolImprim *>());
}

void TestPolImprim::openedFromTheMainWindow()
{
    startWith(kFonts);
    m_h->printer.pageHeight = 1000;
    QString countSeen;
    bool wasVisible = false;
    // The print command waits for the dialog to close, so the user's part runs from the
    // event loop the dialog runs.
    QTimer::singleShot(0, this, [&] {
        auto *dialog = m_h->ppal()->findChild<PolImprim *>();
        if (!dialog)
            return;
        wasVisible = dialog->isVisible();
        dialog->findChild<VbOptionButton *>(u"Option_LC1"_qs)->click();
        auto *size = dialog->findChild<VbComboBox *>(u"Taille_Police"_qs);
        size->setFocus(Qt::TabFocusReason);
        size->lineEdit()->clear();
        QTest::keyClicks(size, u"5"_qs);
        countSeen = dialog->findChild<QLabel *>(u"Estim_Pages"_qs)->text();
        QTest::mouseClick(dialog->findChild<VkCommand *>(u"Fermer"_qs), Qt::LeftButton);
    });
    QTest::mouseClick(m_h->find<VkCommand>(u"Imprimer"_qs), Qt::LeftButton);
    QVERIFY(wasVisible);
    // Header 500 twips, then blocks of 240 + 2 x 100 twips on pages of 1000: one block fits
    // under the header, two on each page after, so five fonts take three pages.
    QCOMPARE(countSeen, u"3"_qs);
    QVERIFY(m_h->readIni().contains("[TaillePolice]\r\nTaille=5\r\n"));
}

QTEST_MAIN(TestPolImprim)
#include "tst_polimprim.moc"
