#include "Form1.h"

#include "IconeProgramma.h"
#include "Modulo1.h"
#include "ModuloColoriSuoni.h"
#include "clsResize.h"

#include "platform/App.h"
#include "platform/CommandButton.h"
#include "platform/Directory.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/MenuEntry.h"
#include "platform/MessageBox.h"
#include "platform/MovieControl.h"
#include "platform/PictureBox.h"
#include "platform/Random.h"
#include "platform/Screen.h"
#include "platform/Text.h"
#include "platform/ToolkitError.h"
#include "platform/Twips.h"

#include <QGuiApplication>

#include <limits>

namespace {

constexpr double LarghezzaProgetto = 9825;
constexpr double AltezzaProgetto = 6555;

// A count stays at the highest value 16 bits hold rather than wrapping to
// a negative number or stopping the game.
void Conta(qint16 &contatore)
{
    if (contatore < std::numeric_limits<qint16>::max())
        ++contatore;
}

// The faces are drawn for the size they reach once the window covers the
// screen, so they are not blurred by stretching.
int LatoSulloSchermo(double latoTwips)
{
    const double twips = latoTwips * platform::Screen::Height() / AltezzaProgetto;
    const qreal densita = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return qMax(64, qRound(platform::Twips::toPixelsY(twips) * densita));
}

} // namespace

