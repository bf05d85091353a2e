#pragma once

#include "platform/Picture.h"

#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QString>

// The program's own pictures, drawn as SVG in a 64-unit square and compiled
// in under ":/" ("orsetto", "faccina-si", "spunta", ...). They are rendered
// at the size they are shown, so they stay sharp on a full screen.
class IconeProgramma
{
public:
    // Drawn anew at whatever size it is asked for: for button faces, which
    // grow with the window.
    static QIcon Icona(const QString &nome);
    // A window icon: the 32 x 32 picture and a 64 x 64 one for large task
    // bars, both drawn when the program was built.
    static QIcon IconaFinestra(const QString &nome);
    // A square picture `lato` device pixels wide, the drawing centred with
    // its proportions kept on a transparent ground.
    static platform::Picture Immagine(const QString &nome, int lato);
    // A mouse pointer of `lato` logical pixels, sharp on high-density screens
    // (drawn when the program was built for 32 at ratios 1 and 2).
    static QPixmap Cursore(const QString &nome, int lato = 32);
    // Where the pointer acts, in logical pixels of a cursor `lato` wide: the
    // bear's nose, the tick's point, the arrow's tip, the aeroplane's nose.
    static QPoint PuntoCaldo(const QString &nome, int lato = 32);
};
