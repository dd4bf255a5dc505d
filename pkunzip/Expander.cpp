#include "Expander.h"

#include "EntryName.h"

#include <libdeflate.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <unordered_map>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
#ifndef TMPFS_MAGIC
#define TMPFS_MAGIC 0x01021994
#endif

namespace pkunzip {

namespace {

// Entries at least this large are inflated straight into a mapping of the output file; smaller ones
// into a per-worker buffer that is written in one call.
constexpr uint64_t kMapThreshold = 4u << 20;
// From this size a helper thread faults the output pages in ahead of the inflater.
constexpr uint64_t kPopulateThreshold = 32u << 20;
constexpr size_t kPopulateChunk = 8u << 20;
constexpr uint64_t kLinkTargetMax = 4096;
constexpr int kLinkHopsMax = 40;

// A mapped file that shrinks, or a full file system behind a mapping, raises SIGBUS on access. The
// thread touching a mapping arms a jump buffer so that the fault becomes an error for that entry.
thread_local sigjmp_buf *t_busJump = nullptr;

void onBusError(int sig)
{
    if (sigjmp_buf *jump = t_busJump)
        siglongjmp(*jump, 1);
    signal(sig, SIG_DFL);
    raise(sig);
}

void installBusHandler()
{
    struct sigaction sa = {};
    sa.sa_handler = onBusError;
    sa.sa_flags = SA_NODEFER; // the handler jumps out; the signal must not stay blocked afterwards
    sigemptyset(&sa.sa_mask);
    sigaction(SIGBUS, &sa, nullptr);
}

// Runs f; returns false when a SIGBUS on a mapping interrupted it. Whatever f was writing is then void.
template <typename F> bool runGuarded(F &&f)
{
    sigjmp_buf jump;
    if (sigsetjmp(jump, 0) != 0) {
        t_busJump = nullptr;
        return false;
    }
    t_busJump = &jump;
    f();
    t_busJump = nullptr;
    return true;
}

// Whether the kernel has openat2 (Linux 5.6 and later, and not filtered away); probed once per run.
std::atomic<bool> g_haveOpenat2 { false };

int openat2Beneath(int dirFd, const char *path, int flags, mode_t mode)
{
    open_how how = {};
    how.flags = uint64_t(flags | O_NOFOLLOW | O_CLOEXEC);
    how.mode = (flags & O_CREAT) ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return int(::syscall(SYS_openat2, dirFd, path, &how, sizeof how));
}

void probeOpenat2(int dirFd)
{
    const int fd = openat2Beneath(dirFd, ".", O_RDONLY | O_DIRECTORY, 0);
    g_haveOpenat2.store(fd >= 0, std::memory_order_relaxed);
    if (fd >= 0)
        ::close(fd);
}

/**
 * Opens a name directly inside dirFd and nowhere else: with openat2 the kernel itself refuses ".."
 * and any link on the way, so even a name that slipped past the checks cannot leave the folder.
 */
int openBeneath(int dirFd, const char *name, int flags, mode_t mode = 0)
{
    if (g_haveOpenat2.load(std::memory_order_relaxed))
        return openat2Beneath(dirFd, name, flags, mode);
    return ::openat(dirFd, name, flags | O_NOFOLLOW | O_CLOEXEC, mode);
}

std::string quoted(const std::string &s) { return "\"" + elidedName(s) + "\""; }

std::string errnoText(int err) { return std::strerror(err); }

bool writeAll(int fd, const uint8_t *p, uint64_t n, int *err)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n > (1u << 30) ? (1u << 30) : size_t(n));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            *err = errno;
            return false;
        }
        p += w;
        n -= uint64_t(w);
    }
    return true;
}

std::string methodName(uint16_t method)
{
    switch (method) {
    case 1:
        return "Shrink";
    case 6:
        return "Implode";
    case 9:
        return "Deflate64";
    case 12:
        return "BZIP2";
    case 14:
        return "LZMA";
    case 93:
        return "Zstandard";
    case 95:
        return "XZ";
    case 98:
        return "PPMd";
    default:
        return "method " + std::to_string(method);
    }
}

std::string sizeText(uint64_t bytes)
{
    char buf[64];
    if (bytes >= (1ull << 30))
        snprintf(buf, sizeof buf, "%.1f GiB", double(bytes) / double(1ull << 30));
    else if (bytes >= (1u << 20))
        snprintf(buf, sizeof buf, "%.1f MiB", double(bytes) / double(1u << 20));
    else if (bytes >= 1024)
        snprintf(buf, sizeof buf, "%.1f KiB", double(bytes) / 1024.0);
    else
        snprintf(buf, sizeof buf, "%llu bytes", static_cast<unsigned long long>(bytes));
    return buf;
}

unsigned availableProcessors()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int n = CPU_COUNT(&set);
        if (n > 0)
            return unsigned(n);
    }
    const unsigned n = std::thread::hardware_concurrency();
    return n ? n : 1;
}

// The modification time an entry carries: extended timestamp, else NTFS time, else the DOS local time.
class EntryTime {
public:
    EntryTime() { tzset(); }

