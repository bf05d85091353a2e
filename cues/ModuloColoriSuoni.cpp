#include "ModuloColoriSuoni.h"

#include "Modulo1.h"

#include "platform/App.h"
#include "platform/Directory.h"
#include "platform/Random.h"
#include "platform/Sound.h"

#include <array>

namespace ModuloColoriSuoni {

namespace {

// Slot 0 is never drawn. The repeated colours (an orange in slots 3 and 5,
// a pink in 14, 15 and 17) are deliberate: every slot, not every colour,
// has the same chance.
constexpr std::array<qint32, 19> Colori = {
    0,
    0xC0C0FF, 0x8080FF, 0x0080FF, 0x80C0FF, 0x0080FF, 0xC0FFFF,
    0x00FFFF, 0x0040C0, 0x80FF80, 0x00C000, 0xFFFFC0, 0xFFFF00,
    0xFFC0C0, 0xFFC0FF, 0xFFC0FF, 0xE0E0E0, 0xFFC0FF, 0xFF00FF,
};

} // namespace

qint32 ColoreCasuale()
{
    const double r = platform::Random::Rnd();
    const int k = static_cast<int>(platform::Random::Int(r * 18)) + 1;
    return Colori[k];
}

void SuonoErrore()
{
    if (Modulo1::SuoniAttivi == 0)
        return;

    const QString sep = platform::Directory::separator();
    platform::Sound::sndPlaySound(platform::App::Path() + sep + QStringLiteral("suoni") + sep
                                      + QStringLiteral("no.wav"),
                                  platform::Sound::Async);
}

} // namespace ModuloColoriSuoni
