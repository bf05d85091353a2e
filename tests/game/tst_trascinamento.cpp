#include "AiutoPartita.h"
#include "ContenutoProva.h"
#include "Form1.h"
#include "Modulo1.h"

#include "platform/CommandButton.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/MessageBox.h"
#include "platform/MovieControl.h"
#include "platform/Random.h"

#include <QRandomGenerator>
#include <QtTest>

// Pictures moved between slots with the mouse, as a child does it.
class TestTrascinamento : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sopraSeStesso();
    void scambio_data();
    void scambio();
    void sequenzaCasuale();
    void rilascioFuoriDagliSlot_data();
    void rilascioFuoriDagliSlot();

private:
    ContenutoProva *m_contenuto = nullptr;
    Form1 *m_finestra = nullptr;
    QList<platform::Picture> immagini() const;
};

void TestTrascinamento::initTestCase()
{
    platform::MessageBox::setResponder([](const platform::MessageBox::Shown &) { return 1; });
}

void TestTrascinamento::init()
{
    m_contenuto = new ContenutoProva;
    m_contenuto->aggiungiEsercizio(QStringLiteral("storia"));
    platform::Random::Randomize(31);
    Modulo1::ContatoreEsatti = 0;
    Modulo1::ContatoreErrati = 0;
    m_finestra = new Form1;
    QVERIFY(AiutoPartita::mostraEAttendi(*m_finestra));
}

void TestTrascinamento::cleanup()
{
    delete m_finestra;
    m_finestra = nullptr;
    delete m_contenuto;
    m_contenuto = nullptr;
}

QList<platform::Picture> TestTrascinamento::immagini() const
{
    QList<platform::Picture> lista;
    for (const platform::Image *slot : m_finestra->Image1)
        lista << slot->picture();
    return lista;
}

void TestTrascinamento::sopraSeStesso()
{
    for (int i = 0; i < 5; ++i) {
        const QStringList etichette = AiutoPartita::etichette(*m_finestra);
        const QList<platform::Picture> prima = immagini();
        QSignalSpy rilasci(m_finestra->Image1[i], &platform::Control::DragDrop);

        AiutoPartita::trascina(*m_finestra, i, i);

        QCOMPARE(rilasci.size(), 1);
        QCOMPARE(AiutoPartita::etichette(*m_finestra), etichette);
        QVERIFY(immagini() == prima);
    }
    QVERIFY(!m_finestra->Image2->Visible());
}

void TestTrascinamento::scambio_data()
{
    QTest::addColumn<int>("da");
    QTest::addColumn<int>("a");
    QTest::newRow("0 su 4") << 0 << 4;
    QTest::newRow("4 su 0") << 4 << 0;
    QTest::newRow("2 su 3") << 2 << 3;
    QTest::newRow("1 su 0") << 1 << 0;
}

void TestTrascinamento::scambio()
{
    QFETCH(int, da);
    QFETCH(int, a);
    QStringList attese = AiutoPartita::etichette(*m_finestra);
    QList<platform::Picture> attesi = immagini();
    attese.swapItemsAt(da, a);
    attesi.swapItemsAt(da, a);

    AiutoPartita::trascina(*m_finestra, da, a);

    // Picture and tag travel together; the other slots keep theirs.
    QCOMPARE(AiutoPartita::etichette(*m_finestra), attese);
    QVERIFY(immagini() == attesi);
    QVERIFY(!m_finestra->Image2->Visible());
}

void TestTrascinamento::sequenzaCasuale()
{
    QRandomGenerator generatore(2003);
    for (int passo = 0; passo < 60; ++passo) {
        const int da = generatore.bounded(5);
        const int a = generatore.bounded(5);
        AiutoPartita::trascina(*m_finestra, da, a);
        const QStringList etichette = AiutoPartita::etichette(*m_finestra);
        QVERIFY2(AiutoPartita::permutazione(etichette), qPrintable(etichette.join(',')));
        QList<int> scene;
        for (const QString &e : etichette)
            scene << e.toInt();
        QCOMPARE(AiutoPartita::scenePerColore(*m_finestra), scene);
    }
    QVERIFY(!m_finestra->Image2->Visible());
    QCOMPARE(Modulo1::ContatoreEsatti + Modulo1::ContatoreErrati, 0);
}

void TestTrascinamento::rilascioFuoriDagliSlot_data()
{
    QTest::addColumn<QString>("dove");
    QTest::newRow("sfondo") << "sfondo";
    QTest::newRow("Conferma") << "BottoneConferma";
    QTest::newRow("etichetta") << "EtichettaEsatti";
    QTest::newRow("filmato") << "ShockwaveFlash1";
    QTest::newRow("pannello") << "PicturesattiErrati";
    QTest::newRow("dove sta Image2") << "Image2";
}

void TestTrascinamento::rilascioFuoriDagliSlot()
{
    QFETCH(QString, dove);
    QWidget *bersaglio = nullptr;
    QPoint punto;
    if (dove == QLatin1String("sfondo")) {
        bersaglio = m_finestra->clientArea();
        punto = QPoint(2, 2);
    } else {
        platform::Control *c = m_finestra->control(dove);
        QVERIFY(c);
        if (dove == QLatin1String("Image2")) {
            // Hidden: what is under it is the window's background.
            bersaglio = m_finestra->clientArea();
            punto = c->widget()->geometry().center();
        } else {
            bersaglio = c->widget();
            punto = bersaglio->rect().center();
        }
    }
    const QStringList etichette = AiutoPartita::etichette(*m_finestra);
    const QList<platform::Picture> prima = immagini();
    const bool conferma = m_finestra->BottoneConferma->Enabled();

    AiutoPartita::trascina(*m_finestra, 3, bersaglio, punto);

    QCOMPARE(AiutoPartita::etichette(*m_finestra), etichette);
    QVERIFY(immagini() == prima);
    QCOMPARE(m_finestra->BottoneConferma->Enabled(), conferma);
    QCOMPARE(m_finestra->EtichettaEsatti->Caption(), QStringLiteral("0"));
    QCOMPARE(m_finestra->EtichettaErrati->Caption(), QStringLiteral("0"));
    QVERIFY(!m_finestra->Image2->Visible());
}

QTEST_MAIN(TestTrascinamento)
#include "tst_trascinamento.moc"
