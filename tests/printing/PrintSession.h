// The program started in-process on the real printer service, for the tests that print through
// CUPS or into PDF files, and the poppler tools that read what came out.
#pragma once

#include "ScriptedMessages.h"
#include "app/Typovise.h"
#include "main_window/PolPpal.h"
#include "platform/Controls.h"
#include "platform/QtPrinterService.h"
#include "printing/PolImprim.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

struct Ran
{
    int exitCode = -1;
    QString output; // standard output only
};

inline Ran run(const QString &program, const QStringList &arguments, int timeoutMs = 30000)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardOutput()) };
}

inline int pdfPages(const QString &file)
{
    for (const QString &line : run(QStringLiteral("pdfinfo"), { file }).output.split(u'\n')) {
        if (line.startsWith(u"Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

inline QStringList pdfFiles(const QString &dir)
{
    return QDir(dir).entryList({ QStringLiteral("*.pdf") }, QDir::Files);
}

// The first PDF file in dir that was not there before, waited for while CUPS passes it on.
inline QString waitForNewPdf(
    const QString &dir, const QStringList &before = {}, int timeoutMs = 30000)
{
    QElapsedTimer waited;
    waited.start();
    do {
        for (const QString &name : pdfFiles(dir)) {
            if (!before.contains(name))
                return QDir(dir).filePath(name);
        }
        QTest::qWait(100);
    } while (waited.elapsed() < timeoutMs);
    return QString();
}

// Message boxes that also note which modal window was open when each was shown.
struct WatchingMessages : ScriptedMessages
{
    QStringList modalAtBox;
    Answer MsgBox(const QString &text, int style, const QString &title) override
    {
        const QWidget *modal = QApplication::activeModalWidget();
        modalAtBox.append(modal ? modal->objectName() : QString());
        return ScriptedMessages::MsgBox(text, style, title);
    }
};

struct Session
{
    QTemporaryDir temp;
    QString dir;
    std::unique_ptr<QtPrinterService> printer;
    WatchingMessages messages;
    std::unique_ptr<Typovise> app;
    PolImprim *dialog = nullptr;

    // In programDir, or in a temporary directory of its own.
    explicit Session(const QString &programDir = {},
        const std::function<QtPrinterService *(const QString &)> &make = {})
        : dir(programDir.isEmpty() ? temp.path() : programDir)
    {
        printer.reset(make ? make(dir) : new QtPrinterService(dir));
        app = std::make_unique<Typovise>(*printer, messages, dir);
        app->setPdfAnnouncer(printer.get());
        app->demarrer();
    }
    void open() { dialog = app->afficherImpression(); }
    template <typename T> T *control(const QString &name) const
    {
        return dialog->findChild<T *>(name);
    }
    void click(const QString &name) const { control<QAbstractButton>(name)->click(); }
    int estimate() const { return control<QLabel>(QStringLiteral("Estim_Pages"))->text().toInt(); }
    void print() const
    {
        QTest::mouseClick(control<VkCommand>(QStringLiteral("Impression")), Qt::LeftButton);
    }
    VbListBox *completeList() const { return app->polPpal()->liste(0); }
};
