// What the sample panes show of fonts made for other scripts, among a font set of its own.
#include "FontSetMain.h"
#include "Harness.h"
#include "ScriptFonts.h"
#include "widgets/Controls.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>

using namespace Qt::StringLiterals;

class TestSamplePanes : public QObject
{
    Q_OBJECT
    std::unique_ptr<Harness> m_h;

    QLabel *exemple() const { return m_h->find<QLabel>(u"Exemple0"_s); }
    VbListBox *liste() const { return m_h->find<VbListBox>(u"Liste0"_s); }

private Q_SLOTS:
    // Sorted: 1 Liberation Sans, 2 Typovise ASCII, 3 Typovise Khmer.
    void init()
    {
        m_h = std::make_unique<Harness>();
        m_h->start({ ScriptFonts::kLatin, ScriptFonts::kAscii, ScriptFonts::kKhmer });
        m_h->ppal()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_h->ppal()));
    }
    void cleanup() { m_h.reset(); }

    // The pane reaches each font with the arrow keys, from the font before it; its title names
    // the font whatever the text.
    void paneShowsWhatTheFontCan_data()
    {
        const QString user = u" Portez ce vieux whisky au juge blond qui fume"_s + u' '
            + u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_s;
        const QString khmer = QFontDatabase::writingSystemSample(QFontDatabase::Khmer);
        QTest::addColumn<int>("downs");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("text");
        QTest::newRow("a Latin font shows the user's lines") << 0 << ScriptFonts::kLatin << user;
        QTest::newRow("a font of few letters shows the user's lines")
            << 1 << ScriptFonts::kAscii << user;
        QTest::newRow("a Khmer font shows Khmer for both lines")
            << 2 << ScriptFonts::kKhmer << u' ' + khmer + u' ' + khmer;
    }
    void paneShowsWhatTheFontCan()
    {
        QFETCH(int, downs);
        QFETCH(QString, family);
        QFETCH(QString, text);
        liste()->setFocus();
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(liste(), Qt::Key_Down);
        QCOMPARE(m_h->find<VkFrame>(u"Cadre_Exemple0"_s)->Caption(), family);
        QCOMPARE(exemple()->text(), text);
        // Back from the print dialog, the pane shows the lines again, as the font can.
        m_h->ppal()->Form_Activate();
        QCOMPARE(exemple()->text(), text);
    }

    // Back on a Latin font after a Khmer one, the user's lines come back.
    void paneShowsTheUserLinesAgain()
    {
        liste()->setFocus();
        QTest::keyClick(liste(), Qt::Key_End);
        QTest::keyClick(liste(), Qt::Key_Up);
        QTest::keyClick(liste(), Qt::Key_Down);
        QVERIFY(!exemple()->text().contains(u"Portez"_s));
        QTest::keyClick(liste(), Qt::Key_Up);
        QVERIFY(exemple()->text().startsWith(u" Portez"_s));
    }
};

int main(int argc, char **argv)
{
    return runAmongFontSet<TestSamplePanes, QApplication>(argc, argv, ScriptFonts::write);
}

#include "tst_samplepanes.moc"