    bool get(const ZipEntry &e, timespec *t)
    {
        if (e.hasUnixTime) {
            *t = { time_t(e.unixMtime), 0 };
            return true;
        }
        if (e.hasNtfsTime) {
            constexpr uint64_t kEpochDiff = 116444736000000000ull; // 1601 to 1970 in 100 ns ticks
            if (e.ntfsMtime < kEpochDiff)
                return false;
            const uint64_t ticks = e.ntfsMtime - kEpochDiff;
            *t = { time_t(ticks / 10000000), long(ticks % 10000000) * 100 };
            return true;
        }
        const unsigned day = e.dosDate & 31, month = (e.dosDate >> 5) & 15;
        const unsigned hour = e.dosTime >> 11, minute = (e.dosTime >> 5) & 63, second = (e.dosTime & 31) * 2;
        if (day == 0 || month == 0 || month > 12 || hour > 23 || minute > 59 || second > 59)
            return false;
        // Archives share a handful of hours, so remember the last one.
        const uint32_t key = (uint32_t(e.dosDate) << 5) | hour;
        if (key != m_key) {
            m_hourStart = localHourStart(int((e.dosDate >> 9) + 1980), month, day, hour);
            m_key = key;
        }
        *t = { m_hourStart + time_t(minute * 60 + second), 0 };
        return true;
    }

private:
    // The start of a local hour as seconds since 1970. Not mktime: glibc's looks at /etc/localtime
    // again on every call, which costs a system call per entry.
    static time_t localHourStart(int year, unsigned month, unsigned day, unsigned hour)
    {
        // days since 1970-01-01 of a proleptic Gregorian date
        const int y = int(year) - (month <= 2);
        const int era = (y >= 0 ? y : y - 399) / 400;
        const unsigned yoe = unsigned(y - era * 400);
        const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
        const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        const time_t asUtc = (time_t(era) * 146097 + time_t(doe) - 719468) * 86400 + time_t(hour) * 3600;
        struct tm tm;
        localtime_r(&asUtc, &tm);
        time_t t = asUtc - tm.tm_gmtoff;
        localtime_r(&t, &tm); // near a change of daylight saving time the offset can differ
        return asUtc - tm.tm_gmtoff;
    }

    uint32_t m_key = ~0u;
    time_t m_hourStart = 0;
};

} // namespace

struct Expander::Worker {
    libdeflate_decompressor *inflater = nullptr;
    uint8_t *buffer = nullptr;
    size_t capacity = 0;
    InFlight *inFlight = nullptr; // where this worker shows the large entry it is inflating
    explicit Worker(InFlight *slot)
        : inflater(libdeflate_alloc_decompressor())
        , inFlight(slot)
    {
    }
    ~Worker()
    {
        libdeflate_free_decompressor(inflater);
        std::free(buffer);
    }
    uint8_t *reserve(size_t n)
    {
        if (n > capacity) {
            std::free(buffer);
            buffer = static_cast<uint8_t *>(std::malloc(n));
            capacity = buffer ? n : 0;
        }
        return buffer;
    }
};

Expander::Expander(ExpandRequest request, ExpandObserver &observer)
    : m_request(std::move(request))
    , m_observer(observer)
{
}

Expander::~Expander()
{
    for (Folder &f : m_folders)
        if (f.fd >= 0)
            ::close(f.fd);
    if (m_destFd >= 0)
        ::close(m_destFd);
    if (m_map)
        ::munmap(const_cast<uint8_t *>(m_map), m_mapSize);
}

uint64_t Expander::progressBytes() const
{
    // A large entry is inflated in one call that reports nothing until it ends; credit it with an
    // estimate at a modest inflate speed, never more than most of it, so the bar keeps moving.
    constexpr uint64_t kBytesPerSecond = 300ull << 20;
    uint64_t bytes = bytesDone();
    const unsigned slots = m_inFlightCount.load(std::memory_order_acquire);
    if (slots == 0)
        return bytes;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t nowNs = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    for (unsigned i = 0; i < slots; ++i) {
        const uint64_t size = m_inFlight[i].size.load(std::memory_order_relaxed);
        const int64_t start = m_inFlight[i].startNs.load(std::memory_order_relaxed);
        if (size == 0 || nowNs <= start)
            continue;
        const uint64_t guess = uint64_t(double(nowNs - start) * 1e-9 * double(kBytesPerSecond));
        bytes += std::min(guess, size / 10 * 9);
    }
    return std::min(bytes, bytesTotal());
}

std::string Expander::currentName() const
{
    const int64_t i = m_current.load(std::memory_order_relaxed);
    return i >= 0 ? m_jobs[size_t(i)].path : std::string();
}

void Expander::report(const std::string &message)
{
    m_problems.fetch_add(1, std::memory_order_relaxed);
    m_observer.problem(message);
}

int Expander::run()
{
    installBusHandler();
    m_umask = ::umask(0);
    ::umask(m_umask);
    if (!openArchive())
        return ExitArchiveUnreadable;
    plan();
    if (!openDestination())
        return ExitDestinationUnusable;
    if (!checkSpace())
        return ExitNoSpace;
    if (m_request.makeDestination && !makeDestination())
        return ExitDestinationUnusable;
    makeFolders();
    if (m_request.askBeforeReplacing)
        askAboutExisting();
    expandFiles();
    if (!cancelled())
        makeLinks();
    if (!cancelled())
        finishFolders();
    if (cancelled())
        return ExitCancelled;
    return m_problems.load() == 0 ? ExitOk : ExitSomeNotExpanded;
}

