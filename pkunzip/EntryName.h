// Entry names: decoding them to UTF-8 and turning them into safe relative paths below the destination.
#pragma once

#include <string>
#include <string_view>

namespace pkunzip {

struct ZipEntry;

/** The 256 characters of code page 437 (the DOS character set of names without the UTF-8 flag) as UTF-8. */
std::string cp437ToUtf8(std::string_view bytes);

/** True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates). */
bool isValidUtf8(std::string_view bytes);

/**
 * An entry's name as UTF-8: its Unicode Path field when present, the stored bytes when the UTF-8 flag
 * is set, and otherwise the stored bytes read as code page 437.
 */
std::string entryNameUtf8(const ZipEntry &entry);

/** A name checked for use below the destination folder. */
struct SafePath {
    std::string path; // its parts joined by "/": never "", "." or ".."; empty for "./" (the destination)
    size_t nameStart = 0; // where the last part starts in path
    bool folder = false; // the name ends in a separator
    const char *refusal = nullptr; // why the name cannot be used, or nullptr

    /** The folder part ("" at the top), and the last part. */
    std::string_view parent() const
    {
        return std::string_view(path).substr(0, nameStart ? nameStart - 1 : 0);
    }
    std::string_view name() const { return std::string_view(path).substr(nameStart); }
};

/**
 * Splits a UTF-8 entry name at "/" and "\" (both separate folders), dropping empty and "." parts.
 * Refuses names that would leave the destination or cannot be created: absolute names ("/x", "\\x"),
 * names starting with a drive ("C:x", "C:\x"), any ".." part, NUL characters, and parts longer than
 * the file system allows.
 */
SafePath checkEntryName(std::string_view utf8Name);

/** A name made printable on one line: control characters become "?". */
std::string printableName(std::string_view name);

/** A name shortened for a message: beyond max bytes, its middle becomes "...", cut between characters. */
std::string elidedName(std::string_view name, size_t max = 240);

} // namespace pkunzip
