#include "WavFile.h"

#include <QtEndian>

namespace {

void put16(QByteArray &out, uint16_t v)
{
    out.append(char(v & 0xff)).append(char(v >> 8));
}

void put32(QByteArray &out, uint32_t v)
{
    put16(out, uint16_t(v & 0xffff));
    put16(out, uint16_t(v >> 16));
}

uint32_t get32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

uint16_t get16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

} // namespace

QByteArray WavFile::pcm16Mono(const std::vector<int16_t> &samples, int sampleRate)
{
    const uint32_t dataSize = uint32_t(samples.size() * 2);
    QByteArray out("RIFF");
    put32(out, 36 + dataSize);
    out.append("WAVEfmt ");
    put32(out, 16);
    put16(out, 1);                          // PCM
    put16(out, 1);                          // mono
    put32(out, uint32_t(sampleRate));
    put32(out, uint32_t(sampleRate * 2));   // bytes per second
    put16(out, 2);                          // bytes per sample frame
    put16(out, 16);
    out.append("data");
    put32(out, dataSize);
    for (int16_t s : samples)
        put16(out, uint16_t(s));
    return out;
}

WavFile::Info WavFile::inspect(const QByteArray &bytes)
{
    Info info;
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        info.problem = QStringLiteral("non è un file WAV (manca l'intestazione RIFF/WAVE)");
        return info;
    }
    bool haveFormat = false;
    qsizetype at = 12;
    // Chunks are walked one by one: writers put LIST or fact chunks
    // between "fmt " and "data".
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const uint32_t size = get32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > bytes.size()) {
                info.problem = QStringLiteral("il blocco del formato è troncato");
                return info;
            }
            const int format = get16(bytes, body);
            info.channels = get16(bytes, body + 2);
            info.sampleRate = int(get32(bytes, body + 4));
            info.bitsPerSample = get16(bytes, body + 14);
            if (format != 1) {
                info.problem = QStringLiteral("non è PCM non compresso (formato %1)").arg(format);
                return info;
            }
            if (info.bitsPerSample != 16) {
                info.problem = QStringLiteral("campioni a %1 bit invece di 16").arg(info.bitsPerSample);
                return info;
            }
            if (info.channels < 1 || info.channels > 2 || info.sampleRate < 8000 || info.sampleRate > 96000) {
                info.problem = QStringLiteral("canali o frequenza non validi");
                return info;
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                info.problem = QStringLiteral("i dati vengono prima del formato");
                return info;
            }
            const qsizetype available = std::min<qsizetype>(size, bytes.size() - body);
            if (available <= 0) {
                info.problem = QStringLiteral("il suono è vuoto");
                return info;
            }
            info.seconds = double(available) / (info.channels * 2) / info.sampleRate;
            return info;
        }
        at = body + size + (size & 1);   // chunks are padded to an even size
    }
    info.problem = haveFormat ? QStringLiteral("mancano i dati del suono")
                              : QStringLiteral("manca il blocco del formato");
    return info;
}