bool Expander::openDestination()
{
    const std::string &dest = m_request.destination;
    // A destination still to be made is judged by its parent folder until the space check has passed.
    std::string folder = dest;
    if (m_request.makeDestination) {
        const size_t cut = dest.find_last_of('/');
        folder = cut == std::string::npos ? "." : cut == 0 ? "/" : dest.substr(0, cut);
    }
    m_destFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_destFd < 0) {
        const int err = errno;
        if (err == ENOENT)
            report("Cannot find the destination folder " + quoted(dest)
                + ", nor make it: its parent folder is missing. Choose an existing folder.");
        else if (err == ENOTDIR)
            report("The destination " + quoted(dest) + " is a file, not a folder. Choose a folder.");
        else
            report("Cannot open the destination folder " + quoted(dest) + ": " + errnoText(err)
                + ". Choose a folder you may write to.");
        return false;
    }
    if (::faccessat(m_destFd, ".", W_OK | X_OK, AT_EACCESS) != 0) {
        report("Cannot write to the destination folder " + quoted(folder)
            + ": permission denied. Choose a folder you may write to.");
        return false;
    }
    struct statfs sfs;
    m_destIsTmpfs = ::fstatfs(m_destFd, &sfs) == 0 && sfs.f_type == TMPFS_MAGIC;
    probeOpenat2(m_destFd);
    return true;
}

bool Expander::makeDestination()
{
    const std::string &dest = m_request.destination;
    const size_t cut = dest.find_last_of('/');
    const std::string name = cut == std::string::npos ? dest : dest.substr(cut + 1);
    int fd = -1;
    if (::mkdirat(m_destFd, name.c_str(), 0777) == 0 || errno == EEXIST)
        fd = ::openat(m_destFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int err = errno;
    ::close(m_destFd);
    m_destFd = fd;
    if (fd < 0) {
        report("Cannot make the destination folder " + quoted(dest) + ": " + errnoText(err)
            + ". Choose an existing folder you may write to.");
        return false;
    }
    return true;
}

bool Expander::openArchive()
{
    const std::string &label = m_request.archiveLabel;
    // Non-blocking, so that a fifo named as the archive is refused instead of waited on.
    const int fd = ::open(m_request.archive.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT)
            report(
                "Cannot find the archive " + quoted(label) + ". Check its name and folder, then try again.");
        else
            report("Cannot open the archive " + quoted(label) + ": " + errnoText(err)
                + ". Check that you may read it.");
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (S_ISDIR(st.st_mode))
            report(quoted(label) + " is a folder, not a zip archive. Give the archive file itself.");
        else
            report(
                quoted(label) + " is not a regular file, so it cannot be a zip archive. Give a .zip file.");
        return false;
    }
    std::string why;
    if (st.st_size > 0) {
        void *p = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (p == MAP_FAILED) {
            const int err = errno;
            ::close(fd);
            report("Cannot read the archive " + quoted(label) + ": " + errnoText(err) + ".");
            return false;
        }
        m_map = static_cast<const uint8_t *>(p);
        m_mapSize = size_t(st.st_size);
        ::madvise(p, m_mapSize, MADV_WILLNEED);
    }
    ::close(fd);
    bool ok = false;
    if (!runGuarded([&] {
            ok = m_archive.open(m_map ? m_map : reinterpret_cast<const uint8_t *>(""), m_mapSize, &why);
        }))
        why = "it changed or shrank while being read";
    if (!ok) {
        report("Cannot expand " + quoted(label) + ": " + why
            + ". Check that it is a complete .zip file; download it again if in doubt.");
        return false;
    }
    return true;
}

