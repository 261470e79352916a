// Where the keyboard starts, and what a screen reader hears, across the windows.
#include "Harness.h"
#include "app/PolCharge.h"
#include "platform/Controls.h"
#include "printing/PolImprim.h"

#include <QAccessible>
#include <QApplication>
#include <QSet>

using namespace Qt::StringLiterals;

class TestTypovise : public QObject
{
    Q_OBJECT
    Harness m_h;

private Q_SLOTS:
    void initTestCase() { m_h.start({ u"Arial"_s, u"Times New Roman"_s }); }

    // First of all: the keyboard starts in the complete list, whose focus handler shows its sample.
    void completeListHasTheFocusAtStart()
    {
        auto *pane = m_h.find<VkFrame>(u"Cadre_Exemple0"_s);
        const QString shown = pane->Caption();
        pane->setCaption(u"pas encore"_s);
        m_h.ppal()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_h.ppal()));
        QCOMPARE(QApplication::focusWidget(), m_h.find<VbListBox>(u"Liste0"_s));
        QCOMPARE(pane->Caption(), shown);
    }

    // Every control has a name, and no two of a window read the same.
    void everyControlIsToldApart_data()
    {
        QTest::addColumn<QWidget *>("window");
        QTest::newRow("the loading window") << static_cast<QWidget *>(m_h.app->polCharge());
        QTest::newRow("the main window") << static_cast<QWidget *>(m_h.ppal());
        QTest::newRow("the print dialog") << static_cast<QWidget *>(m_h.app->polImprim());
    }

    void everyControlIsToldApart()
    {
        QFETCH(QWidget *, window);
        QSet<QString> heard;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            const QString name = widget->objectName();
            if (name.isEmpty() || name.startsWith(u"qt_"_s) || widget->window() != window)
                continue;
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(name));
            const QString said = accessible->text(QAccessible::Name) + u" / "_s
                + accessible->text(QAccessible::Description);
            QVERIFY2(!heard.contains(said), qPrintable(name + u": "_s + said));
            heard << said;
        }
    }
};

QTEST_MAIN(TestTypovise)
#include "tst_typovise.moc"
