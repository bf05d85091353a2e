#include "AiutoPartita.h"
#include "ContenutoProva.h"
#include "Form1.h"
#include "Modulo1.h"

#include "platform/CommandButton.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/MenuEntry.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"

#include <QMenuBar>
#include <QPointingDevice>
#include <QtTest>

// The game played with a finger (a touch screen, a whiteboard's pen): the
// touches reach the window as the system delivers them, and nothing else.
class TestTocco : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void ditoTrascina_data();
    void ditoTrascina();
    void ditoSuiBottoniESulMenu();

private:
    // A finger put down at `da` on the window, slid to `a` and lifted (both
    // in the window's coordinates).
    void striscia(QPoint da, QPoint a);
    void tocca(QWidget *dove, QPoint punto);
    QPoint nellaFinestra(QWidget *w, QPoint punto) const { return w->mapTo(m_finestra, punto); }

    QPointingDevice *m_dito = nullptr;
    ContenutoProva *m_contenuto = nullptr;
    Form1 *m_finestra = nullptr;
};

void TestTocco::initTestCase()
{
    m_dito = QTest::createTouchDevice();
}

void TestTocco::init()
{
    m_contenuto = new ContenutoProva;
    m_contenuto->aggiungiEsercizio(QStringLiteral("storia"));
    platform::Random::Randomize(17);
    Modulo1::ContatoreEsatti = 0;
    Modulo1::ContatoreErrati = 0;
    m_finestra = new Form1;
    QVERIFY(AiutoPartita::mostraEAttendi(*m_finestra));
    QVERIFY(QTest::qWaitForWindowExposed(m_finestra));
}

void TestTocco::cleanup()
{
    platform::MessageBox::setResponder(nullptr);
    delete m_finestra;
    m_finestra = nullptr;
    delete m_contenuto;
    m_contenuto = nullptr;
}

void TestTocco::striscia(QPoint da, QPoint a)
{
    QTest::touchEvent(m_finestra, m_dito).press(0, da);
    for (int passo = 1; passo <= 8; ++passo)
        QTest::touchEvent(m_finestra, m_dito).move(0, da + (a - da) * passo / 8);
    QTest::touchEvent(m_finestra, m_dito).release(0, a);
    QCoreApplication::processEvents();
}

void TestTocco::tocca(QWidget *dove, QPoint punto)
{
    const QPoint qui = nellaFinestra(dove, punto);
    QTest::touchEvent(m_finestra, m_dito).press(0, qui);
    QTest::touchEvent(m_finestra, m_dito).release(0, qui);
    QCoreApplication::processEvents();
}

void TestTocco::ditoTrascina_data()
{
    QTest::addColumn<int>("da");
    QTest::addColumn<int>("a");
    QTest::newRow("0 su 4") << 0 << 4;
    QTest::newRow("3 su 1") << 3 << 1;
    QTest::newRow("2 su 3") << 2 << 3;
}

void TestTocco::ditoTrascina()
{
    QFETCH(int, da);
    QFETCH(int, a);
    QStringList atteso = AiutoPartita::etichette(*m_finestra);
    atteso.swapItemsAt(da, a);
    QWidget *sorgente = m_finestra->Image1[da]->widget();
    QWidget *bersaglio = m_finestra->Image1[a]->widget();

    striscia(nellaFinestra(sorgente, sorgente->rect().center()),
             nellaFinestra(bersaglio, bersaglio->rect().center()));

    QCOMPARE(AiutoPartita::etichette(*m_finestra), atteso);
    QVERIFY(!m_finestra->isDragging());
    QCOMPARE(AiutoPartita::scenePerColore(*m_finestra).at(a), atteso.at(a).toInt());
}

void TestTocco::ditoSuiBottoniESulMenu()
{
    // Confirming, wrong or right, counts one answer.
    QWidget *conferma = m_finestra->BottoneConferma->widget();
    tocca(conferma, conferma->rect().center());
    QCOMPARE(Modulo1::ContatoreEsatti + Modulo1::ContatoreErrati, 1);

    // "Azzera conteggio" on the menu bar.
    QMenuBar *barra = m_finestra->menuBar();
    tocca(barra, barra->actionGeometry(m_finestra->MenuAzzera->action()).center());
    QCOMPARE(Modulo1::ContatoreEsatti + Modulo1::ContatoreErrati, 0);
    QCOMPARE(m_finestra->EtichettaErrati->Caption(), QStringLiteral("0"));

    // In order, confirmed, then "avanti" deals a new exercise.
    AiutoPartita::metteInOrdine(*m_finestra);
    tocca(conferma, conferma->rect().center());
    QCOMPARE(Modulo1::ContatoreEsatti, qint16(1));
    QWidget *avanti = m_finestra->BottoneAvanti->widget();
    QVERIFY(avanti->isEnabled());
    tocca(avanti, avanti->rect().center());
    QVERIFY(!avanti->isEnabled());
    QVERIFY(m_finestra->BottoneConferma->Enabled());
}

QTEST_MAIN(TestTocco)
#include "tst_tocco.moc"
