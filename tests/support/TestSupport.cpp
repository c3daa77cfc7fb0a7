#include "support/TestSupport.h"

#include "platform/Fonts.h"
#include "platform/Screen.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include <stdlib.h>

#include "base/files/FolderLocations.h"
#include "base/files/TempFiles.h"
#include "platform/Registry.h"

// Defined by the generated table of the tests' own resources.
void RegisterRezTestResources();

namespace TestSupport {

void UseTestResources() {
    RegisterRezTestResources();
}

TTempDir::TTempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("rezozuri-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            Dir = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TTempDir::~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TScriptedMessageBoxes::TScriptedMessageBoxes(std::vector<std::uint16_t> answers)
    : Answers(answers.begin(), answers.end()) {
    Previous = SetMessageBoxAnswerer([this](const TMessageBoxRequest& request) -> std::uint16_t {
        Boxes.push_back(request);
        if (Answers.empty())
            return EscapeResult(request.Buttons);
        const std::uint16_t answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
}

TScriptedMessageBoxes::~TScriptedMessageBoxes() {
    SetMessageBoxAnswerer(std::move(Previous));
}

TScopedEnv::TScopedEnv(const char* name, const char* value) : Name(name) {
    if (const char* old = std::getenv(name)) {
        Old = old;
        HadOld = true;
    }
    if (value != nullptr)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

TScopedEnv::~TScopedEnv() {
    if (HadOld)
        ::setenv(Name.c_str(), Old.c_str(), 1);
    else
        ::unsetenv(Name.c_str());
}

namespace {

void ForgetUserFolders() {
    Platform::RegForgetAll();
    ForgetDataFolders();
    ForgetTempFolder();
}

std::string MadeFolder(const std::string& path) {
    std::filesystem::create_directories(path);
    return path;
}

}  // namespace

TTempSettingsFolder::TTempSettingsFolder()
    : Config("XDG_CONFIG_HOME", Dir.Path().c_str()),
      Home("HOME", MadeFolder(Dir.File("home")).c_str()),
      Data("XDG_DATA_HOME", MadeFolder(Dir.File("data")).c_str()),
      Temp("TMPDIR", MadeFolder(Dir.File("tmp")).c_str()) {
    ForgetUserFolders();
}

TTempSettingsFolder::~TTempSettingsFolder() {
    ForgetUserFolders();
}

std::string CorpusPath(const std::string& relative) {
    return std::string(REZ_CORPUS_DIR) + "/" + relative;
}

std::string TestDataPath(const std::string& relative) {
    return std::string(REZ_TEST_DATA_DIR) + "/" + relative;
}

}  // namespace TestSupport

namespace TestSupport {

void UseFixtureFonts() {
    static const bool done = [] {
        Platform::SetScreenMetrics(1920, 1080, 96);
        return Platform::UseOnlyFontsIn(TestDataPath("fonts"));
    }();
    (void)done;
}

}  // namespace TestSupport
