// What a user can paste into the print dialog's editable fields: a megabyte of text, control
// characters, halves of surrogate pairs, right-to-left text. None of it may crash or stall the
// dialog, and what is saved must come back the same at the next opening and the next start,
// within what a text read returns (254 characters) and what a settings line can carry.
#include "Harness.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"
#include "printing/PolImprim.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>

namespace {

const QStringList kFonts { u"Arial"_qs, u"DejaVu Sans"_qs, u"Liberation Serif"_qs };

const QString kMegabyte(1 << 20, u'x');
const QString kLoneSurrogates
    = u"A"_qs + QChar(0xD800) + u"B"_qs + QChar(0xDC00) + u"C"_qs + QChar(0xDBFF);
// Hebrew and Arabic words with a right-to-left mark between them and a digit run inside.
const QString kRightToLeft = u"שלום עולם \u200F مرحبا 2048 بالعالم"_qs;
const QString kControls = u"\tA\u0001B\nC\rD\u007F\u001B[0m"_qs;

} // namespace

class TestPolImprimInput : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void textField_data();
    void textField();
    void sampleSize_data();
    void sampleSize();

private:
    void open();
    void close();
    void paste(QLineEdit *edit, const QString &text);
    template <typename T> T *control(const QString &name) const
    {
        T *widget = m_dialog->findChild<T *>(name);
        if (!widget)
            qWarning("no control named %s", qPrintable(name));
        return widget;
    }

    std::unique_ptr<Harness> m_h;
    PolImprim *m_dialog = nullptr;
    QElapsedTimer m_clock;
};

void TestPolImprimInput::init()
{
    m_h = std::make_unique<Harness>();
    m_h->printer.fonts = kFonts;
    m_h->start();
    m_clock.start();
}

void TestPolImprimInput::cleanup()
{
    // A generous bound on a whole row, paste, save, two openings and a restart included: the
    // point is that nothing grows with the text beyond what the controls keep of it.
    QVERIFY2(m_clock.elapsed() < 20000, qPrintable(QString::number(m_clock.elapsed())));
    m_dialog = nullptr;
    m_h.reset();
}

void TestPolImprimInput::open()
{
    m_dialog = m_h->app->afficherImpression();
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog));
}

