// The bundled stories: remade byte for byte from their descriptions, five
// different pictures each, and movies that the engine draws as the
// pictures show them.
#include "ContentChecker.h"
#include "ImageCompare.h"
#include "SceneRenderer.h"
#include "StoryBook.h"
#include "StoryExporter.h"
#include "StoryTimeline.h"
#include "WavFile.h"

#include <Player.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using ImageCompare::changedShare;
using ImageCompare::difference;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Story storyNamed(const QString &name)
{
    for (const Story &s : StoryBook::all())
        if (s.name() == name)
            return s;
    return Story(QString());
}

} // namespace

class TestStories : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void regeneratesCommittedFiles_data();
    void regeneratesCommittedFiles();
    void picturesAreFiveDifferentScenes_data();
    void picturesAreFiveDifferentScenes();
    void movieShowsTheScenesInOrder_data();
    void movieShowsTheScenesInOrder();
    void bundledContentPassesTheCheck();
    void eachStoryHasItsOwnQuietLoopingMusic();

private:
    QTemporaryDir m_out;
};

void TestStories::initTestCase()
{
    QVERIFY(m_out.isValid());
    QVERIFY(StoryBook::all().size() >= 8);
    for (const Story &story : StoryBook::all()) {
        QString error;
        QVERIFY2(StoryExporter::write(story, m_out.path(), &error), qPrintable(error));
    }
    QString error;
    QVERIFY2(StoryExporter::writeErrorSound(m_out.path(), &error), qPrintable(error));
}

void TestStories::regeneratesCommittedFiles_data()
{
    QTest::addColumn<QString>("file");
    for (const Story &story : StoryBook::all()) {
        const QString n = story.name();
        QTest::newRow(qPrintable(n + ".swf")) << QStringLiteral("gif/%1.swf").arg(n);
        for (int k = 1; k <= kScenes; ++k)
            QTest::newRow(qPrintable(QStringLiteral("%1%2.gif").arg(n).arg(k))) << QStringLiteral("gif/%1/%1%2.gif").arg(n).arg(k);
    }
    QTest::newRow("no.wav") << QStringLiteral("suoni/no.wav");
}

void TestStories::regeneratesCommittedFiles()
{
    QFETCH(QString, file);
    const QByteArray made = contents(m_out.filePath(file));
    QVERIFY(!made.isEmpty());
    QVERIFY2(made == contents(QStringLiteral(CONTENT_DIR "/") + file),
             "the committed file differs from the generator's: run genera-storie content");
}

void TestStories::picturesAreFiveDifferentScenes_data()
{
    QTest::addColumn<QString>("name");
    for (const Story &story : StoryBook::all())
        QTest::newRow(qPrintable(story.name())) << story.name();
}

void TestStories::picturesAreFiveDifferentScenes()
{
    QFETCH(QString, name);
    std::vector<QImage> pictures;
    for (int k = 1; k <= kScenes; ++k) {
        const QImage image(QStringLiteral(CONTENT_DIR "/gif/%1/%1%2.gif").arg(name).arg(k));
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(StoryExporter::kPictureSize, StoryExporter::kPictureSize));
        // The palette must keep the drawing: close to the unreduced picture.
        const Story story = storyNamed(name);
        QVERIFY2(difference(image, SceneRenderer::render(story, StoryTimeline::holdFrame(k - 1), StoryExporter::kPictureSize)) < 2.0,
                 "the GIF's colours stray from the drawing");
        pictures.push_back(image);
    }
    // Every two scenes differ by more than a detail a child would miss.
    for (int a = 0; a < kScenes; ++a)
        for (int b = a + 1; b < kScenes; ++b)
            QVERIFY2(changedShare(pictures[size_t(a)], pictures[size_t(b)]) > 0.005,
                     qPrintable(QStringLiteral("scenes %1 and %2 look alike").arg(a + 1).arg(b + 1)));
}

void TestStories::movieShowsTheScenesInOrder_data()
{
    picturesAreFiveDifferentScenes_data();
}

