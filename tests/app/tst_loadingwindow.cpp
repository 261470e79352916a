// The loading window on a real X display under a window manager: its wait message and counter
// must be on the screen before the first font is read, as another program sees the screen.
#include "Harness.h"
#include "app/PolCharge.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

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

QRect onScreen(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

int countPixels(const QImage &screen, const QRect &area, const std::function<bool(QColor)> &test)
{
    int found = 0;
    const QRect inside = area.intersected(screen.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            found += test(screen.pixelColor(x, y)) ? 1 : 0;
    }
    return found;
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
        QRect message;
        QRect counter;
        h.printer.onFontQuery = [&](int i) {
            if (i != 0)
                return;
            PolCharge *charge = h.app->polCharge();
            message = onScreen(charge->findChild<QLabel *>(u"Patientez"_s));
            counter = onScreen(charge->findChild<QLabel *>(u"NbrePolices"_s));
            screen = screenAsAnotherClientSeesIt(h.dir.filePath(u"screen.png"_s));
        };
        h.app->demarrer();

        QVERIFY(!screen.isNull());
        const int counterPixels = counter.width() * counter.height();
        const int yellow = countPixels(screen, counter,
            [](QColor c) { return c.red() > 200 && c.green() > 200 && c.blue() < 60; });
        QVERIFY2(yellow > counterPixels / 2,
            qPrintable(u"%1 of %2 counter pixels yellow"_s.arg(yellow).arg(counterPixels)));
        // The message: a light window background with dark letters on it.
        const int messagePixels = message.width() * message.height();
        const int light
            = countPixels(screen, message, [](QColor c) { return c.lightness() > 180; });
        const int dark = countPixels(screen, message, [](QColor c) { return c.lightness() < 80; });
        QVERIFY2(light > messagePixels / 2,
            qPrintable(u"%1 of %2 message pixels light"_s.arg(light).arg(messagePixels)));
        QVERIFY2(dark > 100, qPrintable(u"%1 dark message pixels"_s.arg(dark)));
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
