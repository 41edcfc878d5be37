// What the text fit test and fit_probe.dll (loaded into zorvex.exe) share: the probe message
// and the names of the shared memory and event (each followed by the test's process id), and
// one measured row, in pixels.
#pragma once

const char kFitProbeName[] = "ZvFitProbe";
const unsigned kFitProbeBytes = 64 * 1024;

// A row of the shared memory, one per line: "id\tclass\twidth\troom\theight\troomHeight\ttext",
// the text in code page 932 as drawn (mnemonics removed). Height and its room are 0 for a
// single line; for a wrapping static and for a menu bar item they are the wrapped text's height
// (the item's bottom in the bar) and the control's height (one row of the bar).
struct FitRow {
    int width = 0, room = 0, height = 0, roomHeight = 0;
};
