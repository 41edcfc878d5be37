// The texts of the file information dialog for an object.
#pragma once
#include <cstdint>
#include <string>

class MediaObject;

struct ObjectInfo {
    std::string format;          // the phone format's label
    std::string kind;            // the media kind's label
    std::string size;            // "WxH", "(無効)" or "(未対応の形式)"
    std::string title, summary, fileName;
    std::string bodySize;        // "%d バイト"
    std::string date;            // "%d年%d月%d日 %d時%d分%d秒" in local time
    std::string redistribution;  // "禁止" or "許可"
};

// `pictureWidth`/`pictureHeight` are the decoded picture's pixel size when the view holds one
// (pass hasPicture false otherwise); a movie's size is read from its atoms.
ObjectInfo DescribeObject(const MediaObject& object, bool hasPicture, int pictureWidth,
                          int pictureHeight);

// The frame size text of a movie body.
std::string MovieSizeText(const uint8_t* body, uint32_t length);

// A time in seconds as local calendar time, no leading zeros; "(無効)" when the C library
// cannot break it down.
std::string LocalTimeText(int32_t seconds);
