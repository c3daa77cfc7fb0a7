#pragma once

#include <cstdint>
#include <string>

class TDoc;

// Envelopes as sections of a document (opInsertEnvelope): a section whose
// page is the envelope of the envelope settings (model/host/
// EnvelopeOptions.h), holding the return address in the built-in style
// "Envelope Return" and then the delivery address in "Envelope Address".
// The worker reads RTF, so it lives in the files library.

// The program's own definition of the two styles, an RTF document whose
// style sheet holds them: used while the "AddrFont" setting is empty or
// unusable.
inline constexpr const char* EnvelopeStylesResourceType = "DOCTEMPLATE";
inline constexpr const char* EnvelopeStylesResource = "ENVADDRFNT";

// The worker of opInsertEnvelope. The envelope goes in at the caret. It
// takes the caret's section when the caret stands in the empty first
// paragraph of that section, in a fresh document made for printing or
// previewing envelopes (newDocument) or in a document of several sections;
// otherwise a section break at the caret starts a section of its own,
// which gets empty headers and footers. An empty return address leaves its
// block out.
void InsertEnvelope(TDoc& doc, const std::u16string& address, const std::u16string& returnAddress, bool newDocument);

// A length in hundredths of a percent of size (value / 10000 of it),
// rounded to the nearest twip with halves away from zero.
std::int32_t EnvelopeFraction(std::int32_t size, std::int32_t value);

// Puts the worker into the model's worker table.
void InstallEnvelopeWorker();
