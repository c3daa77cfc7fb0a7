#include "base/files/Guids.h"

#include "base/core/DateTime.h"
#include "base/core/DateTimeText.h"
#include "platform/System.h"

std::string NewGuidString() {
    unsigned char b[16];
    if (!Platform::RandomBytes(b, sizeof b))
        return DateTimeToIsoText(Now());
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4: random
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // the standard variant
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out.push_back('-');
        out.push_back(hex[b[i] >> 4]);
        out.push_back(hex[b[i] & 15]);
    }
    return out;
}