Form1::Form1(QWidget *parent)
    : platform::Form(parent)
{
    using platform::Label;

    setObjectName(QStringLiteral("Form1"));
    setCaption(QString());
    setBackColor(0x0080FF);
    setWindowIcon(IconeProgramma::IconaFinestra(QStringLiteral("faccina-si")));
    QFont carattere(QStringLiteral("MS Sans Serif"));
    carattere.setPointSizeF(8.25);
    carattere.setBold(true);
    clientArea()->setFont(carattere);

    ShockwaveFlash1 = new platform::MovieControl(this, QStringLiteral("ShockwaveFlash1"));
    ShockwaveFlash1->move(3240, 240, 2775, 2535);
    ShockwaveFlash1->setTabIndex(7);

    PicturesattiErrati = new platform::PictureBox(this, QStringLiteral("PicturesattiErrati"));
    PicturesattiErrati->move(120, 5400, 5175, 975);
    PicturesattiErrati->setTabIndex(2);
    PicturesattiErrati->setBackColor(0xFFFFFF);

    BottoneConferma = new platform::CommandButton(this, QStringLiteral("BottoneConferma"));
    BottoneConferma->move(5520, 5400, 1905, 990);
    BottoneConferma->setTabIndex(1);
    BottoneConferma->setCaption(QStringLiteral("Conferma"));
    BottoneConferma->setFont(QStringLiteral("Arial"), 14.25);
    BottoneConferma->setPicture(IconeProgramma::Icona(QStringLiteral("spunta")));
    const QPoint punta = IconeProgramma::PuntoCaldo(QStringLiteral("spunta"));
    BottoneConferma->setMouseIcon(IconeProgramma::Cursore(QStringLiteral("spunta")), punta.x(), punta.y());

    BottoneAvanti = new platform::CommandButton(this, QStringLiteral("BottoneAvanti"));
    BottoneAvanti->move(7560, 5400, 1935, 975);
    BottoneAvanti->setTabIndex(0);
    BottoneAvanti->setCaption(QStringLiteral("avanti"));
    BottoneAvanti->setFont(QStringLiteral("Arial"), 14.25);
    BottoneAvanti->setPicture(IconeProgramma::Icona(QStringLiteral("freccia-avanti")));
    const QPoint cuspide = IconeProgramma::PuntoCaldo(QStringLiteral("freccia-cursore"));
    BottoneAvanti->setMouseIcon(IconeProgramma::Cursore(QStringLiteral("freccia-cursore")),
                                cuspide.x(), cuspide.y());
    BottoneAvanti->setEnabled(false);
    BottoneAvanti->setVisible(false);

    Image2 = new platform::Image(this, QStringLiteral("Image2"));
    Image2->move(240, 720, 1695, 1575);
    Image2->setStretch(true);
    Image2->setVisible(false);

    const QPixmap aeroplano = IconeProgramma::Cursore(QStringLiteral("aeroplano"));
    const QPoint muso = IconeProgramma::PuntoCaldo(QStringLiteral("aeroplano"));
    for (int i = 0; i < 5; ++i) {
        Image1[i] = new platform::Image(this, QStringLiteral("Image1"), i);
        Image1[i]->move(120 + 1920 * i, 3000, 1815, 1815);
        Image1[i]->setStretch(true);
        Image1[i]->setBorderStyle(1);
        Image1[i]->setDragMode(1);
        Image1[i]->setMouseIcon(aeroplano, muso.x(), muso.y());
        connect(Image1[i], &platform::Control::DragDrop, this,
                [this, i](platform::Control *source, float X, float Y) {
                    Image1_DragDrop(static_cast<qint16>(i), source, X, Y);
                });
    }

    const int latoFaccia = LatoSulloSchermo(735);
    ComandoIconaSi = new platform::Image(this, QStringLiteral("ComandoIconaSi"), -1, PicturesattiErrati);
    ComandoIconaSi->move(240, 120, 735, 735);
    ComandoIconaSi->setPicture(IconeProgramma::Immagine(QStringLiteral("faccina-si"), latoFaccia));
    ComandoIconaSi->setStretch(true);

    // Exactly on top of the smiling face: a confirmation shows one of the two.
    ComandoIconaNo = new platform::Image(this, QStringLiteral("ComandoIconaNo"), -1, PicturesattiErrati);
    ComandoIconaNo->move(240, 120, 735, 735);
    ComandoIconaNo->setPicture(IconeProgramma::Immagine(QStringLiteral("faccina-no"), latoFaccia));
    ComandoIconaNo->setStretch(true);
    ComandoIconaNo->setVisible(false);

    LabelEst = new Label(this, QStringLiteral("LabelEst"), -1, PicturesattiErrati);
    LabelEst->move(1080, 360, 975, 375);
    LabelEst->setTabIndex(6);
    LabelEst->setCaption(QStringLiteral("Esatti"));
    LabelEst->setFont(QStringLiteral("Arial"), 12);
    LabelEst->setAlignment(Label::RightJustify);

    EtichettaEsatti = new Label(this, QStringLiteral("EtichettaEsatti"), -1, PicturesattiErrati);
    EtichettaEsatti->move(2160, 240, 615, 615);
    EtichettaEsatti->setTabIndex(4);
    EtichettaEsatti->setCaption(QStringLiteral("0"));
    EtichettaEsatti->setFont(QStringLiteral("Arial"), 20.25);
    EtichettaEsatti->setAlignment(Label::RightJustify);

    LabelErt = new Label(this, QStringLiteral("LabelErt"), -1, PicturesattiErrati);
    LabelErt->move(2880, 360, 1215, 405);
    LabelErt->setTabIndex(5);
    LabelErt->setCaption(QStringLiteral("Errati"));
    LabelErt->setFont(QStringLiteral("Arial"), 12);
    LabelErt->setAlignment(Label::RightJustify);

    EtichettaErrati = new Label(this, QStringLiteral("EtichettaErrati"), -1, PicturesattiErrati);
    EtichettaErrati->move(4320, 240, 615, 615);
    EtichettaErrati->setTabIndex(3);
    EtichettaErrati->setCaption(QStringLiteral("0"));
    EtichettaErrati->setFont(QStringLiteral("Arial"), 20.25);
    EtichettaErrati->setAlignment(Label::RightJustify);

    // The trailing blanks belong to the captions: they widen the entries on the bar.
    MenuAzzera = new platform::MenuEntry(this, QStringLiteral("MenuAzzera"),
                                         QStringLiteral("Azzera conteggio          "));
    MenuInformazioni = new platform::MenuEntry(this, QStringLiteral("MenuInformazioni"),
                                               QStringLiteral("Informazioni           "));
    mnuEsci = new platform::MenuEntry(this, QStringLiteral("mnuEsci"), QStringLiteral("Esci"));

    connect(BottoneAvanti, &platform::Control::Click, this, &Form1::BottoneAvanti_Click);
    connect(BottoneConferma, &platform::Control::Click, this, &Form1::BottoneConferma_Click);
    connect(MenuAzzera, &platform::Control::Click, this, &Form1::MenuAzzera_Click);
    connect(MenuInformazioni, &platform::Control::Click, this, &Form1::MenuInformazioni_Click);
    connect(mnuEsci, &platform::Control::Click, this, &Form1::mnuEsci_Click);

    // Last, once the menu bar stands: the design client area lies below it.
    setClientSize(LarghezzaProgetto, AltezzaProgetto);
}

