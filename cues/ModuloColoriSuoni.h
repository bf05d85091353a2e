#pragma once

#include <QtGlobal>

// The start window's random background colour and the error sound.
namespace ModuloColoriSuoni {

// One colour of the palette's 18 slots, each slot equally likely; colours
// have red in the low byte.
qint32 ColoreCasuale();

// Plays suoni/no.wav beside the program, without waiting for it, while the
// sound switch is on.
void SuonoErrore();

} // namespace ModuloColoriSuoni
