#include "platform/ProfileFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestProfileFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

    void put(const QByteArray &bytes)
    {
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    QByteArray bytes(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init()
    {
        m_path = m_dir.filePath(u"Typovise.ini"_s);
        QFile::remove(m_path);
    }

    // The value of key k of section S, or of the names the row gives, as text and as a number.
    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("number");
        auto row = [](const char *name, const QByteArray &content, const QString &expected,
                       int number, const QString &section = u"S"_s) {
            QTest::newRow(name) << content << section << expected << number;
        };
        row("case and accents ignored", "[EN-T\xCATE]\r\nK=7\r\n"_ba, u"7"_s, 7, u"En-Tête"_s);
        row("blanks around", "  [ S ] \t\r\n \t k \t=  \t 12 \t \r\n"_ba, u"12"_s, 12);
        row("double quotes", "[S]\nk=\" a \"\n"_ba, u" a "_s, 0);
        row("first section and key win", "[S]\nk=1\nk=2\n[s]\nk=3\n"_ba, u"1"_s, 1);
        row("10.5", "[S]\nk=10.5"_ba, u"10.5"_s, 10);
        row("huge", "[S]\nk=99999999999999999999\n"_ba, u"99999999999999999999"_s, INT_MAX);
        row("missing key", "[S]\n;k=1\n[T]\nk=1\n"_ba, u"-"_s, -1);
        row("no file", QByteArray(), u"-"_s, -1);
        row("Windows-1252", "[S]\r\nk=T\xEAte \x80\r\n"_ba, u"Tête €"_s, 0);
        row("UTF-8", "[S]\nk=T\xC3\xAAte \xE2\x82\xAC\n"_ba, u"Tête €"_s, 0);
    }

    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, expected);
        QFETCH(int, number);
        if (!content.isNull())
            put(content);
        QCOMPARE(ProfileFile::readString(m_path, section, u"k", u"-"_s), expected);
        QCOMPARE(ProfileFile::readInt(m_path, section, u"k", -1), number);
    }

    // The exact bytes after writing k=v into section S: every other line stays as it was.
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
        row("replaced in place, LF", "; a\n[A]\nk=1\n\n[s]\n  K = old \n;n\nj=\xE9\nxx\n"_ba,
            u"new"_s, "; a\n[A]\nk=1\n\n[s]\nk=new\n;n\nj=\xE9\nxx\n"_ba);
        row("added, CRLF", "[S]\r\na=1\r\n\r\n[T]\r\nc=3"_ba, u"v"_s,
            "[S]\r\na=1\r\nk=v\r\n\r\n[T]\r\nc=3"_ba);
        row("new section", "[A]\r\nx=1\r\n"_ba, u"v"_s, "[A]\r\nx=1\r\n[S]\r\nk=v\r\n"_ba);
        row("1252 stays 1252", "[S]\r\nj=\xE9\r\n"_ba, u"€"_s, "[S]\r\nj=\xE9\r\nk=\x80\r\n"_ba);
        row("UTF-8 stays UTF-8", "[S]\nj=\xC3\xA9\n"_ba, u"ê"_s,
            "[S]\nj=\xC3\xA9\nk=\xC3\xAA\n"_ba);
        row("outside 1252: all UTF-8", "[S]\r\nj=\xE9\r\n"_ba, u"Ω"_s,
            "[S]\r\nj=\xC3\xA9\r\nk=\xCE\xA9\r\n"_ba);
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            put(before);
        QVERIFY(ProfileFile::writeString(m_path, section, u"k", value));
        QCOMPARE(bytes(m_path), after);
        QCOMPARE(ProfileFile::readString(m_path, section, u"k", {}), value);
    }

    // Replaced by a rename, never rewritten in place: a hard link keeps the old file whole.
    void replacesByRename()
    {
        put("[S]\r\nk=old\r\n");
        const QString link = m_dir.filePath(u"link.ini"_s);
        QCOMPARE(::link(qPrintable(m_path), qPrintable(link)), 0);
        QVERIFY(ProfileFile::writeString(m_path, u"S", u"k", u"new"_s));
        QCOMPARE(bytes(m_path), "[S]\r\nk=new\r\n"_ba);
        QCOMPARE(bytes(link), "[S]\r\nk=old\r\n"_ba);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        QFile::remove(link);
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
