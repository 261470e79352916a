// Sample display: Down-arrow through 1,000 entries of the real fonts in the main window, each
// key timed until the pane and the list have painted what it changed. The entries cycle through the
// installed families, so the first round shows each face for the first time and the keys
// after it show faces already seen.
//
//   bench_sample [entries]
#include "BenchCommon.h"
#include "CyclingPrinter.h"
#include "ScriptedMessages.h"
#include "shell/Typovise.h"
#include "main_window/PolPpal.h"
#include "widgets/Controls.h"
#include "printer/QtPrinterService.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace Bench;

namespace {

class PaintCount : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int count
        = std::max(2, QCoreApplication::arguments().value(1, QStringLiteral("1000")).toInt());
    QTemporaryDir dir;
    CyclingPrinter printer(dir.path(), count);
    const int families = printer.families();
    if (families == 0) {
        std::printf("no installed font\n");
        return 1;
    }
    ScriptedMessages messages;
    Typovise app(printer, messages, dir.path());
    app.demarrer();
    PolPpal *ppal = app.polPpal();
    VbListBox *list = ppal->liste(0);
    auto *label = ppal->findChild<QLabel *>(QStringLiteral("Exemple0"));
    auto *frame = ppal->findChild<VkFrame *>(QStringLiteral("Cadre_Exemple0"));

    // The sorted list holds each family's entries side by side; deal them out again so that
    // the families follow one another as on a machine with as many different faces.
    QList<QStringList> byFamily(families);
    for (int i = 0; i < list->ListCount(); ++i)
        byFamily[i % families].append(list->List(i));
    QStringList dealt;
    for (int round = 0; dealt.size() < list->ListCount(); ++round) {
        for (const QStringList &group : byFamily) {
            if (round < group.size())
                dealt.append(group.at(round));
        }
    }
    list->clear();
    list->addItems(dealt);
    list->setCurrentRow(0);
    ppal->activateWindow();
    list->setFocus();
    QCoreApplication::processEvents();

    PaintCount painted;
    label->installEventFilter(&painted);
    QSet<QString> seen;
    seen.insert(frame->Caption());
    std::vector<double> first;
    std::vector<double> again;
    for (int i = 1; i < count; ++i) {
        const double ms = timeMs([&] {
            const QRect before = list->visualItemRect(list->currentItem());
            QTest::keyClick(list, Qt::Key_Down);
            // The event loop paints on its own time (the platform gathers update requests for
            // a few milliseconds); painting what the key changed at once times the work, not
            // the wait: the pane with its title and sample, and the two rows of the list
            // whose highlight moved (scrolling aside, all that the event loop would paint).
            frame->repaint();
            list->viewport()->repaint(before | list->visualItemRect(list->currentItem()));
            QCoreApplication::processEvents();
        });
        const QString shown = frame->Caption();
        (seen.contains(shown) ? again : first).push_back(ms);
        seen.insert(shown);
    }
    const bool followed = list->currentRow() == count - 1 && painted.paints >= count - 1;
    std::vector<double> sorted = again;
    std::sort(sorted.begin(), sorted.end());
    const double p95 = sorted.empty() ? 0 : sorted[size_t(double(sorted.size() - 1) * 0.95)];
    const double worst = sorted.empty() ? 0 : sorted.back();
    std::printf("sample display, %d entries over %d families: %zu first showings, median "
                "%.2f ms; %zu keys on faces seen before, median %.2f ms, 95th percentile "
                "%.2f ms, worst %.2f ms; sample painted %d times, list ended on row %d\n",
        count, families, first.size(), median(first), again.size(), median(again), p95, worst,
        painted.paints, list->currentRow());
    result(QStringLiteral("Sample display, font seen before"),
        QStringLiteral("%1 Down keys").arg(again.size()), duration(median(again)),
        QStringLiteral("%1 (95%: %2)").arg(duration(median(again)), duration(p95)),
        QStringLiteral("< 16 ms per key"), met(followed && p95 < 16));
    result(QStringLiteral("Sample display, first showing"),
        QStringLiteral("%1 Down keys").arg(first.size()), duration(median(first)),
        duration(median(first)), QStringLiteral("-"),
        followed ? QStringLiteral("-") : QStringLiteral("NO"));
    return followed ? 0 : 1;
}
