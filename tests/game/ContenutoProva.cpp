#include "ContenutoProva.h"

#include "platform/App.h"

#include <QDir>
#include <QFile>

#include <gif_lib.h>

#include <vector>

ContenutoProva::ContenutoProva()
{
    QDir(m_cartella.path()).mkpath(QStringLiteral("gif"));
    QDir(m_cartella.path()).mkpath(QStringLiteral("suoni"));
    platform::App::overridePath(m_cartella.path());
}

ContenutoProva::~ContenutoProva()
{
    platform::App::overridePath(QString());
}

QString ContenutoProva::percorso() const
{
    return m_cartella.path();
}

QString ContenutoProva::cartellaGif() const
{
    return m_cartella.path() + QStringLiteral("/gif");
}

void ContenutoProva::aggiungiEsercizio(const QString &nome)
{
    aggiungiFilmato(nome);
    aggiungiImmagini(nome);
}

void ContenutoProva::aggiungiFilmato(const QString &nome)
{
    aggiungiFile(QStringLiteral("gif/") + nome + QStringLiteral(".swf"), filmatoSwf(qRgb(40, 90, 200)));
}

void ContenutoProva::aggiungiImmagini(const QString &nome, int primo, int ultimo)
{
    const QString cartella = cartellaGif() + QLatin1Char('/') + nome;
    QDir().mkpath(cartella);
    for (int k = primo; k <= ultimo; ++k)
        scriviGif(cartella + QLatin1Char('/') + nome + QString::number(k) + QStringLiteral(".gif"),
                  coloreScena(k));
}

void ContenutoProva::aggiungiCartella(const QString &percorsoRelativo)
{
    QDir(m_cartella.path()).mkpath(percorsoRelativo);
}

void ContenutoProva::aggiungiFile(const QString &percorsoRelativo, const QByteArray &contenuto)
{
    QFile file(m_cartella.path() + QLatin1Char('/') + percorsoRelativo);
    if (file.open(QIODevice::WriteOnly))
        file.write(contenuto);
}

QColor ContenutoProva::coloreScena(int k)
{
    static const QColor colori[] = {
        QColor(255, 0, 0), QColor(0, 200, 0), QColor(0, 0, 255), QColor(255, 255, 0), QColor(255, 0, 255),
    };
    return colori[(k - 1) % 5];
}

int ContenutoProva::scenaDelColore(QRgb colore)
{
    for (int k = 1; k <= 5; ++k) {
        if (coloreScena(k).rgb() == (colore | 0xFF000000u))
            return k;
    }
    return 0;
}

namespace {

// SWF writes its header rectangle as a bit field: 5 bits of width, then
// the four values with that many bits each, most significant bit first.
class ScrittoreBit
{
public:
    void scrivi(quint32 valore, int bit)
    {
        for (int i = bit - 1; i >= 0; --i) {
            m_accumulo = static_cast<quint8>((m_accumulo << 1) | ((valore >> i) & 1u));
            if (++m_riempiti == 8)
                svuota();
        }
    }
    QByteArray chiudi()
    {
        if (m_riempiti > 0) {
            m_accumulo = static_cast<quint8>(m_accumulo << (8 - m_riempiti));
            svuota();
        }
        return m_byte;
    }

private:
    void svuota()
    {
        m_byte.append(static_cast<char>(m_accumulo));
        m_accumulo = 0;
        m_riempiti = 0;
    }
    QByteArray m_byte;
    quint8 m_accumulo = 0;
    int m_riempiti = 0;
};

void aggiungi16(QByteArray &b, quint16 v)
{
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8));
}

void aggiungiEtichetta(QByteArray &b, int codice, const QByteArray &dati)
{
    aggiungi16(b, static_cast<quint16>((codice << 6) | dati.size()));
    b.append(dati);
}

} // namespace

QByteArray ContenutoProva::filmatoSwf(QRgb sfondo)
{
    // A 100 x 100 pixel stage (2000 twips), 12 frames a second, one frame.
    ScrittoreBit rettangolo;
    rettangolo.scrivi(13, 5);
    rettangolo.scrivi(0, 13);
    rettangolo.scrivi(2000, 13);
    rettangolo.scrivi(0, 13);
    rettangolo.scrivi(2000, 13);

    QByteArray corpo = rettangolo.chiudi();
    aggiungi16(corpo, 12 << 8);
    aggiungi16(corpo, 1);
    QByteArray colore;
    colore.append(static_cast<char>(qRed(sfondo)));
    colore.append(static_cast<char>(qGreen(sfondo)));
    colore.append(static_cast<char>(qBlue(sfondo)));
    aggiungiEtichetta(corpo, 9, colore);       // SetBackgroundColor
    aggiungiEtichetta(corpo, 1, QByteArray()); // ShowFrame
    aggiungiEtichetta(corpo, 0, QByteArray()); // End

    QByteArray filmato("FWS");
    filmato.append(char(6));
    const quint32 lunghezza = static_cast<quint32>(8 + corpo.size());
    for (int i = 0; i < 4; ++i)
        filmato.append(static_cast<char>((lunghezza >> (8 * i)) & 0xFF));
    filmato.append(corpo);
    return filmato;
}

bool ContenutoProva::scriviGif(const QString &file, QColor colore, int lato)
{
    int errore = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(file).constData(), false, &errore);
    if (!gif)
        return false;

    GifColorType tavolozza[2] = {
        { static_cast<GifByteType>(colore.red()), static_cast<GifByteType>(colore.green()),
          static_cast<GifByteType>(colore.blue()) },
        { 0, 0, 0 },
    };
    ColorMapObject *mappa = GifMakeMapObject(2, tavolozza);
    bool riuscito = mappa && EGifPutScreenDesc(gif, lato, lato, 1, 0, mappa) == GIF_OK
        && EGifPutImageDesc(gif, 0, 0, lato, lato, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> riga(static_cast<size_t>(lato), 0);
    for (int y = 0; riuscito && y < lato; ++y)
        riuscito = EGifPutLine(gif, riga.data(), lato) == GIF_OK;
    EGifCloseFile(gif, &errore);
    GifFreeMapObject(mappa);
    return riuscito;
}
