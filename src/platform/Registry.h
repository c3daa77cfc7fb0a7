#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The hierarchical settings store that stands in for the system registry:
// keys (paths of names separated by "\", compared without ASCII case) hold
// sub-keys and named values, each a 32-bit integer or a string of bytes.
//
// Each root is one text file of its own under the user's settings folder
// ($XDG_CONFIG_HOME/rezozuri/, by default ~/.config/rezozuri/), read on first
// use and kept in memory. Changes collect in memory until RegFlush, which
// merges them into the file as it is on the disk at that moment (so two
// running copies of the program do not undo each other's changes) and
// replaces the file atomically: a crash, a killed process or a full disk
// leaves either the old or the new file, never a broken one. Reads see the
// file as it was when RegRefresh last looked. Main thread only.
namespace Platform {

enum class TRegRoot : std::uint8_t { CurrentUser, LocalMachine, ClassesRoot, Users, CurrentConfig };

struct TRegValue {
    bool IsInteger = false;
    std::int32_t Integer = 0;
    std::string Text;
};

// The file that holds a root.
std::string RegHiveFile(TRegRoot root);

bool RegKeyExists(TRegRoot root, std::string_view path);
// Creates the key and its missing parents; false for a name holding a
// control character.
bool RegCreateKey(TRegRoot root, std::string_view path);
// The names of a key's sub-keys in the order the store keeps them.
std::vector<std::string> RegSubKeyNames(TRegRoot root, std::string_view path);
// Deletes a key that has no sub-keys; false when it has some or is missing.
bool RegDeleteKey(TRegRoot root, std::string_view path);

bool RegGetValue(TRegRoot root, std::string_view path, std::string_view name, TRegValue& value);
// False when the key does not exist.
bool RegSetValue(TRegRoot root, std::string_view path, std::string_view name, const TRegValue& value);
bool RegDeleteValue(TRegRoot root, std::string_view path, std::string_view name);

// True when changes wait to be written.
bool RegHasPendingChanges(TRegRoot root);
// Writes the pending changes; false with the reason when the file cannot be
// written (the changes stay pending and in memory).
bool RegFlush(TRegRoot root, std::string& error);
// Re-reads the file when another process has changed it since it was read.
void RegRefresh(TRegRoot root);
// A description of what was wrong with the file when it was read (lines that
// could not be understood, which are skipped; the damaged file is kept
// beside the new one as "<file>.damaged" when the store is next written),
// given once and then cleared. Empty when the file was sound.
std::string RegTakeLoadProblem(TRegRoot root);
// Forgets every root read so far, dropping changes not yet written; the next
// use reads the files again (and the settings folder is looked up anew).
void RegForgetAll();

// Parses hive text into a count of keys and values and the number of lines
// that could not be understood (for tests and the fuzz target).
struct TRegParseStats {
    int Keys = 0;
    int Values = 0;
    int DamagedLines = 0;
};
TRegParseStats RegParseText(std::string_view text);

}  // namespace Platform