void Expander::plan()
{
    const auto &entries = m_archive.entries();
    m_jobs.reserve(entries.size());
    EntryTime times;

    // Folders are numbered as first met, so every folder comes after its parent and they can be made in
    // this order. They are known by parent and name, never by whole path, so that deep names cost memory
    // in proportion to their length. Consecutive entries mostly share a folder: remember the last one.
    std::unordered_map<std::string, int32_t> known; // parent number (4 bytes), then the name
    std::string key, lastPath;
    int32_t lastFolder = -1;
    const auto folderOf = [&](std::string_view path) {
        if (path.empty())
            return int32_t(-1);
        if (path == lastPath)
            return lastFolder;
        int32_t folder = -1;
        for (size_t start = 0; start <= path.size();) {
            const size_t stop = std::min(path.find('/', start), path.size());
            const std::string_view name = path.substr(start, stop - start);
            key.assign(reinterpret_cast<const char *>(&folder), sizeof folder);
            key.append(name);
            const auto [it, added] = known.try_emplace(key, int32_t(m_folders.size()));
            if (added) {
                Folder f;
                f.name = name;
                f.parent = folder;
                m_folders.push_back(std::move(f));
            }
            folder = it->second;
            start = stop + 1;
        }
        lastPath.assign(path);
        lastFolder = folder;
        return folder;
    };

    for (uint32_t i = 0; i < entries.size(); ++i) {
        const ZipEntry &e = entries[i];
        const std::string utf8 = entryNameUtf8(e);
        const SafePath safe = checkEntryName(utf8);
        if (safe.refusal) {
            report(quoted(printableName(utf8)) + " was not expanded: " + safe.refusal
                + ". Nothing was written for it; if you trust the archive, ask its author for a copy with "
                  "plain relative names.");
            continue;
        }
        if (safe.path.empty())
            continue; // "./": the destination itself
        const uint32_t mode = e.hasUnixMode() ? e.unixMode() : 0;
        const uint32_t type = mode & S_IFMT;
        Job job;
        job.entry = i;
        job.path = printableName(safe.path);
        if (safe.folder || type == S_IFDIR
            || (!e.hasUnixMode() && (e.externalAttributes & 0x10) && e.size == 0))
            job.kind = Kind::Folder;
        else if (type == S_IFLNK)
            job.kind = Kind::Link;
        else if (type == 0 || type == S_IFREG)
            job.kind = Kind::File;
        else {
            const char *what = type == S_IFCHR || type == S_IFBLK ? "a device node"
                : type == S_IFIFO                                 ? "a named pipe (fifo)"
                : type == S_IFSOCK                                ? "a socket"
                                                                  : "of an unknown file type";
            report(quoted(job.path) + " was not expanded: it is " + what
                + ", which is never created from an archive. Nothing needs to be done unless you expected a "
                  "regular file there.");
            continue;
        }
        if (job.kind != Kind::Folder) {
            if (e.problem) {
                report(quoted(job.path) + " was not expanded: " + e.problem
                    + ". Download the archive again, or ask its author for a new copy.");
                continue;
            }
            if (e.encrypted()) {
                report(quoted(job.path)
                    + " was not expanded: it is protected by a password, which pkunzip.exe cannot open. "
                      "Expand it with a tool that asks for the password, for example 7z x.");
                continue;
            }
            if (e.method != 0 && e.method != 8) {
                report(quoted(job.path) + " was not expanded: it is compressed with " + methodName(e.method)
                    + ", which pkunzip.exe cannot expand. Expand it with 7z x or bsdtar -xf.");
                continue;
            }
        }
        // Only permission bits are kept: never setuid, setgid or sticky.
        if (job.kind == Kind::Folder)
            job.mode = e.hasUnixMode() ? (mode & 0777) : 0777;
        else
            job.mode = e.hasUnixMode() ? (mode & 0777) : 0666;
        job.hasTime = times.get(e, &job.mtime);
        job.name = safe.name();
        // A folder entry refers to its own folder, anything else to the folder holding it.
        job.folder = folderOf(job.kind == Kind::Folder ? std::string_view(safe.path) : safe.parent());
        m_jobs.push_back(std::move(job));
    }

    uint64_t total = 0;
    for (size_t j = 0; j < m_jobs.size(); ++j) {
        Job &job = m_jobs[j];
        if (job.kind == Kind::Folder && m_folders[size_t(job.folder)].job < 0)
            m_folders[size_t(job.folder)].job = int32_t(j);
        if (job.kind == Kind::File) {
            m_fileOrder.push_back(uint32_t(j));
            total += entries[job.entry].size;
        } else if (job.kind == Kind::Link) {
            m_links.push_back(uint32_t(j));
        }
    }
    m_bytesTotal.store(total);

    // Large entries first, so that no worker starts a long one when the others are nearly done.
    std::stable_sort(m_fileOrder.begin(), m_fileOrder.end(), [&](uint32_t a, uint32_t b) {
        const uint64_t sa = entries[m_jobs[a].entry].size, sb = entries[m_jobs[b].entry].size;
        const bool bigA = sa >= kMapThreshold, bigB = sb >= kMapThreshold;
        if (bigA != bigB)
            return bigA;
        return bigA && sa > sb;
    });

    // One descriptor per folder is kept open for the whole run; make room for them.
    struct rlimit rl;
    if (::getrlimit(RLIMIT_NOFILE, &rl) == 0) {
        if (rl.rlim_cur < rl.rlim_max) {
            rl.rlim_cur = rl.rlim_max;
            ::setrlimit(RLIMIT_NOFILE, &rl);
            ::getrlimit(RLIMIT_NOFILE, &rl);
        }
        m_keepFolderFds = rl.rlim_cur == RLIM_INFINITY || m_folders.size() + 256 < rl.rlim_cur;
    }
}

bool Expander::checkSpace()
{
    struct statvfs sv;
    if (::fstatvfs(m_destFd, &sv) != 0 || sv.f_blocks == 0)
        return true; // the file system does not say; writing will report any shortage
    const uint64_t block = sv.f_frsize ? sv.f_frsize : sv.f_bsize;
    uint64_t need = 0;
    for (uint32_t j : m_fileOrder) {
        const uint64_t size = m_archive.entries()[m_jobs[j].entry].size;
        need += (size + block - 1) / block * block;
    }
    const uint64_t newNames = m_fileOrder.size() + m_links.size() + m_folders.size();
    need += (m_links.size() + m_folders.size()) * (m_destIsTmpfs ? 0 : block);
    const uint64_t avail = uint64_t(sv.f_bavail) * block;
    if (need > avail) {
        report("Not enough free space in " + quoted(m_request.destination) + " to expand "
            + quoted(m_request.archiveLabel) + ": it needs " + sizeText(need) + " but only " + sizeText(avail)
            + " are free. Nothing was written. Free some space or choose another destination.");
        return false;
    }
    if (sv.f_files != 0 && newNames > sv.f_favail) {
        report("The file system of " + quoted(m_request.destination) + " cannot hold "
            + std::to_string(newNames) + " more files and folders (it has room for "
            + std::to_string(sv.f_favail) + "), so " + quoted(m_request.archiveLabel)
            + " was not expanded. Nothing was written. Delete some files or choose another destination.");
        return false;
    }
    return true;
}

