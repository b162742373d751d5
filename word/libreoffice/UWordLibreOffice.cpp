#include "word/libreoffice/UWordLibreOffice.h"

#include "word/UWordSchutz.h"
#include "word/embedded/UWordPackage.h"

#include "word/embedded/UWordXml.h"
#include "env/UCodec.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/bridge/XBridgeFactory.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/connection/XConnector.hpp>
#include <com/sun/star/container/XContentEnumerationAccess.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XBookmarksSupplier.hpp>
#include <com/sun/star/text/XEndnotesSupplier.hpp>
#include <com/sun/star/text/XFootnotesSupplier.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XRefreshable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#ifndef TAVIX_LIBREOFFICE_PROGRAM_DIR
#define TAVIX_LIBREOFFICE_PROGRAM_DIR "/usr/lib/libreoffice/program"
#endif

extern char** environ;

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace {

using TClock = std::chrono::steady_clock;

constexpr const char* kProgramDir = TAVIX_LIBREOFFICE_PROGRAM_DIR;
// Beyond this nesting (frames in tables in frames ...) a template is not walked further.
constexpr int kMaxStoryDepth = 16;
constexpr int kShutdownSeconds = 10;

// ---- Text ------------------------------------------------------------------------------

OUString FromUtf8(const std::string& utf8)
{
    return OUString(utf8.data(), static_cast<sal_Int32>(utf8.size()), RTL_TEXTENCODING_UTF8);
}

OUString FromText(const std::string& windows1252)
{
    return FromUtf8(Windows1252ToUtf8(windows1252));
}

std::string ToUtf8(const OUString& text)
{
    const rtl::OString bytes = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<std::size_t>(bytes.getLength()));
}

// Single-byte text for messages: a character without a single-byte form becomes "?".
std::string ToText(const OUString& text)
{
    const std::string utf8 = ToUtf8(text);
    std::string result;
    std::vector<TCodecProblem> problems;
    if (Utf8ToWindows1252(utf8, result, &problems))
        return result;
    std::string cleaned;
    std::size_t at = 0;
    for (const TCodecProblem& problem : problems) {
        cleaned.append(utf8, at, problem.Offset - at);
        cleaned += '?';
        at = problem.Offset + problem.Length;
    }
    cleaned.append(utf8, at, std::string::npos);
    Utf8ToWindows1252(cleaned, result);
    return result;
}

// An office message without the source position the bridge appends ("... at ./x.cxx:12").
std::string MessageOf(const css::uno::Exception& exception)
{
    std::string message = ToText(exception.Message);
    const std::size_t at = message.find(" at ./");
    if (at != std::string::npos)
        message.erase(at);
    return message.empty() ? std::string("an error without description") : message;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// ---- Files -------------------------------------------------------------------------------

std::string AbsolutePath(const std::string& path)
{
    if (!path.empty() && path.front() == '/')
        return path;
    std::string folder(4096, '\0');
    if (!::getcwd(folder.data(), folder.size()))
        return path;
    folder.resize(std::strlen(folder.c_str()));
    return folder + "/" + path;
}

// The file URL of a path, byte for byte: the office sees the very file the path names,
// whatever the locale.
OUString FileUrl(const std::string& path)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : AbsolutePath(path)) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::strchr("/-._~", c))
            url += c;
        else {
            url += '%';
            url += hex[byte >> 4];
            url += hex[byte & 15];
        }
    }
    return OUString::createFromAscii(url.c_str());
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The path of a local file URL; false for other URLs.
bool PathOfFileUrl(const OUString& url, std::string& path)
{
    std::string text = ToUtf8(url);
    const std::string scheme = "file://";
    if (text.compare(0, scheme.size(), scheme) != 0)
        return false;
    text.erase(0, scheme.size());
    if (text.compare(0, 9, "localhost") == 0)
        text.erase(0, 9);
    if (text.empty() || text.front() != '/')
        return false;
    path.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            path += text[i];
        }
    }
    return true;
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string LowerExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// The finished document keeps the family of its template.
std::string DocumentExtensionFor(const std::string& templateFile)
{
    const std::string extension = LowerExtension(templateFile);
    if (extension == ".dot" || extension == ".doc")
        return ".doc";
    if (extension == ".dotx" || extension == ".dotm" || extension == ".docx" || extension == ".docm")
        return ".docx";
    return ".odt";
}

// The office's export filter for a document file name; empty for an unknown type.
const char* FilterFor(const std::string& path)
{
    static const std::pair<const char*, const char*> filters[] = {
        {".odt", "writer8"},
        {".ott", "writer8_template"},
        {".docx", "MS Word 2007 XML"},
        {".dotx", "MS Word 2007 XML Template"},
        {".doc", "MS Word 97"},
        {".dot", "MS Word 97 Vorlage"},
        {".rtf", "Rich Text Format"},
        {".pdf", "writer_pdf_Export"},
    };
    const std::string extension = LowerExtension(path);
    for (const auto& [known, filter] : filters)
        if (extension == known)
            return filter;
    return "";
}

// ---- Processes ---------------------------------------------------------------------------

bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

std::string DefaultProgram()
{
    return std::string(kProgramDir) + "/soffice";
}

// A started office (its launcher, the leader of a process group of its own, so that the
// office under it can be ended with it).
class TOfficeProcess {
public:
    TOfficeProcess() = default;
    TOfficeProcess(const TOfficeProcess&) = delete;
    TOfficeProcess& operator=(const TOfficeProcess&) = delete;

