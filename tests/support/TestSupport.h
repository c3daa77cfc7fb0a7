#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "base/messages/MessageBoxes.h"

// Helpers shared by the test binaries.
namespace TestSupport {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::string& Path() const { return Dir; }
    std::string File(const std::string& name) const { return Dir + "/" + name; }

private:
    std::string Dir;
};

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// Answers message boxes from a script while it lives; records every box.
// An empty script answers as Escape would.
class TScriptedMessageBoxes {
public:
    explicit TScriptedMessageBoxes(std::vector<std::uint16_t> answers = {});
    ~TScriptedMessageBoxes();

    const std::vector<TMessageBoxRequest>& Shown() const { return Boxes; }

private:
    std::deque<std::uint16_t> Answers;
    std::vector<TMessageBoxRequest> Boxes;
    TMessageBoxAnswerer Previous;
};

// Sets an environment variable while it lives (nullptr unsets it), then puts
// the old value back.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const char* value);
    ~TScopedEnv();
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    std::string Name;
    std::string Old;
    bool HadOld = false;
};

// Points the user's folders at fresh temporary ones while it lives, so that
// tests never touch the real ones: the home folder (Path()/home), the
// settings folder $XDG_CONFIG_HOME (Path() itself), the data folder
// $XDG_DATA_HOME (Path()/data) and the temporary folder $TMPDIR
// (Path()/tmp). The settings store, the data folders and the temporary
// folder forget what they worked out before and after.
class TTempSettingsFolder {
public:
    TTempSettingsFolder();
    ~TTempSettingsFolder();

    const std::string& Path() const { return Dir.Path(); }

private:
    TTempDir Dir;
    TScopedEnv Config;
    TScopedEnv Home;
    TScopedEnv Data;
    TScopedEnv Temp;
};

// Makes the resources compiled from tests/data/forms (FORM resources named
// after their classes) visible to the resource look-up.
void UseTestResources();

// A path inside the shared real-world corpus.
std::string CorpusPath(const std::string& relative);
// A path inside tests/data.
std::string TestDataPath(const std::string& relative);

}  // namespace TestSupport

namespace TestSupport {

// Makes the drawing layer see only the fixture fonts of tests/data/fonts and
// a 96 pixels-per-inch screen, so font and pixel results are the same on
// every machine. Safe to call from every test; the work is done once.
void UseFixtureFonts();

}  // namespace TestSupport
