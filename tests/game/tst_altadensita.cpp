#include "AiutoPartita.h"
#include "ContenutoProva.h"
#include "Form1.h"

#include "Player.h"
#include "platform/Image.h"
#include "platform/MovieView.h"
#include "platform/Random.h"
#include "render/RasterCache.h"

#include <QtTest>

// Run by ctest at device pixel ratios 2, 1.25 and 1.5 (QT_SCALE_FACTOR):
// what is drawn from pictures is drawn at the device's own pixels.
class TestAltaDensita : public QObject
{
    Q_OBJECT
private slots:
    void filmatoPixelPerPixel()
    {
        // A movie whose corner falls inside a device pixel (at 1.25 and 1.5)
        // is its frame copied pixel for pixel, drawn through the cache.
        const QString storia = QStringLiteral(STORY_DIR "/castello.swf");
        QWidget finestra;
        finestra.resize(420, 300);
        auto *filmato = new platform::MovieView(&finestra);
        filmato->setGeometry(3, 5, 333, 211);
        QVERIFY(filmato->load(storia));
        const auto prima = swf::rastercache::stats();
        finestra.show();
        QVERIFY(QTest::qWaitForWindowExposed(&finestra));
        QVERIFY(swf::rastercache::stats().stored > prima.stored);

        // Each edge at the nearest device pixel edge, as Qt clips the widget.
        const qreal r = finestra.devicePixelRatioF();
        QVERIFY2(r > 1, "run with QT_SCALE_FACTOR above 1");
        const QRect area(QPoint(qRound(3 * r), qRound(5 * r)), QPoint(qRound(336 * r) - 1, qRound(216 * r) - 1));
        QImage mostrato = finestra.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied).copy(area);
        mostrato.setDevicePixelRatio(1);
        QCOMPARE(mostrato, swf::Player::load(storia)->renderImage(area.size()));
    }

    void faccineAllaDensita()
    {
        ContenutoProva contenuto;
        contenuto.aggiungiEsercizio(QStringLiteral("storia"));
        platform::Random::Randomize(5);
        Form1 finestra;
        QVERIFY(AiutoPartita::mostraEAttendi(finestra));
        for (const platform::Image *faccia : {finestra.ComandoIconaSi, finestra.ComandoIconaNo}) {
            const QSize coperto = (QSizeF(faccia->widget()->size()) * finestra.devicePixelRatioF()).toSize();
            QVERIFY(faccia->picture().image().width() >= coperto.width());
            QVERIFY(faccia->picture().image().height() >= coperto.height());
        }
    }
};

QTEST_MAIN(TestAltaDensita)
#include "tst_altadensita.moc"
