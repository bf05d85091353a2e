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

#include <QAction>
#include <QDir>
#include <QHash>
#include <QtTest>

// Drawing an exercise and dealing its pictures, and what happens when the
// content on disk does not allow it.
class TestPreparazione : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void ogniDistribuzione();
    void estrazioniNellOrdineStabilito();
    void centoventiDisposizioniUniformi();
    void unSoloEsercizio();
    void stessoEsercizioDueVolte();
    void immagineMancante_data();
    void immagineMancante();
    void nessunaImmagineLeggibile();
    void moltiEserciziRotti_data();
    void moltiEserciziRotti();
    void catalogoVuoto();
    void filmatoIllegibile_data();
    void filmatoIllegibile();

private:
    static int indiceDi(const Form1 &finestra, const QString &nome);
    ContenutoProva *m_contenuto = nullptr;
    QList<platform::MessageBox::Shown> m_finestrelle;
};

void TestPreparazione::init()
{
    m_contenuto = new ContenutoProva;
    m_finestrelle.clear();
    platform::Random::Randomize(4242);
    Modulo1::ContatoreEsatti = 0;
    Modulo1::ContatoreErrati = 0;
    Modulo1::EsercizioCorrente = 0;
    platform::MessageBox::setResponder([this](const platform::MessageBox::Shown &mostrata) {
        m_finestrelle << mostrata;
        return platform::MessageBox::ResultOk;
    });
}

void TestPreparazione::cleanup()
{
    platform::MessageBox::setResponder(nullptr);
    delete m_contenuto;
    m_contenuto = nullptr;
}

int TestPreparazione::indiceDi(const Form1 &finestra, const QString &nome)
{
    for (int n = 1; n <= finestra.numeroEsercizi(); ++n) {
        if (finestra.elencoEsercizi(n) == nome)
            return n;
    }
    return 0;
}

void TestPreparazione::ogniDistribuzione()
{
    m_contenuto->aggiungiEsercizio(QStringLiteral("gatto"));
    m_contenuto->aggiungiEsercizio(QStringLiteral("pioggia"));
    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));

    for (int giro = 0; giro < 300; ++giro) {
        const QStringList etichette = AiutoPartita::etichette(finestra);
        QVERIFY2(AiutoPartita::permutazione(etichette), qPrintable(etichette.join(',')));
        QList<int> attese;
        for (const QString &e : etichette)
            attese << e.toInt();
        QCOMPARE(AiutoPartita::scenePerColore(finestra), attese);

        const QString nome = finestra.elencoEsercizi(Modulo1::EsercizioCorrente);
        QCOMPARE(QFileInfo(finestra.ShockwaveFlash1->Movie()).absoluteFilePath(),
                 QFileInfo(m_contenuto->cartellaGif() + QLatin1Char('/') + nome + QStringLiteral(".swf"))
                     .absoluteFilePath());
        QVERIFY(finestra.ShockwaveFlash1->hasMovie());
        QVERIFY(!finestra.ShockwaveFlash1->isPlaying());
        QVERIFY(finestra.BottoneConferma->Enabled());
        QVERIFY(!finestra.BottoneAvanti->Enabled());

        finestra.BottoneAvanti_Click();
    }
    QVERIFY(m_finestrelle.isEmpty());
    QCOMPARE(finestra.EtichettaEsatti->Caption(), QStringLiteral("0"));
}

void TestPreparazione::estrazioniNellOrdineStabilito()
{
    // One draw for the exercise, then the slot draws of pictures 1 to 5,
    // each redrawn while its slot is taken.
    for (const char *nome : { "a", "b", "c" })
        m_contenuto->aggiungiEsercizio(QString::fromLatin1(nome));
    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));

    for (quint64 seme = 1; seme <= 40; ++seme) {
        platform::Random::Randomize(seme);
        const int esercizio = int(platform::Random::Rnd() * 3.0) + 1;
        QStringList attese(5);
        for (int k = 1; k <= 5; ++k) {
            int slot;
            do {
                slot = int(platform::Random::Rnd() * 5.0);
            } while (!attese[slot].isEmpty());
            attese[slot] = QString::number(k);
        }

        platform::Random::Randomize(seme);
        finestra.BottoneAvanti_Click();
        QCOMPARE(int(Modulo1::EsercizioCorrente), esercizio);
        QCOMPARE(AiutoPartita::etichette(finestra), attese);
    }
}

