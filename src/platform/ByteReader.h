#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <utility>

// Bytes of a file as its readers see them. Every reader of a binary format
// (pictures, archives, metafiles, font tables, shell links, form resources)
// decodes integers through these and only these, so that no read can pass
// the end of what was given and every refusal names the offset of the first
// bad byte. It lives in the lowest library because the metafile players of
// the drawing layer use it as much as the readers above.

// Loads and stores of integers at a pointer, in either byte order. The
// caller has checked that the bytes are there; TByteReader does so for it.
inline std::uint16_t LoadU16LE(const void* at) {
    const auto* p = static_cast<const std::uint8_t*>(at);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32LE(const void* at) {
    const auto* p = static_cast<const std::uint8_t*>(at);
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t LoadU64LE(const void* at) {
    const auto* p = static_cast<const std::uint8_t*>(at);
    return static_cast<std::uint64_t>(LoadU32LE(p)) | (static_cast<std::uint64_t>(LoadU32LE(p + 4)) << 32);
}
inline std::uint16_t LoadU16BE(const void* at) {
    const auto* p = static_cast<const std::uint8_t*>(at);
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t LoadU32BE(const void* at) {
    const auto* p = static_cast<const std::uint8_t*>(at);
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
inline void StoreU16LE(void* at, std::uint16_t v) {
    auto* p = static_cast<std::uint8_t*>(at);
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreU32LE(void* at, std::uint32_t v) {
    auto* p = static_cast<std::uint8_t*>(at);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void StoreU16BE(void* at, std::uint16_t v) {
    auto* p = static_cast<std::uint8_t*>(at);
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
inline void StoreU32BE(void* at, std::uint32_t v) {
    auto* p = static_cast<std::uint8_t*>(at);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// What a reader's inner parse found: good, or the reason it stopped and the
// offset (in the whole input) of the first byte it could not accept. The
// public entry of a reader turns a bad result into whatever its callers
// rely on (a message and the silent abort, a false, an empty picture).
struct TReadResult {
    bool Good = true;
    std::string Reason;
    std::uint64_t Offset = 0;

    static TReadResult Success() { return {}; }
    static TReadResult Failure(std::string reason, std::uint64_t offset) {
        return TReadResult{false, std::move(reason), offset};
    }
    explicit operator bool() const { return Good; }
};

// A cursor over a block of bytes it does not own. A sequential read that
// would pass the end reads as 0 (or empty), moves nothing and marks the
// reader failed; the mark stays, so a parser may read a whole header and
// test Failed once. Positional reads (the ...At family) never move the
// cursor or fail the reader: beyond the end they read as 0, and callers
// test HasAt first wherever a missing field must stop them.
class TByteReader {
public:
    TByteReader() = default;
    TByteReader(const void* data, std::size_t size) : Bytes_(static_cast<const std::uint8_t*>(data)), Size_(size) {}
    explicit TByteReader(std::span<const std::uint8_t> bytes) : TByteReader(bytes.data(), bytes.size()) {}
    explicit TByteReader(std::string_view bytes) : TByteReader(bytes.data(), bytes.size()) {}

    const std::uint8_t* Data() const { return Bytes_; }
    std::size_t Size() const { return Size_; }
    std::size_t Offset() const { return Pos; }
    // The offset of the cursor in the whole input (a sub-reader counts from
    // where it was cut out).
    std::uint64_t InputOffset() const { return Base + Pos; }
    std::size_t Remaining() const { return Size_ - Pos; }
    bool AtEnd() const { return Pos == Size_; }
    bool Has(std::size_t count) const { return count <= Size_ - Pos; }
    bool HasAt(std::size_t offset, std::size_t count) const { return offset <= Size_ && count <= Size_ - offset; }
    const std::uint8_t* Current() const { return Bytes_ + Pos; }

    bool Failed() const { return Fail; }
    // Where the first read that failed started, in the whole input.
    std::uint64_t FailOffset() const { return Base + FailPos; }

    bool Seek(std::size_t offset) {
        if (offset > Size_)
            return MarkFailed(), false;
        Pos = offset;
        return true;
    }
    bool Skip(std::size_t count) {
        if (!Take(count))
            return false;
        Pos += count;
        return true;
    }

    std::uint8_t U8() { return Take(1) ? Bytes_[Pos++] : 0; }
    std::int8_t I8() { return static_cast<std::int8_t>(U8()); }
    std::uint16_t U16LE() { return Read<std::uint16_t>(LoadU16LE); }
    std::uint32_t U32LE() { return Read<std::uint32_t>(LoadU32LE); }
    std::uint64_t U64LE() { return Read<std::uint64_t>(LoadU64LE); }
    std::int16_t I16LE() { return static_cast<std::int16_t>(U16LE()); }
    std::int32_t I32LE() { return static_cast<std::int32_t>(U32LE()); }
    std::int64_t I64LE() { return static_cast<std::int64_t>(U64LE()); }
    std::uint16_t U16BE() { return Read<std::uint16_t>(LoadU16BE); }
    std::uint32_t U32BE() { return Read<std::uint32_t>(LoadU32BE); }
    std::int16_t I16BE() { return static_cast<std::int16_t>(U16BE()); }
    std::int32_t I32BE() { return static_cast<std::int32_t>(U32BE()); }
    float F32LE() {
        const std::uint32_t bits = U32LE();
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    double F64LE() {
        const std::uint64_t bits = U64LE();
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    // Copies count bytes out; false (and nothing copied) when fewer remain.
    bool ReadBytes(void* dest, std::size_t count) {
        if (!Take(count))
            return false;
        if (count != 0)
            std::memcpy(dest, Bytes_ + Pos, count);
        Pos += count;
        return true;
    }
    // The next count bytes in place; empty when fewer remain.
    std::span<const std::uint8_t> Span(std::size_t count) {
        if (!Take(count))
            return {};
        const std::span<const std::uint8_t> out(Bytes_ + Pos, count);
        Pos += count;
        return out;
    }
    std::string_view Chars(std::size_t count) {
        const auto bytes = Span(count);
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
    // A reader over the next count bytes (the cursor moves past them); an
    // empty, failed reader when fewer remain.
    TByteReader Sub(std::size_t count) {
        const std::size_t at = Pos;
        if (!Skip(count))
            return Broken();
        return Piece(at, count);
    }
    // A reader over count bytes from offset; the cursor stays.
    TByteReader SubAt(std::size_t offset, std::size_t count) const {
        if (!HasAt(offset, count))
            return Broken();
        return Piece(offset, count);
    }

    std::uint8_t U8At(std::size_t offset) const { return HasAt(offset, 1) ? Bytes_[offset] : 0; }
    std::uint16_t U16LEAt(std::size_t offset) const { return HasAt(offset, 2) ? LoadU16LE(Bytes_ + offset) : 0; }
    std::uint32_t U32LEAt(std::size_t offset) const { return HasAt(offset, 4) ? LoadU32LE(Bytes_ + offset) : 0; }
    std::uint64_t U64LEAt(std::size_t offset) const { return HasAt(offset, 8) ? LoadU64LE(Bytes_ + offset) : 0; }
    std::int16_t I16LEAt(std::size_t offset) const { return static_cast<std::int16_t>(U16LEAt(offset)); }
    std::int32_t I32LEAt(std::size_t offset) const { return static_cast<std::int32_t>(U32LEAt(offset)); }
    std::uint16_t U16BEAt(std::size_t offset) const { return HasAt(offset, 2) ? LoadU16BE(Bytes_ + offset) : 0; }
    std::uint32_t U32BEAt(std::size_t offset) const { return HasAt(offset, 4) ? LoadU32BE(Bytes_ + offset) : 0; }
    std::int16_t I16BEAt(std::size_t offset) const { return static_cast<std::int16_t>(U16BEAt(offset)); }
    std::int32_t I32BEAt(std::size_t offset) const { return static_cast<std::int32_t>(U32BEAt(offset)); }
    float F32LEAt(std::size_t offset) const {
        const std::uint32_t bits = U32LEAt(offset);
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    // A bad result: at the first failed read when there was one, else at the
    // cursor (or at the given offset of this reader).
    TReadResult Error(std::string reason) const {
        return TReadResult::Failure(std::move(reason), Fail ? FailOffset() : InputOffset());
    }
    TReadResult ErrorAt(std::string reason, std::size_t offset) const {
        return TReadResult::Failure(std::move(reason), Base + offset);
    }

private:
    bool Take(std::size_t count) {
        if (count <= Size_ - Pos)
            return true;
        MarkFailed();
        return false;
    }
    void MarkFailed() {
        if (!Fail) {
            Fail = true;
            FailPos = Pos;
        }
    }
    template <class T, class Load>
    T Read(Load load) {
        if (!Take(sizeof(T)))
            return 0;
        const T v = load(Bytes_ + Pos);
        Pos += sizeof(T);
        return v;
    }
    TByteReader Piece(std::size_t offset, std::size_t count) const {
        TByteReader r(Bytes_ + offset, count);
        r.Base = Base + offset;
        return r;
    }
    TByteReader Broken() const {
        TByteReader r;
        r.Base = InputOffset();
        r.Fail = true;
        return r;
    }

    const std::uint8_t* Bytes_ = nullptr;
    std::size_t Size_ = 0;
    std::size_t Pos = 0;
    std::uint64_t Base = 0;
    std::size_t FailPos = 0;
    bool Fail = false;
};
