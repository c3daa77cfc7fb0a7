#pragma once

class TSettingsStorage;

// The stored answers of the optional messages as the options keep them: the
// value "OptMsgs" of section "Internal".
void LoadOptionalMessageAnswers(TSettingsStorage& storage);
void SaveOptionalMessageAnswers(TSettingsStorage& storage);
