#include "base/text/UnderlineStyles.h"

const TUnderlineStyle UnderlineStyles[UnderlineStyleCount] = {
    {0, "not underline"},
    {1, "single underline"},
    {2, "word underline"},
    {3, "double underline"},
    {4, "dotted underline"},
    {6, "thick underline"},
    {7, "dash underline"},
    {9, "dash-dot underline"},
    {10, "dash-dot-dot underline"},
    {11, "wave underline"},
    {20, "thick dotted underline"},
    {23, "thick dash underline"},
    {25, "thick dash-dot underline"},
    {26, "thick dash-dot-dot underline"},
    {27, "heavy wave underline"},
    {39, "long dash underline"},
    {43, "double wave underline"},
    {55, "thick long dash underline"},
};

int IndexOfUnderlineStyle(std::int32_t code) {
    for (int i = 0; i < UnderlineStyleCount; ++i)
        if (UnderlineStyles[i].Code == code)
            return i;
    return -1;
}