QString Form1::elencoEsercizi(int indice) const
{
    return indice >= 0 && indice <= MassimoEsercizi ? ElencoEsercizi[indice] : QString();
}

bool Form1::escluso(int indice) const
{
    return indice >= 0 && indice <= MassimoEsercizi && Esclusi[indice];
}

// ---- Set-up ---------------------------------------------------------------

void Form1::Form_Load()
{
    Modulo1::objResize = std::make_unique<clsResize>();
    Modulo1::objResize->setSourceForm(this);
    Modulo1::objResize->SizeFormToScreen(75);
    BottoneAvanti->setVisible(true);
    EtichettaEsatti->setCaption(QStringLiteral("0"));
    EtichettaErrati->setCaption(QStringLiteral("0"));
    CaricaElencoEsercizi();
}

void Form1::Form_Activate()
{
    setTop(0);
    setLeft(0);
    setHeight(platform::Screen::Height());
    setWidth(platform::Screen::Width());
    NuovoEsercizio();
}

void Form1::Form_Resize()
{
    if (Modulo1::objResize)
        Modulo1::objResize->ResizeControls();
}

void Form1::BottoneAvanti_Click()
{
    BottoneAvanti->setEnabled(false);
    NuovoEsercizio();
}

QString Form1::CartellaEsercizi() const
{
    const QString sep = platform::Directory::separator();
    return platform::App::Path() + sep + QStringLiteral("gif") + sep;
}

void Form1::CaricaElencoEsercizi()
{
    // Resume-next: a failing step is skipped and its number kept; from then
    // on the listing runs to its end but no further name is taken.
    int ErrorePendente = 0;
    QString Nome;
    try {
        Nome = platform::Directory::Dir(CartellaEsercizi() + QStringLiteral("*.swf"),
                                        platform::Directory::Folder);
    } catch (const platform::ToolkitError &e) {
        ErrorePendente = e.number();
    }

    while (!Nome.isEmpty()) {
        if (Nome != QLatin1String(".") && Nome != QLatin1String("..") && ErrorePendente == 0) {
            if (NumeroEsercizi < MassimoEsercizi) {
                ++NumeroEsercizi;
                ElencoEsercizi[NumeroEsercizi] = Nome.left(Nome.size() - 4);
            } else {
                ErrorePendente = platform::err::SubscriptOutOfRange;
            }
        }
        try {
            Nome = platform::Directory::Dir();
        } catch (const platform::ToolkitError &e) {
            ErrorePendente = e.number();
            // Skipping the failed call would keep the last name for ever and
            // never end the scan; a listing that fails is over.
            Nome.clear();
        }
    }
}

