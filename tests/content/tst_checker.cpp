// verifica-contenuti finds each fault in a content folder built with it,
// and passes a folder without faults.
#include "ContentChecker.h"
#include "SwfWriter.h"
#include "WavFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using Fault = ContentChecker::Fault;
Q_DECLARE_METATYPE(ContentChecker::Fault)

namespace {

bool copyTree(const QString &from, const QString &to)
{
    if (QFileInfo(from).isFile())
        return QFile::copy(from, to);
    QDir().mkpath(to);
    for (const QString &entry : QDir(from).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        if (!copyTree(from + '/' + entry, to + '/' + entry))
            return false;
    return true;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A one-frame movie holding one tag: a video stream definition (which the
// engine skips), or a sound.
QByteArray movieWithTag(int code, const QByteArray &tag)
{
    QByteArray body;
    body += QByteArray("\x70\x00\x0f\xa0\x00\x00\xfa\x00", 8);   // RECT 0..8000 x 0..8000, 5+4*14 bits
    body += QByteArray("\x00\x0c\x01\x00", 4);                  // 12 fps, 1 frame
    body += char((code << 6 | 0x3f) & 0xff);
    body += char((code << 6 | 0x3f) >> 8);
    QByteArray size(4, 0);
    qToLittleEndian<quint32>(quint32(tag.size()), size.data());
    body += size + tag;
    body += QByteArray("\x40\x00\x00\x00", 4);                  // ShowFrame, End
    QByteArray file("FWS\x08", 4);
    QByteArray length(4, 0);
    qToLittleEndian<quint32>(quint32(body.size() + 8), length.data());
    return file + length + body;
}

QByteArray tinyMovie()
{
    SwfWriter swf(QSize(10, 10), 12, Qt::white);
    swf.showFrame();
    return swf.finish();
}

} // namespace

class TestChecker : public QObject
{
    Q_OBJECT

private slots:
    void findsEachFault_data();
    void findsEachFault();
    void programReportsInItalian();

private:
    // A content folder with one good story and the sound.
    bool makeGoodFolder(const QString &root);
};

bool TestChecker::makeGoodFolder(const QString &root)
{
    QDir().mkpath(root + "/gif");
    QDir().mkpath(root + "/suoni");
    return copyTree(CONTENT_DIR "/gif/seme", root + "/gif/seme") && copyTree(CONTENT_DIR "/gif/seme.swf", root + "/gif/seme.swf")
        && copyTree(CONTENT_DIR "/suoni/no.wav", root + "/suoni/no.wav");
}

void TestChecker::findsEachFault_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("expectOk");
    QTest::addColumn<Fault>("expected");
    QTest::newRow("good folder") << "none" << true << Fault::NoExercises;
    QTest::newRow("picture missing") << "picture missing" << false << Fault::MissingPicture;
    QTest::newRow("picture folder missing") << "picture folder missing" << false << Fault::MissingPicture;
    QTest::newRow("picture unreadable") << "picture unreadable" << false << Fault::UnreadablePicture;
    QTest::newRow("picture with the wrong case") << "picture case" << false << Fault::MissingPicture;
    QTest::newRow("folder without movie") << "folder without movie" << false << Fault::FolderWithoutMovie;
    QTest::newRow("movie unreadable") << "movie unreadable" << false << Fault::UnreadableMovie;
    QTest::newRow("movie is a folder") << "movie folder" << false << Fault::UnreadableMovie;
    QTest::newRow("movie with undrawn tags") << "movie video" << false << Fault::UndrawnContent;
    QTest::newRow("movie with a sound not played") << "movie nellymoser" << false << Fault::UnplayableSound;
    QTest::newRow("names differ by case") << "case clash" << false << Fault::CaseClash;
    QTest::newRow("more than 1000 movies") << "too many" << false << Fault::TooManyMovies;
    QTest::newRow("sound missing") << "sound missing" << false << Fault::MissingSound;
    QTest::newRow("sound 8-bit") << "sound 8-bit" << false << Fault::BadSound;
    QTest::newRow("sound not a wav") << "sound garbage" << false << Fault::BadSound;
    QTest::newRow("no gif folder") << "no gif" << false << Fault::NoGifFolder;
    QTest::newRow("no movies") << "no movies" << false << Fault::NoExercises;
}

void TestChecker::findsEachFault()
{
    QFETCH(QString, fault);
    QFETCH(bool, expectOk);
    QFETCH(Fault, expected);
    QTemporaryDir dir;
    const QString root = dir.path(), gif = root + "/gif";
    QVERIFY(makeGoodFolder(root));

    if (fault == "picture missing") {
        QVERIFY(QFile::remove(gif + "/seme/seme3.gif"));
    } else if (fault == "picture folder missing") {
        QVERIFY(QDir(gif + "/seme").removeRecursively());
    } else if (fault == "picture unreadable") {
        QVERIFY(write(gif + "/seme/seme2.gif", "GIF89a but nothing more"));
    } else if (fault == "picture case") {
        QVERIFY(QFile::rename(gif + "/seme/seme5.gif", gif + "/seme/Seme5.GIF"));
    } else if (fault == "folder without movie") {
        QVERIFY(copyTree(gif + "/seme", gif + "/gatto"));
    } else if (fault == "movie unreadable") {
        QVERIFY(copyTree(gif + "/seme", gif + "/rotto"));
        QVERIFY(write(gif + "/rotto.swf", "CWS\x08 this is not a movie"));
    } else if (fault == "movie folder") {
        QVERIFY(QDir().mkpath(gif + "/cartella.swf"));
    } else if (fault == "movie video") {
        QVERIFY(copyTree(gif + "/seme", gif + "/video"));
        QVERIFY(write(gif + "/video.swf", movieWithTag(60, QByteArray("\x01\x00\x01\x00\x40\x01\xf0\x00\x00\x02", 10))));
    } else if (fault == "movie nellymoser") {
        QVERIFY(copyTree(gif + "/seme", gif + "/voce"));
        // DefineSound 1: Nellymoser, 11 kHz, mono, 256 samples.
        QVERIFY(write(gif + "/voce.swf", movieWithTag(14, QByteArray("\x01\x00\x66\x00\x01\x00\x00", 7) + QByteArray(64, 1))));
    } else if (fault == "case clash") {
        QVERIFY(copyTree(gif + "/seme", gif + "/SEME"));
        QVERIFY(copyTree(gif + "/seme.swf", gif + "/SEME.swf"));
    } else if (fault == "too many") {
        const QByteArray movie = tinyMovie();
        for (int i = 0; i < ContentChecker::kMaxMovies; ++i)
            QVERIFY(write(gif + QStringLiteral("/m%1.swf").arg(i), movie));
    } else if (fault == "sound missing") {
        QVERIFY(QFile::remove(root + "/suoni/no.wav"));
    } else if (fault == "sound 8-bit") {
        QByteArray wav = WavFile::pcm16Mono(std::vector<int16_t>(1000, 0), 22050);
        wav[34] = 8;
        QVERIFY(write(root + "/suoni/no.wav", wav));
    } else if (fault == "sound garbage") {
        QVERIFY(write(root + "/suoni/no.wav", "ID3 an mp3 renamed"));
    } else if (fault == "no gif") {
        QVERIFY(QDir(gif).removeRecursively());
    } else if (fault == "no movies") {
        QVERIFY(QFile::remove(gif + "/seme.swf"));
    }

    const ContentChecker::Report report = ContentChecker::check(root);
    QCOMPARE(report.ok(), expectOk);
    if (!expectOk) {
        QVERIFY2(report.has(expected), qPrintable(report.text()));
        QVERIFY(report.text().contains(QStringLiteral("Problemi trovati")));
    }
    // The good story is never blamed for another's fault.
    if (fault != "picture missing" && fault != "picture folder missing" && fault != "picture unreadable"
        && fault != "picture case" && fault != "case clash" && fault != "no movies" && fault != "no gif")
        for (const ContentChecker::Problem &p : report.problems)
            QVERIFY2(p.exercise != "seme", qPrintable(p.text));
}

void TestChecker::programReportsInItalian()
{
    QTemporaryDir dir;
    QVERIFY(makeGoodFolder(dir.path()));
    QProcess run;
    run.start(BIN_DIR "/verifica-contenuti", {dir.path()});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(run.readAllStandardOutput()).contains(QStringLiteral("seme: va bene")));

    QVERIFY(QFile::remove(dir.path() + "/gif/seme/seme1.gif"));
    run.start(BIN_DIR "/verifica-contenuti", {dir.path()});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(run.readAllStandardOutput()).contains(QStringLiteral("manca l'immagine seme1.gif")));

    run.start(BIN_DIR "/verifica-contenuti", {"--help"});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(run.readAllStandardOutput()).contains(QStringLiteral("Controlla")));
}

QTEST_MAIN(TestChecker)
#include "tst_checker.moc"
