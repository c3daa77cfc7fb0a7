#pragma once

// zlib's stream record for the compression streams; included only by their
// sources, so that no header outside them names zlib.

#include <zlib.h>

#include "base/core/TCustomZStream.h"

struct TCustomZStream::TState {
    z_stream Z{};
    bool Ready = false;
};
