// formc: compiles a form layout written as text into the binary form
// resource the program's form reader reads (base/core/TReader.h).
//
//   formc [--class NAME] input.form output.tpf
//
// The text names one component and, nested inside it, the components it
// holds:
//
//   // A comment runs to the end of the line.
//   object MainForm: TMainForm
//     Caption = 'Rezozuri'          // string ('' for a quote, #13 for a code)
//     Width = 640                   // integer
//     Align = alClient              // identifier (True, False and nil too)
//     Font.Style = [fsBold]         // set
//     Items.Strings = ('a' 'b')     // list of strings
//     OnClick = MainFormClick       // event handler, by name
//     object OkButton: TButton
//       Left = 8
//     end
//   end
//
// "inherited Name: TClass" marks a component that a base form's resource
// makes already. With --class, the root must be of that class (the resource
// is named after it). Only value types the reader accepts are written.
// Errors name the file and line and fail the build; no output is left.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum : std::uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
};

// Deeper than any form needs; the reader refuses far less anyway.
constexpr int kMaxNesting = 32;

enum class TTok { End, Ident, Integer, String, Punct };

struct TToken {
    TTok Kind = TTok::End;
    std::string Text;     // identifier or string bytes, punctuation character
    long long Value = 0;  // integers
    int Line = 0;
};

class TCompiler {
public:
    TCompiler(std::string fileName, std::string text) : File(std::move(fileName)), Src(std::move(text)) { Next(); }

    std::string Compile(const std::string& expectedClass) {
        Out = "TPF0";
        const int rootLine = Tok.Line;
        const std::string rootClass = Component(0);
        if (Tok.Kind != TTok::End)
            Error("text after the end of the form");
        if (!expectedClass.empty() && !SameIdent(rootClass, expectedClass)) {
            Tok.Line = rootLine;
            Error("the form's class is " + rootClass + ", but its file names " + expectedClass);
        }
        return Out;
    }

private:
    [[noreturn]] void Error(const std::string& message) const {
        std::fprintf(stderr, "%s:%d: error: %s\n", File.c_str(), Tok.Line, message.c_str());
        std::exit(1);
    }

