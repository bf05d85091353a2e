#include "ScratchFolder.h"
#include "Form.h"
#include "Image.h"
#include "MovieBuilder.h"
#include "MovieControl.h"
#include "MovieView.h"
#include "Twips.h"
#include "Player.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

namespace {
// Packs values into bits, most significant first, as SWF records are.
class Bits
{
public:
    void put(quint32 value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_byte = quint8((m_byte << 1) | ((value >> i) & 1));
            if (++m_used == 8)
                flush();
        }
    }
    QByteArray take()
    {
        if (m_used)
            put(0, 8 - m_used);
        return m_bytes;
    }

private:
    void flush()
    {
        m_bytes.append(char(m_byte));
        m_byte = 0;
        m_used = 0;
    }
    QByteArray m_bytes;
    quint8 m_byte = 0;
    int m_used = 0;
};

void putU16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// A movie of `frames` empty frames on a 100 x 50 pixel stage in `background`.
QByteArray tinyMovie(QColor background, int frames, int framesPerSecond)
{
    Bits stage;
    stage.put(15, 5);
    for (int value : {0, 2000, 0, 1000})
        stage.put(quint32(value), 15);
    QByteArray body = stage.take();
    putU16(body, framesPerSecond << 8);   // 8.8 fixed point
    putU16(body, frames);
    putU16(body, (9 << 6) | 3);           // SetBackgroundColor
    body.append(char(background.red()));
    body.append(char(background.green()));
    body.append(char(background.blue()));
    for (int i = 0; i < frames; ++i)
        putU16(body, 1 << 6);             // ShowFrame
    putU16(body, 0);                      // End

    QByteArray file("FWS");
    file.append(char(6));
    const quint32 length = quint32(8 + body.size());
    for (int i = 0; i < 4; ++i)
        file.append(char((length >> (8 * i)) & 0xFF));
    return file + body;
}
} // namespace

// The movie control: its background without a movie, the first frame after
// loading, playing and halting.
class TestMovie : public QObject
{
    Q_OBJECT
private:
    ScratchFolder m_dir;

    static QColor centreColour(Control *control)
    {
        const QImage shot = control->widget()->grab().toImage();
        return QColor(shot.pixel(shot.width() / 2, shot.height() / 2));
    }

private slots:
    void initTestCase() { Twips::overrideDpi(96); }

