#include "AiutoPartita.h"
#include "ContenutoProva.h"
#include "Form1.h"
#include "Modulo1.h"

#include "platform/CommandButton.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/MenuEntry.h"
#include "platform/MessageBox.h"
#include "platform/MovieControl.h"
#include "platform/Random.h"
#include "platform/Sound.h"

#include <QAction>
#include <QtTest>

// The answer check, the counters and the menu, over the states an exercise
// goes through.
class TestConferma : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void tabellaDegliStati_data();
    void tabellaDegliStati();
    void informazioni_nonCambiaNulla();
    void uscitaRispostaNo_nonCambiaNulla();

private:
    struct Stato;
    static Stato fotografa(const Form1 &finestra);

    ContenutoProva *m_contenuto = nullptr;
    QList<platform::MessageBox::Shown> m_finestrelle;
};

struct TestConferma::Stato
{
    QStringList etichette;
    QList<platform::Picture> immagini;
    QString esatti, errati, filmato;
    qint16 contatoreEsatti, contatoreErrati, esercizio;
    bool conferma, avanti, si, no, suona;
    bool operator==(const Stato &) const = default;
};

TestConferma::Stato TestConferma::fotografa(const Form1 &f)
{
    Stato s;
    s.etichette = AiutoPartita::etichette(f);
    for (const platform::Image *slot : f.Image1)
        s.immagini << slot->picture();
    s.esatti = f.EtichettaEsatti->Caption();
    s.errati = f.EtichettaErrati->Caption();
    s.filmato = f.ShockwaveFlash1->Movie();
    s.contatoreEsatti = Modulo1::ContatoreEsatti;
    s.contatoreErrati = Modulo1::ContatoreErrati;
    s.esercizio = Modulo1::EsercizioCorrente;
    s.conferma = f.BottoneConferma->Enabled();
    s.avanti = f.BottoneAvanti->Enabled();
    s.si = f.ComandoIconaSi->Visible();
    s.no = f.ComandoIconaNo->Visible();
    s.suona = f.ShockwaveFlash1->isPlaying();
    return s;
}

void TestConferma::init()
{
    m_contenuto = new ContenutoProva;
    m_contenuto->aggiungiEsercizio(QStringLiteral("storia"));
    m_contenuto->aggiungiEsercizio(QStringLiteral("favola"));
    platform::Random::Randomize(1234);
    Modulo1::SuoniAttivi = -1;
    Modulo1::ContatoreEsatti = 0;
    Modulo1::ContatoreErrati = 0;
    m_finestrelle.clear();
    platform::MessageBox::setResponder([this](const platform::MessageBox::Shown &mostrata) {
        m_finestrelle << mostrata;
        return platform::MessageBox::ResultNo;
    });
}

void TestConferma::cleanup()
{
    platform::MessageBox::setResponder(nullptr);
    delete m_contenuto;
    m_contenuto = nullptr;
}

void TestConferma::tabellaDegliStati_data()
{
    // Actions: W a wrong confirmation, R a right one (the pictures put in
    // order first), A the next button, Z the reset entry, S a drop that
    // spoils the order, C one more click on "Conferma" as it stands.
    QTest::addColumn<QString>("azioni");
    QTest::addColumn<int>("esattiIniziali");
    QTest::addColumn<int>("erratiIniziali");
    QTest::addColumn<bool>("conferma");
    QTest::addColumn<bool>("avanti");
    QTest::addColumn<bool>("si");
    QTest::addColumn<bool>("no");
    QTest::addColumn<bool>("filmatoInCorso");
    QTest::addColumn<QString>("esatti");
    QTest::addColumn<QString>("errati");
    QTest::addColumn<int>("contatoreEsatti");
    QTest::addColumn<int>("contatoreErrati");
    QTest::addColumn<int>("suoniErrore");

    //                                         azioni   E  W  conf   avan   si     no     film   esatti    errati    cE  cW  snd
    QTest::newRow("dopo il caricamento") << "" << 0 << 0 << true << false << true << false << false << "0" << "0" << 0 << 0 << 0;
    QTest::newRow("una sbagliata") << "W" << 0 << 0 << true << false << false << true << false << "0" << " 1" << 0 << 1 << 1;
    QTest::newRow("una giusta") << "R" << 0 << 0 << false << true << true << false << true << " 1" << "0" << 1 << 0 << 0;
    QTest::newRow("due sbagliate poi una giusta") << "WWR" << 0 << 0 << false << true << true << false << true << " 1" << " 2" << 1 << 2 << 2;
    QTest::newRow("giusta poi avanti") << "RA" << 0 << 0 << true << false << true << false << false << " 1" << "0" << 1 << 0 << 0;
    QTest::newRow("sbagliata nel secondo esercizio") << "RAW" << 0 << 0 << true << false << false << true << false << " 1" << " 1" << 1 << 1 << 1;
    QTest::newRow("azzera durante un esercizio risolto") << "WRZ" << 0 << 0 << false << true << true << false << true << "0" << "0" << 0 << 0 << 1;
    QTest::newRow("prima giusta dopo l'azzeramento") << "RAZR" << 0 << 0 << false << true << true << false << true << " 1" << "0" << 1 << 0 << 0;
    QTest::newRow("la giusta non si conta due volte") << "RC" << 0 << 0 << false << true << true << false << true << " 1" << "0" << 1 << 0 << 0;
    QTest::newRow("trascinare dopo la giusta non giudica") << "RSC" << 0 << 0 << false << true << true << false << true << " 1" << "0" << 1 << 0 << 0;
    QTest::newRow("giusti fermi a 32767") << "RAR" << 32766 << 0 << false << true << true << false << true << " 32767" << "0" << 32767 << 0 << 0;
    QTest::newRow("errati fermi a 32767") << "WW" << 0 << 32766 << true << false << false << true << false << "0" << " 32767" << 0 << 32767 << 2;
    QTest::newRow("azzera dopo la saturazione") << "WZW" << 0 << 32767 << true << false << false << true << false << "0" << " 1" << 0 << 1 << 2;
}