void TestPreparazione::centoventiDisposizioniUniformi()
{
    m_contenuto->aggiungiEsercizio(QStringLiteral("storia"));
    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    platform::Random::Randomize(777);

    const int distribuzioni = 6000;
    QHash<QString, int> conteggio;
    for (int i = 0; i < distribuzioni; ++i) {
        finestra.BottoneAvanti_Click();
        ++conteggio[AiutoPartita::etichette(finestra).join(QString())];
    }
    // Every arrangement comes up, the solved one included.
    QCOMPARE(conteggio.size(), 120);
    QVERIFY(conteggio.value(QStringLiteral("12345")) > 0);

    const double atteso = distribuzioni / 120.0;
    double chiQuadro = 0;
    for (int n : std::as_const(conteggio))
        chiQuadro += (n - atteso) * (n - atteso) / atteso;
    // 119 degrees of freedom: 172.5 is the 0.1 % point.
    QVERIFY2(chiQuadro < 172.5, qPrintable(QString::number(chiQuadro)));
}

void TestPreparazione::unSoloEsercizio()
{
    m_contenuto->aggiungiEsercizio(QStringLiteral("solo"));
    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    QSet<QString> disposizioni;
    for (int i = 0; i < 50; ++i) {
        QCOMPARE(int(Modulo1::EsercizioCorrente), 1);
        QVERIFY(finestra.ShockwaveFlash1->Movie().endsWith(QStringLiteral("solo.swf")));
        disposizioni << AiutoPartita::etichette(finestra).join(QString());
        finestra.BottoneAvanti_Click();
    }
    // A fresh deal each time, not the same one again.
    QVERIFY(disposizioni.size() > 10);
}

void TestPreparazione::stessoEsercizioDueVolte()
{
    m_contenuto->aggiungiEsercizio(QStringLiteral("uno"));
    m_contenuto->aggiungiEsercizio(QStringLiteral("due"));
    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    int ripetuti = 0;
    QSet<int> visti;
    for (int i = 0; i < 60; ++i) {
        const qint16 prima = Modulo1::EsercizioCorrente;
        visti << prima;
        finestra.BottoneAvanti_Click();
        ripetuti += Modulo1::EsercizioCorrente == prima ? 1 : 0;
    }
    QCOMPARE(visti, QSet<int>({ 1, 2 }));
    QVERIFY(ripetuti > 0);
}

void TestPreparazione::immagineMancante_data()
{
    QTest::addColumn<QString>("difetto");
    QTest::addRow("solo tre immagini") << "mancante";
    QTest::addRow("gif rovinata") << "rovinata";
    QTest::addRow("senza cartella") << "senzaCartella";
}

void TestPreparazione::immagineMancante()
{
    QFETCH(QString, difetto);
    m_contenuto->aggiungiEsercizio(QStringLiteral("buono"));
    m_contenuto->aggiungiFilmato(QStringLiteral("rotto"));
    QString fileDifettoso = QStringLiteral("rotto4.gif");
    if (difetto == QLatin1String("mancante")) {
        m_contenuto->aggiungiImmagini(QStringLiteral("rotto"), 1, 3);
    } else if (difetto == QLatin1String("rovinata")) {
        m_contenuto->aggiungiImmagini(QStringLiteral("rotto"));
        m_contenuto->aggiungiFile(QStringLiteral("gif/rotto/rotto2.gif"), QByteArray("GIF89a, not really"));
        fileDifettoso = QStringLiteral("rotto2.gif");
    } else {
        fileDifettoso = QStringLiteral("rotto1.gif");
    }

    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    const int rotto = indiceDi(finestra, QStringLiteral("rotto"));
    QVERIFY(rotto > 0);
    Modulo1::ContatoreEsatti = 7;
    Modulo1::ContatoreErrati = 3;

    for (int i = 0; i < 40 && m_finestrelle.isEmpty(); ++i)
        finestra.BottoneAvanti_Click();
    QCOMPARE(m_finestrelle.size(), 1);
    const platform::MessageBox::Shown &avviso = m_finestrelle.first();
    QCOMPARE(avviso.flags, 64);
    QVERIFY2(avviso.prompt.contains(QStringLiteral("\"rotto\"")), qPrintable(avviso.prompt));
    QVERIFY2(avviso.prompt.contains(fileDifettoso), qPrintable(avviso.prompt));
    QVERIFY(finestra.escluso(rotto));

    // Another exercise was dealt in its place, and the broken one never
    // comes back.
    for (int i = 0; i < 30; ++i) {
        QCOMPARE(finestra.elencoEsercizi(Modulo1::EsercizioCorrente), QStringLiteral("buono"));
        QVERIFY(AiutoPartita::permutazione(AiutoPartita::etichette(finestra)));
        QCOMPARE(AiutoPartita::scenePerColore(finestra).size(), 5);
        QVERIFY(!AiutoPartita::scenePerColore(finestra).contains(0));
        QVERIFY(finestra.BottoneConferma->Enabled());
        finestra.BottoneAvanti_Click();
    }
    QCOMPARE(m_finestrelle.size(), 1);
    QCOMPARE(int(Modulo1::ContatoreEsatti), 7);
    QCOMPARE(int(Modulo1::ContatoreErrati), 3);
    QCOMPARE(finestra.EtichettaEsatti->Caption(), QStringLiteral("0"));
    QCOMPARE(finestra.EtichettaErrati->Caption(), QStringLiteral("0"));
}

