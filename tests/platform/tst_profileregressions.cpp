// Settings files that fuzzing found mishandled, kept so that the faults stay mended. Each is a
// file whose untouched lines did not come back as they were after a write of another key.
#include "platform/ProfileFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestProfileRegressions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void otherLinesSurviveAWrite_data();
    void otherLinesSurviveAWrite();
};

void TestProfileRegressions::otherLinesSurviveAWrite_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");
    // A byte order mark at the start of a line (two UTF-8 files joined end to end) was dropped
    // when the line was decoded, so the line changed at the next write.
    QTest::newRow("byte order mark starting a line")
        << "\xEF\xBB\xBF[Options]\r\n\xEF\xBB\xBF[Taille_Exemple0=2O"_ba << u"Options"_s
        << u"Gras0"_s
        << "\xEF\xBB\xBF[Options]\r\n\xEF\xBB\xBF[Taille_Exemple0=2O\r\nGras0=1\r\n"_ba;
    QTest::newRow("byte order mark starting a key line")
        << "\xEF\xBB\xBF[S]\n\xEF\xBB\xBFk=\xC3\xA9\n"_ba << u"S"_s << u"j"_s
        << "\xEF\xBB\xBF[S]\n\xEF\xBB\xBFk=\xC3\xA9\nj=1\n"_ba;
    // A last line ending in a lone CR, given an LF when a line was added after it, read back as
    // a CRLF line end and its value lost the CR.
    QTest::newRow("lone CR ending the file, LF file") << "[OptionAs]\nzz\xff\xff\xff\xbd"
                                                         "1=1\r"_ba
                                                      << u"Options"_s << u"Gras0"_s
                                                      << "[OptionAs]\nzz\xff\xff\xff\xbd"
                                                         "1=1\r\r\n[Options]\nGras0=1\n"_ba;
    QTest::newRow("lone CR ending the section")
        << "[S]\nk=v\r"_ba << u"S"_s << u"j"_s << "[S]\nk=v\r\r\nj=1\n"_ba;
}

void TestProfileRegressions::otherLinesSurviveAWrite()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    QCOMPARE(ProfileDocument::fromBytes(before).toBytes(), before);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"Typovise.ini"_s);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(before);
    f.close();
    QVERIFY(ProfileFile::writeString(path, section, key, u"1"_s));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray written = f.readAll();
    QCOMPARE(written, after);
    // The keys the old file had read the same from the new one.
    const ProfileDocument old = ProfileDocument::fromBytes(before);
    const ProfileDocument now = ProfileDocument::fromBytes(written);
    const std::pair<QString, QString> names[]
        = { { u"OptionAs"_s, u"zzÿÿÿ½1"_s }, { u"S"_s, u"k"_s }, { u"S"_s, u"\uFEFFk"_s },
              { u"Options"_s, u"\uFEFF[Taille_Exemple0"_s } };
    for (const auto &[s, k] : names)
        QCOMPARE(now.value(s, k), old.value(s, k));
}

QTEST_GUILESS_MAIN(TestProfileRegressions)
#include "tst_profileregressions.moc"