qint16 Form1::EstraiEsercizio() const
{
    // With nothing excluded this is Int(Rnd * NumeroEsercizi) + 1; otherwise
    // the same single draw picks among the exercises still in play.
    int rimasti = 0;
    for (int n = 1; n <= NumeroEsercizi; ++n)
        rimasti += Esclusi[n] ? 0 : 1;

    const double r = platform::Random::Rnd();
    int scelto = qMin(static_cast<int>(platform::Random::Int(r * rimasti)), rimasti - 1);
    for (qint16 n = 1; n <= NumeroEsercizi; ++n) {
        if (Esclusi[n])
            continue;
        if (scelto-- == 0)
            return n;
    }
    return 0;
}

void Form1::NuovoEsercizio()
{
    // Exercises whose pictures cannot be shown are left out silently while
    // the deal goes on; the teacher hears of them once, when it is over.
    QStringList saltati;
    QString primoFileMancante;
    for (;;) {
        bool restaQualcosa = false;
        for (int n = 1; n <= NumeroEsercizi && !restaQualcosa; ++n)
            restaQualcosa = !Esclusi[n];
        if (!restaQualcosa) {
            AvvisaSaltati(saltati, primoFileMancante);
            SenzaEsercizi();
            return;
        }

        BottoneConferma->setEnabled(true);
        Modulo1::EsercizioCorrente = EstraiEsercizio();
        const QString nome = ElencoEsercizi[Modulo1::EsercizioCorrente];
        ShockwaveFlash1->setMovie(CartellaEsercizi() + nome + QStringLiteral(".swf"));
        ShockwaveFlash1->Stop();
        for (platform::Image *slot : Image1)
            slot->setTag(QString());
        QString fileMancante;
        if (DistribuisciImmagini(nome, fileMancante)) {
            AvvisaSaltati(saltati, primoFileMancante);
            return;
        }

        // Its pictures cannot all be shown: it stays out of the draw for the
        // rest of the run, and another one is dealt.
        Esclusi[Modulo1::EsercizioCorrente] = true;
        if (saltati.isEmpty())
            primoFileMancante = fileMancante;
        saltati << nome;
    }
}

bool Form1::DistribuisciImmagini(const QString &nome, QString &fileMancante)
{
    // Rejection sampling: each picture in turn takes a slot drawn among all
    // five, drawn again while taken. Every arrangement is equally likely,
    // the solved one included.
    for (long k = 1; k <= 5; ++k) {
        int slot;
        do {
            slot = static_cast<int>(platform::Random::Int(platform::Random::Rnd() * 5.0));
        } while (!Image1[slot]->Tag().isEmpty());

        Image1[slot]->setTag(QString::number(k));
        const QString file = CartellaEsercizi() + nome + platform::Directory::separator() + nome
            + platform::Text::Trim(platform::Text::Str(k)) + QStringLiteral(".gif");
        try {
            Image1[slot]->setPicture(platform::LoadPicture(file));
        } catch (const platform::ToolkitError &) {
            fileMancante = file;
            return false;
        }
    }
    return true;
}

void Form1::AvvisaSaltati(const QStringList &saltati, const QString &primoFileMancante)
{
    if (saltati.isEmpty())
        return;
    const QString aCapo = QStringLiteral("\r\n");
    const QString controlla =
        QStringLiteral("Per controllare tutti gli esercizi, usa il programma verifica-contenuti.");
    QString testo;
    if (saltati.size() == 1) {
        testo = QStringLiteral("Nell'esercizio \"%1\" manca un'immagine, o non si riesce a leggerla:")
                    .arg(saltati.first())
            + aCapo + primoFileMancante + aCapo + QStringLiteral("Questo esercizio viene saltato.")
            + aCapo + controlla;
    } else {
        // A teacher who copied many movies without their pictures learns from
        // the first few names what went wrong; the tool lists the rest.
        constexpr int Nominati = 5;
        QStringList nomi;
        for (int i = 0; i < qMin(Nominati, int(saltati.size())); ++i)
            nomi << QStringLiteral("\"%1\"").arg(saltati.at(i));
        QString elenco = nomi.join(QStringLiteral(", "));
        const int altri = int(saltati.size()) - Nominati;
        if (altri == 1)
            elenco += QStringLiteral(" e un altro");
        else if (altri > 1)
            elenco += QStringLiteral(" e altri %1").arg(altri);
        testo = QStringLiteral("In %1 esercizi manca un'immagine, o non si riesce a leggerla: ")
                    .arg(saltati.size())
            + elenco + QStringLiteral(".") + aCapo
            + QStringLiteral("Questi esercizi vengono saltati.") + aCapo
            + QStringLiteral("Per vederli tutti, usa il programma verifica-contenuti.");
    }
    platform::MessageBox::MsgBox(testo, platform::MessageBox::Information, QStringLiteral("L'Ambrelia"));
}