    std::string Start(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> environment;
        for (char** entry = environ; entry && *entry; ++entry)
            // This variable belongs to the program's own UNO runtime, not to the office's.
            if (std::strncmp(*entry, "URE_BOOTSTRAP=", 14) != 0)
                environment.emplace_back(*entry);
        std::vector<char*> argv, envp;
        std::vector<std::string> args = arguments;
        for (std::string& argument : args)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        posix_spawnattr_t attributes;
        posix_spawn_file_actions_t actions;
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGTERM);
        sigaddset(&defaults, SIGINT);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        // The office talks on its standard channels; the program's own stay clean.
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = 0;
        const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (failed != 0)
            return "LibreOffice cannot be started (" + Quoted(arguments.front()) + "): " + std::strerror(failed) + ".";
        Pid_ = pid;
        Reaped_ = false;
        return {};
    }

    pid_t Pid() const { return Pid_; }

    // Whether the launcher still runs; reaps it when it has ended.
    bool Running()
    {
        if (Pid_ <= 0 || Reaped_)
            return false;
        int status = 0;
        const pid_t done = ::waitpid(Pid_, &status, WNOHANG);
        if (done == Pid_ || (done < 0 && errno == ECHILD)) {
            Reaped_ = true;
            Status_ = status;
            return false;
        }
        return true;
    }

    // The exit status of a launcher that ended by itself; -1 for a signal.
    int ExitStatus() const { return WIFEXITED(Status_) ? WEXITSTATUS(Status_) : -1; }

    bool WaitForExit(std::chrono::milliseconds limit)
    {
        const auto deadline = TClock::now() + limit;
        while (Running()) {
            if (TClock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // Ends the office and its launcher at once. Only while the launcher is not reaped:
    // until then its process group cannot belong to anyone else.
    void Kill()
    {
        if (Running())
            ::kill(-Pid_, SIGKILL);
        WaitForExit(std::chrono::seconds(kShutdownSeconds));
    }

private:
    pid_t Pid_ = 0;
    bool Reaped_ = true;
    int Status_ = 0;
};

// Offices left running for the user by objects that are gone: reaped once they end, so
// that none stays behind as a zombie.
std::mutex g_orphansMutex;
std::vector<std::shared_ptr<TOfficeProcess>> g_orphans;

void AdoptOrphan(std::shared_ptr<TOfficeProcess> process)
{
    std::lock_guard<std::mutex> lock(g_orphansMutex);
    g_orphans.push_back(std::move(process));
}

void ReapOrphans()
{
    std::lock_guard<std::mutex> lock(g_orphansMutex);
    g_orphans.erase(std::remove_if(g_orphans.begin(), g_orphans.end(),
                                   [](const std::shared_ptr<TOfficeProcess>& p) { return !p->Running(); }),
                    g_orphans.end());
}

// ---- The program's own UNO runtime -------------------------------------------------------

std::mutex g_runtimeMutex;
Reference<css::uno::XComponentContext>* g_runtime = nullptr;  // kept for the whole run

std::string LocalContext(Reference<css::uno::XComponentContext>& context)
{
    std::lock_guard<std::mutex> lock(g_runtimeMutex);
    if (!g_runtime) {
        // Without it the bootstrap looks for its settings beside the program and crashes.
        const std::string bootstrap = std::string("vnd.sun.star.pathname:") + kProgramDir + "/fundamentalrc";
        ::setenv("URE_BOOTSTRAP", bootstrap.c_str(), 0);
        // The bridge writes to the pipe without guarding against a peer that is gone: a
        // crashed office must cost an error text, not the program (EPIPE instead).
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            ::signal(SIGPIPE, SIG_IGN);
        try {
            g_runtime = new Reference<css::uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
        } catch (const cppu::BootstrapException& e) {
            return "The UNO runtime of LibreOffice cannot be started: " + ToText(e.getMessage()) + ".";
        } catch (const css::uno::Exception& e) {
            return "The UNO runtime of LibreOffice cannot be started: " + MessageOf(e) + ".";
        }
    }
    context = *g_runtime;
    return {};
}

// ---- Time-outs -----------------------------------------------------------------------------

// Runs an action on its own thread when a deadline passes before it is disarmed.
class TWatchdog {
public:
    explicit TWatchdog(std::function<void()> expire) : Expire_(std::move(expire)) {}
    TWatchdog(const TWatchdog&) = delete;
    TWatchdog& operator=(const TWatchdog&) = delete;
    ~TWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(Mutex_);
            Stop_ = true;
        }
        Wake_.notify_all();
        if (Thread_.joinable())
            Thread_.join();
    }

    void Arm(std::chrono::milliseconds limit)
    {
        std::lock_guard<std::mutex> lock(Mutex_);
        if (!Thread_.joinable())
            Thread_ = std::thread([this] { Run(); });
        Deadline_ = TClock::now() + limit;
        Armed_ = true;
        Expired_ = false;
        Wake_.notify_all();
    }

    // Whether the deadline had passed.
    bool Disarm()
    {
        std::lock_guard<std::mutex> lock(Mutex_);
        Armed_ = false;
        Wake_.notify_all();
        return Expired_;
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(Mutex_);
        while (!Stop_) {
            if (!Armed_) {
                Wake_.wait(lock);
                continue;
            }
            if (Wake_.wait_until(lock, Deadline_) == std::cv_status::timeout && Armed_ && !Stop_ &&
                TClock::now() >= Deadline_) {
                Armed_ = false;
                Expired_ = true;
                lock.unlock();
                Expire_();
                lock.lock();
            }
        }
    }

    std::function<void()> Expire_;
    std::mutex Mutex_;
    std::condition_variable Wake_;
    std::thread Thread_;
    TClock::time_point Deadline_{};
    bool Armed_ = false;
    bool Expired_ = false;
    bool Stop_ = false;
};

bool Modified(const Reference<css::uno::XInterface>& model)
{
    Reference<css::util::XModifiable> modifiable(model, UNO_QUERY);
    return modifiable.is() && modifiable->isModified();
}