    static bool SameIdent(const std::string& a, const std::string& b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            char x = a[i], y = b[i];
            if (x >= 'a' && x <= 'z')
                x = static_cast<char>(x - 32);
            if (y >= 'a' && y <= 'z')
                y = static_cast<char>(y - 32);
            if (x != y)
                return false;
        }
        return true;
    }

    static bool IdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
    static bool IdentChar(char c) { return IdentStart(c) || (c >= '0' && c <= '9'); }
    static bool Digit(char c) { return c >= '0' && c <= '9'; }

    void SkipBlanks() {
        for (;;) {
            while (Pos < Src.size() && (Src[Pos] == ' ' || Src[Pos] == '\t' || Src[Pos] == '\r' || Src[Pos] == '\n')) {
                if (Src[Pos] == '\n')
                    ++Line;
                ++Pos;
            }
            if (Pos + 1 < Src.size() && Src[Pos] == '/' && Src[Pos + 1] == '/') {
                while (Pos < Src.size() && Src[Pos] != '\n')
                    ++Pos;
                continue;
            }
            return;
        }
    }

    void Next() {
        SkipBlanks();
        Tok = TToken();
        Tok.Line = Line;
        if (Pos >= Src.size())
            return;
        const char c = Src[Pos];
        if (IdentStart(c)) {
            // Property paths ("Font.Style") read as one identifier.
            const std::size_t start = Pos;
            while (Pos < Src.size() &&
                   (IdentChar(Src[Pos]) || (Src[Pos] == '.' && Pos + 1 < Src.size() && IdentStart(Src[Pos + 1]))))
                ++Pos;
            Tok.Kind = TTok::Ident;
            Tok.Text = Src.substr(start, Pos - start);
            return;
        }
        if (Digit(c) || (c == '-' && Pos + 1 < Src.size() && Digit(Src[Pos + 1]))) {
            const std::size_t start = Pos++;
            while (Pos < Src.size() && Digit(Src[Pos]))
                ++Pos;
            const std::string digits = Src.substr(start, Pos - start);
            if (digits.size() > 12)
                Error("integer out of range: " + digits);
            Tok.Kind = TTok::Integer;
            Tok.Value = std::strtoll(digits.c_str(), nullptr, 10);
            if (Tok.Value < INT32_MIN || Tok.Value > INT32_MAX)
                Error("integer out of range: " + digits);
            return;
        }
        if (c == '\'' || c == '#') {
            Tok.Kind = TTok::String;
            // Quoted pieces and #codes run together into one string.
            while (Pos < Src.size() && (Src[Pos] == '\'' || Src[Pos] == '#')) {
                if (Src[Pos] == '#') {
                    const std::size_t start = ++Pos;
                    while (Pos < Src.size() && Digit(Src[Pos]))
                        ++Pos;
                    const std::string digits = Src.substr(start, Pos - start);
                    const long code =
                        digits.empty() || digits.size() > 3 ? 256 : std::strtol(digits.c_str(), nullptr, 10);
                    if (code > 255)
                        Error("a character code must be #0 to #255");
                    Tok.Text.push_back(static_cast<char>(code));
                    continue;
                }
                ++Pos;
                for (;;) {
                    if (Pos >= Src.size() || Src[Pos] == '\n')
                        Error("string not closed on its line");
                    if (Src[Pos] == '\'') {
                        if (Pos + 1 < Src.size() && Src[Pos + 1] == '\'') {
                            Tok.Text.push_back('\'');
                            Pos += 2;
                            continue;
                        }
                        ++Pos;
                        break;
                    }
                    Tok.Text.push_back(Src[Pos++]);
                }
            }
            return;
        }
        if (c == '=' || c == ':' || c == '[' || c == ']' || c == '(' || c == ')' || c == ',') {
            Tok.Kind = TTok::Punct;
            Tok.Text = std::string(1, c);
            ++Pos;
            return;
        }
        Error(std::string("unexpected character '") + c + "'");
    }

    bool IsPunct(char c) const { return Tok.Kind == TTok::Punct && Tok.Text[0] == c; }
    bool IsWord(const char* word) const { return Tok.Kind == TTok::Ident && SameIdent(Tok.Text, word); }

    void Expect(char c) {
        if (!IsPunct(c))
            Error(std::string("'") + c + "' expected");
        Next();
    }

    std::string TakeIdent(const char* what) {
        if (Tok.Kind != TTok::Ident)
            Error(std::string(what) + " expected");
        std::string s = Tok.Text;
        Next();
        return s;
    }

    void ShortString(const std::string& s, const char* what) {
        if (s.size() > 255)
            Error(std::string(what) + " longer than 255 bytes");
        Out.push_back(static_cast<char>(s.size()));
        Out += s;
    }

    void Int32(long long v) {
        const auto u = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
        for (int i = 0; i < 4; ++i)
            Out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    }

    void StringValue(const std::string& s) {
        if (s.size() <= 255) {
            Out.push_back(static_cast<char>(vaString));
            ShortString(s, "string");
        } else {
            Out.push_back(static_cast<char>(vaLString));
            Int32(static_cast<long long>(s.size()));
            Out += s;
        }
    }

    void Value() {
        switch (Tok.Kind) {
            case TTok::Integer: {
                const long long v = Tok.Value;
                if (v >= -128 && v <= 127) {
                    Out.push_back(static_cast<char>(vaInt8));
                    Out.push_back(static_cast<char>(v));
                } else if (v >= -32768 && v <= 32767) {
                    Out.push_back(static_cast<char>(vaInt16));
                    Out.push_back(static_cast<char>(v & 0xFF));
                    Out.push_back(static_cast<char>((v >> 8) & 0xFF));
                } else {
                    Out.push_back(static_cast<char>(vaInt32));
                    Int32(v);
                }
                Next();
                return;
            }
            case TTok::String:
                StringValue(Tok.Text);
                Next();
                return;
            case TTok::Ident:
                if (Tok.Text.find('.') != std::string::npos)
                    Error("a value cannot be a dotted name");
                if (IsWord("True"))
                    Out.push_back(static_cast<char>(vaTrue));
                else if (IsWord("False"))
                    Out.push_back(static_cast<char>(vaFalse));
                else if (IsWord("nil"))
                    Out.push_back(static_cast<char>(vaNil));
                else {
                    Out.push_back(static_cast<char>(vaIdent));
                    ShortString(Tok.Text, "identifier");
                }
                Next();
                return;
            case TTok::Punct:
                if (IsPunct('[')) {
                    Next();
                    Out.push_back(static_cast<char>(vaSet));
                    while (!IsPunct(']')) {
                        const std::string name = TakeIdent("set element");
                        ShortString(name, "set element");
                        if (!IsPunct(']'))
                            Expect(',');
                    }
                    Out.push_back(0);
                    Next();
                    return;
                }
                if (IsPunct('(')) {
                    // Lists hold strings only: that is all the reader takes
                    // from them (string lists).
                    Next();
                    Out.push_back(static_cast<char>(vaList));
                    while (!IsPunct(')')) {
                        if (Tok.Kind != TTok::String)
                            Error("a list holds strings only");
                        StringValue(Tok.Text);
                        Next();
                    }
                    Out.push_back(static_cast<char>(vaNull));
                    Next();
                    return;
                }
                Error("value expected");
            case TTok::End:
                Error("value expected at the end of the file");
        }
    }

    std::string Component(int depth) {
        if (depth > kMaxNesting)
            Error("components nest too deeply");
        bool inherited = false;
        if (IsWord("inherited"))
            inherited = true;
        else if (!IsWord("object"))
            Error("'object' or 'inherited' expected");
        Next();
        const std::string name = TakeIdent("component name");
        Expect(':');
        const std::string cls = TakeIdent("class name");
        if (name.find('.') != std::string::npos || cls.find('.') != std::string::npos)
            Error("names cannot contain dots");
        if (inherited)
            Out.push_back(static_cast<char>(0xF1));
        ShortString(cls, "class name");
        ShortString(name, "component name");
        while (Tok.Kind == TTok::Ident && !IsWord("object") && !IsWord("inherited") && !IsWord("end")) {
            const std::string path = TakeIdent("property name");
            Expect('=');
            ShortString(path, "property name");
            Value();
        }
        Out.push_back(0);
        while (IsWord("object") || IsWord("inherited"))
            Component(depth + 1);
        Out.push_back(0);
        if (!IsWord("end"))
            Error("'end' expected");
        Next();
        return cls;
    }

    std::string File;
    std::string Src;
    std::size_t Pos = 0;
    int Line = 1;
    TToken Tok;
    std::string Out;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string expectedClass;
    if (args.size() >= 2 && args[0] == "--class") {
        expectedClass = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: formc [--class NAME] input.form output.tpf\n");
        return 2;
    }
    std::ifstream in(args[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: error: cannot read the file\n", args[0].c_str());
        return 1;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TCompiler compiler(args[0], std::move(text));
    const std::string binary = compiler.Compile(expectedClass);
    // Written beside the target first, so that a failed write leaves no
    // half resource for the build to embed.
    const std::string temp = args[1] + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(binary.data(), static_cast<std::streamsize>(binary.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "%s: error: cannot write the file\n", temp.c_str());
            std::remove(temp.c_str());
            return 1;
        }
    }
    if (std::rename(temp.c_str(), args[1].c_str()) != 0) {
        std::fprintf(stderr, "%s: error: cannot write the file\n", args[1].c_str());
        std::remove(temp.c_str());
        return 1;
    }
    return 0;
}
