#include "app/win32/CommunicationCommands.h"

#include <optional>

#include "app/SendSettingsRules.h"
#include "app/win32/CurrentContent.h"
#include "app/win32/Dialog.h"
#include "app/win32/MoviePlayback.h"
#include "app/win32/ProgressDialog.h"
#include "app/win32/SendSettingsDialog.h"
#include "app/win32/SerialSettingsDialog.h"

namespace {

bool HaveObjectToSend(HWND main)
{
    if (View::CurrentObject()) return true;
    Warn(main, kNothingToSendMessage, kSendCaption);
    return false;
}

void Receive(HWND mainWindow, std::optional<SerialLine> serial)
{
    TransferRequest request;
    request.direction = Direction::Receive;
    request.serial = std::move(serial);
    if (!RunTransferDialog(mainWindow, mainWindow, std::move(request)) || !IsWindow(mainWindow)) {
        return;
    }
    // The window installs the object from its queue while the dialog is still up; a dialog
    // closed at once may leave it queued.
    View::OnContentReady(mainWindow);
    InvalidateRect(mainWindow, nullptr, TRUE);
    UpdateWindow(mainWindow);
    // Only what has the structure of a 3GP/MP4 file is handed to a player.
    const std::shared_ptr<const MediaObject> current = View::CurrentObject();
    if (current && current->GetKind() == MEDIA_MOVIE &&
        ContentMatchesKind(MEDIA_MOVIE, current->GetBody(), current->GetBodyLength())) {
        OfferPlayback(mainWindow, *current);
    }
}

}  // namespace

void SendCommand(HWND main)
{
    if (HaveObjectToSend(main)) RunSendSettings(main, std::nullopt);
}

void SerialSendCommand(HWND main)
{
    if (!HaveObjectToSend(main)) return;
    if (std::optional<SerialLine> serial = ChooseSerialPort(main, SerialDirection::Send)) {
        RunSendSettings(main, std::move(serial));
    }
}

void ReceiveCommand(HWND mainWindow) { Receive(mainWindow, std::nullopt); }

void SerialReceiveCommand(HWND mainWindow)
{
    if (std::optional<SerialLine> serial = ChooseSerialPort(mainWindow, SerialDirection::Receive)) {
        Receive(mainWindow, std::move(serial));
    }
}