Reference<css::awt::XWindow> WindowOf(const Reference<css::uno::XInterface>& model)
{
    Reference<css::frame::XModel> asModel(model, UNO_QUERY);
    if (!asModel.is())
        return {};
    Reference<css::frame::XController> controller = asModel->getCurrentController();
    if (!controller.is())
        return {};
    Reference<css::frame::XFrame> frame = controller->getFrame();
    return frame.is() ? frame->getContainerWindow() : Reference<css::awt::XWindow>();
}

bool WindowVisible(const Reference<css::uno::XInterface>& model)
{
    Reference<css::awt::XWindow2> window(WindowOf(model), UNO_QUERY);
    return window.is() && window->isVisible();
}

void BringToFront(const Reference<css::uno::XInterface>& model)
{
    Reference<css::awt::XWindow> window = WindowOf(model);
    if (!window.is())
        return;
    window->setVisible(true);
    Reference<css::awt::XTopWindow> top(window, UNO_QUERY);
    if (top.is())
        top->toFront();
}

template <class T>
Any Value(const T& value)
{
    return Any(value);
}

css::beans::PropertyValue Property(const char* name, const Any& value)
{
    css::beans::PropertyValue property;
    property.Name = OUString::createFromAscii(name);
    property.Value = value;
    return property;
}

Sequence<css::beans::PropertyValue> Properties(std::initializer_list<css::beans::PropertyValue> properties)
{
    return Sequence<css::beans::PropertyValue>(properties.begin(), static_cast<sal_Int32>(properties.size()));
}

}  // namespace

// ---- The connection ------------------------------------------------------------------------

struct TWordLibreOfficeApp::TSession {
    explicit TSession(const TLibreOfficeOptions& options)
        : Options(options), Watchdog([this] { DropBridge(); })
    {
    }
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;
    ~TSession()
    {
        DropBridge();
        if (Process && Process->Running())
            AdoptOrphan(Process);  // left to the user
    }

    enum class TAttach { Attached, NotListening, Failed };

    // One connection attempt on the pipe.
    TAttach Attach(const std::string& pipe, int seconds, std::string& error);

    // Runs body (which returns an error text) under a time-out, turning every exception
    // into an error text. A time-out or a lost office ends the connection for good.
    std::string Call(int seconds, const std::function<std::string()>& body);

    // Whether the office still answers.
    bool Alive();

    bool Owned() { return Process && Process->Running(); }

    // Ends an office this session started unless it holds a document someone may still
    // want: one the user sees, or one someone else (the user, another object of this
    // program) has changed. The caller's own documents nobody has seen go with it.
    void Shutdown(const void* caller);

    void DropBridge()
    {
        Reference<css::lang::XComponent> bridge;
        {
            std::lock_guard<std::mutex> lock(BridgeMutex);
            bridge = Bridge;
            Lost = true;
        }
        if (bridge.is()) {
            try {
                bridge->dispose();
            } catch (...) {  // a bridge that is already down has nothing more to say
            }
        }
    }

    std::string LostText() const
    {
        if (TimedOut)
            return "LibreOffice did not answer in time; the next attempt starts it again.";
        return "LibreOffice has ended (it crashed or was closed); the next attempt starts it again.";
    }

    struct TOurDoc {
        Reference<css::uno::XInterface> Model;
        const void* Owner = nullptr;  // the application object that made it
        bool Shown = false;
    };
    void Remember(const Reference<css::uno::XInterface>& model, const void* owner)
    {
        std::lock_guard<std::mutex> lock(DocsMutex);
        Docs.push_back({model, owner, false});
    }
    void Forget(const Reference<css::uno::XInterface>& model)
    {
        std::lock_guard<std::mutex> lock(DocsMutex);
        Docs.erase(std::remove_if(Docs.begin(), Docs.end(), [&](const TOurDoc& d) { return d.Model == model; }),
                   Docs.end());
    }
    void MarkShown(const Reference<css::uno::XInterface>& model)
    {
        std::lock_guard<std::mutex> lock(DocsMutex);
        for (TOurDoc& doc : Docs)
            if (doc.Model == model)
                doc.Shown = true;
        AnyShown = AnyShown || !Headless;
    }

    TLibreOfficeOptions Options;
    std::shared_ptr<TOfficeProcess> Process;  // the office this session started
    bool Headless = false;
    std::atomic<bool> AnyShown{false};  // a document of ours was shown in a window
    std::atomic<bool> Lost{false};
    std::atomic<bool> TimedOut{false};
    std::mutex BridgeMutex;
    Reference<css::lang::XComponent> Bridge;
    Reference<css::uno::XComponentContext> Context;
    Reference<css::frame::XDesktop> Desktop;
    std::mutex DocsMutex;
    std::vector<TOurDoc> Docs;
    TWatchdog Watchdog;  // last: its thread stops before the members it uses go
};

using TSession = TWordLibreOfficeApp::TSession;

TSession::TAttach TSession::Attach(const std::string& pipe, int seconds, std::string& error)
{
    Reference<css::uno::XComponentContext> local;
    error = LocalContext(local);
    if (!error.empty())
        return TAttach::Failed;
    Reference<css::connection::XConnection> connection;
    try {
        Reference<css::lang::XMultiComponentFactory> factory = local->getServiceManager();
        Reference<css::connection::XConnector> connector(
            factory->createInstanceWithContext("com.sun.star.connection.Connector", local), UNO_QUERY_THROW);
        try {
            connection = connector->connect("pipe,name=" + FromUtf8(pipe));
        } catch (const css::connection::NoConnectException&) {
            return TAttach::NotListening;
        }
        Reference<css::bridge::XBridgeFactory> bridges(
            factory->createInstanceWithContext("com.sun.star.bridge.BridgeFactory", local), UNO_QUERY_THROW);
        Reference<css::bridge::XBridge> bridge = bridges->createBridge("", "urp", connection, nullptr);
        std::lock_guard<std::mutex> lock(BridgeMutex);
        Bridge.set(bridge, UNO_QUERY_THROW);
        Lost = false;
        TimedOut = false;
    } catch (const css::uno::Exception& e) {
        error = "No connection to LibreOffice: " + MessageOf(e);
        return TAttach::Failed;
    }
    error = Call(seconds, [&] {
        Context.set(Reference<css::bridge::XBridge>(Bridge, UNO_QUERY_THROW)->getInstance("StarOffice.ComponentContext"),
                    UNO_QUERY_THROW);
        Desktop.set(Context->getServiceManager()->createInstanceWithContext("com.sun.star.frame.Desktop", Context),
                    UNO_QUERY_THROW);
        return std::string();
    });
    if (!error.empty()) {
        DropBridge();
        return TAttach::Failed;
    }
    return TAttach::Attached;
}

