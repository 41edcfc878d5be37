// Serial mode's selection while the serial settings dialog is not part of this build: never
// active, so every transfer goes over infrared. The dialog's own definition replaces this file.
#include "app/SerialMode.h"

const SerialSelection& CurrentSerialSelection()
{
    static const SerialSelection inactive;
    return inactive;
}
