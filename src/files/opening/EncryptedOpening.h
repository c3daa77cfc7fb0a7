#pragma once

#include "files/opening/TOpenContext.h"

// Reads an encrypted document: finds its password (the document's own, then
// the one remembered for all encrypted documents, then the user's answer),
// verifies the whole file with it, and reads the deciphered RTF. A wrong
// password or a damaged file asks whether to try another password; giving up
// fails the open without a further message. False on failure.
bool ReadEncryptedDocument(TOpenContext& context);
