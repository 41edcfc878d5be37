#include "app/SerialMode.h"

namespace {
SerialSelection g_selection;
}

SerialSelection CurrentSerialSelection() { return g_selection; }

void SetCurrentSerialSelection(const SerialSelection& selection) { g_selection = selection; }
