#include "word/libreoffice/ULibreOfficeVerbindung.h"

#include <cppuhelper/implbase1.hxx>

#include <chrono>
#include <thread>
#include <tuple>

using namespace lo;

// ---- The program's own UNO runtime -------------------------------------------------------

namespace {

std::mutex g_runtimeMutex;
Reference<css::uno::XComponentContext>* g_runtime = nullptr;  // kept for the whole run

}  // namespace

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
            return OfficeText("RuntimeMsg", "The UNO runtime of LibreOffice cannot be started: %s.",
                              {ToText(e.getMessage())});
        } catch (const css::uno::Exception& e) {
            return OfficeText("RuntimeMsg", "The UNO runtime of LibreOffice cannot be started: %s.", {MessageOf(e)});
        }
    }
    context = *g_runtime;
    return {};
}

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
        error = OfficeText("NoConnectionMsg", "No connection to LibreOffice: %s", {MessageOf(e)});
        return TAttach::Failed;
    }
    error = Call(seconds, [&] {
        Context.set(
            Reference<css::bridge::XBridge>(Bridge, UNO_QUERY_THROW)->getInstance("StarOffice.ComponentContext"),
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
    std::lock_guard<std::recursive_mutex> serial(CallMutex);
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
        error = OfficeText("ReportsMsg", "LibreOffice reports: %s", {MessageOf(e)});
    } catch (const std::exception& e) {
        error = OfficeText("UnusableMsg", "LibreOffice cannot be used: %s", {e.what()});
    }
    // A disposed object may be a document the user closed, or the whole connection.
    if (disposed && !Lost) {
        try {
            if (!Desktop.is())
                throw css::lang::DisposedException();
            Desktop->getCurrentFrame();
            error = OfficeText("ClosedThereMsg", "The document was closed in LibreOffice.");
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
        return OfficeText("CallTimeoutMsg", "LibreOffice did not answer within %s seconds; the connection was dropped.",
                          {std::to_string(std::max(1, seconds))});
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
            const auto known =
                std::find_if(docs.begin(), docs.end(), [&](const TOurDoc& d) { return d.Model == model; });
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
    // What counts is whether the office went.
    std::ignore = Call(Options.CallSeconds, [&] {
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

// ---- Documents the user closes ----------------------------------------------------------------

namespace {

// Hears from the office that a document is gone. It runs on a thread of the bridge while
// the office waits: it only passes the word on.
class TCloseWatch final : public cppu::WeakImplHelper1<css::lang::XEventListener> {
public:
    explicit TCloseWatch(std::shared_ptr<TSession::TClosing> closing) : Closing_(std::move(closing)) {}

    void SAL_CALL disposing(const css::lang::EventObject& event) override
    {
        std::lock_guard<std::mutex> lock(Closing_->Mutex);
        Closing_->Closed.push_back(event.Source);
        Closing_->Wake.notify_all();
    }

private:
    std::shared_ptr<TSession::TClosing> Closing_;
};

}  // namespace

void TSession::WatchClosing(const Reference<css::uno::XInterface>& model)
{
    // UNO objects count their own references: the office holds the listener while it wants it.
    const Reference<css::lang::XEventListener> watch(new TCloseWatch(Closing));
    const std::string error = Call(Options.CallSeconds, [&] {
        Reference<css::lang::XComponent>(model, UNO_QUERY_THROW)->addEventListener(watch);
        return std::string();
    });
    if (error.empty() && !Closer.joinable())
        Closer = std::thread([this] { EndWhenEmpty(); });
}

void TSession::EndWhenEmpty()
{
    std::unique_lock<std::mutex> lock(Closing->Mutex);
    for (;;) {
        Closing->Wake.wait(lock, [&] { return Closing->Stop || !Closing->Closed.empty(); });
        if (Closing->Stop)
            return;
        // The office puts its Start Center up after the document has gone.
        Closing->Wake.wait_for(lock, std::chrono::milliseconds(300), [&] { return Closing->Stop; });
        if (Closing->Stop)
            return;
        std::vector<Reference<css::uno::XInterface>> closed;
        closed.swap(Closing->Closed);
        lock.unlock();
        bool shownClosed = false;
        {
            std::lock_guard<std::mutex> docs(DocsMutex);
            for (const Reference<css::uno::XInterface>& model : closed) {
                const auto known =
                    std::find_if(Docs.begin(), Docs.end(), [&](const TOurDoc& d) { return d.Model == model; });
                if (known == Docs.end())
                    continue;  // closed by the program itself
                shownClosed = shownClosed || known->Shown;
                Docs.erase(known);
            }
        }
        if (shownClosed && !Lost)
            EndIfEmpty();
        lock.lock();
    }
}

void TSession::EndIfEmpty()
{
    bool empty = false;
    // What counts is whether the office was empty and went.
    std::ignore = Call(Options.CallSeconds, [&] {
        Reference<css::frame::XFramesSupplier> supplier(Desktop, UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> frames(supplier->getFrames(), UNO_QUERY_THROW);
        empty = true;
        // A Start Center is a frame without a document.
        for (sal_Int32 i = 0; i < frames->getCount() && empty; ++i) {
            Reference<css::frame::XFrame> frame(frames->getByIndex(i), UNO_QUERY);
            Reference<css::frame::XController> controller = frame.is() ? frame->getController() : nullptr;
            empty = !(controller.is() && controller->getModel().is());
        }
        if (empty) {
            try {
                Desktop->terminate();
            } catch (const css::lang::DisposedException&) {  // gone before its answer came back
            }
        }
        return std::string();
    });
    if (!empty)
        return;
    DropBridge();
    // Reaped here: the program may not connect again for a long time.
    if (!Process->WaitForExit(std::chrono::seconds(kShutdownSeconds)))
        Process->Kill();
}

void TSession::StopCloser()
{
    {
        std::lock_guard<std::mutex> lock(Closing->Mutex);
        Closing->Stop = true;
    }
    Closing->Wake.notify_all();
    if (Closer.joinable())
        Closer.join();
}

// One connection per office in the whole program: a second bridge to the same office
// would share the first one's object proxies and break when the first one goes.
namespace {

std::mutex g_sessionsMutex;
std::map<std::string, std::weak_ptr<TSession>> g_sessions;

}  // namespace

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
