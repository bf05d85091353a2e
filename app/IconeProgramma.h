#pragma once

#include "platform/Picture.h"

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's own pictures, drawn as SVG and compiled in under ":/"
// ("orsetto", "faccina-si", "spunta", ...). They are rendered at the size
// they are shown, so they stay sharp on a full screen.
class IconeProgramma
{
public:
    static QIcon Icona(const QString &nome);
    // A square picture `lato` device pixels wide, the drawing centred with
    // its proportions kept on a transparent ground.
    static platform::Picture Immagine(const QString &nome, int lato);
    // A mouse pointer of `lato` logical pixels, sharp on high-density screens.
    static QPixmap Cursore(const QString &nome, int lato = 32);
};
