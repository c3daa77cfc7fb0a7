#pragma once

#include <QtCore/QMimeData>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The clipboard formats carried by MIME data, shared by the clipboard and by
// drag and drop, which hand the same formats over the same way.
namespace Platform {

// The formats the data can give, in the order of its MIME types.
std::vector<std::uint32_t> MimeFormats(const QMimeData* mime);
std::optional<std::vector<std::uint8_t>> ReadMimeFormat(const QMimeData& mime, std::uint32_t format);
// False, with the data unchanged or partly written, for a format we cannot
// carry or bytes that are not of their format.
bool WriteMimeFormat(QMimeData& mime, std::uint32_t format, std::span<const std::uint8_t> data);

}  // namespace Platform
