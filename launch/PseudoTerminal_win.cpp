#include "PseudoTerminal_win.h"

#include <QMutexLocker>
#include <QTimer>

#include <algorithm>
#include <array>
#include <vector>

namespace vantrel {

namespace {

// mingw-w64 10's headers declare neither the pseudo console's functions nor its attribute. Windows has them from
// Windows 10 1809 on; they are looked up, so that the front end still runs on a Windows without them.
using ConsoleHandle = void*; // an HPCON
using CreateFunction = HRESULT(WINAPI*)(COORD, HANDLE, HANDLE, DWORD, ConsoleHandle*);
using ResizeFunction = HRESULT(WINAPI*)(ConsoleHandle, COORD);
using CloseFunction = void(WINAPI*)(ConsoleHandle);
constexpr DWORD_PTR kPseudoConsoleAttribute = 0x00020016; // PROC_THREAD_ATTRIBUTE_PSEUDOCONSOLE
constexpr DWORD kReadSize = 64 * 1024;
constexpr int kLargestCoordinate = 32767;

struct PseudoConsoleFunctions final {
    CreateFunction create{};
    ResizeFunction resize{};
    CloseFunction close{};
};

template <typename Function> Function Find(HMODULE module, const char* name) {
    // Through the generic function pointer type, which the compiler takes as a cast between any two.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const PseudoConsoleFunctions& Functions() {
    static const PseudoConsoleFunctions functions = [] {
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        if (kernel == nullptr) {
            return PseudoConsoleFunctions{};
        }
        PseudoConsoleFunctions found{Find<CreateFunction>(kernel, "CreatePseudoConsole"),
                                     Find<ResizeFunction>(kernel, "ResizePseudoConsole"),
                                     Find<CloseFunction>(kernel, "ClosePseudoConsole")};
        return found.create != nullptr && found.resize != nullptr && found.close != nullptr ? found
                                                                                            : PseudoConsoleFunctions{};
    }();
    return functions;
}

COORD Size(int columns, int rows) {
    return COORD{static_cast<SHORT>(std::clamp(columns, 1, kLargestCoordinate)),
                 static_cast<SHORT>(std::clamp(rows, 1, kLargestCoordinate))};
}

QString SystemProblem(const char* what, DWORD error) {
    return QStringLiteral("No pseudo console could be opened for NodeBuilder (%1: %2).")
        .arg(QString::fromLatin1(what), qt_error_string(static_cast<int>(error)).trimmed());
}

void CloseIfOpen(HANDLE& handle) {
    if (handle != nullptr) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

} // namespace

PseudoTerminal::System::System(PseudoTerminal& owner, int columns, int rows) : m_owner(owner) {
    if (Functions().create == nullptr) {
        m_problem = QStringLiteral("This Windows has no pseudo console for NodeBuilder (Windows 10 has one from "
                                   "version 1809 on).");
        return;
    }
    HANDLE inputRead{};
    HANDLE outputWrite{};
    if (!CreatePipe(&inputRead, &m_input, nullptr, 0) || !CreatePipe(&m_output, &outputWrite, nullptr, 0)) {
        m_problem = SystemProblem("CreatePipe", GetLastError());
        CloseIfOpen(inputRead);
        return;
    }
    ConsoleHandle console{};
    const HRESULT result = Functions().create(Size(columns, rows), inputRead, outputWrite, 0, &console);
    // The console keeps its own copies of these ends, so the output pipe ends once the console has closed.
    CloseHandle(inputRead);
    CloseHandle(outputWrite);
    if (FAILED(result)) {
        m_problem = SystemProblem("CreatePseudoConsole", static_cast<DWORD>(result));
        return;
    }
    m_console = console;
    // Whatever NodeBuilder starts stays in its job, and ends with it when the job is closed or terminated.
    m_job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (m_job != nullptr) {
        SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    m_reader = std::thread([this] { Read(); });
}

PseudoTerminal::System::~System() {
    Close();
    if (m_reader.joinable()) {
        m_reader.join();
    }
    CloseIfOpen(m_input);
    CloseIfOpen(m_output);
    CloseIfOpen(m_job);
}

bool PseudoTerminal::System::Start(std::wstring& commandLine, PROCESS_INFORMATION& info) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> storage(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
        return false;
    }
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.lpAttributeList = attributes;
    // No standard handles of the front end's: without this flag the system would hand on its own (a file or a
    // pipe when it was started with its output redirected), which would bypass the console; with it and nothing
    // inherited, NodeBuilder gets the console's.
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    // Suspended until it is in the job, so that nothing it starts can be outside it.
    const bool started =
        UpdateProcThreadAttribute(attributes, 0, kPseudoConsoleAttribute, m_console, sizeof(m_console), nullptr,
                                  nullptr) &&
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                       EXTENDED_STARTUPINFO_PRESENT | CREATE_SUSPENDED, nullptr, nullptr, &startup.StartupInfo, &info);
    const DWORD error = GetLastError();
    DeleteProcThreadAttributeList(attributes);
    if (!started) {
        SetLastError(error);
        return false;
    }
    if (m_job != nullptr) {
        AssignProcessToJobObject(m_job, info.hProcess);
    }
    ResumeThread(info.hThread);
    return true;
}

void PseudoTerminal::System::Write(const QByteArray& bytes) const {
    const char* data = bytes.constData();
    auto left = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    while (left > 0 && WriteFile(m_input, data, left, &written, nullptr)) {
        data += written;
        left -= written;
    }
}

void PseudoTerminal::System::Resize(int columns, int rows) const {
    if (m_console != nullptr) {
        Functions().resize(m_console, Size(columns, rows));
    }
}

void PseudoTerminal::System::Close() {
    // On some Windows 10 builds this waits until the console's last output has been read: the reader goes on
    // reading on its own thread meanwhile.
    if (m_console != nullptr) {
        Functions().close(m_console);
        m_console = nullptr;
    }
}

void PseudoTerminal::System::Drain() {
    if (m_reader.joinable()) {
        m_reader.join();
    }
    Deliver();
}

void PseudoTerminal::System::TerminateJob() const {
    if (m_job != nullptr) {
        TerminateJobObject(m_job, STATUS_CONTROL_C_EXIT);
    }
}

void PseudoTerminal::System::Read() {
    std::array<char, kReadSize> buffer; // filled by ReadFile before use
    DWORD count = 0;
    while (ReadFile(m_output, buffer.data(), kReadSize, &count, nullptr)) {
        const QMutexLocker locker(&m_lock);
        m_received.append(buffer.data(), static_cast<qsizetype>(count));
        // One delivery at a time takes all that came meanwhile, so a flood costs the window's thread few calls.
        if (count > 0 && !m_deliveryPosted) {
            m_deliveryPosted = true;
            QMetaObject::invokeMethod(
                &m_owner, [this] { Deliver(); }, Qt::QueuedConnection);
        }
    }
}

void PseudoTerminal::System::Deliver() {
    QByteArray bytes;
    {
        const QMutexLocker locker(&m_lock);
        bytes.swap(m_received);
        m_deliveryPosted = false;
    }
    if (!bytes.isEmpty()) {
        emit m_owner.Received(bytes);
    }
}

PseudoTerminal::PseudoTerminal(int columns, int rows, QObject* parent)
    : QObject(parent), m_system(std::make_unique<System>(*this, columns, rows)), m_problem(m_system->Problem()) {}

PseudoTerminal::~PseudoTerminal() = default;

bool PseudoTerminal::Available() {
    return Functions().create != nullptr;
}

void PseudoTerminal::Attach(qint64 pid, const QString& program) {
    m_session = pid;
    emit Started(program);
}

void PseudoTerminal::Detach() {
    // The order matters: the console is closed while the reader reads on, then the output is read to its end.
    m_system->Close();
    m_system->Drain();
    m_session = 0;
}

void PseudoTerminal::Write(const QByteArray& bytes) {
    if (IsRunning()) {
        m_system->Write(bytes);
    }
}

void PseudoTerminal::Resize(int columns, int rows) const {
    m_system->Resize(columns, rows);
}

void PseudoTerminal::HangUp() {
    if (!IsRunning()) {
        return;
    }
    m_hungUp = true;
    m_system->Close();
    QTimer::singleShot(kHangUpGraceMs, this, [this] { m_system->TerminateJob(); });
}

} // namespace vantrel