void Expander::makeFolders()
{
    for (size_t k = 0; k < m_folders.size(); ++k) {
        Folder &f = m_folders[k];
        if (f.parent >= 0 && m_folders[size_t(f.parent)].failed) {
            f.failed = true;
            continue;
        }
        bool closeParent = false;
        const int parentFd = folderFd(f.parent, &closeParent);
        if (parentFd < 0) {
            f.failed = true;
            continue;
        }
        if (::mkdirat(parentFd, f.name.c_str(), 0700) == 0)
            f.created = true;
        const int mkdirErr = f.created ? 0 : errno;
        const int fd = openBeneath(parentFd, f.name.c_str(), O_RDONLY | O_DIRECTORY);
        const int openErr = errno;
        if (fd < 0) {
            f.failed = true;
            struct stat st;
            std::string why;
            if (::fstatat(parentFd, f.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                why = "it is a link in the destination, and pkunzip.exe never writes through links. "
                      "Remove or rename the link, then expand again";
            else if (mkdirErr == EEXIST && (openErr == ENOTDIR || openErr == ELOOP))
                why = "a file of that name is in the way in the destination. "
                      "Rename or move it, then expand again";
            else
                why = "it cannot be made: " + errnoText(mkdirErr != EEXIST && mkdirErr ? mkdirErr : openErr)
                    + ". Check that the destination is writable, then expand again";
            report("The folder " + quoted(printableName(folderPath(int32_t(k))))
                + " was not expanded, nor anything in it: " + why + ".");
        } else if (m_keepFolderFds) {
            f.fd = fd;
        } else {
            ::close(fd);
        }
        if (closeParent)
            ::close(parentFd);
    }
}

int Expander::folderFd(int32_t folder, bool *mustClose)
{
    *mustClose = false;
    if (folder < 0)
        return m_destFd;
    const Folder &f = m_folders[size_t(folder)];
    if (f.failed)
        return -1;
    if (f.fd >= 0)
        return f.fd;
    // Too many folders to keep open. Where the kernel can refuse links and ".." along a whole path, open
    // the folder by its path in one call; elsewhere walk down from the destination one folder at a time.
    int fd;
    if (g_haveOpenat2.load(std::memory_order_relaxed)) {
        fd = openBeneath(m_destFd, folderPath(folder).c_str(), O_RDONLY | O_DIRECTORY);
    } else {
        bool closeParent = false;
        const int parentFd = folderFd(f.parent, &closeParent);
        if (parentFd < 0)
            return -1;
        fd = openBeneath(parentFd, f.name.c_str(), O_RDONLY | O_DIRECTORY);
        if (closeParent)
            ::close(parentFd);
    }
    *mustClose = fd >= 0;
    return fd;
}

void Expander::askAboutExisting()
{
    bool all = false, none = false;
    auto ask = [&](Job &job) {
        if (!folderUsable(job.folder))
            return;
        bool closeFd = false;
        const int dirFd = folderFd(job.folder, &closeFd);
        if (dirFd < 0)
            return;
        struct stat st;
        const bool exists = ::fstatat(dirFd, job.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (closeFd)
            ::close(dirFd);
        if (!exists || S_ISDIR(st.st_mode))
            return; // a folder in the way is reported when writing
        job.asked = true;
        if (none)
            return;
        if (all) {
            job.replace = true;
            return;
        }
        switch (m_observer.askReplace(job.path, m_request.destination)) {
        case ReplaceAnswer::Yes:
            job.replace = true;
            break;
        case ReplaceAnswer::YesToAll:
            job.replace = all = true;
            break;
        case ReplaceAnswer::No:
            break;
        case ReplaceAnswer::NoToAll:
            none = true;
            break;
        }
    };
    for (Job &job : m_jobs) {
        if (cancelled())
            return;
        if (job.kind != Kind::Folder)
            ask(job);
    }
}

void Expander::expandFiles()
{
    if (m_fileOrder.empty())
        return;
    unsigned threads = m_request.threads ? m_request.threads : availableProcessors();
    threads = unsigned(std::min<size_t>(threads, m_fileOrder.size()));
    m_inFlight = std::make_unique<InFlight[]>(threads);
    m_inFlightCount = threads;
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back([this, t] {
                Worker w(&m_inFlight[t]);
                workerLoop(w);
            });
        } catch (const std::system_error &) {
            break; // no more threads to be had: the ones running share the work
        }
    }
    {
        Worker w(&m_inFlight[0]);
        workerLoop(w);
    }
    for (std::thread &t : helpers)
        t.join();
}

void Expander::workerLoop(Worker &w)
{
    for (;;) {
        if (cancelled())
            return;
        const size_t i = m_nextFile.fetch_add(1, std::memory_order_relaxed);
        if (i >= m_fileOrder.size())
            return;
        m_current.store(m_fileOrder[i], std::memory_order_relaxed);
        const Job &job = m_jobs[m_fileOrder[i]];
        if (w.inflater)
            expandFile(w, job);
        else
            report(quoted(job.path)
                + " was not expanded: there is not enough memory. Close other programs, then expand again.");
        // Progress counts every entry dealt with, expanded or reported.
        m_bytesDone.fetch_add(m_archive.entries()[job.entry].size, std::memory_order_relaxed);
    }
}

std::string Expander::folderPath(int32_t folder) const
{
    std::vector<const std::string *> names;
    for (int32_t f = folder; f >= 0; f = m_folders[size_t(f)].parent)
        names.push_back(&m_folders[size_t(f)].name);
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        path += (path.empty() ? "" : "/") + **it;
    return path;
}

std::string Expander::destinationName(const Job &job) const
{
    std::string d = m_request.destination;
    if (job.folder >= 0)
        d += (d.empty() || d.back() != '/' ? "/" : "") + folderPath(job.folder);
    return quoted(d);
}

void Expander::expandFile(Worker &w, const Job &job)
{
    const ZipEntry &e = m_archive.entries()[job.entry];
    if (!folderUsable(job.folder))
        return; // its folder was reported already
    const char *problem = nullptr;
    const uint8_t *data = m_archive.entryData(e, &problem);
    if (!data) {
        report(quoted(job.path) + " was not expanded: " + problem
            + ". Download the archive again, or ask its author for a new copy.");
        return;
    }
    bool closeDir = false;
    const int dirFd = folderFd(job.folder, &closeDir);
    if (dirFd < 0) {
        report(quoted(job.path)
            + " was not expanded: its folder in the destination is missing or became a link. "
              "Check the destination, then expand again.");
        return;
    }
    constexpr int flags = O_RDWR | O_CREAT | O_EXCL;
    std::string tmpName;
    int fd = openBeneath(dirFd, job.name.c_str(), flags, job.mode);
    if (fd < 0 && errno == EEXIST) {
        struct stat st;
        const bool isDir
            = ::fstatat(dirFd, job.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        if (isDir || !job.replace) {
            if (isDir)
                report(quoted(job.path) + " was not expanded: a folder of that name exists in "
                    + destinationName(job) + ". Rename that folder, then expand again.");
            else if (job.asked)
                report(quoted(job.path) + " was not expanded: the existing file in " + destinationName(job)
                    + " was kept, as you chose. Expand again and answer Yes to replace it.");
            else
                report(quoted(job.path) + " was not expanded: a file of that name already exists in "
                    + destinationName(job)
                    + " and was kept. Move or rename it and expand again, or expand into an empty folder.");
            if (closeDir)
                ::close(dirFd);
            return;
        }
        // Write beside it and swap it in at the end, so a failure leaves the existing file as it was.
        tmpName = ".pkunzip-" + std::to_string(::getpid()) + "-" + std::to_string(job.entry) + ".tmp";
        fd = openBeneath(dirFd, tmpName.c_str(), flags, job.mode);
    }
    if (fd < 0) {
        const int err = errno;
        report(quoted(job.path) + " could not be written in " + destinationName(job) + ": " + errnoText(err)
            + ". Check that the folder is writable and has free space, then expand again.");
        if (closeDir)
            ::close(dirFd);
        return;
    }
    const char *written = tmpName.empty() ? job.name.c_str() : tmpName.c_str();
    std::string why;
    bool ok = writeContents(w, fd, e, data, &why);
    if (ok && job.hasTime) {
        const timespec ts[2] = { job.mtime, job.mtime };
        ::futimens(fd, ts);
    }
    if (::close(fd) != 0 && ok) {
        why = "it could not be written: " + errnoText(errno)
            + ". Check the destination's free space and health, then expand again";
        ok = false;
    }
    if (ok && !tmpName.empty() && ::renameat(dirFd, tmpName.c_str(), dirFd, job.name.c_str()) != 0) {
        why = "the existing file could not be replaced: " + errnoText(errno)
            + ". Check that you may change it, then expand again";
        ok = false;
    }
    if (!ok) {
        ::unlinkat(dirFd, written, 0);
        report(quoted(job.path) + " was not expanded: " + why + ".");
    } else {
        m_filesDone.fetch_add(1, std::memory_order_relaxed);
        m_observer.expanded(job.path);
    }
    if (closeDir)
        ::close(dirFd);
}

bool Expander::writeContents(Worker &w, int fd, const ZipEntry &e, const uint8_t *data, std::string *why)
{
    static const char *damaged
        = "its data is damaged (%s); the partial file was removed. Download the archive "
          "again, or ask its author for a new copy";
    auto setDamaged = [&](const char *what) {
        char buf[512];
        snprintf(buf, sizeof buf, damaged, what);
        *why = buf;
        return false;
    };
    auto setWriteError = [&](int err) {
        *why = "it could not be written: " + errnoText(err)
            + ". Check the destination's free space and that it is writable, then expand again";
        return false;
    };
    const uint64_t size = e.size;
    int err = 0;

    if (e.method == 0) {
        if (e.compressedSize != size)
            return setDamaged("its stored size does not match its size");
        uint32_t crc = 0;
        if (!runGuarded([&] { crc = libdeflate_crc32(0, data, size); }))
            return setDamaged("the archive changed while being read");
        if (crc != e.crc)
            return setDamaged("checksum mismatch");
        if (!writeAll(fd, data, size, &err))
            return err == EFAULT ? setDamaged("the archive changed while being read") : setWriteError(err);
        return true;
    }

    if (size < kMapThreshold) {
        uint8_t *out = w.reserve(size ? size : 1);
        if (!out)
            return setWriteError(ENOMEM);
        libdeflate_result r = LIBDEFLATE_BAD_DATA;
        if (!runGuarded([&] {
                r = libdeflate_deflate_decompress(w.inflater, data, e.compressedSize, out, size, nullptr);
            }))
            return setDamaged("the archive changed while being read");
        if (r != LIBDEFLATE_SUCCESS)
            return setDamaged(r == LIBDEFLATE_BAD_DATA ? "invalid compressed data" : "wrong expanded size");
        if (libdeflate_crc32(0, out, size) != e.crc)
            return setDamaged("checksum mismatch");
        if (!writeAll(fd, out, size, &err))
            return setWriteError(err);
        return true;
    }

    // Large entry: inflate straight into the file. Off tmpfs the blocks are reserved first, so that a full
    // disk is an error here rather than a fault in the middle of the mapping.
    if (!m_destIsTmpfs && ::fallocate(fd, 0, 0, off_t(size)) != 0 && errno != EOPNOTSUPP)
        return setWriteError(errno);
    if (::ftruncate(fd, off_t(size)) != 0)
        return setWriteError(errno);
    void *map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED)
        return setWriteError(errno);
    uint8_t *out = static_cast<uint8_t *>(map);
    std::atomic<bool> stop { false };
    std::thread populate;
    if (size >= kPopulateThreshold) {
        // Faulting pages in is as much work as inflating on tmpfs; a second thread does it ahead of the
        // inflater.
        try {
            populate = std::thread([out, size, &stop] {
                for (uint64_t off = 0; off < size && !stop.load(std::memory_order_relaxed);
                     off += kPopulateChunk) {
                    const size_t len = size_t(std::min<uint64_t>(kPopulateChunk, size - off));
                    if (::madvise(out + off, len, MADV_POPULATE_WRITE) != 0)
                        break;
                }
            });
        } catch (const std::system_error &) {
            // without a helper the inflater faults the pages in itself
        }
    }
    libdeflate_result r = LIBDEFLATE_BAD_DATA;
    uint32_t crc = 0;
    timespec started;
    clock_gettime(CLOCK_MONOTONIC, &started);
    w.inFlight->startNs.store(
        int64_t(started.tv_sec) * 1000000000 + started.tv_nsec, std::memory_order_relaxed);
    w.inFlight->size.store(size, std::memory_order_relaxed);
    const bool faulted = !runGuarded([&] {
        r = libdeflate_deflate_decompress(w.inflater, data, e.compressedSize, out, size, nullptr);
        if (r == LIBDEFLATE_SUCCESS)
            crc = libdeflate_crc32(0, out, size);
    });
    w.inFlight->size.store(0, std::memory_order_relaxed);
    stop.store(true);
    if (populate.joinable())
        populate.join();
    ::munmap(map, size);
    if (faulted)
        return setWriteError(EIO);
    if (r != LIBDEFLATE_SUCCESS)
        return setDamaged(r == LIBDEFLATE_BAD_DATA ? "invalid compressed data" : "wrong expanded size");
    if (crc != e.crc)
        return setDamaged("checksum mismatch");
    return true;
}

bool Expander::linkStaysInside(int32_t folder, const std::string &target) const
{
    if (target.empty() || target.front() == '/')
        return false;
    // Resolve the target from the link's folder, following links already in the destination, and
    // refuse as soon as it would climb above the destination.
    std::vector<std::string> stack;
    for (int32_t f = folder; f >= 0; f = m_folders[size_t(f)].parent)
        stack.push_back(m_folders[size_t(f)].name);
    std::reverse(stack.begin(), stack.end());
    int hops = 0;
    bool missing = false; // a part that does not exist yet: ".." after it could mean anything later
    std::vector<std::string> pending; // parts still to resolve, last one first
    auto push = [&pending](const std::string &path) {
        std::vector<std::string> parts;
        size_t start = 0;
        while (start <= path.size()) {
            size_t stop = path.find('/', start);
            if (stop == std::string::npos)
                stop = path.size();
            parts.push_back(path.substr(start, stop - start));
            start = stop + 1;
        }
        pending.insert(pending.end(), parts.rbegin(), parts.rend());
    };
    push(target);
    while (!pending.empty()) {
        const std::string part = pending.back();
        pending.pop_back();
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (stack.empty() || missing)
                return false;
            stack.pop_back();
            continue;
        }
        stack.push_back(part);
        if (missing)
            continue;
        std::string rel;
        for (const std::string &s : stack)
            rel += (rel.empty() ? "" : "/") + s;
        struct stat st;
        if (::fstatat(m_destFd, rel.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            missing = true;
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            if (++hops > kLinkHopsMax)
                return false;
            char buf[kLinkTargetMax + 1];
            const ssize_t n = ::readlinkat(m_destFd, rel.c_str(), buf, kLinkTargetMax);
            if (n <= 0 || buf[0] == '/')
                return false;
            stack.pop_back();
            push(std::string(buf, size_t(n)));
        }
    }
    return true;
}

void Expander::makeLinks()
{
    const auto &entries = m_archive.entries();
    libdeflate_decompressor *inflater = nullptr;
    uint8_t buf[kLinkTargetMax];
    for (uint32_t j : m_links) {
        if (cancelled())
            break;
        const Job &job = m_jobs[j];
        const ZipEntry &e = entries[job.entry];
        if (!folderUsable(job.folder))
            continue;
        m_current.store(j, std::memory_order_relaxed);
        const char *problem = nullptr;
        const uint8_t *data = m_archive.entryData(e, &problem);
        if (!data) {
            report(quoted(job.path) + " was not expanded: " + problem
                + ". Download the archive again, or ask its author for a new copy.");
            continue;
        }
        std::string target;
        if (e.size == 0 || e.size > kLinkTargetMax) {
            report(quoted(job.path)
                + " was not expanded: it is a link with an unusable target (empty or longer "
                  "than 4096 bytes). Create the link yourself if you need it.");
            continue;
        }
        libdeflate_result r = LIBDEFLATE_SUCCESS;
        if (e.method == 0) {
            if (e.compressedSize != e.size)
                r = LIBDEFLATE_BAD_DATA;
            else
                std::memcpy(buf, data, e.size);
        } else {
            if (!inflater)
                inflater = libdeflate_alloc_decompressor();
            r = inflater
                ? libdeflate_deflate_decompress(inflater, data, e.compressedSize, buf, e.size, nullptr)
                : LIBDEFLATE_BAD_DATA;
        }
        if (r != LIBDEFLATE_SUCCESS || libdeflate_crc32(0, buf, e.size) != e.crc) {
            report(quoted(job.path)
                + " was not expanded: its data is damaged. Download the archive again, or ask "
                  "its author for a new copy.");
            continue;
        }
        target.assign(reinterpret_cast<const char *>(buf), e.size);
        if (target.find('\0') != std::string::npos || !linkStaysInside(job.folder, target)) {
            report(quoted(job.path) + " was not expanded: it is a link to " + quoted(printableName(target))
                + ", which leads outside the destination folder. Create the link yourself if you trust it.");
            continue;
        }
        bool closeDir = false;
        const int dirFd = folderFd(job.folder, &closeDir);
        if (dirFd < 0)
            continue;
        std::string tmpName;
        int rc = ::symlinkat(target.c_str(), dirFd, job.name.c_str());
        if (rc != 0 && errno == EEXIST) {
            struct stat st;
            const bool isDir
                = ::fstatat(dirFd, job.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            if (!job.replace || isDir) {
                report(quoted(job.path) + " was not expanded: something of that name already exists in "
                    + destinationName(job) + " and was kept. Move or rename it and expand again.");
                if (closeDir)
                    ::close(dirFd);
                continue;
            }
            tmpName = ".pkunzip-" + std::to_string(::getpid()) + "-" + std::to_string(job.entry) + ".tmp";
            rc = ::symlinkat(target.c_str(), dirFd, tmpName.c_str());
            if (rc == 0 && ::renameat(dirFd, tmpName.c_str(), dirFd, job.name.c_str()) != 0) {
                ::unlinkat(dirFd, tmpName.c_str(), 0);
                rc = -1;
            }
        }
        if (rc != 0) {
            report(quoted(job.path) + " (a link) could not be made in " + destinationName(job) + ": "
                + errnoText(errno) + ". Check that the folder is writable, then expand again.");
        } else {
            if (job.hasTime) {
                const timespec ts[2] = { job.mtime, job.mtime };
                ::utimensat(dirFd, job.name.c_str(), ts, AT_SYMLINK_NOFOLLOW);
            }
            m_filesDone.fetch_add(1, std::memory_order_relaxed);
            m_observer.expanded(job.path + " -> " + printableName(target));
        }
        if (closeDir)
            ::close(dirFd);
    }
    libdeflate_free_decompressor(inflater);
}

void Expander::finishFolders()
{
    // Children before their parents (the reverse of making them): a folder's time is set only after
    // everything inside it has been written.
    for (size_t k = m_folders.size(); k-- > 0;) {
        Folder &f = m_folders[k];
        if (!f.created || f.failed)
            continue;
        bool closeFd = false;
        const int fd = folderFd(int32_t(k), &closeFd);
        if (fd < 0)
            continue;
        const Job *job = f.job >= 0 ? &m_jobs[size_t(f.job)] : nullptr;
        ::fchmod(fd, (job ? job->mode : 0777) & ~m_umask);
        if (job && job->hasTime) {
            const timespec ts[2] = { job->mtime, job->mtime };
            ::futimens(fd, ts);
        }
        if (closeFd)
            ::close(fd);
    }
}

} // namespace pkunzip
