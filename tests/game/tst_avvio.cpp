#include "FormAvvio.h"
#include "Modulo1.h"

#include "platform/MessageBox.h"
#include "platform/Random.h"

#include <QApplication>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

// Main: the refusal of a second copy, and the start of the first.
class TestAvvio : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    // Runs first: once Main has started a copy, this process holds the lock.
    void secondaCopia_rifiutata();
    void primaCopia_avviata();

private:
    QList<platform::MessageBox::Shown> m_finestrelle;
};

namespace {

// Outlives the lock that Main keeps until the process ends, so the lock is
// given back before its folder goes.
QTemporaryDir &cartellaDelBlocco()
{
    static QTemporaryDir cartella;
    return cartella;
}

bool finestraVisibile()
{
    const QWidgetList finestre = QApplication::topLevelWidgets();
    return std::any_of(finestre.cbegin(), finestre.cend(),
                       [](const QWidget *w) { return w->isVisible(); });
}

} // namespace

void TestAvvio::initTestCase()
{
    QVERIFY(cartellaDelBlocco().isValid());
    // The single-copy lock lives here, apart from any game running beside the test.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(cartellaDelBlocco().path()));
}

void TestAvvio::cleanupTestCase()
{
    Modulo1::Termina();
}

void TestAvvio::init()
{
    m_finestrelle.clear();
    platform::MessageBox::setResponder([this](const platform::MessageBox::Shown &mostrata) {
        m_finestrelle << mostrata;
        return platform::MessageBox::ResultOk;
    });
}

void TestAvvio::cleanup()
{
    platform::MessageBox::setResponder(nullptr);
}

void TestAvvio::secondaCopia_rifiutata()
{
    QLockFile altraCopia(cartellaDelBlocco().filePath(QStringLiteral("ambrelia.lock")));
    QVERIFY(altraCopia.tryLock(0));

    platform::Random::Randomize(99);
    const float attesa = platform::Random::Rnd();
    platform::Random::Randomize(99);
    Modulo1::SuoniAttivi = 0;

    Modulo1::Main();

    QCOMPARE(m_finestrelle.size(), 1);
    QCOMPARE(m_finestrelle[0].prompt,
             QStringLiteral("E' già stata avviata una copia di questo programma!"));
    QCOMPARE(m_finestrelle[0].flags, 16);
    QCOMPARE(m_finestrelle[0].title, QStringLiteral("Error"));
    QVERIFY(!finestraVisibile());
    // Neither the sound switch nor the random sequence is touched.
    QCOMPARE(Modulo1::SuoniAttivi, qint16(0));
    QCOMPARE(platform::Random::Rnd(), attesa);

    altraCopia.unlock();
}

void TestAvvio::primaCopia_avviata()
{
    // Without a new seed the start window's colour would take the first of
    // these draws and leave the second next.
    platform::Random::Randomize(99);
    platform::Random::Rnd();
    const float senzaNuovoSeme = platform::Random::Rnd();
    platform::Random::Randomize(99);

    Modulo1::Main();

    QVERIFY(m_finestrelle.isEmpty());
    // True is -1, in 16 bits.
    QCOMPARE(Modulo1::SuoniAttivi, qint16(-1));
    FormAvvio &avvio = Modulo1::FormAvvio();
    QTRY_VERIFY(avvio.isVisible());
    QVERIFY(avvio.isLoaded());
    QVERIFY(platform::Random::Rnd() != senzaNuovoSeme);
    QCOMPARE(Modulo1::ContatoreEsatti, qint16(0));
    QCOMPARE(Modulo1::ContatoreErrati, qint16(0));
    QCOMPARE(Modulo1::EsercizioCorrente, qint16(0));
    avvio.Unload();
}

QTEST_MAIN(TestAvvio)
#include "tst_avvio.moc"
