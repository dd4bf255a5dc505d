// The expansion engine: reads an archive and writes its entries safely below a destination folder, in
// parallel.
#pragma once

#include "ZipArchive.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <sys/types.h>
#include <time.h>

namespace pkunzip {

/** The exit statuses of the program; --help lists them. */
enum ExitStatus : int {
    ExitOk = 0, // every entry was expanded
    ExitSomeNotExpanded = 1, // some entries were not expanded (each one reported); the others were
    ExitUsage = 2, // the command line was wrong
    ExitArchiveUnreadable = 3, // the archive is missing, a folder, unreadable, or not a usable zip archive
    ExitDestinationUnusable = 4, // the destination folder cannot be found, made or written to
    ExitNoSpace = 5, // not enough free space in the destination; nothing was written
    ExitCancelled = 6, // the user cancelled; files already expanded were kept, no partial file is left
};

/** The answers to "replace an existing file?". */
enum class ReplaceAnswer { Yes, No, YesToAll, NoToAll };

/** Receives what the engine does. expanded() and problem() may be called from several threads at once. */
class ExpandObserver {
public:
    virtual ~ExpandObserver() = default;
    /** A file, folder or link was written; path is relative to the destination, "/"-separated. */
    virtual void expanded(const std::string &path) = 0;
    /** Something was not done; the message names the entry and says what the user can do. */
    virtual void problem(const std::string &message) = 0;
    /** Asked on the engine's thread, before any file is written, for each existing name when asking is on. */
    virtual ReplaceAnswer askReplace(const std::string &path, const std::string &destination) = 0;
};

struct ExpandRequest {
    std::string archive; // native path of the archive
    std::string archiveLabel; // the archive as the user named it, for messages
    std::string destination; // native path of the destination folder
    bool makeDestination = false; // the destination does not exist yet: make it (its parent must exist)
    bool askBeforeReplacing = false; // with a display the user is asked; without one, existing files are kept
    unsigned threads = 0; // 0: one per available processor
};

/** Expands one archive. run() does the work; the other members may be read from another thread meanwhile. */
class Expander {
public:
    Expander(ExpandRequest request, ExpandObserver &observer);
    ~Expander();
    Expander(const Expander &) = delete;
    Expander &operator=(const Expander &) = delete;

    /** Expands the archive and returns the exit status. Problems go to the observer as they happen. */
    int run();

    /** Stops at the next entry; entries already being written are finished, nothing partial is left. */
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    /** The expanded size of all files to write, and of those dealt with so far (written or reported). */
    uint64_t bytesTotal() const { return m_bytesTotal.load(std::memory_order_relaxed); }
    uint64_t bytesDone() const { return m_bytesDone.load(std::memory_order_relaxed); }
    /** bytesDone() plus an estimate for the large entries being inflated right now: for a progress bar. */
    uint64_t progressBytes() const;
    /** The name of the entry started last, or an empty string. */
    std::string currentName() const;
    unsigned filesExpanded() const { return m_filesDone.load(std::memory_order_relaxed); }
    unsigned problemCount() const { return m_problems.load(std::memory_order_relaxed); }

private:
    enum class Kind : uint8_t { File, Folder, Link };
    struct Job {
        uint32_t entry; // index in the archive
        int32_t folder; // index of the containing folder in m_folders, -1 for the destination itself
        Kind kind;
        bool asked = false; // an existing file of this name was found before writing, and the user answered
        bool replace = false; // ... and agreed to replace it
        bool hasTime = false;
        mode_t mode = 0;
        timespec mtime {};
        std::string path; // relative, "/"-separated, printable
        std::string name; // last part, as created
    };
    struct Folder {
        std::string name; // its own name; the path is found through the parents
        int32_t parent = -1;
        int32_t job = -1; // the archive's own entry for this folder, if any
        int fd = -1;
        bool created = false;
        bool failed = false;
    };
    struct Worker;
    struct InFlight {
        std::atomic<uint64_t> size { 0 }; // 0: no large entry in progress
        std::atomic<int64_t> startNs { 0 };
    };

    void report(const std::string &message);
    bool openArchive();
    bool openDestination();
    bool makeDestination();
    void plan();
    bool checkSpace();
    void makeFolders();
    int folderFd(int32_t folder, bool *mustClose);
    bool folderUsable(int32_t folder) const { return folder < 0 || !m_folders[folder].failed; }
    void askAboutExisting();
    void expandFiles();
    void workerLoop(Worker &w);
    void expandFile(Worker &w, const Job &job);
    bool writeContents(Worker &w, int fd, const ZipEntry &e, const uint8_t *data, std::string *why);
    void makeLinks();
    bool linkStaysInside(int32_t folder, const std::string &target) const;
    void finishFolders();
    std::string folderPath(int32_t folder) const;
    std::string destinationName(const Job &job) const;

    ExpandRequest m_request;
    ExpandObserver &m_observer;
    ZipArchive m_archive;
    const uint8_t *m_map = nullptr;
    size_t m_mapSize = 0;
    int m_destFd = -1;
    bool m_destIsTmpfs = false;
    bool m_keepFolderFds = true;
    mode_t m_umask = 022;

    std::vector<Job> m_jobs;
    std::vector<Folder> m_folders;
    std::vector<uint32_t> m_fileOrder; // indexes of file jobs, large ones first
    std::vector<uint32_t> m_links;
    std::atomic<size_t> m_nextFile { 0 };

    std::atomic<bool> m_cancelled { false };
    std::atomic<uint64_t> m_bytesTotal { 0 };
    std::atomic<uint64_t> m_bytesDone { 0 };
    std::atomic<unsigned> m_filesDone { 0 };
    std::atomic<unsigned> m_problems { 0 };
    std::atomic<int64_t> m_current { -1 };
    std::unique_ptr<InFlight[]> m_inFlight;
    std::atomic<unsigned> m_inFlightCount { 0 };
};

} // namespace pkunzip
