#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TJPEGImage;
class TPNGImage;

// Pictures and data from the program's resources; EAbort for a missing
// picture, an empty result for missing data.
void LoadPngResource(std::string_view name, TPNGImage& png);
void LoadJpegResource(std::string_view name, TJPEGImage& jpeg);
struct TResourceBytes {
    const std::uint8_t* Address = nullptr;
    std::int64_t Size = 0;
};
TResourceBytes LoadResourceData(std::string_view name, std::string_view type);
// Writes the resource's bytes as the whole file; false on any failure, which
// leaves an old file at path as it was.
bool SaveResourceToFile(std::string_view name, std::string_view type, const std::string& path);
