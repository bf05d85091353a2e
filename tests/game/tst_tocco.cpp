#include "AiutoPartita.h"
#include "ContenutoProva.h"
#include "Form1.h"
#include "Modulo1.h"

#include "platform/CommandButton.h"
#include "platform/Image.h"
#include "platform/MenuEntry.h"
#include "platform/Random.h"

#include <QMenuBar>
#include <QPointingDevice>
#include <QtTest>

#include <memory>

// The game played with a finger (a touch screen, a whiteboard's pen): only
// touches reach the window, as the system delivers them.
class TestTocco : public QObject
{
    Q_OBJECT
private slots:
    void trascinaEToccaBottoniEMenu()
    {
        ContenutoProva contenuto;
        contenuto.aggiungiEsercizio(QStringLiteral("storia"));
        platform::Random::Randomize(17);
        Form1 finestra;
        QVERIFY(AiutoPartita::mostraEAttendi(finestra));
        QVERIFY(QTest::qWaitForWindowExposed(&finestra));
        // The test owns the device it asks for.
        const std::unique_ptr<QPointingDevice> dito(QTest::createTouchDevice());
        auto punto = [&](QWidget *w, QPoint p) { return w->mapTo(&finestra, p); };
        auto tocca = [&](QWidget *w, QPoint p) {
            QTest::touchEvent(&finestra, dito.get()).press(0, punto(w, p));
            QTest::touchEvent(&finestra, dito.get()).release(0, punto(w, p));
        };

        // Slot 3 slid onto slot 1: the two exchange, as with the mouse.
        QStringList atteso = AiutoPartita::etichette(finestra);
        atteso.swapItemsAt(3, 1);
        const QPoint da = punto(finestra.Image1[3]->widget(), finestra.Image1[3]->widget()->rect().center());
        const QPoint a = punto(finestra.Image1[1]->widget(), finestra.Image1[1]->widget()->rect().center());
        QTest::touchEvent(&finestra, dito.get()).press(0, da);
        for (int passo = 1; passo <= 8; ++passo)
            QTest::touchEvent(&finestra, dito.get()).move(0, da + (a - da) * passo / 8);
        QTest::touchEvent(&finestra, dito.get()).release(0, a);
        QCOMPARE(AiutoPartita::etichette(finestra), atteso);
        QVERIFY(!finestra.isDragging());

        // "Conferma" counts an answer; "Azzera conteggio" on the bar resets.
        QWidget *conferma = finestra.BottoneConferma->widget();
        tocca(conferma, conferma->rect().center());
        QCOMPARE(Modulo1::ContatoreEsatti + Modulo1::ContatoreErrati, 1);
        QMenuBar *barra = finestra.menuBar();
        tocca(barra, barra->actionGeometry(finestra.MenuAzzera->action()).center());
        QCOMPARE(Modulo1::ContatoreEsatti + Modulo1::ContatoreErrati, 0);
    }
};

QTEST_MAIN(TestTocco)
#include "tst_tocco.moc"
