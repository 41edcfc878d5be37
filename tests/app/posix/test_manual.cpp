// The manual explains every message a transfer, the send settings and the serial port dialogs
// can show: each text, read from the program's own tables, appears in it. Checked once,
// natively: the manual is the same file for every build.
#include <iconv.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/FileRules.h"
#include "app/SendSettingsRules.h"
#include "app/SerialSettingsRules.h"
#include "app/ProgressTexts.h"
#include "tests/support/TestFiles.h"

namespace {

// The program's texts are Shift_JIS bytes; the manual is UTF-8. Empty when `text` is not
// Shift_JIS.
std::string Utf8FromCp932(const std::string& text)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == (iconv_t)-1) return std::string();
    std::string out(text.size() * 3, '\0');  // no CP932 byte becomes more than 3 UTF-8 bytes
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* to = &out[0];
    size_t outLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &to, &outLeft) != (size_t)-1;
    iconv_close(cd);
    if (!ok) return std::string();
    out.resize(out.size() - outLeft);
    return out;
}

std::vector<std::string> MessagesToExplain()
{
    std::vector<std::string> texts;
    for (Direction d : {Direction::Send, Direction::Receive}) {
        // Far beyond the highest result of either table; the codes past a table's end give its
        // "no message" text.
        for (int32_t result = -1; result <= 64; ++result) {
            for (bool serial : {false, true}) texts.push_back(ResultMessage(d, result, serial));
        }
        texts.push_back(PresentEnd(d, false, "", true).status);  // the cancelled end
    }
    for (const char* t : {kSendKindUnsupported, kReceiveInstalled, kReceiveKindUnsupported,
                          kReceiveNotDecodable, kTransferUnexpected}) {
        texts.push_back(t);
    }
    for (const char* t : kEntryRefusals) texts.push_back(t);
    for (const char* t : {kUnexpectedFormatMessage, kUnexpectedKindMessage,
                          kNoFormatCheckedMessage, kNothingToSendMessage}) {
        texts.push_back(t);
    }
    texts.push_back(NotOpenedMessage({}));  // several files dropped
    texts.push_back(kNoSerialPortsMessage);
    texts.push_back(PortOpenFailedText("COM3"));  // the manual's example port
    texts.push_back(SpeedStatusMessage(SpeedStatus::Empty));
    texts.push_back(SpeedStatusMessage(SpeedStatus::Invalid));
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    return texts;
}

TEST(Manual, ExplainsEveryMessage)
{
    const std::string manual = ReadFileText(ZV_MANUAL);
    ASSERT_FALSE(manual.empty()) << ZV_MANUAL;
    ASSERT_NE(std::string::npos, manual.find("<meta charset=\"UTF-8\">"))
        << "the texts are looked for as UTF-8";
    for (const std::string& text : MessagesToExplain()) {
        const std::string utf8 = Utf8FromCp932(text);
        ASSERT_FALSE(utf8.empty()) << "not Shift_JIS: " << text;
        EXPECT_NE(std::string::npos, manual.find(utf8)) << "not in the manual: " << utf8;
    }
}

}  // namespace
