#include "platform/limited_child.h"

#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

struct LimitedChild {
    HANDLE job = nullptr;
    HANDLE process = nullptr;   // null once it has been waited for
    HANDLE errors = nullptr;    // the reading end of its standard error
    ULONGLONG processorTicks = 0;
};

namespace {

// Windows counts processor time in ticks of 100 ns.
constexpr ULONGLONG ticksPerSecond = 10000000;

// How often a wait looks at its clocks when nothing happens: the parent's
// for its child, and a process that limits itself for its own.
constexpr DWORD waitSliceMilliseconds = 2;
constexpr DWORD watchSliceMilliseconds = 10;
constexpr SIZE_T watcherStackBytes = 64 * 1024;

// No dialog of any kind: a crash, a missing disk or an unopenable file is a
// status of the process, never a box waiting for a click. Children inherit it.
constexpr UINT quietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

// Windows ends a process on an exception with the exception's code as its
// exit code; those codes carry the severity of an error in their top bits,
// which no exit status chosen by a program here does.
bool exceptionCode(DWORD code)
{
    return (code & 0xF0000000u) == 0xC0000000u;
}

// The words for the exceptions a reader can meet, as a crash is told.
struct ExceptionName {
    DWORD code;
    const char* name;
};
constexpr ExceptionName exceptionNames[] = {
    {EXCEPTION_ACCESS_VIOLATION, "access violation"},
    {EXCEPTION_STACK_OVERFLOW, "stack overflow"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, "integer division by zero"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, "illegal instruction"},
    {EXCEPTION_IN_PAGE_ERROR, "in-page error"},
    {EXCEPTION_DATATYPE_MISALIGNMENT, "misaligned data"},
    {0xC0000409, "fast fail"},
};

std::string exceptionName(DWORD code)
{
    for (const ExceptionName& known : exceptionNames) {
        if (known.code == code) {
            return known.name;
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
    return text;
}

ULONGLONG ticksOf(const FILETIME& time)
{
    return ULONGLONG(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// A job that holds each of its processes to the memory and the processor
// time of the limits, and ends what it holds when its last handle closes.
HANDLE limitingJob(const ChildLimits& limits, ULONGLONG processorTicks)
{
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) {
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION information {};
    information.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_PROCESS_TIME
        | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    information.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart = static_cast<LONGLONG>(processorTicks);
    information.ProcessMemoryLimit = static_cast<SIZE_T>(limits.memoryBytes);
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &information, sizeof information)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

// One word of a command line, quoted so that the C runtime of the program
// started splits it back as it was: backslashes count only before a quote.
std::string quoted(const std::string& word)
{
    std::string line = "\"";
    std::size_t backslashes = 0;
    for (const char letter : word) {
        if (letter == '\\') {
            ++backslashes;
            continue;
        }
        line.append(letter == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        line += letter;
    }
    line.append(backslashes * 2, '\\');
    return line + "\"";
}

// Reads what the child has written so far, never waiting, keeping the end;
// false once the pipe is broken or fails.
bool readErrors(HANDLE errors, std::string& kept, std::size_t keptBytes)
{
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(errors, nullptr, 0, nullptr, &available, nullptr)) {
            return false;
        }
        if (available == 0) {
            return true;
        }
        char chunk[4096];
        DWORD got = 0;
        if (!ReadFile(errors, chunk, available < sizeof chunk ? available : sizeof chunk, &got, nullptr) || got == 0) {
            return false;
        }
        kept.append(chunk, got);
        kept.erase(0, kept.size() > keptBytes ? kept.size() - keptBytes : 0);
    }
}

// A process that limits itself: how it ends, its lines made before anything
// can go wrong, so that ending only writes.
struct SelfLimits {
    SelfLimitEnds ends;
    ULONGLONG processorTicks;
    ULONGLONG deadline;         // of GetTickCount64
    std::string crashLines[sizeof exceptionNames / sizeof exceptionNames[0]];
    std::string otherCrashLine;
    std::string abortLine;
    HANDLE crashed;             // set by the thread that crashed, for the watcher
    volatile DWORD crash;       // the exception that did
};
SelfLimits self;

[[noreturn]] void endSelf(const std::string& line, int status)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    ExitProcess(static_cast<UINT>(status));
}

[[noreturn]] void endOnCrash(DWORD code)
{
    for (std::size_t n = 0; n < sizeof exceptionNames / sizeof exceptionNames[0]; ++n) {
        if (exceptionNames[n].code == code) {
            endSelf(self.crashLines[n], self.ends.crash.status);
        }
    }
    endSelf(self.otherCrashLine, self.ends.crash.status);
}

// A thread that crashed, with a stack that may be spent, only tells the
// watcher, which ends the process on a stack of its own.
LONG WINAPI handOverCrash(EXCEPTION_POINTERS* exception)
{
    self.crash = exception->ExceptionRecord->ExceptionCode;
    SetEvent(self.crashed);
    Sleep(INFINITE);
    return EXCEPTION_CONTINUE_SEARCH;
}

// A stack overflow is seen as it happens, before the search for a handler
// that has too little stack left to run.
LONG WINAPI handOverStackOverflow(EXCEPTION_POINTERS* exception)
{
    return exception->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW ? handOverCrash(exception)
                                                                                  : EXCEPTION_CONTINUE_SEARCH;
}

void endOnAbort(int)
{
    endSelf(self.abortLine, self.ends.crash.status);
}

// Watches for a crash, the process's processor time and the clock, and ends
// it at any of them.
DWORD WINAPI watchLimits(void*)
{
    for (;;) {
        if (self.crashed == nullptr) {
            Sleep(watchSliceMilliseconds);
        } else if (WaitForSingleObject(self.crashed, watchSliceMilliseconds) == WAIT_OBJECT_0) {
            endOnCrash(self.crash);
        }
        FILETIME created, exited, kernel, user;
        if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)
            && ticksOf(kernel) + ticksOf(user) >= self.processorTicks) {
            endSelf(self.ends.processorTime.line + "\n", self.ends.processorTime.status);
        }
        if (GetTickCount64() >= self.deadline) {
            endSelf(self.ends.wallTime.line + "\n", self.ends.wallTime.status);
        }
    }
}

}