void TestPolImprimInput::close()
{
    QTest::mouseClick(control<VkCommand>(u"Fermer"_qs), Qt::LeftButton);
    m_dialog = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// As a user does it: everything selected, then the clipboard pasted with the keyboard.
void TestPolImprimInput::paste(QLineEdit *edit, const QString &text)
{
    QApplication::clipboard()->setText(text);
    QCOMPARE(QApplication::clipboard()->text(), text);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

void TestPolImprimInput::textField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("reopened"); // in the same run; null for what the field kept
    QTest::addColumn<QString>("saved"); // read back from the settings file, and after a restart

    const QString header = u"Texte1"_qs, line1 = u"Ligne_Exemple1"_qs, line2 = u"Ligne_Exemple2"_qs;
    const QString x254(254, u'x');
    // The header is read back from the file at every opening; the sample lines come from
    // memory, where a field keeps what the line edit takes of a paste (32,767 characters).
    QTest::newRow("header, 1 MB") << header << kMegabyte << x254 << x254;
    QTest::newRow("line 1, 1 MB") << line1 << kMegabyte << QString() << x254;
    // A line break would split the settings line; it is kept as a blank. The settings file
    // drops blanks and tabs around a value, as the older program's did.
    const QString controlsSaved = u"A\u0001B C D\u007F\u001B[0m"_qs;
    QTest::newRow("header, control characters")
        << header << kControls << controlsSaved << controlsSaved;
    QTest::newRow("line 2, control characters") << line2 << kControls << kControls << controlsSaved;
    const QString surrogatesSaved = u"A\uFFFDB\uFFFDC\uFFFD"_qs;
    QTest::newRow("header, lone surrogates")
        << header << kLoneSurrogates << surrogatesSaved << surrogatesSaved;
    QTest::newRow("line 1, lone surrogates")
        << line1 << kLoneSurrogates << kLoneSurrogates << surrogatesSaved;
    QTest::newRow("header, right to left")
        << header << kRightToLeft << kRightToLeft << kRightToLeft;
    QTest::newRow("line 2, right to left") << line2 << kRightToLeft << kRightToLeft << kRightToLeft;
    // Only blanks are taken off the ends of a stored line, not other white space.
    const QString spaces = u"\u00A0Zoé\u3000"_qs;
    QTest::newRow("line 1, no-break spaces") << line1 << spaces << spaces << spaces;
}

void TestPolImprimInput::textField()
{
    QFETCH(QString, field);
    QFETCH(QString, pasted);
    QFETCH(QString, reopened);
    QFETCH(QString, saved);
    const bool isHeader = field == u"Texte1"_qs;
    const int line = field.right(1).toInt();
    const auto text = [this, &field] {
        auto *box = m_dialog->findChild<VbComboBox *>(field);
        return box ? box->Text() : control<VbTextBox>(field)->Text();
    };

    open();
    auto *box = m_dialog->findChild<VbComboBox *>(field);
    QLineEdit *edit = box ? box->lineEdit() : control<VbTextBox>(field);
    edit->setFocus(Qt::TabFocusReason);
    paste(edit, pasted);
    const QString kept = text();
    QVERIFY(!kept.isEmpty());
    QVERIFY(pasted.startsWith(kept));
    control<QWidget>(isHeader ? u"Ligne_Exemple1"_qs : u"Texte1"_qs)->setFocus(Qt::TabFocusReason);
    if (isHeader) {
        QCOMPARE(ProfileFile::readString(m_h->iniPath(), u"En-Tête", u"Texte", QString()), saved);
    } else {
        QCOMPARE(m_h->app->state().LignesExemple[line], u' ' + kept);
        QCOMPARE(ProfileFile::readString(m_h->iniPath(), u"Textes", u"%1°_Ligne"_qs.arg(line), {}),
            saved);
    }
    close();
    // Back in the main window, the first pane shows the lines, however long.
    if (!isHeader)
        QVERIFY(m_h->find<QLabel>(u"Exemple0"_qs)->text().contains(kept));

    open();
    QCOMPARE(text(), reopened.isNull() ? kept : reopened);
    close();
    m_h->restart();
    open();
    QCOMPARE(text(), saved);
    QCOMPARE(m_h->messages.asked.size(), 0);
}

void TestPolImprimInput::sampleSize_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QString>("restarted"); // the field at the first opening after a restart

    QTest::newRow("1 MB of digits")
        << QString(1 << 20, u'9') << 2048.0 << 1 << QByteArray("Taille=2048\r\n") << u"2048"_qs;
    // A size of 0 is saved, and leaves the start-up size in place at the next start.
    QTest::newRow("1 MB of letters")
        << kMegabyte << 0.0 << 0 << QByteArray("Taille=0\r\n") << u"12"_qs;
    QTest::newRow("control characters")
        << u"\t2\n4\u0001"_qs << 24.0 << 0 << QByteArray("Taille=24\r\n") << u"24"_qs;
    QTest::newRow("lone surrogate")
        << u"1"_qs + QChar(0xD800) + u"6"_qs << 1.0 << 0 << QByteArray("Taille=1\r\n") << u"1"_qs;
    QTest::newRow("right-to-left mark")
        << u"\u200F36"_qs << 0.0 << 0 << QByteArray("Taille=0\r\n") << u"12"_qs;
    QTest::newRow("Arabic-Indic digits")
        << u"\u0663\u0666"_qs << 0.0 << 0 << QByteArray("Taille=0\r\n") << u"12"_qs;
    QTest::newRow("huge exponent")
        << u"1E99999"_qs << 2048.0 << 1 << QByteArray("Taille=2048\r\n") << u"2048"_qs;
    QTest::newRow("tiny exponent")
        << u"-1D-99999"_qs << 0.0 << 0 << QByteArray("Taille=0\r\n") << u"12"_qs;
}

void TestPolImprimInput::sampleSize()
{
    QFETCH(QString, pasted);
    QFETCH(double, size);
    QFETCH(int, messages);
    QFETCH(QByteArray, saved);
    QFETCH(QString, restarted);

    open();
    auto *box = control<VbComboBox>(u"Taille_Police"_qs);
    box->setFocus(Qt::TabFocusReason);
    paste(box->lineEdit(), pasted);
    QCOMPARE(m_h->app->state().TaillePolice, size);
    QCOMPARE(m_h->messages.asked.size(), messages);
    if (messages > 0)
        QCOMPARE(box->Text(), u"2048"_qs);
    QVERIFY2(m_h->readIni().contains("[TaillePolice]\r\n" + saved), m_h->readIni().constData());
    QCOMPARE(control<QLabel>(u"Estim_Pages"_qs)->text(), u"1"_qs);
    close();

    m_h->restart();
    open();
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_qs)->Text(), restarted);
}

QTEST_MAIN(TestPolImprimInput)
#include "tst_polimprim_input.moc"