void TestPreparazione::nessunaImmagineLeggibile()
{
    m_contenuto->aggiungiFilmato(QStringLiteral("vuoto"));
    m_contenuto->aggiungiImmagini(QStringLiteral("vuoto"), 1, 4);
    Form1 finestra;
    finestra.Show();
    QTRY_COMPARE(m_finestrelle.size(), 2);
    QVERIFY(m_finestrelle[0].prompt.contains(QStringLiteral("vuoto5.gif")));
    QVERIFY(m_finestrelle[1].prompt.contains(QDir::toNativeSeparators(m_contenuto->cartellaGif()))
            || m_finestrelle[1].prompt.contains(m_contenuto->cartellaGif()));
    QVERIFY(!finestra.BottoneConferma->Enabled());
    for (const platform::Image *slot : finestra.Image1) {
        QVERIFY(slot->picture().isNull());
        QVERIFY(slot->Tag().isEmpty());
    }
}

void TestPreparazione::moltiEserciziRotti_data()
{
    QTest::addColumn<bool>("conUnoBuono");
    QTest::addRow("uno buono") << true;
    QTest::addRow("tutti rotti") << false;
}

// A teacher copied the movies and forgot their pictures: one box for the
// whole deal, naming a few and pointing to the checking tool.
void TestPreparazione::moltiEserciziRotti()
{
    QFETCH(bool, conUnoBuono);
    const int rotti = 40;
    for (int i = 0; i < rotti; ++i)
        m_contenuto->aggiungiFilmato(QStringLiteral("rotto%1").arg(i, 2, 10, QLatin1Char('0')));
    if (conUnoBuono)
        m_contenuto->aggiungiEsercizio(QStringLiteral("buono"));

    Form1 finestra;
    finestra.Show();
    QTRY_COMPARE(m_finestrelle.size(), conUnoBuono ? 1 : 2);
    const QString &avviso = m_finestrelle.first().prompt;
    QCOMPARE(m_finestrelle.first().title, QStringLiteral("L'Ambrelia"));
    QVERIFY2(avviso.contains(QStringLiteral("verifica-contenuti")), qPrintable(avviso));
    int nominati = 0;
    for (int i = 0; i < rotti; ++i)
        nominati += avviso.contains(QStringLiteral("\"rotto%1\"").arg(i, 2, 10, QLatin1Char('0')));
    QVERIFY2(nominati >= 1 && nominati <= 5, qPrintable(avviso));
    // How many were left out in this deal, whatever the draw.
    int esclusi = 0;
    for (int n = 1; n <= finestra.numeroEsercizi(); ++n)
        esclusi += finestra.escluso(n);
    if (esclusi > 1)
        QVERIFY2(avviso.contains(QStringLiteral("In %1 esercizi").arg(esclusi)), qPrintable(avviso));

    if (!conUnoBuono) {
        QCOMPARE(esclusi, rotti);
        QVERIFY(m_finestrelle[1].prompt.contains(QStringLiteral("Non è stato trovato nessun esercizio")));
        QVERIFY(!finestra.BottoneConferma->Enabled());
        return;
    }
    QCOMPARE(finestra.elencoEsercizi(Modulo1::EsercizioCorrente), QStringLiteral("buono"));
    QVERIFY(AiutoPartita::permutazione(AiutoPartita::etichette(finestra)));
    // Later deals say nothing of the ones already left out, and each new
    // box names only exercises not named before.
    QStringList giaNominati;
    for (int i = 0; i < rotti; ++i) {
        const QString nome = QStringLiteral("\"rotto%1\"").arg(i, 2, 10, QLatin1Char('0'));
        if (avviso.contains(nome))
            giaNominati << nome;
    }
    for (int i = 0; i < 200 && esclusi < rotti; ++i) {
        const int prima = m_finestrelle.size();
        finestra.BottoneAvanti_Click();
        QVERIFY(m_finestrelle.size() <= prima + 1);
        QCOMPARE(finestra.elencoEsercizi(Modulo1::EsercizioCorrente), QStringLiteral("buono"));
        if (m_finestrelle.size() > prima) {
            for (const QString &nome : std::as_const(giaNominati))
                QVERIFY(!m_finestrelle.last().prompt.contains(nome));
        }
        esclusi = 0;
        for (int n = 1; n <= finestra.numeroEsercizi(); ++n)
            esclusi += finestra.escluso(n);
    }
    QCOMPARE(esclusi, rotti);
    const int finale = m_finestrelle.size();
    for (int i = 0; i < 10; ++i)
        finestra.BottoneAvanti_Click();
    QCOMPARE(m_finestrelle.size(), finale);
}