void Form1::SenzaEsercizi()
{
    // Nothing can be dealt: the slots stay empty and nothing can be counted,
    // while the menu keeps working.
    BottoneConferma->setEnabled(false);
    ShockwaveFlash1->Stop();
    ShockwaveFlash1->setMovie(QString());
    for (platform::Image *slot : Image1) {
        slot->setPicture(platform::Picture());
        slot->setTag(QString());
    }
    platform::MessageBox::MsgBox(
        QStringLiteral("Non è stato trovato nessun esercizio.") + QStringLiteral("\r\n")
            + QStringLiteral("Gli esercizi vanno messi nella cartella:") + QStringLiteral("\r\n")
            + platform::App::Path() + platform::Directory::separator() + QStringLiteral("gif"),
        platform::MessageBox::Information, QStringLiteral("L'Ambrelia"));
}

// ---- Drag and drop --------------------------------------------------------

void Form1::Image1_DragDrop(qint16 Index, platform::Control *Source, float X, float Y)
{
    Q_UNUSED(X)
    Q_UNUSED(Y)
    // The source is reached by property name only, like any dragged control;
    // Image2 holds the target's picture and tag during the exchange.
    platform::Image *T = Image1[Index];
    Image2->setPicture(T->picture());
    Image2->setTag(T->Tag());
    T->setPicture(Source->propertyByName(QStringLiteral("Picture")).value<platform::Picture>());
    T->setTag(Source->propertyByName(QStringLiteral("Tag")).toString());
    Source->setPropertyByName(QStringLiteral("Picture"), QVariant::fromValue(Image2->picture()));
    Source->setPropertyByName(QStringLiteral("Tag"), Image2->Tag());
}

// ---- Answer check and menu -----------------------------------------------

void Form1::BottoneConferma_Click()
{
    bool esatto = true;
    for (int i = 0; i < 5; ++i) {
        if (Image1[i]->Tag() != QString::number(i + 1))
            esatto = false;
    }

    if (esatto) {
        BottoneConferma->setEnabled(false);
        ComandoIconaSi->setVisible(true);
        ComandoIconaNo->setVisible(false);
        Conta(Modulo1::ContatoreEsatti);
        EtichettaEsatti->setCaption(platform::Text::Str(Modulo1::ContatoreEsatti));
        ShockwaveFlash1->Play();
        BottoneAvanti->setEnabled(true);
    } else {
        ComandoIconaNo->setVisible(true);
        ComandoIconaSi->setVisible(false);
        Conta(Modulo1::ContatoreErrati);
        EtichettaErrati->setCaption(platform::Text::Str(Modulo1::ContatoreErrati));
        ModuloColoriSuoni::SuonoErrore();
    }
}

void Form1::MenuAzzera_Click()
{
    EtichettaEsatti->setCaption(QStringLiteral("0"));
    EtichettaErrati->setCaption(QStringLiteral("0"));
    Modulo1::ContatoreEsatti = 0;
    Modulo1::ContatoreErrati = 0;
}

void Form1::MenuInformazioni_Click()
{
    Modulo1::MostraInformazioni();
}

void Form1::mnuEsci_Click()
{
    Modulo1::ChiediUscita();
}
