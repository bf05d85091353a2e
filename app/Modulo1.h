#pragma once

#include <QtGlobal>
#include <memory>

class clsResize;
class FormAvvio;
class Form1;

// Start-up, the variables every window shares and the two message dialogs
// of the menu.
namespace Modulo1 {

// The one layout scaler: bound to the start window first, then to the
// exercise window, which replaces it.
extern std::unique_ptr<clsResize> objResize;
// Booleans of the toolkit: True is -1.
extern qint16 SuoniAttivi;
extern qint16 EsercizioCorrente;
extern qint16 ContatoreEsatti;
extern qint16 ContatoreErrati;

void Main();
void MostraInformazioni();
void ChiediUscita();

// Each window has one instance, made the first time it is asked for.
::FormAvvio &FormAvvio();
::Form1 &Form1();

// Releases the scaler and the windows before the application object goes.
void Termina();

} // namespace Modulo1
