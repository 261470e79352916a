#include "platform/Controls.h"

#include <QSignalSpy>
#include <QTest>

class TestControls : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void listSortsIgnoringCase_data();
    void listSortsIgnoringCase();
    void listIndexOfEmptyAndFreshList();
    void comboRunsOneBehaviourPerEdit();
    void comboLostFocusOnlyBetweenControls();
    void checkBox();
    void optionButtonClickWhenChosen();
};

void TestControls::initTestCase()
{
    // The lists sort by the user's alphabet, fixed at their first comparison; the tests run
    // under the C locale, whose plain code-point order would put accented letters last.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

void TestControls::listSortsIgnoringCase_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("case ignored") << QStringList { u"b"_qs, u"A"_qs, u"a"_qs, u"B"_qs, u"c"_qs }
                                  << QStringList { u"A"_qs, u"a"_qs, u"b"_qs, u"B"_qs, u"c"_qs };
    QTest::newRow("numbered entries") << QStringList { u"3 x"_qs, u"10 y"_qs, u"2 z"_qs }
                                      << QStringList { u"10 y"_qs, u"2 z"_qs, u"3 x"_qs };
    QTest::newRow("equal entries side by side") << QStringList { u"DejaVu"_qs, u"arial"_qs,
        u"DejaVu"_qs } << QStringList { u"arial"_qs, u"DejaVu"_qs, u"DejaVu"_qs };
    QTest::newRow("accents among their letter")
        << QStringList { u"Zapf"_qs, u"Écho"_qs, u"delta"_qs, u"Eras"_qs, u"Ému"_qs }
        << QStringList { u"delta"_qs, u"Écho"_qs, u"Ému"_qs, u"Eras"_qs, u"Zapf"_qs };
}

void TestControls::listSortsIgnoringCase()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);
    QWidget window;
    VbListBox list(&window);
    for (const QString &text : added)
        list.AddItem(text);
    QStringList actual;
    for (int i = 0; i < list.ListCount(); ++i)
        actual.append(list.List(i));
    QCOMPARE(actual, expected);
    list.AddItem(u"first"_qs, 0);
    QCOMPARE(list.List(0), u"first"_qs);
}

void TestControls::listIndexOfEmptyAndFreshList()
{
    QWidget window;
    VbListBox list(&window);
    QCOMPARE(list.ListIndex(), -1);
    list.AddItem(u"b"_qs);
    list.AddItem(u"a"_qs);
    QCOMPARE(list.ListIndex(), 0);
    list.setSelected(1, true);
    QCOMPARE(list.ListIndex(), 1);
    QVERIFY(list.Selected(1) && !list.Selected(0));
    list.Clear();
    QCOMPARE(list.ListIndex(), -1);
}

void TestControls::comboRunsOneBehaviourPerEdit()
{
    QWidget window;
    VbComboBox combo(&window);
    combo.addItems({ u"8"_qs, u"9"_qs, u"10"_qs });
    combo.setEditText(u"9"_qs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy changes(&combo, &VbComboBox::Change);
    QSignalSpy clicks(&combo, &VbComboBox::Click);

    combo.lineEdit()->selectAll();
    QTest::keyClicks(&combo, u"30"_qs);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(combo.Text(), u"30"_qs);

    changes.clear();
    combo.setText(u"12"_qs);
    combo.setText(u"12"_qs);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(clicks.count(), 0);

    // Picking from the list with the keyboard: the text takes the entry, one Click only.
    changes.clear();
    combo.setCurrentIndex(0);
    changes.clear();
    QTest::keyClick(&combo, Qt::Key_Down);
    QCOMPARE(combo.Text(), u"9"_qs);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(changes.count(), 0);
}

void TestControls::comboLostFocusOnlyBetweenControls()
{
    QWidget window;
    VbComboBox combo(&window);
    QLineEdit other(&window);
    other.move(0, 50);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    combo.setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(combo.hasFocus());
    QSignalSpy lost(&combo, &VbComboBox::LostFocus);
    QFocusEvent windowSwitch(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(&combo, &windowSwitch);
    QCOMPARE(lost.count(), 0);
    other.setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(lost.count(), 1);
}

// The start-up relies on a Click for every change, the program's own as well as the user's.
void TestControls::checkBox()
{
    QWidget window;
    VbCheckBox box(u"Gras"_qs, &window);
    box.resize(100, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(&box, &VbCheckBox::Click);
    QList<int> seen;
    for (int value : { 0, 1, 2, 7, -1, 2 }) {
        box.setValue(value);
        seen.append(box.Value());
    }
    QCOMPARE(seen, (QList<int> { 0, 1, 2, 0, 0, 2 }));
    QCOMPARE(clicks.count(), 4);
    // The user's clicks leave the greyed state and never come back to it.
    seen.clear();
    for (int k = 0; k < 3; ++k) {
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, 15));
        seen.append(box.Value());
    }
    QCOMPARE(seen, (QList<int> { 1, 0, 1 }));
    QCOMPARE(clicks.count(), 7);
}

void TestControls::optionButtonClickWhenChosen()
{
    QWidget window;
    VbOptionButton first(u"Liste complète"_qs, &window);
    VbOptionButton second(u"Liste Sélection"_qs, &window);
    QSignalSpy firstClicks(&first, &VbOptionButton::Click);
    QSignalSpy secondClicks(&second, &VbOptionButton::Click);
    first.setValue(true);
    second.setValue(true);
    QCOMPARE(firstClicks.count(), 1);
    QCOMPARE(secondClicks.count(), 1);
    QVERIFY(!first.Value());
    second.setValue(true);
    QCOMPARE(secondClicks.count(), 1);
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
