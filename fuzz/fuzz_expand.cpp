// libFuzzer target over a whole expansion: the archive is written to a file, expanded into a fresh
// folder, and nothing may appear outside that folder.
#include "Expander.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

namespace {

class Quiet : public pkunzip::ExpandObserver {
public:
    void expanded(const std::string &) override { }
    void problem(const std::string &message) override
    {
        if (message.empty())
            std::abort(); // every problem is explained
    }
    pkunzip::ReplaceAnswer askReplace(const std::string &, const std::string &) override
    {
        return pkunzip::ReplaceAnswer::YesToAll;
    }
};

int removeOne(const char *path, const struct stat *, int, struct FTW *) { return ::remove(path); }

std::string root()
{
    static std::string r;
    if (r.empty()) {
        char tmpl[] = "/dev/shm/pkunzip-fuzz-XXXXXX";
        if (!::mkdtemp(tmpl))
            std::abort();
        r = tmpl;
        ::mkdir((r + "/outside").c_str(), 0755);
    }
    return r;
}

// The root may hold only the archive, the destination and the empty "outside" folder.
void checkNothingOutside(const std::string &r)
{
    DIR *d = ::opendir(r.c_str());
    while (dirent *e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != ".." && n != "in.zip" && n != "dest" && n != "outside")
            std::abort();
    }
    ::closedir(d);
    DIR *o = ::opendir((r + "/outside").c_str());
    while (dirent *e = ::readdir(o)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..")
            std::abort();
    }
    ::closedir(o);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        // Keep runs cheap: skip inputs that claim large expanded sizes (the free-space check covers those).
        pkunzip::ZipArchive probe;
        std::string error;
        if (probe.open(data, size, &error)) {
            uint64_t total = 0;
            for (const auto &e : probe.entries())
                total += e.size;
            if (total > (64u << 20))
                return 0;
        }
    }
    const std::string r = root();
    const std::string archive = r + "/in.zip";
    const int fd = ::open(archive.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, data, size) != ssize_t(size))
        std::abort();
    ::close(fd);
    ::mkdir((r + "/dest").c_str(), 0755);
    {
        Quiet quiet;
        pkunzip::ExpandRequest request;
        request.archive = archive;
        request.archiveLabel = "in.zip";
        request.destination = r + "/dest";
        request.askBeforeReplacing = true;
        request.threads = 2;
        pkunzip::Expander expander(request, quiet);
        expander.run();
    }
    checkNothingOutside(r);
    ::chmod((r + "/dest").c_str(), 0755);
    ::nftw((r + "/dest").c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
    return 0;
}
