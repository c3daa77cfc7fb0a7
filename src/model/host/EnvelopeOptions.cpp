#include "model/host/EnvelopeOptions.h"

TEnvelopeOptions& EnvelopeOptions() {
    static TEnvelopeOptions options;
    return options;
}