void TestStories::movieShowsTheScenesInOrder()
{
    QFETCH(QString, name);
    const Story story = storyNamed(name);
    QString error;
    std::unique_ptr<swf::Player> player = swf::Player::load(QStringLiteral(CONTENT_DIR "/gif/%1.swf").arg(name), &error);
    QVERIFY2(player, qPrintable(error));
    QCOMPARE(player->info().frameCount, StoryTimeline::kFrames);
    QCOMPARE(player->info().version, 8);
    QCOMPARE(player->info().compression, 'C');

    // The engine's frame at each scene's pause is that scene's drawing,
    // and is nearer to it than to any other scene.
    const int size = Story::kStageSize;
    std::vector<QImage> drawn, played;
    for (int k = 0; k < kScenes; ++k)
        drawn.push_back(SceneRenderer::render(story, StoryTimeline::holdFrame(k), size));
    int frame = 0;
    for (int k = 0; k < kScenes; ++k) {
        for (; frame < StoryTimeline::holdFrame(k); ++frame)
            player->advance();
        played.push_back(player->renderImage(QSize(size, size)));
    }
    for (int k = 0; k < kScenes; ++k) {
        const double own = difference(played[size_t(k)], drawn[size_t(k)]);
        const double share = changedShare(played[size_t(k)], drawn[size_t(k)]);
        QVERIFY2(own < 6.0 && share < 0.02,
                 qPrintable(QStringLiteral("scene %1 is drawn %2 away from its picture, %3% of it changed")
                                .arg(k + 1).arg(own).arg(share * 100)));
        for (int other = 0; other < kScenes; ++other)
            if (other != k)
                QVERIFY(difference(played[size_t(k)], drawn[size_t(other)]) > own);
    }

    // Between two pauses the movie shows something of both scenes.
    for (; frame < StoryTimeline::holdFrame(kScenes - 1) + StoryTimeline::kHoldFrames / 2 + StoryTimeline::kTransitionFrames / 2; ++frame)
        player->advance();
    const QImage fading = player->renderImage(QSize(size, size));
    QVERIFY(difference(fading, drawn.back()) > 1.0);

    // After the last frame it starts over on the first scene.
    for (; frame < StoryTimeline::kFrames + StoryTimeline::holdFrame(0); ++frame)
        player->advance();
    QVERIFY(changedShare(player->renderImage(QSize(size, size)), drawn.front()) < 0.02);
}

void TestStories::bundledContentPassesTheCheck()
{
    const ContentChecker::Report report = ContentChecker::check(QStringLiteral(CONTENT_DIR));
    QVERIFY2(report.ok(), qPrintable(report.text()));
    for (const Story &story : StoryBook::all())
        QVERIFY(report.exercises.contains(story.name()));
}

// Each story's stream, heard through the engine over two loops: sounding
// all the way, the same on each loop, its own, and well under the error
// sound (at most a quarter of its level, 12 dB).
void TestStories::eachStoryHasItsOwnQuietLoopingMusic()
{
    QFile error(m_out.filePath(QStringLiteral("suoni/no.wav")));
    QVERIFY(error.open(QIODevice::ReadOnly));
    const QByteArray wav = error.readAll().mid(44);
    const auto *cue = reinterpret_cast<const qint16 *>(wav.constData());
    double cuePower = 0;
    for (qsizetype i = 0; i < wav.size() / 2; ++i)
        cuePower += double(cue[i]) * cue[i];
    const double cueRms = std::sqrt(cuePower / double(wav.size() / 2));

    QSet<QByteArray> tunes;
    for (const Story &story : StoryBook::all()) {
        auto player = swf::Player::load(m_out.filePath(QStringLiteral("gif/%1.swf").arg(story.name())));
        QVERIFY(player);
        const std::vector<std::int16_t> mix = player->recordSound(2 * StoryTimeline::kFrames);
        const std::size_t loop = mix.size() / 2;
        QVERIFY(std::equal(mix.begin(), mix.begin() + std::ptrdiff_t(loop), mix.begin() + std::ptrdiff_t(loop)));
        double power = 0;
        std::size_t silent = 0, run = 0;
        for (std::size_t i = 0; i < loop; i += 2) {
            power += double(mix[i]) * mix[i];
            run = mix[i] ? 0 : run + 1;
            silent = std::max(silent, run);
        }
        const double rms = std::sqrt(power / double(loop / 2));
        QVERIFY2(silent < 2205, qPrintable(story.name() + QStringLiteral(": a silence of %1 samples").arg(silent)));
        QVERIFY2(rms > cueRms / 20 && rms < cueRms / 4,
                 qPrintable(QStringLiteral("%1: %2 against the error sound's %3").arg(story.name()).arg(rms).arg(cueRms)));
        tunes.insert(QByteArray(reinterpret_cast<const char *>(mix.data()), 20000));
    }
    QCOMPARE(tunes.size(), int(StoryBook::all().size()));
}

QTEST_MAIN(TestStories)
#include "tst_stories.moc"
