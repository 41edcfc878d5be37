// What the text fit test and fit_probe.dll share: the name of the probe message, which with the
// test's process id appended also names the shared memory (and with ".done" its event). The
// memory holds one line per text, "id\tclass\twidth\troom\theight\troomHeight\ttext": pixels,
// the height and its room 0 for one line, the text (mnemonics removed) in code page 932.
#pragma once

const char kFitProbeName[] = "ZvFitProbe";
const unsigned kFitProbeBytes = 64 * 1024;
