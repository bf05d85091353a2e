#include "WavFile.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

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

WavFile::Audio WavFile::read(const QByteArray &bytes, QString *problem)
{
    Audio audio;
    auto fail = [&](const QString &why) {
        *problem = why;
        return Audio();
    };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return fail(QStringLiteral("non è un file WAV (manca l'intestazione RIFF/WAVE)"));
    int bits = 0;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const uint32_t size = get32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > bytes.size())
                return fail(QStringLiteral("il blocco del formato è troncato"));
            const int format = get16(bytes, body);
            audio.channels = get16(bytes, body + 2);
            audio.rate = int(get32(bytes, body + 4));
            bits = get16(bytes, body + 14);
            // The extensible form says its real format further on.
            const int real = format == 0xFFFE && size >= 26 && body + 26 <= bytes.size() ? get16(bytes, body + 24) : format;
            if (real != 1)
                return fail(QStringLiteral("non è PCM non compresso (formato %1): salvalo come WAV PCM").arg(format));
            if (bits != 8 && bits != 16)
                return fail(QStringLiteral("campioni a %1 bit: servono 8 o 16 bit").arg(bits));
            if (audio.channels < 1 || audio.channels > 2)
                return fail(QStringLiteral("ha %1 canali: servono uno (mono) o due (stereo)").arg(audio.channels));
            if (audio.rate < 1000 || audio.rate > 192000)
                return fail(QStringLiteral("la frequenza di %1 Hz non è valida").arg(audio.rate));
        } else if (id == "data") {
            if (!bits)
                return fail(QStringLiteral("i dati vengono prima del formato"));
            const qsizetype available = std::min<qsizetype>(size, bytes.size() - body);
            const qsizetype count = available / (bits / 8) / audio.channels * audio.channels;
            if (count <= 0)
                return fail(QStringLiteral("il suono è vuoto"));
            audio.samples.reserve(size_t(count));
            const auto *in = reinterpret_cast<const uchar *>(bytes.constData() + body);
            for (qsizetype i = 0; i < count; ++i)
                audio.samples.push_back(bits == 8 ? int16_t((in[i] - 128) * 256)
                                                  : int16_t(in[2 * i] | (in[2 * i + 1] << 8)));
            return audio;
        }
        at = body + size + (size & 1);
    }
    return fail(bits ? QStringLiteral("mancano i dati del suono") : QStringLiteral("manca il blocco del formato"));
}

WavFile::Audio WavFile::resampled(const Audio &audio, int rate)
{
    if (audio.rate == rate || audio.samples.empty())
        return audio;
    Audio out;
    out.rate = rate;
    out.channels = audio.channels;
    const int64_t frames = int64_t(audio.samples.size()) / audio.channels;
    const int64_t made = frames * rate / audio.rate;
    out.samples.reserve(size_t(made * audio.channels));
    for (int64_t i = 0; i < made; ++i) {
        const double at = double(i) * audio.rate / rate;
        const int64_t a = std::min<int64_t>(int64_t(at), frames - 1);
        const int64_t b = std::min<int64_t>(a + 1, frames - 1);
        const double t = at - double(a);
        for (int c = 0; c < audio.channels; ++c) {
            const double v = audio.samples[size_t(a * audio.channels + c)] * (1 - t)
                + audio.samples[size_t(b * audio.channels + c)] * t;
            out.samples.push_back(int16_t(std::lround(v)));
        }
    }
    return out;
}
