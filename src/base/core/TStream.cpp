#include "base/core/TStream.h"

#include <algorithm>
#include <memory>

#include "base/core/Errors.h"

std::int64_t TStream::Size() {
    const std::int64_t pos = Seek(0, soFromCurrent);
    const std::int64_t size = Seek(0, soFromEnd);
    Seek(pos, soFromBeginning);
    return size;
}

void TStream::ReadExact(void* buffer, std::int32_t count) {
    if (count != 0 && Read(buffer, count) != count)
        Abort();
}

void TStream::WriteExact(const void* buffer, std::int32_t count) {
    if (count != 0 && Write(buffer, count) != count)
        Abort();
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SeekTo(0);
        count = source.Size();
    }
    const std::int64_t total = count;
    const std::int32_t chunk = static_cast<std::int32_t>(std::min<std::int64_t>(count, 61440));
    if (chunk <= 0)
        return total;
    std::unique_ptr<char[]> buffer(new char[chunk]);
    while (count > 0) {
        const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, chunk));
        source.ReadExact(buffer.get(), n);
        WriteExact(buffer.get(), n);
        count -= n;
    }
    return total;
}
