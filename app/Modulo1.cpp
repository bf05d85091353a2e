#include "Modulo1.h"

#include "Form1.h"
#include "FormAvvio.h"
#include "clsResize.h"

#include "platform/App.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"

#include <QPointer>

namespace Modulo1 {

std::unique_ptr<clsResize> objResize;
qint16 SuoniAttivi = 0;
qint16 EsercizioCorrente = 0;
qint16 ContatoreEsatti = 0;
qint16 ContatoreErrati = 0;

namespace {
QPointer<::FormAvvio> istanzaAvvio;
QPointer<::Form1> istanzaEsercizio;
}

::FormAvvio &FormAvvio()
{
    if (!istanzaAvvio)
        istanzaAvvio = new ::FormAvvio;
    return *istanzaAvvio;
}

::Form1 &Form1()
{
    if (!istanzaEsercizio)
        istanzaEsercizio = new ::Form1;
    return *istanzaEsercizio;
}

void Main()
{
    if (platform::App::PrevInstance()) {
        platform::MessageBox::MsgBox(
            QStringLiteral("E' già stata avviata una copia di questo programma!"),
            platform::MessageBox::Critical, QStringLiteral("Error"));
        return;
    }

    SuoniAttivi = -1;
    platform::Random::Randomize();
    FormAvvio().Show();
}

void MostraInformazioni()
{
    const QString crlf = QStringLiteral("\r\n");
    platform::MessageBox::MsgBox(QStringLiteral("Squadra Ambrelia  ") + crlf
                                     + QStringLiteral(" ----------------------- ") + crlf
                                     + QStringLiteral("https://ambrelia.example.org") + crlf
                                     + QStringLiteral("mail: squadra@ambrelia.example.org"),
                                 platform::MessageBox::Information, QStringLiteral("L'Ambrelia"));
}

void ChiediUscita()
{
    const int risposta = platform::MessageBox::MsgBox(
        QStringLiteral("Vuoi uscire dal programma?"),
        platform::MessageBox::YesNo | platform::MessageBox::Question, QStringLiteral("L'Ambrelia"));
    if (risposta == platform::MessageBox::ResultYes) {
        // The scaler lets go of its window and controls before the end.
        objResize.reset();
        platform::App::End(0);
    }
}

void Termina()
{
    objResize.reset();
    delete istanzaEsercizio;
    delete istanzaAvvio;
}

} // namespace Modulo1
