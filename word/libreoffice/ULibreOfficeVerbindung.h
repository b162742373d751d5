// The connection of the LibreOffice back end to an office: the program's own UNO
// runtime, the bridge over the office's pipe, calls with time-outs, and the one session
// per office that every object on it shares.
#pragma once

#include "word/libreoffice/UWordLibreOffice.h"
#include "word/libreoffice/ULibreOfficeProzess.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// The session is a member type of the public class, so it lives outside namespace lo;
// these are the names of the back end's vocabulary it is written in.
namespace css = com::sun::star;
using lo::Any;
using lo::OfficeText;
using lo::Reference;
using lo::TClock;
using lo::TOfficeProcess;
using lo::TWatchdog;
using lo::UNO_QUERY;
using lo::UNO_QUERY_THROW;
using rtl::OUString;

// The program's UNO runtime (one for the whole run); the error text, empty on success.
[[nodiscard]] std::string LocalContext(Reference<css::uno::XComponentContext>& context);

struct TWordLibreOfficeApp::TSession {
    explicit TSession(const TLibreOfficeOptions& options) : Options(options), Watchdog([this] { DropBridge(); }) {}
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;
    ~TSession()
    {
        StopCloser();
        DropBridge();
        if (Process && Process->Running())
            AdoptOrphan(Process);  // left to the user
    }

    enum class TAttach { Attached, NotListening, Failed };

    // One connection attempt on the pipe.
    TAttach Attach(const std::string& pipe, int seconds, std::string& error);

    // Runs body (which returns an error text) under a time-out, turning every exception
    // into an error text. A time-out or a lost office ends the connection for good.
    [[nodiscard]] std::string Call(int seconds, const std::function<std::string()>& body);

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
            return OfficeText("TimedOutMsg", "LibreOffice did not answer in time; the next attempt starts it again.");
        return OfficeText("EndedMsg",
                          "LibreOffice has ended (it crashed or was closed); the next attempt starts it again.");
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
        bool watch = false;
        {
            std::lock_guard<std::mutex> lock(DocsMutex);
            for (TOurDoc& doc : Docs)
                if (doc.Model == model) {
                    watch = !doc.Shown;
                    doc.Shown = true;
                }
            AnyShown = AnyShown || !Headless;
        }
        if (watch && Process && !Headless)
            WatchClosing(model);
    }

    // The documents the office reports gone (the user closed them, or the office ended).
    struct TClosing {
        std::mutex Mutex;
        std::condition_variable Wake;
        std::vector<Reference<css::uno::XInterface>> Closed;
        bool Stop = false;
    };

    // When the user closes a shown document in an office this session started, the office
    // ends once no document is left in it, instead of leaving its Start Center behind.
    void WatchClosing(const Reference<css::uno::XInterface>& model);
    void EndWhenEmpty();  // the closer thread
    void EndIfEmpty();
    void StopCloser();

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
    std::recursive_mutex CallMutex;  // one call at a time: the closer thread calls too
    std::shared_ptr<TClosing> Closing = std::make_shared<TClosing>();
    std::thread Closer;
    TWatchdog Watchdog;  // last: its thread stops before the members it uses go
};

using TSession = TWordLibreOfficeApp::TSession;

// The session of the office on that pipe, if one is open in this program.
std::shared_ptr<TSession> SessionOf(const std::string& pipe);
void Register(const std::string& pipe, const std::shared_ptr<TSession>& session);
