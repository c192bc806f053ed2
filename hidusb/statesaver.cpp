#include "statesaver.h"

#include "holds.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>

namespace HidEngine {
namespace StateSaver {

namespace {

struct StateCopy
{
    std::string path;
    std::map<std::string, HidScenario::DeviceState> states;
};

// Stop request and end mark of one saver thread.
struct LoopControl
{
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
};

struct Saver
{
    std::mutex mu; // all below but fileMu
    std::condition_variable cv;
    std::unique_ptr<StateCopy> pending; // the latest copy not yet written
    std::thread thread;
    std::shared_ptr<LoopControl> ctl;
    std::string madeFolder; // the state file's folder, made by a change on its caller's thread
    // Held across a write: one at a time, in the order the copies were taken.
    std::mutex fileMu;
    std::atomic<int> writes{0};
};

Saver& TheSaver()
{
    // Never destroyed, like the engine: it may still write while the process ends.
    static Saver* saver = new Saver;
    return *saver;
}

// Changes that follow one another this closely go into one write.
constexpr int GatherMs = 20;

// What mkstemp puts in place of "XXXXXX".
constexpr size_t TempSuffixLength = 6;

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The file is replaced, never written in place: a kill before the rename leaves the old one.
bool replaceFile(const std::string& path, const std::string& text)
{
    std::string temp = path + "." + std::string(TempSuffixLength, 'X');
    const int fd = ::mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0)
        return false;
    // In two halves, so that a test can stop the writer with the new file half-way.
    const size_t half = text.size() / 2;
    bool ok = writeAll(fd, text.data(), half);
    if (ok) {
        HoldAtCall("StateFile:half-written");
        ok = writeAll(fd, text.data() + half, text.size() - half);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename reaches the disk with the folder.
    const int folder = ::open(HidScenario::FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void makeFolders(const std::string& folder)
{
    for (size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1))
        ::mkdir(folder.substr(0, at).c_str(), 0777);
    ::mkdir(folder.c_str(), 0777);
}

void writePending()
{
    Saver& s = TheSaver();
    std::lock_guard<std::mutex> file(s.fileMu);
    std::unique_ptr<StateCopy> copy;
    {
        std::lock_guard<std::mutex> lock(s.mu);
        copy = std::move(s.pending);
    }
    if (!copy)
        return;
    if (replaceFile(copy->path, HidScenario::StateText(copy->states))) {
        ++s.writes;
        return;
    }
    // Its folder went away meanwhile (a test's HOME): not made again from here, but by the
    // next change, on its caller's thread.
    std::lock_guard<std::mutex> lock(s.mu);
    if (s.madeFolder == HidScenario::FolderOf(copy->path))
        s.madeFolder.clear();
}

void saverLoop(std::shared_ptr<LoopControl> ctl)
{
    Saver& s = TheSaver();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(s.mu);
            s.cv.wait(lock, [&]() { return s.pending || ctl->stop; });
            if (!s.pending)
                break;
            s.cv.wait_for(lock, std::chrono::milliseconds(GatherMs), [&]() { return ctl->stop.load(); });
        }
        writePending();
    }
    std::lock_guard<std::mutex> lock(s.mu);
    ctl->ended = true;
    s.cv.notify_all();
}

// A name mkstemp made from the file's: the file's name, a dot and six letters or digits.
bool isTempName(const std::string& name, const std::string& fileName)
{
    if (name.size() != fileName.size() + 1 + TempSuffixLength || name.compare(0, fileName.size(), fileName) != 0
        || name[fileName.size()] != '.')
        return false;
    for (size_t i = fileName.size() + 1; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// A save in progress makes its temporary file only moments before it renames it.
constexpr time_t LeftoverAgeSeconds = 60;

} // namespace

void HandOver(const std::string& path, std::map<std::string, HidScenario::DeviceState> states)
{
    auto copy = std::make_unique<StateCopy>();
    copy->path = path;
    copy->states = std::move(states);
    Saver& s = TheSaver();
    std::lock_guard<std::mutex> lock(s.mu);
    const std::string folder = HidScenario::FolderOf(path);
    if (s.madeFolder != folder) {
        makeFolders(folder);
        s.madeFolder = folder;
    }
    s.pending = std::move(copy);
    if (!s.thread.joinable()) {
        s.ctl = std::make_shared<LoopControl>();
        s.thread = std::thread(saverLoop, s.ctl);
    }
    s.cv.notify_all();
}

void Flush()
{
    writePending();
}

void Stop(int timeoutMs)
{
    Saver& s = TheSaver();
    std::thread thread;
    std::shared_ptr<LoopControl> ctl;
    {
        std::unique_lock<std::mutex> lock(s.mu);
        thread = std::move(s.thread);
        ctl = std::move(s.ctl);
        if (ctl) {
            ctl->stop = true;
            s.cv.notify_all();
            // It writes what is waiting before it ends.
            s.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&]() { return ctl->ended.load(); });
        }
    }
    if (thread.joinable()) {
        if (ctl->ended)
            thread.join();
        else
            thread.detach();
    }
    writePending();
}

int Writes()
{
    return TheSaver().writes.load();
}

void ClearWrites()
{
    TheSaver().writes = 0;
}

void RemoveLeftovers(const std::string& path)
{
    const std::string folder = HidScenario::FolderOf(path);
    const size_t slash = path.rfind('/');
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!isTempName(name, fileName))
            continue;
        const std::string leftover = folder + "/" + name;
        struct stat found;
        if (::lstat(leftover.c_str(), &found) == 0 && S_ISREG(found.st_mode)
            && now - found.st_mtime > LeftoverAgeSeconds)
            ::unlink(leftover.c_str());
    }
    ::closedir(dir);
}

} // namespace StateSaver
} // namespace HidEngine