void TestConferma::tabellaDegliStati()
{
    QFETCH(QString, azioni);
    QFETCH(int, esattiIniziali);
    QFETCH(int, erratiIniziali);

    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    QVERIFY(m_finestrelle.isEmpty());
    Modulo1::ContatoreEsatti = static_cast<qint16>(esattiIniziali);
    Modulo1::ContatoreErrati = static_cast<qint16>(erratiIniziali);
    const int suoniPrima = platform::Sound::requestCount();

    QWidget *conferma = finestra.BottoneConferma->widget();
    for (const QChar azione : azioni) {
        switch (azione.toLatin1()) {
        case 'W':
            AiutoPartita::scompiglia(finestra);
            QTest::mouseClick(conferma, Qt::LeftButton);
            break;
        case 'R':
            AiutoPartita::metteInOrdine(finestra);
            QTest::mouseClick(conferma, Qt::LeftButton);
            break;
        case 'C':
            QTest::mouseClick(conferma, Qt::LeftButton);
            break;
        case 'A':
            QTest::mouseClick(finestra.BottoneAvanti->widget(), Qt::LeftButton);
            QVERIFY(AiutoPartita::permutazione(AiutoPartita::etichette(finestra)));
            break;
        case 'Z':
            finestra.MenuAzzera->action()->trigger();
            break;
        case 'S':
            AiutoPartita::scompiglia(finestra);
            break;
        }
    }

    QTEST(finestra.BottoneConferma->Enabled(), "conferma");
    QTEST(finestra.BottoneAvanti->Enabled(), "avanti");
    QVERIFY(finestra.BottoneAvanti->Visible());
    QTEST(finestra.ComandoIconaSi->Visible(), "si");
    QTEST(finestra.ComandoIconaNo->Visible(), "no");
    QTEST(finestra.ShockwaveFlash1->isPlaying(), "filmatoInCorso");
    QTEST(finestra.EtichettaEsatti->Caption(), "esatti");
    QTEST(finestra.EtichettaErrati->Caption(), "errati");
    QTEST(int(Modulo1::ContatoreEsatti), "contatoreEsatti");
    QTEST(int(Modulo1::ContatoreErrati), "contatoreErrati");
    QTEST(platform::Sound::requestCount() - suoniPrima, "suoniErrore");
    QVERIFY(!finestra.Image2->Visible());
    QVERIFY(m_finestrelle.isEmpty());
}

void TestConferma::informazioni_nonCambiaNulla()
{
    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    AiutoPartita::scompiglia(finestra);
    QTest::mouseClick(finestra.BottoneConferma->widget(), Qt::LeftButton);
    const Stato prima = fotografa(finestra);

    finestra.MenuInformazioni->action()->trigger();

    QCOMPARE(m_finestrelle.size(), 1);
    const platform::MessageBox::Shown &about = m_finestrelle.first();
    QCOMPARE(about.title, QStringLiteral("L'Ambrelia"));
    QCOMPARE(about.flags, 64);
    const QStringList righe = about.prompt.split(QStringLiteral("\r\n"));
    QCOMPARE(righe.size(), 4);
    QVERIFY(righe[0].endsWith(QStringLiteral("  ")));
    QVERIFY(!righe[0].trimmed().isEmpty());
    QCOMPARE(righe[1], QStringLiteral(" ") + QString(23, QLatin1Char('-')) + QStringLiteral(" "));
    QVERIFY(righe[2].contains(QStringLiteral("example.org")));
    QVERIFY(righe[3].startsWith(QStringLiteral("mail: ")));
    QVERIFY(righe[3].endsWith(QStringLiteral("example.org")));
    QVERIFY(fotografa(finestra) == prima);
}

void TestConferma::uscitaRispostaNo_nonCambiaNulla()
{
    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    AiutoPartita::metteInOrdine(finestra);
    QTest::mouseClick(finestra.BottoneConferma->widget(), Qt::LeftButton);
    const Stato prima = fotografa(finestra);
    QVERIFY(Modulo1::objResize);

    finestra.mnuEsci->action()->trigger();

    QCOMPARE(m_finestrelle.size(), 1);
    QCOMPARE(m_finestrelle.first().prompt, QStringLiteral("Vuoi uscire dal programma?"));
    QCOMPARE(m_finestrelle.first().title, QStringLiteral("L'Ambrelia"));
    QCOMPARE(m_finestrelle.first().flags, 36);
    QVERIFY(fotografa(finestra) == prima);
    QVERIFY(Modulo1::objResize);
    QVERIFY(finestra.isVisible());
}

QTEST_MAIN(TestConferma)
#include "tst_conferma.moc"