void EndLimitedChild::operator()(LimitedChild* child) const
{
    if (child->process != nullptr) {
        TerminateProcess(child->process, 1);
        WaitForSingleObject(child->process, INFINITE);
        CloseHandle(child->process);
    }
    if (child->errors != nullptr) {
        CloseHandle(child->errors);
    }
    if (child->job != nullptr) {
        CloseHandle(child->job);
    }
    delete child;
}

void limitThisProcess(const ChildLimits& limits, long wallSeconds, const SelfLimitEnds& ends)
{
    SetErrorMode(GetErrorMode() | quietErrorMode);
    self.ends = ends;
    self.processorTicks = static_cast<ULONGLONG>(limits.processorSeconds) * ticksPerSecond;
    self.deadline = GetTickCount64() + static_cast<ULONGLONG>(wallSeconds) * 1000;
    for (std::size_t n = 0; n < sizeof exceptionNames / sizeof exceptionNames[0]; ++n) {
        self.crashLines[n] = ends.crash.line + " (" + exceptionNames[n].name + ")\n";
    }
    self.otherCrashLine = ends.crash.line + " (an exception)\n";
    self.abortLine = ends.crash.line + " (abort)\n";
    // Memory held to the limit by a job of its own; where this process is in a
    // job that allows none inside, that job's limits hold instead. The job
    // lives as long as the process.
    const HANDLE job = limitingJob(limits, self.processorTicks + ticksPerSecond);
    if (job != nullptr && !AssignProcessToJobObject(job, GetCurrentProcess())) {
        CloseHandle(job);
    }
    // The event and the watcher live as long as the process.
    self.crashed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    AddVectoredExceptionHandler(1, handOverStackOverflow);
    SetUnhandledExceptionFilter(handOverCrash);
    std::signal(SIGABRT, endOnAbort);
    const HANDLE watcher = CreateThread(nullptr, watcherStackBytes, watchLimits, nullptr, 0, nullptr);
    if (watcher != nullptr) {
        CloseHandle(watcher);
    }
}

LimitedChildOwner startLimitedChild(const std::string& program, const std::vector<std::string>& arguments,
                                    const ChildLimits& limits)
{
    const ULONGLONG processorTicks = static_cast<ULONGLONG>(limits.processorSeconds + 1) * ticksPerSecond;
    LimitedChildOwner child(new LimitedChild {limitingJob(limits, processorTicks), nullptr, nullptr, processorTicks});
    if (child->job == nullptr) {
        return nullptr;
    }
    // Only the child's ends of its standard streams are inherited.
    SECURITY_ATTRIBUTES inherited {sizeof inherited, nullptr, TRUE};
    HANDLE errorsWritten = nullptr;
    if (!CreatePipe(&child->errors, &errorsWritten, &inherited, 0)) {
        return nullptr;
    }
    SetHandleInformation(child->errors, HANDLE_FLAG_INHERIT, 0);
    const HANDLE quiet = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = quiet;
    startup.hStdOutput = quiet;
    startup.hStdError = errorsWritten;
    std::string commandLine = quoted(program);
    for (const std::string& argument : arguments) {
        commandLine += " " + quoted(argument);
    }
    // Started held, so that it runs no instruction outside its job; it
    // inherits the quiet error mode.
    PROCESS_INFORMATION started {};
    const UINT ownErrorMode = SetErrorMode(GetErrorMode() | quietErrorMode);
    const BOOL created = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
    SetErrorMode(ownErrorMode);
    CloseHandle(errorsWritten);
    if (quiet != INVALID_HANDLE_VALUE) {
        CloseHandle(quiet);
    }
    if (!created) {
        return nullptr;
    }
    child->process = started.hProcess;
    const bool limited = AssignProcessToJobObject(child->job, started.hProcess);
    if (limited) {
        ResumeThread(started.hThread);
    }
    CloseHandle(started.hThread);
    return limited ? std::move(child) : nullptr;
}

ChildOutcome awaitLimitedChild(LimitedChildOwner child, std::chrono::steady_clock::time_point deadline,
                               std::size_t keptBytes)
{
    ChildOutcome outcome;
    if (child == nullptr) {
        return outcome;
    }
    bool open = true;
    while (WaitForSingleObject(child->process, waitSliceMilliseconds) == WAIT_TIMEOUT) {
        if (std::chrono::steady_clock::now() >= deadline) {
            outcome.end = ChildEnd::OutOfTime;
            return outcome;     // the owner ends it
        }
        open = open && readErrors(child->errors, outcome.errors, keptBytes);
    }
    if (open) {
        readErrors(child->errors, outcome.errors, keptBytes);
    }
    DWORD code = 0;
    GetExitCodeProcess(child->process, &code);
    FILETIME created, exited, kernel, user;
    const bool timed = GetProcessTimes(child->process, &created, &exited, &kernel, &user);
    CloseHandle(child->process);
    child->process = nullptr;
    if (timed && ticksOf(user) >= child->processorTicks) {
        outcome.end = ChildEnd::OutOfProcessorTime;     // the job ended it
    } else if (exceptionCode(code)) {
        outcome.end = ChildEnd::Crashed;
        outcome.crash = exceptionName(code);
    } else {
        outcome.end = ChildEnd::Exited;
        outcome.exitStatus = static_cast<int>(code);
    }
    return outcome;
}