void TestPreparazione::catalogoVuoto()
{
    Form1 finestra;
    finestra.Show();
    QTRY_COMPARE(m_finestrelle.size(), 1);
    const platform::MessageBox::Shown &avviso = m_finestrelle.first();
    QCOMPARE(avviso.flags, 64);
    QCOMPARE(avviso.title, QStringLiteral("L'Ambrelia"));
    QVERIFY2(avviso.prompt.contains(m_contenuto->cartellaGif()), qPrintable(avviso.prompt));
    QCOMPARE(int(finestra.numeroEsercizi()), 0);
    QCOMPARE(int(Modulo1::EsercizioCorrente), 0);
    QVERIFY(!finestra.BottoneConferma->Enabled());
    QVERIFY(finestra.BottoneAvanti->Visible());
    QVERIFY(!finestra.BottoneAvanti->Enabled());
    for (const platform::Image *slot : finestra.Image1)
        QVERIFY(slot->picture().isNull());

    // The menu still works.
    Modulo1::ContatoreErrati = 4;
    finestra.MenuAzzera->action()->trigger();
    QCOMPARE(int(Modulo1::ContatoreErrati), 0);
    finestra.MenuInformazioni->action()->trigger();
    QCOMPARE(m_finestrelle.size(), 2);
    QCOMPARE(m_finestrelle.last().flags, 64);
}

void TestPreparazione::filmatoIllegibile_data()
{
    QTest::addColumn<QByteArray>("filmato");
    QTest::addRow("rovinato") << QByteArray("FWS\x06 nothing that decodes");
    QTest::addRow("vuoto") << QByteArray();
}

void TestPreparazione::filmatoIllegibile()
{
    QFETCH(QByteArray, filmato);
    m_contenuto->aggiungiImmagini(QStringLiteral("muto"));
    m_contenuto->aggiungiFile(QStringLiteral("gif/muto.swf"), filmato);
    Form1 finestra;
    QVERIFY(AiutoPartita::mostraEAttendi(finestra));
    QVERIFY(m_finestrelle.isEmpty());
    QVERIFY(!finestra.ShockwaveFlash1->hasMovie());
    QVERIFY(finestra.BottoneConferma->Enabled());

    // Played as usual: a right answer counts and opens the way on.
    AiutoPartita::metteInOrdine(finestra);
    QTest::mouseClick(finestra.BottoneConferma->widget(), Qt::LeftButton);
    QCOMPARE(finestra.EtichettaEsatti->Caption(), QStringLiteral(" 1"));
    QVERIFY(finestra.BottoneAvanti->Enabled());
}

QTEST_MAIN(TestPreparazione)
#include "tst_preparazione.moc"