    void missingOrBrokenMovieStaysOnBackground_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("missing") << QString() << QByteArray();
        QTest::newRow("not a movie") << "finto.swf" << QByteArray("GIF89a non un film");
        QTest::newRow("empty") << "vuoto.swf" << QByteArray();
    }
    void missingOrBrokenMovieStaysOnBackground()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = name.isEmpty() ? m_dir.filePath(QStringLiteral("manca.swf")) : m_dir.write(name, bytes);
        Form form;
        auto *movie = new MovieControl(&form, QStringLiteral("ShockwaveFlash1"));
        movie->move(3240, 240, 2775, 2535);
        movie->setMovie(path);
        QCOMPARE(movie->Movie(), path);
        QVERIFY(!movie->hasMovie());
        QCOMPARE(movie->currentFrame(), 0);
        movie->Play();
        QVERIFY(!movie->isPlaying());
        movie->Stop();
        QCOMPARE(centreColour(movie), QColor(Qt::white));
    }

    void showsTheFirstFrame()
    {
        Form form;
        auto *movie = new MovieControl(&form, QStringLiteral("ShockwaveFlash1"));
        movie->move(3240, 240, 2775, 2535);
        movie->setPropertyByName("Movie", m_dir.write(QStringLiteral("1.swf"), tinyMovie(QColor(200, 30, 40), 3, 12)));
        QVERIFY(movie->hasMovie());
        QVERIFY(!movie->isPlaying());
        QCOMPARE(movie->currentFrame(), 1);
        QCOMPARE(centreColour(movie), QColor(200, 30, 40));
        // Another movie replaces it; an unreadable one leaves the background.
        movie->setMovie(m_dir.write(QStringLiteral("2.swf"), tinyMovie(QColor(10, 120, 250), 2, 12)));
        QCOMPARE(centreColour(movie), QColor(10, 120, 250));
        movie->setMovie(m_dir.filePath(QStringLiteral("manca.swf")));
        QVERIFY(!movie->hasMovie());
        QCOMPARE(centreColour(movie), QColor(Qt::white));
    }

    void playsAndHalts()
    {
        Form form;
        form.setClientSize(9825, 6555);
        auto *movie = new MovieControl(&form, QStringLiteral("ShockwaveFlash1"));
        movie->move(3240, 240, 2775, 2535);
        movie->setMovie(m_dir.write(QStringLiteral("3.swf"), tinyMovie(Qt::green, 100, 50)));
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        movie->Stop();
        QTest::qWait(100);
        QCOMPARE(movie->currentFrame(), 1);

        movie->Play();
        QVERIFY(movie->isPlaying());
        QTRY_VERIFY(movie->currentFrame() >= 4);
        movie->Stop();
        QVERIFY(!movie->isPlaying());
        const int halted = movie->currentFrame();
        QTest::qWait(150);
        QCOMPARE(movie->currentFrame(), halted);

        // Play goes on from where the movie stands.
        movie->Play();
        QTRY_VERIFY(movie->currentFrame() > halted);
        movie->Stop();
    }

    void haltedMovieIsNotRenderedAgain()
    {
        Form form;
        form.setClientSize(9825, 6555);
        auto *movie = new MovieControl(&form, QStringLiteral("ShockwaveFlash1"));
        movie->move(3240, 240, 2775, 2535);
        movie->setMovie(m_dir.write(QStringLiteral("4.swf"), tinyMovie(Qt::blue, 2, 12)));
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *view = qobject_cast<MovieView *>(movie->widget());
        QVERIFY(view);
        QTRY_VERIFY(view->renderCount() >= 1);
        const int rendered = view->renderCount();
        for (int i = 0; i < 5; ++i) {
            view->repaint();
            QCoreApplication::processEvents();
        }
        QCOMPARE(view->renderCount(), rendered);
        // A new size is rendered once.
        movie->setWidth(4000);
        view->repaint();
        view->repaint();
        QCOMPARE(view->renderCount(), rendered + 1);
    }

    void playedFramesShowWhatAFullDrawingShows()
    {
        // The control draws only what changes from frame to frame; after
        // a stretch of a story (sprites moving, fading, morphing) what it
        // shows must be that frame drawn whole.
        const QString story = QStringLiteral(STORY_DIR "/castello.swf");
        QVERIFY(QFileInfo::exists(story));
        MovieView view(nullptr);
        view.resize(333, 211);
        QVERIFY(view.load(story));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.play();
        QTRY_VERIFY_WITH_TIMEOUT(view.currentFrame() >= 27, 10000);
        view.stop();
        const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        auto reference = swf::Player::load(story);
        QVERIFY(reference);
        while (reference->currentFrame() < view.currentFrame())
            reference->advance();
        const QImage full = reference->renderImage(shown.size());
        int worst = 0, wrong = 0;
        for (int y = 0; y < full.height(); ++y) {
            for (int x = 0; x < full.width(); ++x) {
                const QRgb a = shown.pixel(x, y), b = full.pixel(x, y);
                const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                        std::abs(qBlue(a) - qBlue(b))});
                worst = std::max(worst, d);
                // Edges may differ by what the engine's cache of drawn
                // shapes rounds; a part left undrawn is far more.
                wrong += d > 48;
            }
        }
        QVERIFY2(wrong <= 20, qPrintable(QStringLiteral("%1 pixels differ, by up to %2").arg(wrong).arg(worst)));
    }

    void buttonsTakeTheMouseAndKeys()
    {
        // A 100 x 100 px stage, halted on its first frame, with a button on
        // 0-40 px: red, green under the pointer, blue pressed. The key "a"
        // sends the movie to its third frame.
        MovieBuilder m;
        m.rectShape(1, 0, 0, 800, 800, 255, 0, 0).rectShape(2, 0, 0, 800, 800, 0, 255, 0)
            .rectShape(3, 0, 0, 800, 800, 0, 0, 255)
            .button2(10, {{1, 1, 1}, {2, 2, 1}, {4, 3, 1}, {8, 1, 2}}, {{0, 'a', MovieBuilder::gotoFrame(2)}});
        const QByteArray bytes = m.place(1, 10).actions(MovieBuilder::stop()).showFrame().showFrame().showFrame().end().build();

        Form form;
        form.setClientSize(9825, 6555);
        auto *slot = new Image(&form, QStringLiteral("Image1"), 0);
        slot->move(120, 3000, 1815, 1815);
        slot->setDragMode(1);
        QSignalSpy dropped(slot, &Control::DragDrop);
        auto *movie = new MovieControl(&form, QStringLiteral("ShockwaveFlash1"));
        movie->move(3240, 240, 2775, 2535);
        movie->setMovie(m_dir.write(QStringLiteral("bottone.swf"), bytes));
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget *view = movie->widget();
        // Stage pixels to the view's, ShowAll.
        const double scale = std::min(view->width(), view->height()) / 100.0;
        auto at = [&](double x, double y) {
            return QPoint(int((view->width() - 100 * scale) / 2 + x * scale),
                          int((view->height() - 100 * scale) / 2 + y * scale));
        };
        auto colourAt = [&](QPoint p) { return QColor(view->grab().toImage().pixel(p)); };

        QTest::mouseMove(view, at(20, 20));
        QTRY_COMPARE(colourAt(at(20, 20)), QColor(0, 255, 0));
        QCOMPARE(view->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseMove(view, at(70, 70));
        QTRY_COMPARE(colourAt(at(20, 20)), QColor(255, 0, 0));
        QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);

        // A press on the movie, dragged onto a slot and released there,
        // presses the button and starts no drag of the slots.
        QTest::mousePress(view, Qt::LeftButton, {}, at(20, 20));
        QTRY_COMPARE(colourAt(at(20, 20)), QColor(0, 0, 255));
        const QPoint onSlot = view->mapFromGlobal(slot->widget()->mapToGlobal(slot->widget()->rect().center()));
        QTest::mouseMove(view, onSlot);
        QTest::mouseRelease(view, Qt::LeftButton, {}, onSlot);
        QCOMPARE(dropped.count(), 0);
        auto *outline = form.clientArea()->findChild<QWidget *>(QStringLiteral("dragOutline"));
        QVERIFY(!outline || !outline->isVisible());

        view->setFocus();
        QTest::keyClick(view, Qt::Key_B);
        QCOMPARE(movie->currentFrame(), 1);
        QTest::keyClick(view, Qt::Key_A);
        QCOMPARE(movie->currentFrame(), 3);
    }
};

QTEST_MAIN(TestMovie)
#include "tst_movie.moc"
