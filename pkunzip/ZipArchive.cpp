#include "ZipArchive.h"

#include <libdeflate.h>

namespace pkunzip {

namespace {

constexpr uint32_t kLocalHeaderSig = 0x04034b50;
constexpr uint32_t kCentralHeaderSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kEnd64LocatorSig = 0x07064b50;
constexpr uint32_t kEnd64Sig = 0x06064b50;
constexpr size_t kEndSize = 22;
constexpr size_t kEnd64LocatorSize = 20;
constexpr size_t kEnd64Size = 56;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;

uint16_t le16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint64_t le64(const uint8_t *p) { return uint64_t(le32(p)) | (uint64_t(le32(p + 4)) << 32); }

// True when [offset, offset + length) lies inside [0, limit), without overflowing.
bool within(uint64_t offset, uint64_t length, uint64_t limit)
{
    return offset <= limit && length <= limit - offset;
}

// Reads the extra fields of one central directory record into the entry.
void readExtraFields(const uint8_t *p, size_t length, bool sizeMissing, bool compressedMissing,
    bool offsetMissing, ZipEntry &e)
{
    bool zip64Seen = false;
    while (length >= 4) {
        const uint16_t id = le16(p);
        const uint16_t len = le16(p + 2);
        p += 4;
        length -= 4;
        if (len > length)
            break; // a damaged trailing field: ignore the rest, as other readers do
        const uint8_t *f = p;
        size_t left = len;
        switch (id) {
        case 0x0001: // ZIP64: the 64-bit values of the fields that are saturated, in this order
            if (zip64Seen)
                break;
            zip64Seen = true;
            if (sizeMissing && left >= 8) {
                e.size = le64(f), f += 8, left -= 8;
                sizeMissing = false;
            }
            if (compressedMissing && left >= 8) {
                e.compressedSize = le64(f), f += 8, left -= 8;
                compressedMissing = false;
            }
            if (offsetMissing && left >= 8) {
                e.localHeaderOffset = le64(f), f += 8, left -= 8;
                offsetMissing = false;
            }
            break;
        case 0x5455: // extended timestamp; in the central directory it holds the modification time only
            if (left >= 5 && (f[0] & 1)) {
                e.hasUnixTime = true;
                e.unixMtime = int64_t(le32(f + 1));
            }
            break;
        case 0x000a: // NTFS: reserved word, then tagged attributes; tag 1 holds mtime, atime, ctime
            if (left >= 4) {
                f += 4, left -= 4;
                while (left >= 4) {
                    const uint16_t tag = le16(f), tagLen = le16(f + 2);
                    f += 4, left -= 4;
                    if (tagLen > left)
                        break;
                    if (tag == 1 && tagLen >= 24) {
                        e.hasNtfsTime = true;
                        e.ntfsMtime = le64(f);
                    }
                    f += tagLen, left -= tagLen;
                }
            }
            break;
        case 0x7075: // Info-ZIP Unicode Path: version 1, CRC-32 of the stored name, UTF-8 name
            if (left >= 5 && f[0] == 1
                && le32(f + 1) == libdeflate_crc32(0, e.rawName.data(), e.rawName.size()))
                e.unicodeName = std::string_view(reinterpret_cast<const char *>(f + 5), left - 5);
            break;
        default:
            break;
        }
        p += len;
        length -= len;
    }
    if (sizeMissing || compressedMissing || offsetMissing)
        e.problem = "its ZIP64 size record is missing or damaged";
}

} // namespace

bool ZipArchive::open(const uint8_t *data, size_t size, std::string *error)
{
    m_data = data;
    m_size = size;
    m_entries.clear();
    auto fail = [error](const char *why) {
        if (error)
            *error = why;
        return false;
    };
    if (size < kEndSize)
        return fail("it is too short to be a zip archive");

    // The end record sits at the very end, followed only by a comment of at most 64 KiB.
    uint64_t endPos = 0;
    bool found = false;
    const uint64_t lowest = size - kEndSize > 0xffff ? size - kEndSize - 0xffff : 0;
    for (uint64_t pos = size - kEndSize + 1; pos-- > lowest;) {
        if (le32(data + pos) == kEndSig && le16(data + pos + 20) <= size - pos - kEndSize) {
            endPos = pos;
            found = true;
            break;
        }
    }
    if (!found)
        return fail("it is not a zip archive, or its end is missing (an incomplete download?)");

    const uint8_t *end = data + endPos;
    uint64_t diskNumber = le16(end + 4), cdDisk = le16(end + 6);
    uint64_t count = le16(end + 10);
    uint64_t cdSize = le32(end + 12);
    uint64_t cdOffset = le32(end + 16);
    uint64_t cdEnd = endPos;

    if (endPos >= kEnd64LocatorSize && le32(data + endPos - kEnd64LocatorSize) == kEnd64LocatorSig) {
        const uint64_t locatorPos = endPos - kEnd64LocatorSize;
        const uint8_t *loc = data + locatorPos;
        uint64_t end64Pos = le64(loc + 8);
        // Data in front of the archive (a self-extractor) shifts every stored offset by the same amount.
        if (!within(end64Pos, kEnd64Size, locatorPos) || le32(data + end64Pos) != kEnd64Sig) {
            if (locatorPos < kEnd64Size || le32(data + locatorPos - kEnd64Size) != kEnd64Sig)
                return fail("its ZIP64 end record is damaged");
            end64Pos = locatorPos - kEnd64Size;
        }
        const uint8_t *e64 = data + end64Pos;
        diskNumber = le32(e64 + 16);
        cdDisk = le32(e64 + 20);
        count = le64(e64 + 32);
        cdSize = le64(e64 + 40);
        cdOffset = le64(e64 + 48);
        cdEnd = end64Pos;
    }
    if (diskNumber != 0 || cdDisk != 0)
        return fail("it is one part of an archive split over several files, which cannot be expanded alone");
    if (cdSize > cdEnd)
        return fail("its table of contents is damaged (it claims to be larger than the archive)");

    uint64_t cdStart;
    // Data in front of the archive (a self-extractor) moves every stored offset by the same amount.
    // Added modulo 2^64: a damaged offset then lands outside the archive and is refused when read.
    uint64_t shift = 0;
    if (within(cdOffset, cdSize, cdEnd) && (cdSize == 0 || le32(data + cdOffset) == kCentralHeaderSig)) {
        cdStart = cdOffset;
    } else if (cdSize == 0 || le32(data + (cdEnd - cdSize)) == kCentralHeaderSig) {
        cdStart = cdEnd - cdSize;
        shift = cdStart - cdOffset;
    } else {
        return fail("its table of contents is missing or damaged (an incomplete download?)");
    }
    m_dataEnd = cdStart;

    const uint8_t *p = data + cdStart;
    uint64_t left = cdSize;
    m_entries.reserve(count < (cdSize / kCentralHeaderSize) ? count : cdSize / kCentralHeaderSize);
    while (left > 0) {
        if (left < kCentralHeaderSize || le32(p) != kCentralHeaderSig)
            return fail("its table of contents is damaged");
        const uint16_t nameLen = le16(p + 28), extraLen = le16(p + 30), commentLen = le16(p + 32);
        const uint64_t recordLen = kCentralHeaderSize + uint64_t(nameLen) + extraLen + commentLen;
        if (recordLen > left)
            return fail("its table of contents is damaged");
        ZipEntry e;
        e.versionMadeBy = le16(p + 4);
        e.flags = le16(p + 8);
        e.method = le16(p + 10);
        e.dosTime = le16(p + 12);
        e.dosDate = le16(p + 14);
        e.crc = le32(p + 16);
        e.compressedSize = le32(p + 20);
        e.size = le32(p + 24);
        const uint16_t entryDisk = le16(p + 34);
        e.externalAttributes = le32(p + 38);
        e.localHeaderOffset = le32(p + 42);
        e.rawName = std::string_view(reinterpret_cast<const char *>(p + kCentralHeaderSize), nameLen);
        readExtraFields(p + kCentralHeaderSize + nameLen, extraLen, e.size == 0xffffffffu,
            e.compressedSize == 0xffffffffu, e.localHeaderOffset == 0xffffffffu, e);
        if (entryDisk != 0 && entryDisk != 0xffff)
            e.problem = "its data is in another part of a split archive";
        e.localHeaderOffset += shift;
        m_entries.push_back(e);
        p += recordLen;
        left -= recordLen;
    }
    // Some writers keep only the low 16 bits of the count; anything else means the directory is inconsistent.
    if (m_entries.size() != count && (m_entries.size() & 0xffff) != (count & 0xffff))
        return fail("its table of contents is damaged (the number of entries does not match)");
    return true;
}

const uint8_t *ZipArchive::entryData(const ZipEntry &e, const char **problem) const
{
    if (e.problem) {
        *problem = e.problem;
        return nullptr;
    }
    if (!within(e.localHeaderOffset, kLocalHeaderSize, m_dataEnd)
        || le32(m_data + e.localHeaderOffset) != kLocalHeaderSig) {
        *problem = "its local header is missing or damaged";
        return nullptr;
    }
    const uint8_t *h = m_data + e.localHeaderOffset;
    const uint64_t dataStart = e.localHeaderOffset + kLocalHeaderSize + le16(h + 26) + le16(h + 28);
    if (!within(dataStart, e.compressedSize, m_dataEnd)) {
        *problem = "its data is cut short (the archive is truncated or damaged)";
        return nullptr;
    }
    return m_data + dataStart;
}

} // namespace pkunzip