std::string TSession::Call(int seconds, const std::function<std::string()>& body)
{
    if (Lost)
        return LostText();
    Watchdog.Arm(std::chrono::seconds(std::max(1, seconds)));
    std::string error;
    bool disposed = false;
    try {
        error = body();
    } catch (const css::lang::DisposedException& e) {
        disposed = true;
        error = MessageOf(e);
    } catch (const css::uno::Exception& e) {
        error = "LibreOffice reports: " + MessageOf(e);
    } catch (const std::exception& e) {
        error = std::string("LibreOffice cannot be used: ") + e.what();
    }
    // A disposed object may be a document the user closed, or the whole connection.
    if (disposed && !Lost) {
        try {
            if (!Desktop.is())
                throw css::lang::DisposedException();
            Desktop->getCurrentFrame();
            error = "The document was closed in LibreOffice.";
        } catch (const css::uno::Exception&) {
            Lost = true;
        }
    }
    if (Watchdog.Disarm()) {
        TimedOut = true;
        Lost = true;
        // An office nobody sees is ended; one with the user's windows is left alone.
        if (Process && (Headless || !AnyShown))
            Process->Kill();
        return "LibreOffice did not answer within " + std::to_string(std::max(1, seconds)) +
               " seconds; the connection was dropped.";
    }
    if (Lost) {
        DropBridge();
        return LostText();
    }
    return error;
}

bool TSession::Alive()
{
    if (Lost)
        return false;
    const std::string error = Call(Options.CallSeconds, [&] {
        Desktop->getCurrentFrame();
        return std::string();
    });
    return error.empty() && !Lost;
}

