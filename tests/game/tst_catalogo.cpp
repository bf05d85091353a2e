#include "ContenutoProva.h"
#include "Form1.h"

#include "platform/MessageBox.h"

#include <QDir>
#include <QtTest>

// The scan of the gif folder into the catalogue, on real folders.
class TestCatalogo : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void scansione_data();
    void scansione();
    void alPiuMilleEsercizi();

private:
    static QStringList catalogo(const Form1 &finestra);
    ContenutoProva *m_contenuto = nullptr;
};

void TestCatalogo::init()
{
    m_contenuto = new ContenutoProva;
    // Catalogues without pictures make the first deal fail: answer its boxes.
    platform::MessageBox::setResponder([](const platform::MessageBox::Shown &) { return 1; });
}

void TestCatalogo::cleanup()
{
    platform::MessageBox::setResponder(nullptr);
    delete m_contenuto;
    m_contenuto = nullptr;
}

QStringList TestCatalogo::catalogo(const Form1 &finestra)
{
    QStringList nomi;
    for (int n = 1; n <= finestra.numeroEsercizi(); ++n)
        nomi << finestra.elencoEsercizi(n);
    return nomi;
}

void TestCatalogo::scansione_data()
{
    // Entries under the program folder: a trailing "/" makes a folder.
    QTest::addColumn<QStringList>("voci");
    QTest::addColumn<QStringList>("atteso");

    QTest::newRow("due esercizi completi")
        << QStringList({ "gif/gatto.swf", "gif/gatto/", "gif/gatto/gatto1.gif", "gif/neve.swf", "gif/neve/" })
        << QStringList({ "gatto", "neve" });
    QTest::newRow("solo le cartelle delle immagini")
        << QStringList({ "gif/gatto/", "gif/neve/" }) << QStringList();
    QTest::newRow("una cartella chiamata come un filmato")
        << QStringList({ "gif/finto.swf/" }) << QStringList({ "finto" });
    QTest::newRow("un filmato chiamato .swf") << QStringList({ "gif/.swf" }) << QStringList({ "" });
    QTest::newRow("estensione in maiuscolo")
        << QStringList({ "gif/Gatto.SWF", "gif/Cane.Swf" }) << QStringList({ "Cane", "Gatto" });
    QTest::newRow("altri file")
        << QStringList({ "gif/leggimi.txt", "gif/vecchio.swf.bak", "gif/swf", "gif/a.swfx" }) << QStringList();
    QTest::newRow("filmato senza cartella delle immagini")
        << QStringList({ "gif/orfano.swf" }) << QStringList({ "orfano" });
    QTest::newRow("filmati fuori da gif")
        << QStringList({ "fuori.swf", "gif/dentro/", "gif/dentro/annidato.swf" }) << QStringList();
    QTest::newRow("nessuna cartella gif") << QStringList({ "-gif" }) << QStringList();
    // Root can read any folder, so an unreadable gif is a file by that name.
    QTest::newRow("gif e' un file") << QStringList({ "-gif", "gif" }) << QStringList();
}

void TestCatalogo::scansione()
{
    QFETCH(QStringList, voci);
    QFETCH(QStringList, atteso);

    const QDir radice(m_contenuto->percorso());
    for (const QString &voce : voci) {
        if (voce.startsWith(QLatin1Char('-')))
            QVERIFY(QDir(radice.filePath(voce.mid(1))).removeRecursively());
        else if (voce.endsWith(QLatin1Char('/')))
            QVERIFY(radice.mkpath(voce));
        else
            m_contenuto->aggiungiFile(voce, ContenutoProva::filmatoSwf(qRgb(0, 0, 0)));
    }

    Form1 finestra;
    finestra.Show();
    QStringList trovati = catalogo(finestra);
    trovati.sort();
    QCOMPARE(trovati, atteso);
    QCOMPARE(int(finestra.numeroEsercizi()), atteso.size());
    QVERIFY(finestra.elencoEsercizi(0).isEmpty());
}

void TestCatalogo::alPiuMilleEsercizi()
{
    QStringList tutti;
    for (int i = 0; i < 1001; ++i) {
        const QString nome = QStringLiteral("storia%1").arg(i, 4, 10, QLatin1Char('0'));
        m_contenuto->aggiungiFile(QStringLiteral("gif/") + nome + QStringLiteral(".swf"), QByteArray());
        tutti << nome;
    }
    Form1 finestra;
    finestra.Show();
    QCOMPARE(int(finestra.numeroEsercizi()), 1000);
    const QStringList trovati = catalogo(finestra);
    QCOMPARE(QSet<QString>(trovati.cbegin(), trovati.cend()).size(), 1000);
    for (const QString &nome : trovati)
        QVERIFY(tutti.contains(nome));
    QVERIFY(finestra.elencoEsercizi(1001).isEmpty());
}

QTEST_MAIN(TestCatalogo)
#include "tst_catalogo.moc"
