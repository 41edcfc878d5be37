// Every kind of failure the program throws can be caught as a ZvError and keeps its own code
// and message there.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "core/Error.h"
#include "formats/AtomParser.h"
#include "formats/BitmapManager.h"
#include "formats/ImageManager.h"
#include "formats/PropertyList.h"
#include "obex/ObexException.h"
#include "transport/TransportException.h"

TEST(Errors, EveryKindIsAZvErrorWithItsCodeAndMessage)
{
    const struct {
        const char* kind;
        std::function<void()> raise;
        int32_t code;
        const char* message;
    } cases[] = {
        {"obex", [] { ObexFail(OBEX_ERR_STATE, "GetTime:まだデータを受信していません。"); }, 8,
         "GetTime:まだデータを受信していません。"},
        {"transport",
         [] { throw TransportException(TRANSPORT_ERR_IO, "IrSend:データの送信に失敗しました。"); },
         5, "IrSend:データの送信に失敗しました。"},
        {"vnote line", [] { throw Zorvex::CVSeriesException("パース対象の１行の形式が不正です。"); },
         0, "パース対象の１行の形式が不正です。"},
        {"picture", [] { throw ImageManagerException(2); }, 2, ""},
        {"bitmap", [] { throw Zorvex::BitmapManagerException(); }, 0, ""},
        {"movie", [] { throw MP4ParseException(3); }, 3, ""},
    };
    for (const auto& c : cases) {
        try {
            c.raise();
            ADD_FAILURE() << c.kind << ": nothing thrown";
        } catch (const std::exception& e) {
            const ZvError* error = dynamic_cast<const ZvError*>(&e);
            ASSERT_NE(nullptr, error) << c.kind;
            EXPECT_EQ(c.code, error->GetCode()) << c.kind;
            EXPECT_STREQ(c.message, error->GetMessageText()) << c.kind;
            EXPECT_STREQ(c.message, e.what()) << c.kind;
        }
    }
}
