#include "base/core/TCustomZStream.h"

#include <zlib.h>

#include "base/core/TCustomZStreamState.h"

std::int32_t ZlibCompressionLevel = 9;
std::int32_t ZlibWindowBits = 15;

TCustomZStream::TCustomZStream(TStream& other)
    : Other(other), OtherPosition(other.Position()), State(new TState), Buffer(new std::uint8_t[kBufferSize]) {}

TCustomZStream::~TCustomZStream() = default;

void TCustomZStream::RestorePosition() {
    if (Other.Position() != OtherPosition)
        Other.SeekTo(OtherPosition);
}
