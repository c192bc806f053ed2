#include "platform/crashhandler.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char g_folder[4096];
long g_utcOffsetSeconds = 0;
std::atomic<bool> g_installed{false};
const int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Small async-signal-safe formatting helpers.
size_t appendText(char* buf, size_t pos, size_t cap, const char* text)
{
    while (*text && pos + 1 < cap)
        buf[pos++] = *text++;
    buf[pos] = '\0';
    return pos;
}

size_t appendNumber(char* buf, size_t pos, size_t cap, unsigned long long v, int base, int width)
{
    char digits[32];
    int n = 0;
    do {
        const int d = static_cast<int>(v % static_cast<unsigned>(base));
        digits[n++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
        v /= static_cast<unsigned>(base);
    } while (v && n < 31);
    while (n < width && n < 31)
        digits[n++] = '0';
    while (n > 0 && pos + 1 < cap)
        buf[pos++] = digits[--n];
    buf[pos] = '\0';
    return pos;
}

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void civilFromDays(long long z, int& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yy + (m <= 2));
}

void writeAll(int fd, const char* text, size_t len)
{
    while (len > 0) {
        const ssize_t n = ::write(fd, text, len);
        if (n <= 0)
            return;
        text += n;
        len -= static_cast<size_t>(n);
    }
}

void onFatalSignal(int sig, siginfo_t* info, void*)
{
    // Name: folder + "/yyyy_MM_dd_hh_mm_ss.dmp" in local time.
    const long long local = static_cast<long long>(::time(nullptr)) + g_utcOffsetSeconds;
    long long days = local / 86400;
    long long secs = local % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    int year;
    unsigned month, day;
    civilFromDays(days, year, month, day);

    char path[4200];
    size_t p = 0;
    p = appendText(path, p, sizeof path, g_folder);
    ::mkdir(path, 0755);
    p = appendText(path, p, sizeof path, "/");
    p = appendNumber(path, p, sizeof path, static_cast<unsigned long long>(year), 10, 4);
    p = appendText(path, p, sizeof path, "_");
    p = appendNumber(path, p, sizeof path, month, 10, 2);
    p = appendText(path, p, sizeof path, "_");
    p = appendNumber(path, p, sizeof path, day, 10, 2);
    p = appendText(path, p, sizeof path, "_");
    p = appendNumber(path, p, sizeof path, static_cast<unsigned long long>(secs / 3600), 10, 2);
    p = appendText(path, p, sizeof path, "_");
    p = appendNumber(path, p, sizeof path, static_cast<unsigned long long>((secs / 60) % 60), 10, 2);
    p = appendText(path, p, sizeof path, "_");
    p = appendNumber(path, p, sizeof path, static_cast<unsigned long long>(secs % 60), 10, 2);
    appendText(path, p, sizeof path, ".dmp");

    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        char line[256];
        size_t n = 0;
        n = appendText(line, n, sizeof line, "signal ");
        n = appendNumber(line, n, sizeof line, static_cast<unsigned long long>(sig), 10, 1);
        n = appendText(line, n, sizeof line, "\nfault address 0x");
        n = appendNumber(line, n, sizeof line,
                         static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(info ? info->si_addr : nullptr)),
                         16, 1);
        n = appendText(line, n, sizeof line, "\nprocess ");
        n = appendNumber(line, n, sizeof line, static_cast<unsigned long long>(::getpid()), 10, 1);
        n = appendText(line, n, sizeof line, "\nbacktrace:\n");
        writeAll(fd, line, n);
        void* frames[64];
        const int count = ::backtrace(frames, 64);
        ::backtrace_symbols_fd(frames, count, fd);
        ::close(fd);
    }

    // End the process the way the signal would have.
    struct sigaction dfl;
    std::memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, sig);
    ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);
}

} // namespace

void CrashHandler::Install(const QString& folder)
{
    const QByteArray bytes = QFile::encodeName(folder);
    const size_t len = std::min(static_cast<size_t>(bytes.size()), sizeof g_folder - 1);
    std::memcpy(g_folder, bytes.constData(), len);
    g_folder[len] = '\0';

    const time_t now = ::time(nullptr);
    struct tm local;
    ::localtime_r(&now, &local);
    g_utcOffsetSeconds = local.tm_gmtoff;

    // backtrace() loads its unwinder on first use; do that now, not inside the handler.
    void* warm[2];
    ::backtrace(warm, 2);

    static char altStack[64 * 1024];
    stack_t ss;
    std::memset(&ss, 0, sizeof ss);
    ss.ss_sp = altStack;
    ss.ss_size = sizeof altStack;
    ::sigaltstack(&ss, nullptr);

    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_sigaction = onFatalSignal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    for (int s : kSignals)
        ::sigaction(s, &sa, nullptr);
    g_installed.store(true);
}

bool CrashHandler::IsInstalled()
{
    return g_installed.load();
}
