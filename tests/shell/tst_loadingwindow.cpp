// The loading window on a real X display under a window manager: its wait message and counter
// must be on the screen before the first font is read, as another program sees the screen.
#include "Harness.h"
#include "shell/PolCharge.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

// Another X client's view of the screen: the program's own connection could still hold
// drawing requests that the display has not received.
QImage screenAsAnotherClientSeesIt(const QString &file)
{
    QProcess grabber;
    grabber.start(QCoreApplication::applicationFilePath(), { u"--grab"_s, file });
    if (!grabber.waitForFinished(30000) || grabber.exitCode() != 0)
        return {};
    return QImage(file);
}

// The share of a label's pixels on the screen that pass the test.
double shareOf(const QImage &screen, const QRect &area, const std::function<bool(QColor)> &test)
{
    int found = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            found += test(screen.pixelColor(x, y)) ? 1 : 0;
    }
    return double(found) / (area.width() * area.height());
}

} // namespace

class TestLoadingWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messageAndCounterShownBeforeTheFirstFontIsRead()
    {
        QVERIFY2(QGuiApplication::platformName() == u"xcb"_s, "run under with-window-manager.sh");
        Harness h;
        for (int k = 0; k < 200; ++k)
            h.printer.fonts.append(u"Police %1"_s.arg(k, 3, 10, QChar(u'0')));
        h.app = std::make_unique<Typovise>(h.printer, h.messages, h.dir.path());
        QImage screen;
        QString message;
        QRect messageArea;
        QRect counterArea;
        h.printer.onFontQuery = [&](int i) {
            if (i != 0)
                return;
            auto *label = h.app->polCharge()->findChild<QLabel *>(u"NbrePolices"_s);
            counterArea = QRect(label->mapToGlobal(QPoint(0, 0)), label->size());
            label = h.app->polCharge()->findChild<QLabel *>(u"Patientez"_s);
            message = label->text();
            messageArea = QRect(label->mapToGlobal(QPoint(0, 0)), label->size());
            screen = screenAsAnotherClientSeesIt(h.dir.filePath(u"screen.png"_s));
        };
        h.app->demarrer();
        QCOMPARE(message,
            u"Veuillez patienter pendant la lecture\ndes  200 Polices dont vous disposez..."_s);

        auto yellow = [](QColor c) { return c.red() > 200 && c.green() > 200 && c.blue() < 60; };
        QCOMPARE_GT(shareOf(screen, counterArea, yellow), 0.5);
        // The message's letters, dark on the window's light background.
        QCOMPARE_GT(
            shareOf(screen, messageArea, [](QColor c) { return c.lightness() < 80; }), 0.01);
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--grab") == 0) {
        QGuiApplication app(argc, argv);
        const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
        return screen.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    QApplication app(argc, argv);
    TestLoadingWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_loadingwindow.moc"
