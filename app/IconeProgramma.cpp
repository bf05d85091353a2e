#include "IconeProgramma.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

QString risorsa(const QString &nome)
{
    return QStringLiteral(":/") + nome + QStringLiteral(".svg");
}

QImage disegna(const QString &nome, int lato)
{
    QImage immagine(lato, lato, QImage::Format_ARGB32_Premultiplied);
    immagine.fill(Qt::transparent);
    QSvgRenderer svg(risorsa(nome));
    if (svg.isValid()) {
        svg.setAspectRatioMode(Qt::KeepAspectRatio);
        QPainter pittore(&immagine);
        svg.render(&pittore);
    }
    return immagine;
}

} // namespace

QIcon IconeProgramma::Icona(const QString &nome)
{
    return QIcon(risorsa(nome));
}

platform::Picture IconeProgramma::Immagine(const QString &nome, int lato)
{
    return platform::Picture(disegna(nome, qMax(1, lato)));
}

QPixmap IconeProgramma::Cursore(const QString &nome, int lato)
{
    const qreal densita = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap cursore = QPixmap::fromImage(disegna(nome, qRound(lato * densita)));
    cursore.setDevicePixelRatio(densita);
    return cursore;
}
