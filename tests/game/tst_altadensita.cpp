#include "AiutoPartita.h"
#include "ContenutoProva.h"
#include "Form1.h"

#include "Player.h"
#include "platform/Image.h"
#include "platform/MessageBox.h"
#include "platform/MovieView.h"
#include "platform/Random.h"
#include "render/RasterCache.h"

#include <QtTest>

// The game on a screen of a higher density, run by ctest at device pixel
// ratios 2, 1.25 and 1.5 (QT_SCALE_FACTOR): what is drawn from pictures is
// drawn at the device's own pixels.
class TestAltaDensita : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void filmatoPixelPerPixel();
    void faccineEIconeAllaDensita();
};

void TestAltaDensita::initTestCase()
{
    QVERIFY2(qGuiApp->devicePixelRatio() > 1, "run with QT_SCALE_FACTOR above 1");
}

void TestAltaDensita::filmatoPixelPerPixel()
{
    // A movie placed where its corner falls inside a device pixel (at 1.25
    // and 1.5) is still its frame copied pixel for pixel, not a resampling.
    const QString storia = QStringLiteral(STORY_DIR "/castello.swf");
    QWidget finestra;
    finestra.resize(420, 300);
    auto *filmato = new platform::MovieView(&finestra);
    filmato->setGeometry(3, 5, 333, 211);
    QVERIFY(filmato->load(storia));
    const auto prima = swf::rastercache::stats();
    finestra.show();
    QVERIFY(QTest::qWaitForWindowExposed(&finestra));

    const qreal r = finestra.devicePixelRatioF();
    // Each edge at the nearest device pixel edge, as Qt clips the widget.
    const QRect area(QPoint(qRound(3 * r), qRound(5 * r)), QPoint(qRound(336 * r) - 1, qRound(216 * r) - 1));
    const QImage mostrato = finestra.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                .copy(area);
    const QImage atteso = swf::Player::load(storia)->renderImage(area.size());
    int diversi = 0;
    for (int y = 0; y < atteso.height(); ++y)
        for (int x = 0; x < atteso.width(); ++x)
            diversi += mostrato.pixel(x, y) != atteso.pixel(x, y);
    QVERIFY2(diversi == 0, qPrintable(QStringLiteral("%1 pixels differ").arg(diversi)));
    // Its shapes were drawn into the engine's cache of pictures, and blitted.
    QVERIFY(swf::rastercache::stats().stored > prima.stored);
}

void TestAltaDensita::faccineEIconeAllaDensita()
{
    ContenutoProva contenuto;
    contenuto.aggiungiEsercizio(QStringLiteral("storia"));
    platform::Random::Randomize(5);
    platform::MessageBox::setResponder([](const platform::MessageBox::Shown &) { return 1; });
    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    const qreal r = finestra.devicePixelRatioF();

    // The faces are pictures at least as large as the device pixels they cover.
    for (const platform::Image *faccia : {finestra.ComandoIconaSi, finestra.ComandoIconaNo}) {
        const QSize lato = faccia->picture().image().size();
        const QSize coperto = (QSizeF(faccia->widget()->size()) * r).toSize();
        QVERIFY2(lato.width() >= coperto.width() && lato.height() >= coperto.height(),
                 qPrintable(faccia->objectName()));
    }
    // The window icon has a picture for a 32-pixel icon at this density.
    int piuGrande = 0;
    for (const QSize &s : finestra.windowIcon().availableSizes())
        piuGrande = std::max(piuGrande, s.width());
    QVERIFY(piuGrande >= 32 * r);
    platform::MessageBox::setResponder(nullptr);
}

QTEST_MAIN(TestAltaDensita)
#include "tst_altadensita.moc"
