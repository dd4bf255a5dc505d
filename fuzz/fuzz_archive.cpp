// libFuzzer target over the archive-reading entry point: the central directory, entry names, and the
// data of every entry (located, inflated and checked) as the expansion program reads them.
#include "EntryName.h"
#include "ZipArchive.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pkunzip::ZipArchive archive;
    std::string error;
    if (!archive.open(data, size, &error)) {
        if (error.empty())
            std::abort(); // a refusal always says why
        return 0;
    }
    static libdeflate_decompressor *inflater = libdeflate_alloc_decompressor();
    std::vector<uint8_t> out;
    for (const pkunzip::ZipEntry &e : archive.entries()) {
        const std::string name = pkunzip::entryNameUtf8(e);
        if (!pkunzip::isValidUtf8(name))
            std::abort(); // names on disk are always UTF-8
        const pkunzip::SafePath safe = pkunzip::checkEntryName(name);
        if (!safe.refusal && !safe.path.empty()) {
            // every part is a plain name: never empty, ".", ".." or holding a backslash
            const std::string_view path = safe.path;
            for (size_t start = 0;;) {
                const size_t stop = std::min(path.find('/', start), path.size());
                const std::string_view part = path.substr(start, stop - start);
                if (part.empty() || part == "." || part == ".." || part.find('\\') != std::string_view::npos)
                    std::abort();
                if (stop == path.size()) {
                    if (part != safe.name())
                        std::abort();
                    break;
                }
                start = stop + 1;
            }
        }
        (void)pkunzip::printableName(name);
        const char *problem = nullptr;
        const uint8_t *bytes = archive.entryData(e, &problem);
        if (!bytes) {
            if (!problem)
                std::abort();
            continue;
        }
        if (bytes < data || bytes + e.compressedSize > data + size)
            std::abort(); // entry data must lie inside the archive
        if (e.size > (1u << 20))
            continue; // claimed sizes are checked against free space before anything is allocated
        out.resize(e.size ? e.size : 1);
        if (e.method == 8) {
            if (libdeflate_deflate_decompress(inflater, bytes, e.compressedSize, out.data(), e.size, nullptr)
                == LIBDEFLATE_SUCCESS)
                (void)(libdeflate_crc32(0, out.data(), e.size) == e.crc);
        } else if (e.method == 0 && e.compressedSize == e.size) {
            (void)(libdeflate_crc32(0, bytes, e.size) == e.crc);
        }
    }
    return 0;
}
