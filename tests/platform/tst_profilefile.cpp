#include "platform/ProfileFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

static QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class TestProfileFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The exact bytes after writing k into section S: every other line stays as it was.
    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        auto row = [](const char *name, const QByteArray &before, const QString &value,
                       const QByteArray &after, const QString &section = u"S"_s) {
            QTest::newRow(name) << before << section << value << after;
        };
        row("new file, En-Tête", QByteArray(), u"Catalogue"_s, "[En-T\xEAte]\r\nk=Catalogue\r\n"_ba,
            u"En-Tête"_s);
        row("in place, case ignored", "; a\n[A]\nk=1\n\n[s]\n  K = old \n;n\nj=\xE9\nxx\n"_ba,
            u"new"_s, "; a\n[A]\nk=1\n\n[s]\nk=new\n;n\nj=\xE9\nxx\n"_ba);
        row("added, CRLF", "[S]\r\na=1\r\n\r\n[T]\r\nc=3"_ba, u"v"_s,
            "[S]\r\na=1\r\nk=v\r\n\r\n[T]\r\nc=3"_ba);
        row("1252 stays 1252", "[S]\r\nj=\xE9\r\n"_ba, u"€"_s, "[S]\r\nj=\xE9\r\nk=\x80\r\n"_ba);
        row("outside 1252: all UTF-8", "[S]\r\nj=\xE9\r\n"_ba, u"Ω"_s,
            "[S]\r\nj=\xC3\xA9\r\nk=\xCE\xA9\r\n"_ba);
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Typovise.ini"_s);
        QFile f(path);
        QVERIFY(before.isNull() || (f.open(QIODevice::WriteOnly) && f.write(before) >= 0));
        f.close();
        QVERIFY(ProfileFile::writeString(path, section, u"k", value));
        QCOMPARE(bytes(path), after);
        QCOMPARE(ProfileFile::readString(path, section, u"K", {}), value);
    }

    // Replaced by a rename, never rewritten in place: a hard link keeps the old file whole.
    void replacesByRename()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Typovise.ini"_s), link = dir.filePath(u"link"_s);
        QVERIFY(ProfileFile::writeString(path, u"S", u"k", u"old"_s));
        QCOMPARE(::link(qPrintable(path), qPrintable(link)), 0);
        QVERIFY(ProfileFile::writeString(path, u"S", u"k", u"new"_s));
        QCOMPARE(bytes(path), "[S]\r\nk=new\r\n"_ba);
        QCOMPARE(bytes(link), "[S]\r\nk=old\r\n"_ba);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
