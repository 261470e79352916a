// The whole program in-process on scripted services, in its own program directory.
#pragma once

#include "Files.h"
#include "ScriptedMessages.h"
#include "ScriptedPrinter.h"
#include "shell/Typovise.h"
#include "main_window/PolPpal.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

struct Harness
{
    QTemporaryDir dir;
    ScriptedPrinter printer;
    ScriptedMessages messages;
    std::unique_ptr<Typovise> app;

    QString iniPath() const { return dir.filePath(QStringLiteral("Typovise.ini")); }
    void writeIni(const QByteArray &bytes) const { QVERIFY(writeFileBytes(iniPath(), bytes)); }
    QByteArray readIni() const { return fileBytes(iniPath()); }
    void start()
    {
        app = std::make_unique<Typovise>(printer, messages, dir.path());
        app->demarrer();
    }
    void start(const QStringList &fonts)
    {
        printer.fonts = fonts;
        start();
    }
    PolPpal *ppal() const { return app->polPpal(); }
    template <typename T> T *find(const QString &name) const
    {
        T *widget = ppal()->findChild<T *>(name);
        if (!widget)
            qWarning("no control named %s", qPrintable(name));
        return widget;
    }
};
