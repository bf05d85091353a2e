#pragma once

#include <QPoint>
#include <QStringList>

class Form1;
class QWidget;

// What the game tests do to the exercise window again and again: show it
// and wait for the deal, read the slots, move pictures with the mouse.
class AiutoPartita
{
public:
    // Shows the window and waits for its first deal; false if none came.
    static bool mostraEAttendi(Form1 &finestra);

    static QStringList etichette(const Form1 &finestra);
    // The scene each slot shows, read from its picture's colour (0: none).
    static QList<int> scenePerColore(const Form1 &finestra);
    static bool permutazione(const QStringList &etichette);
    static bool risolto(const Form1 &finestra);

    // Brings the pictures into the order of the story, or out of it, by
    // calling the drop handler as a drop would.
    static void metteInOrdine(Form1 &finestra);
    static void scompiglia(Form1 &finestra);

    // A drag with the mouse: press on slot `da`, move, release over `punto`
    // given in the coordinates of `bersaglio`'s widget.
    static void trascina(Form1 &finestra, int da, QWidget *bersaglio, QPoint punto);
    static void trascina(Form1 &finestra, int da, int a);
};