void TSession::Shutdown(const void* caller)
{
    if (!Owned() || Lost)
        return;
    bool holdsUserWork = false;
    std::vector<Reference<css::uno::XInterface>> ours;
    const std::string error = Call(Options.CallSeconds, [&] {
        std::vector<TOurDoc> docs;
        {
            std::lock_guard<std::mutex> lock(DocsMutex);
            docs = Docs;
        }
        Reference<css::container::XEnumeration> each = Desktop->getComponents()->createEnumeration();
        while (each->hasMoreElements()) {
            Reference<css::uno::XInterface> model(each->nextElement(), UNO_QUERY);
            if (!model.is())
                continue;
            const auto known = std::find_if(docs.begin(), docs.end(), [&](const TOurDoc& d) { return d.Model == model; });
            // Without a display nobody sees a window, and the caller's own documents there
            // were never in anyone's hands.
            if (known != docs.end() && known->Owner == caller && (Headless || !known->Shown))
                ours.push_back(model);
            else if ((known != docs.end() && known->Shown && !Headless) || Modified(model) ||
                     (!Headless && WindowVisible(model)))
                holdsUserWork = true;
        }
        return std::string();
    });
    if (!error.empty() || holdsUserWork)
        return;
    bool terminated = false;
    Call(Options.CallSeconds, [&] {
        for (const Reference<css::uno::XInterface>& model : ours) {
            Reference<css::util::XCloseable> closeable(model, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
        }
        try {
            terminated = Desktop->terminate();
        } catch (const css::lang::DisposedException&) {
            terminated = true;  // the office went down before its answer came back
        }
        return std::string();
    });
    if (!terminated && !Lost)
        return;
    DropBridge();
    if (!Process->WaitForExit(std::chrono::seconds(kShutdownSeconds)))
        Process->Kill();
}

// ---- The bookmarks in reading order ----------------------------------------------------------

namespace {

bool HasProperty(const Reference<css::beans::XPropertySet>& properties, const char* name)
{
    if (!properties.is())
        return false;
    Reference<css::beans::XPropertySetInfo> info = properties->getPropertySetInfo();
    return info.is() && info->hasPropertyByName(OUString::createFromAscii(name));
}

template <class T>
T PropertyOr(const Reference<css::beans::XPropertySet>& properties, const char* name, T fallback)
{
    if (!HasProperty(properties, name))
        return fallback;
    T value = fallback;
    properties->getPropertyValue(OUString::createFromAscii(name)) >>= value;
    return value;
}

// Walks the stories as a reader meets them: the headers of the page styles in use, the
// body (tables cell by cell, row by row; a frame's text after the text it is anchored
// in), footnotes, endnotes, then the footers. The office's own list is in its internal
// order, which puts headers, footers and frames before the body.
class TBookmarkWalk {
public:
    explicit TBookmarkWalk(const Reference<css::uno::XInterface>& model) : Model_(model) {}

    std::vector<OUString> Run()
    {
        PageStories("Header");
        Reference<css::text::XTextDocument> text(Model_, UNO_QUERY_THROW);
        Story(text->getText(), 0);
        if (Reference<css::text::XFootnotesSupplier> footnotes(Model_, UNO_QUERY); footnotes.is())
            Notes(footnotes->getFootnotes());
        if (Reference<css::text::XEndnotesSupplier> endnotes(Model_, UNO_QUERY); endnotes.is())
            Notes(endnotes->getEndnotes());
        PageStories("Footer");
        // Whatever the walk could not reach (text in drawing shapes) comes last.
        Reference<css::text::XBookmarksSupplier> supplier(Model_, UNO_QUERY_THROW);
        for (const OUString& name : supplier->getBookmarks()->getElementNames())
            Add(name);
        return Names_;
    }

private:
    void Add(const OUString& name)
    {
        if (Seen_.insert(name).second)
            Names_.push_back(name);
    }

    void PageStories(const char* kind)
    {
        Reference<css::style::XStyleFamiliesSupplier> families(Model_, UNO_QUERY);
        if (!families.is())
            return;
        Reference<css::container::XNameAccess> styles(families->getStyleFamilies()->getByName("PageStyles"),
                                                      UNO_QUERY);
        if (!styles.is())
            return;
        const std::string prefix = kind;
        for (const OUString& name : styles->getElementNames()) {
            Reference<css::style::XStyle> style(styles->getByName(name), UNO_QUERY);
            Reference<css::beans::XPropertySet> properties(style, UNO_QUERY);
            if (!style.is() || !style->isInUse() || !PropertyOr(properties, (prefix + "IsOn").c_str(), false))
                continue;
            for (const char* variant : {"TextFirst", "Text", "TextLeft", "TextRight"}) {
                const std::string property = prefix + variant;
                Reference<css::text::XText> text;
                if (HasProperty(properties, property.c_str()))
                    properties->getPropertyValue(OUString::createFromAscii(property.c_str())) >>= text;
                if (text.is())
                    Story(text, 1);
            }
        }
    }

    void Notes(const Reference<css::container::XIndexAccess>& notes)
    {
        if (!notes.is())
            return;
        for (sal_Int32 i = 0; i < notes->getCount(); ++i) {
            Reference<css::text::XText> text(notes->getByIndex(i), UNO_QUERY);
            if (text.is())
                Story(text, 1);
        }
    }

    void Story(const Reference<css::text::XText>& text, int depth)
    {
        Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY);
        if (!access.is() || depth > kMaxStoryDepth)
            return;
        Reference<css::container::XEnumeration> paragraphs = access->createEnumeration();
        while (paragraphs.is() && paragraphs->hasMoreElements()) {
            const Any element = paragraphs->nextElement();
            Reference<css::text::XTextTable> table(element, UNO_QUERY);
            if (table.is()) {
                for (const OUString& cell : table->getCellNames())
                    Story(Reference<css::text::XText>(table->getCellByName(cell), UNO_QUERY), depth + 1);
                continue;
            }
            Portions(Reference<css::container::XEnumerationAccess>(element, UNO_QUERY), depth);
            Anchored(Reference<css::container::XContentEnumerationAccess>(element, UNO_QUERY), depth);
        }
    }

    void Portions(const Reference<css::container::XEnumerationAccess>& paragraph, int depth)
    {
        if (!paragraph.is())
            return;
        Reference<css::container::XEnumeration> portions = paragraph->createEnumeration();
        while (portions.is() && portions->hasMoreElements()) {
            Reference<css::beans::XPropertySet> portion(portions->nextElement(), UNO_QUERY);
            if (!portion.is())
                continue;
            OUString type;
            portion->getPropertyValue("TextPortionType") >>= type;
            if (type == "Bookmark") {
                bool start = false, collapsed = false;
                portion->getPropertyValue("IsStart") >>= start;
                portion->getPropertyValue("IsCollapsed") >>= collapsed;
                Reference<css::container::XNamed> bookmark(portion->getPropertyValue("Bookmark"), UNO_QUERY);
                if ((start || collapsed) && bookmark.is())
                    Add(bookmark->getName());
            } else if (type == "Frame") {
                Anchored(Reference<css::container::XContentEnumerationAccess>(portion, UNO_QUERY), depth);
            }
        }
    }

    void Anchored(const Reference<css::container::XContentEnumerationAccess>& anchor, int depth)
    {
        if (!anchor.is())
            return;
        Reference<css::container::XEnumeration> contents =
            anchor->createContentEnumeration("com.sun.star.text.TextContent");
        while (contents.is() && contents->hasMoreElements()) {
            Reference<css::lang::XServiceInfo> content(contents->nextElement(), UNO_QUERY);
            if (content.is() && content->supportsService("com.sun.star.text.TextFrame"))
                Story(Reference<css::text::XText>(content, UNO_QUERY), depth + 1);
        }
    }

    Reference<css::uno::XInterface> Model_;
    std::vector<OUString> Names_;
    std::set<OUString> Seen_;
};

// The bookmark of that name; Word's names ignore case, so a name of other case is taken
// when there is no exact one.
Reference<css::text::XTextContent> FindBookmark(const Reference<css::container::XNameAccess>& bookmarks,
                                                const OUString& name)
{
    if (bookmarks->hasByName(name))
        return Reference<css::text::XTextContent>(bookmarks->getByName(name), UNO_QUERY);
    for (const OUString& other : bookmarks->getElementNames())
        if (other.equalsIgnoreAsciiCase(name))
            return Reference<css::text::XTextContent>(bookmarks->getByName(other), UNO_QUERY);
    return {};
}

// The import filter the office read a document with; empty when it does not say.
std::string LoadedFilter(const Reference<css::uno::XInterface>& document)
{
    Reference<css::frame::XModel> model(document, UNO_QUERY);
    if (!model.is())
        return {};
    for (const css::beans::PropertyValue& argument : model->getArgs())
        if (argument.Name == "FilterName") {
            OUString filter;
            argument.Value >>= filter;
            return ToUtf8(filter);
        }
    return {};
}

// A compound file or an OpenDocument package protected with a password (templates are
// small: only their first megabytes are looked at).
bool IsProtectedFile(const std::string& file)
{
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    in.seekg(0);
    std::string bytes(static_cast<std::size_t>(std::clamp<std::streamoff>(size, 0, 16 << 20)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (IsCompoundFile(bytes))
        return CompoundFileProtection(bytes) != TWordSchutz::None;
    if (bytes.compare(0, 2, "PK") != 0)
        return false;
    std::string ignored, manifest;
    const std::unique_ptr<TWordPackage> package = TWordPackage::Open(std::move(bytes), ignored);
    return package && package->Contains("META-INF/manifest.xml")
        && package->Read("META-INF/manifest.xml", manifest).empty() && ManifestEncrypts(manifest);
}

bool IsTextFile(const std::string& file)
{
    const std::size_t dot = file.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : Lower(file.substr(dot));
    return extension == ".txt" || extension == ".csv";
}

// ---- A document ------------------------------------------------------------------------------

class TWordLibreOfficeDoc final : public TWordDoc {
public:
    TWordLibreOfficeDoc(std::shared_ptr<TSession> session, Reference<css::uno::XInterface> model,
                        std::string templateFile, bool visible)
        : Session_(std::move(session)), Model_(std::move(model)), Template_(std::move(templateFile)),
          Visible_(visible)
    {
    }

    // A document still hidden was never anyone's: it goes with this object. A shown one
    // stays with the user.
    ~TWordLibreOfficeDoc() override
    {
        if (!Visible_)
            Close();
    }

    std::string FillBookmark(const std::string& name, const std::string& text) override;
    std::string UpdateFields() override;
    std::vector<std::string> BookmarkNames() const override;
    std::string Extension() const override { return DocumentExtensionFor(Template_); }
    std::string ShowDocument(const std::string& folder, const std::string& baseName,
                             std::string& writtenFile) override;
    std::string SaveAs(const std::string& path, bool overwrite) override;
    void Close() override;
    bool Visible() const override { return Visible_; }

private:
    std::shared_ptr<TSession> Session_;
    Reference<css::uno::XInterface> Model_;
    std::string Template_;
    bool Visible_ = false;
};

std::string TWordLibreOfficeDoc::FillBookmark(const std::string& name, const std::string& text)
{
    if (!Model_.is())
        return "The document is closed.";
    bool missing = false;
    const std::string error = Session_->Call(Session_->Options.CallSeconds, [&] {
        Reference<css::text::XBookmarksSupplier> supplier(Model_, UNO_QUERY_THROW);
        Reference<css::text::XTextContent> bookmark = FindBookmark(supplier->getBookmarks(), FromText(name));
        if (!bookmark.is()) {
            missing = true;
            return std::string();
        }
        const OUString realName = Reference<css::container::XNamed>(bookmark, UNO_QUERY_THROW)->getName();
        Reference<css::text::XTextRange> anchor = bookmark->getAnchor();
        Reference<css::text::XText> story = anchor->getText();
        Reference<css::text::XTextCursor> cursor = story->createTextCursorByRange(anchor);
        Reference<css::text::XTextRange> at(cursor, UNO_QUERY_THROW);
        // Writing into the old bookmark would leave a point bookmark empty with the text
        // after it; a new bookmark over the new text keeps it around in every case.
        story->removeTextContent(bookmark);
        cursor->setString(OUString());
        sal_Int32 length = 0;
        for (const TTextPiece& piece : SplitAnswer(text)) {
            if (piece.Kind == TTextPiece::Break) {
                story->insertControlCharacter(at, css::text::ControlCharacter::LINE_BREAK, false);
                ++length;
            } else {
                const OUString part = piece.Kind == TTextPiece::Tab ? OUString("\t") : FromUtf8(piece.Utf8);
                story->insertString(at, part, false);
                length += part.getLength();
            }
        }
        // The cursor stands after the inserted text: it takes the text in again.
        for (sal_Int32 left = length; left > 0; left -= 32767)
            cursor->goLeft(static_cast<sal_Int16>(std::min<sal_Int32>(left, 32767)), true);
        Reference<css::lang::XMultiServiceFactory> factory(Model_, UNO_QUERY_THROW);
        Reference<css::text::XTextContent> renewed(factory->createInstance("com.sun.star.text.Bookmark"),
                                                   UNO_QUERY_THROW);
        Reference<css::container::XNamed>(renewed, UNO_QUERY_THROW)->setName(realName);
        story->insertTextContent(at, renewed, true);
        return std::string();
    });
    if (missing)
        return MissingBookmarkError(name);
    if (!error.empty())
        return "The bookmark " + Quoted(name) + " cannot be filled: " + error;
    return {};
}

std::string TWordLibreOfficeDoc::UpdateFields()
{
    if (!Model_.is())
        return "The document is closed.";
    const std::string error = Session_->Call(Session_->Options.CallSeconds, [&] {
        Reference<css::text::XTextFieldsSupplier> fields(Model_, UNO_QUERY_THROW);
        Reference<css::util::XRefreshable>(fields->getTextFields(), UNO_QUERY_THROW)->refresh();
        return std::string();
    });
    return error.empty() ? error : "The fields cannot be updated: " + error;
}

std::vector<std::string> TWordLibreOfficeDoc::BookmarkNames() const
{
    std::vector<std::string> names;
    if (!Model_.is())
        return names;
    std::vector<OUString> found;
    Session_->Call(Session_->Options.CallSeconds, [&] {
        found = TBookmarkWalk(Model_).Run();
        return std::string();
    });
    for (const OUString& utf16 : found)
        names.push_back(ToUtf8(utf16));
    return names;
}

std::string TWordLibreOfficeDoc::ShowDocument(const std::string&, const std::string&, std::string& writtenFile)
{
    // The document stays in the office, unsaved, for the user to finish there.
    writtenFile.clear();
    if (!Model_.is())
        return "The document is closed.";
    if (Session_->Headless && Session_->Process)
        return "LibreOffice runs without a window here (no display): the document cannot be shown.";
    const std::string error = Session_->Call(Session_->Options.CallSeconds, [&] {
        BringToFront(Model_);
        return std::string();
    });
    if (!error.empty())
        return "The document cannot be shown: " + error;
    Visible_ = true;
    Session_->MarkShown(Model_);
    return {};
}

std::string TWordLibreOfficeDoc::SaveAs(const std::string& path, bool overwrite)
{
    if (!Model_.is())
        return "The document is closed.";
    const std::string filter = FilterFor(path);
    if (filter.empty())
        return "The document " + Quoted(path) + " cannot be written: LibreOffice is not asked to write " +
               Quoted(LowerExtension(path)) + " files.";
    if (!overwrite && FileExists(path))
        return "The document " + Quoted(path) + " exists already.";
    const std::string error = Session_->Call(Session_->Options.LoadSeconds, [&] {
        const Sequence<css::beans::PropertyValue> arguments = Properties({
            Property("FilterName", Value(OUString::createFromAscii(filter.c_str()))),
            Property("Overwrite", Value(overwrite)),
        });
        Reference<css::frame::XStorable>(Model_, UNO_QUERY_THROW)->storeToURL(FileUrl(path), arguments);
        return std::string();
    });
    if (!error.empty())
        return "The document " + Quoted(path) + " cannot be written: " + error;
    return {};
}

void TWordLibreOfficeDoc::Close()
{
    if (!Model_.is())
        return;
    const Reference<css::uno::XInterface> model = Model_;
    Model_.clear();
    Session_->Forget(model);
    if (Session_->Lost)
        return;
    Session_->Call(Session_->Options.CallSeconds, [&] {
        Reference<css::util::XCloseable> closeable(model, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            Reference<css::lang::XComponent>(model, UNO_QUERY_THROW)->dispose();
        return std::string();
    });
}

}  // namespace

// ---- The application ---------------------------------------------------------------------------

std::string LibreOfficePipeName()
{
    return "tavix_" + std::to_string(::getuid());
}

bool LibreOfficeInstalled()
{
    return ::access(DefaultProgram().c_str(), X_OK) == 0;
}

TWordLibreOfficeApp::TWordLibreOfficeApp(TLibreOfficeOptions options) : Options_(std::move(options))
{
    if (Options_.Program.empty())
        Options_.Program = DefaultProgram();
    if (Options_.Pipe.empty())
        Options_.Pipe = LibreOfficePipeName();
}

TWordLibreOfficeApp::~TWordLibreOfficeApp()
{
    if (!Session_ || !Session_->Owned())
        return;
    // An office nobody sees goes with the object that started it. One that showed
    // documents goes with the program's last connection to it, unless it still holds
    // something of the user's (Shutdown looks).
    const bool unseen = Session_->Headless || !Session_->AnyShown;
    const bool lastConnection = Session_.use_count() == 1;
    if ((Started_ && unseen) || lastConnection)
        Session_->Shutdown(this);
}

namespace {

// One connection per office in the whole program: a second bridge to the same office
// would share the first one's object proxies and break when the first one goes.
std::mutex g_sessionsMutex;
std::map<std::string, std::weak_ptr<TSession>> g_sessions;

std::shared_ptr<TSession> SessionOf(const std::string& pipe)
{
    std::lock_guard<std::mutex> lock(g_sessionsMutex);
    const auto found = g_sessions.find(pipe);
    return found == g_sessions.end() ? nullptr : found->second.lock();
}

void Register(const std::string& pipe, const std::shared_ptr<TSession>& session)
{
    std::lock_guard<std::mutex> lock(g_sessionsMutex);
    g_sessions[pipe] = session;
}

}  // namespace

void TWordLibreOfficeApp::Release()
{
    if (!Session_)
        return;
    // An office that went away: what is left of one started here that nobody sees is
    // ended; one with the user's windows is left to the user.
    if (Started_ && Session_->Lost && Session_->Process && (Session_->Headless || !Session_->AnyShown))
        Session_->Process->Kill();
    Session_.reset();
    Started_ = false;
}

std::string TWordLibreOfficeApp::Connect(bool& attached)
{
    attached = false;
    ReapOrphans();
    if (Session_ && Session_->Alive()) {
        attached = true;
        return {};
    }
    Release();
    if (std::shared_ptr<TSession> shared = SessionOf(Options_.Pipe); shared && shared->Alive()) {
        Session_ = shared;
        attached = true;
        return {};
    }
    auto session = std::make_shared<TSession>(Options_);
    std::string error;
    switch (session->Attach(Options_.Pipe, Options_.CallSeconds, error)) {
    case TSession::TAttach::Attached:
        Session_ = session;
        Register(Options_.Pipe, session);
        attached = true;
        return {};
    case TSession::TAttach::Failed:
        // An office that is just going away may still take a connection: a new one is
        // started. One that does not answer is reported, since a start would meet it.
        if (session->TimedOut)
            return error;
        break;
    case TSession::TAttach::NotListening:
        break;
    }
    error = StartOffice();
    if (!error.empty())
        return error;
    Register(Options_.Pipe, Session_);
    Started_ = Session_->Process != nullptr;
    attached = !Started_;  // handed over to the office the user runs
    return {};
}

std::string TWordLibreOfficeApp::StartOffice()
{
    if (::access(Options_.Program.c_str(), X_OK) != 0)
        return "LibreOffice is not installed (" + Quoted(Options_.Program) +
               " is missing): install LibreOffice Writer.";
    auto session = std::make_shared<TSession>(Options_);
    session->Headless = Options_.Headless || !HasDisplay();
    std::vector<std::string> arguments = {Options_.Program};
    if (!Options_.UserInstallation.empty())
        arguments.push_back("-env:UserInstallation=" + ToUtf8(FileUrl(Options_.UserInstallation)));
    arguments.insert(arguments.end(), {"--nologo", "--norestore"});
    // Without a window of its own: a document appears only when it is loaded visible.
    arguments.push_back(session->Headless ? "--headless" : "--invisible");
    arguments.push_back("--accept=pipe,name=" + Options_.Pipe + ";urp;StarOffice.ComponentContext");
    auto process = std::make_shared<TOfficeProcess>();
    std::string error = process->Start(arguments);
    if (!error.empty())
        return error;

    const auto deadline = TClock::now() + std::chrono::seconds(Options_.StartSeconds);
    bool handedOver = false;
    std::string lastError;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::seconds>(deadline - TClock::now()).count();
        const TSession::TAttach result =
            session->Attach(Options_.Pipe, static_cast<int>(std::clamp<long long>(left, 1, Options_.CallSeconds)), error);
        if (result == TSession::TAttach::Attached)
            break;
        // An office still starting up may take a connection and drop it again.
        if (result == TSession::TAttach::Failed)
            lastError = error;
        // A launcher that ends at once with success has handed the start over to an office
        // the user already runs; that one opens the pipe in a moment.
        if (!handedOver && !process->Running()) {
            if (process->ExitStatus() != 0)
                return "LibreOffice ended right after its start (exit status " +
                       std::to_string(process->ExitStatus()) + ").";
            handedOver = true;
        }
        if (TClock::now() >= deadline) {
            process->Kill();
            return "LibreOffice did not answer within " + std::to_string(Options_.StartSeconds) +
                   " seconds of its start" + (lastError.empty() ? "." : " (" + lastError + ").");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!handedOver && process->Running())
        session->Process = process;
    Session_ = session;
    return {};
}

bool TWordLibreOfficeApp::Visible() const
{
    if (Session_ && !Session_->Process)
        return true;  // the user's own office, with its windows
    return WantVisible_ && !(Session_ && Session_->Headless);
}

void TWordLibreOfficeApp::Show()
{
    WantVisible_ = true;
}

std::unique_ptr<TWordDoc> TWordLibreOfficeApp::AddDocument(const std::string& templateFile, bool visible,
                                                           std::string& error)
{
    error.clear();
    std::string file = templateFile;
    if (!FileExists(file)) {
        const std::string found = FindWordTemplateFile(templateFile);
        if (!found.empty())
            file = found;
    }
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        error = "The template " + Quoted(file) + " cannot be read: " + std::strerror(errno) + ".";
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "The template " + Quoted(file) + " is not a file.";
        return nullptr;
    }
    // The office would ask for the password in a dialog nobody may see.
    if (IsProtectedFile(file)) {
        error = "The template " + Quoted(file) + " cannot be used: " + ProtectedTemplateReason();
        return nullptr;
    }
    if (!Session_ || Session_->Lost) {
        bool attached = false;
        error = Connect(attached);
        if (!error.empty())
            return nullptr;
    }
    Reference<css::uno::XInterface> model;
    bool textDocument = true;
    std::shared_ptr<TSession> session = Session_;
    error = session->Call(Options_.LoadSeconds, [&] {
        // A new untitled document from the template, and no macro of it runs.
        const Sequence<css::beans::PropertyValue> arguments = Properties({
            Property("AsTemplate", Value(true)),
            Property("Hidden", Value(!visible)),
            Property("MacroExecutionMode", Value(css::document::MacroExecMode::NEVER_EXECUTE)),
        });
        Reference<css::frame::XComponentLoader> loader(session->Desktop, UNO_QUERY_THROW);
        Reference<css::lang::XComponent> component = loader->loadComponentFromURL(FileUrl(file), "_blank", 0, arguments);
        if (!component.is())
            return std::string("LibreOffice cannot open it.");
        model.set(component, UNO_QUERY);
        if (!Reference<css::text::XTextDocument>(component, UNO_QUERY).is()) {
            textDocument = false;
            Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            return std::string();
        }
        // A file no filter recognises is read as plain text: that is no template.
        if (const std::string filter = LoadedFilter(model); filter.rfind("Text", 0) == 0 && !IsTextFile(file)) {
            Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            model.clear();
            return std::string("LibreOffice can read it only as plain text; it is damaged or no "
                               "word-processor file.");
        }
        if (visible && !session->Headless)
            BringToFront(model);
        return std::string();
    });
    if (error.empty() && !textDocument)
        error = "it is not a text document.";
    if (!error.empty()) {
        error = "The template " + Quoted(file) + " cannot be used: " + error;
        return nullptr;
    }
    session->Remember(model, this);
    if (visible)
        session->MarkShown(model);
    return std::make_unique<TWordLibreOfficeDoc>(session, model, file, visible);
}

std::string TWordLibreOfficeApp::UserTemplateFolder()
{
    if (!Session_ || Session_->Lost) {
        bool attached = false;
        if (!Connect(attached).empty())
            return {};
    }
    std::string folder;
    std::shared_ptr<TSession> session = Session_;
    const std::string error = session->Call(Options_.CallSeconds, [&] {
        Reference<css::beans::XPropertySet> paths(
            session->Context->getServiceManager()->createInstanceWithContext("com.sun.star.util.PathSettings",
                                                                             session->Context),
            UNO_QUERY_THROW);
        OUString url;
        paths->getPropertyValue("Template_writable") >>= url;
        if (!PathOfFileUrl(url, folder))
            folder.clear();
        return std::string();
    });
    if (!error.empty() || folder.empty())
        return {};
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

void TWordLibreOfficeApp::Quit()
{
    if (Session_ && Started_ && Session_->Owned())
        Session_->Shutdown(this);
    Release();
    WantVisible_ = false;
}

int TWordLibreOfficeApp::StartedProcessGroup() const
{
    return Session_ && Started_ && Session_->Owned() ? static_cast<int>(Session_->Process->Pid()) : 0;
}
