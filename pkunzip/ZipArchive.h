// The structure of a .zip archive held in memory: its central directory, entry by entry, and where each
// entry's data lies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pkunzip {

/** One entry as the central directory describes it; the views point into the archive's bytes. */
struct ZipEntry {
    std::string_view rawName; // the name's bytes as stored
    std::string_view unicodeName; // UTF-8 name from an Info-ZIP Unicode Path field that matches rawName
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localHeaderOffset = 0; // already corrected for data in front of the archive
    uint32_t crc = 0;
    uint32_t externalAttributes = 0;
    uint16_t versionMadeBy = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    bool hasUnixTime = false; // extended timestamp field: seconds since 1970, UTC
    int64_t unixMtime = 0;
    bool hasNtfsTime = false; // NTFS field: 100 ns ticks since 1601, UTC
    uint64_t ntfsMtime = 0;
    const char *problem = nullptr; // why the entry cannot be read, found while reading its directory record

    bool encrypted() const { return (flags & 0x0001) != 0 || method == 99; }
    bool utf8Name() const { return (flags & 0x0800) != 0; }
    /** The creating system: 3 is Unix, 19 is macOS; only they give Unix modes in externalAttributes. */
    unsigned hostSystem() const { return versionMadeBy >> 8; }
    bool hasUnixMode() const
    {
        return (hostSystem() == 3 || hostSystem() == 19) && (externalAttributes >> 16) != 0;
    }
    uint32_t unixMode() const { return externalAttributes >> 16; }
};

/** Reads the central directory of an archive given as one block of bytes (a mapping of the file). */
class ZipArchive {
public:
    /**
     * Reads the central directory. Returns false with a reason when the archive's table of contents
     * cannot be found or read; entries whose own record is unusable are kept with a problem set.
     */
    bool open(const uint8_t *data, size_t size, std::string *error);

    const std::vector<ZipEntry> &entries() const { return m_entries; }

    /**
     * Finds an entry's compressed bytes behind its local header. Returns nullptr with a reason when the
     * local header is damaged or the data does not lie wholly inside the archive.
     */
    const uint8_t *entryData(const ZipEntry &entry, const char **problem) const;

private:
    const uint8_t *m_data = nullptr;
    size_t m_size = 0;
    uint64_t m_dataEnd = 0; // entry data must end before the central directory
    std::vector<ZipEntry> m_entries;
};

} // namespace pkunzip
