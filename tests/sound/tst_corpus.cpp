// The reference corpus: what the original player played, sample for sample.
// Each movie is mixed at 44.1 kHz as swfrender --audio mixes it; the
// reference is 5512 Hz, so every eighth stereo frame from the eighth on must
// equal it exactly, and the mix must last at least as long.
#include "Player.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cmath>

class TestCorpus : public QObject
{
    Q_OBJECT
private slots:
    void reference_data();
    void reference();
};

void TestCorpus::reference_data()
{
    QTest::addColumn<QString>("movie");
    const QDir dir(QStringLiteral(SWF_CORPUS_DIR "/sound"));
    const QStringList movies = dir.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name);
    if (movies.isEmpty())
        QSKIP("the sound corpus is not beside the checkout");
    for (const QString &m : movies)
        QTest::newRow(qPrintable(m)) << dir.filePath(m);
}

void TestCorpus::reference()
{
    QFETCH(QString, movie);
    QFile raw(movie + QStringLiteral(".1.0.raw"));
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    const auto *expected = reinterpret_cast<const qint16 *>(bytes.constData());
    const qsizetype frames = bytes.size() / 4;

    QString error;
    auto player = swf::Player::load(movie, &error);
    QVERIFY2(player, qPrintable(error));
    const int movieFrames = int(std::ceil(frames * 8 / 44100.0 * player->info().frameRate)) + 1;
    const std::vector<std::int16_t> mix = player->recordSound(movieFrames);
    int wrong = 0;
    qsizetype first = -1;
    for (qsizetype k = 0; k < frames; ++k) {
        const std::size_t at = std::size_t(7 + 8 * k) * 2;
        QVERIFY2(at + 1 < mix.size(), "the mix ends before the reference");
        if (mix[at] != expected[2 * k] || mix[at + 1] != expected[2 * k + 1]) {
            ++wrong;
            if (first < 0)
                first = k;
        }
    }
    QVERIFY2(wrong == 0, qPrintable(QStringLiteral("%1 of %2 samples differ, the first at %3")
                                        .arg(wrong).arg(frames).arg(first)));
}

QTEST_GUILESS_MAIN(TestCorpus)
#include "tst_corpus.moc"
