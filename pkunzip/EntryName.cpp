#include "EntryName.h"

#include "ZipArchive.h"

#include <cstdint>

namespace pkunzip {

namespace {

// Code page 437, 0x80-0xff.
// clang-format off
constexpr uint16_t kCp437High[128] = {
    0x00c7, 0x00fc, 0x00e9, 0x00e2, 0x00e4, 0x00e0, 0x00e5, 0x00e7,
    0x00ea, 0x00eb, 0x00e8, 0x00ef, 0x00ee, 0x00ec, 0x00c4, 0x00c5,
    0x00c9, 0x00e6, 0x00c6, 0x00f4, 0x00f6, 0x00f2, 0x00fb, 0x00f9,
    0x00ff, 0x00d6, 0x00dc, 0x00a2, 0x00a3, 0x00a5, 0x20a7, 0x0192,
    0x00e1, 0x00ed, 0x00f3, 0x00fa, 0x00f1, 0x00d1, 0x00aa, 0x00ba,
    0x00bf, 0x2310, 0x00ac, 0x00bd, 0x00bc, 0x00a1, 0x00ab, 0x00bb,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255d, 0x255c, 0x255b, 0x2510,
    0x2514, 0x2534, 0x252c, 0x251c, 0x2500, 0x253c, 0x255e, 0x255f,
    0x255a, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256c, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256b,
    0x256a, 0x2518, 0x250c, 0x2588, 0x2584, 0x258c, 0x2590, 0x2580,
    0x03b1, 0x00df, 0x0393, 0x03c0, 0x03a3, 0x03c3, 0x00b5, 0x03c4,
    0x03a6, 0x0398, 0x03a9, 0x03b4, 0x221e, 0x03c6, 0x03b5, 0x2229,
    0x2261, 0x00b1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00f7, 0x2248,
    0x00b0, 0x2219, 0x00b7, 0x221a, 0x207f, 0x00b2, 0x25a0, 0x00a0,
};
// clang-format on

constexpr size_t kNameMax = 255;  // bytes in one name on Linux file systems
constexpr size_t kPathMax = 4095; // bytes in a whole path, without its NUL

void appendUtf8(std::string &out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xc0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3f));
    } else {
        out += char(0xe0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3f));
        out += char(0x80 | (cp & 0x3f));
    }
}

bool isAscii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

} // namespace

std::string cp437ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes)
        appendUtf8(out, c < 0x80 ? c : kCp437High[c - 0x80]);
    return out;
}

bool isValidUtf8(std::string_view s)
{
    const auto *p = reinterpret_cast<const unsigned char *>(s.data());
    const auto *end = p + s.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int n;
        uint32_t cp;
        if (c >= 0xc2 && c <= 0xdf)
            n = 1, cp = c & 0x1f;
        else if (c >= 0xe0 && c <= 0xef)
            n = 2, cp = c & 0x0f;
        else if (c >= 0xf0 && c <= 0xf4)
            n = 3, cp = c & 0x07;
        else
            return false;
        if (end - p <= n)
            return false;
        for (int i = 1; i <= n; ++i) {
            if ((p[i] & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3f);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10ffff))
            || (cp >= 0xd800 && cp <= 0xdfff))
            return false;
        p += n + 1;
    }
    return true;
}

std::string entryNameUtf8(const ZipEntry &e)
{
    if (!e.unicodeName.empty() && isValidUtf8(e.unicodeName))
        return std::string(e.unicodeName);
    if (isAscii(e.rawName) || (e.utf8Name() && isValidUtf8(e.rawName)))
        return std::string(e.rawName);
    // Without the UTF-8 flag (or with it but broken bytes) the name is in the DOS character set.
    return cp437ToUtf8(e.rawName);
}

SafePath checkEntryName(std::string_view name)
{
    SafePath r;
    if (name.find('\0') != std::string_view::npos) {
        r.refusal = "its name contains a NUL character";
        return r;
    }
    if (!name.empty() && (name.front() == '/' || name.front() == '\\')) {
        r.refusal = "its name is an absolute path, which would be written outside the destination folder";
        return r;
    }
    if (name.size() >= 2 && name[1] == ':'
        && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) {
        r.refusal
            = "its name starts with a drive letter, which would be written outside the destination folder";
        return r;
    }
    r.folder = !name.empty() && (name.back() == '/' || name.back() == '\\');
    r.path.reserve(name.size());
    size_t start = 0;
    while (start <= name.size()) {
        size_t stop = name.find_first_of("/\\", start);
        if (stop == std::string_view::npos)
            stop = name.size();
        const std::string_view part = name.substr(start, stop - start);
        if (part == "..") {
            r.refusal = "its name contains \"..\", which would be written outside the destination folder";
            r.path.clear();
            return r;
        }
        if (part.size() > kNameMax) {
            r.refusal = "a part of its name is longer than the file system allows (255 bytes)";
            r.path.clear();
            return r;
        }
        if (!part.empty() && part != ".") {
            if (!r.path.empty())
                r.path += '/';
            r.nameStart = r.path.size();
            r.path += part;
        }
        start = stop + 1;
    }
    if (r.path.size() > kPathMax) {
        r.refusal = "its name is longer than the file system allows (4095 bytes)";
        r.path.clear();
        return r;
    }
    // "./" names the destination folder itself, which already exists; any other empty name is unusable.
    if (r.path.empty() && !(r.folder && !name.empty()))
        r.refusal = "its name is empty";
    return r;
}

std::string printableName(std::string_view name)
{
    std::string out(name);
    for (char &c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return out;
}

std::string elidedName(std::string_view name, size_t max)
{
    if (name.size() <= max)
        return std::string(name);
    // Never cut inside a UTF-8 sequence: move each cut back to the start of a character.
    auto isContinuation = [&](size_t i) { return (static_cast<unsigned char>(name[i]) & 0xc0) == 0x80; };
    size_t head = max / 2;
    while (head > 0 && isContinuation(head))
        --head;
    size_t tail = name.size() - max / 2;
    while (tail < name.size() && isContinuation(tail))
        ++tail;
    return std::string(name.substr(0, head)) + "..." + std::string(name.substr(tail));
}

} // namespace pkunzip
