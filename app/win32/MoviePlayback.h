// Playing a received movie with the program the system associates with ".3gp" files, through a
// temporary file that the next start or end of the program removes.
#pragma once
#include <windows.h>

#include "core/MediaObject.h"

// Asks first; warns when the file cannot be written or the player not started.
void OfferPlayback(HWND mainWindow, const MediaObject& movie);
// Removes the temporary movies earlier plays left behind.
void DeleteTemporaryMovies();
