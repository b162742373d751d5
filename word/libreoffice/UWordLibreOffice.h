// The LibreOffice back end of the word-processor adapter: an installed LibreOffice Writer
// driven through its UNO API over a named pipe. It reads what the embedded engine cannot
// (binary ".dot" templates) and leaves the new, unsaved document in a LibreOffice window.
//
// Connecting attaches to an office listening on the program's own per-user pipe, else
// starts one that listens there ("soffice --accept=pipe,..."). When the user already runs
// LibreOffice, that start hands the request to the running office, and the program is
// attached to it: such an office is never hidden or ended. Quit ends only an office this
// object started, and never one that holds a document the user sees or has changed.
//
// No call waits forever: every connection attempt and every operation has a time-out
// after which the connection is dropped. A crashed, killed or closed office is reported
// as an error text, and the next Connect starts a new one. The program holds one
// connection per office, shared by all objects. The first connection sets SIGPIPE to be
// ignored when it is at its default: the bridge writes to the pipe unguarded, and an
// office that is gone must cost an error text, not the program.
//
// The UNO types stay inside the implementation, so this header needs no SDK. The unit
// is built only when the LibreOffice SDK is found (TAVIX_HAVE_LIBREOFFICE).
#pragma once

#include "word/UWordAdapter.h"

#include <memory>
#include <string>

struct TLibreOfficeOptions {
    std::string Program;           // the "soffice" launcher; empty: the installation's
    std::string Pipe;              // the pipe name; empty: LibreOfficePipeName()
    std::string UserInstallation;  // a profile folder for a started office; empty: the user's own
    bool Headless = false;         // start without any window even when a display exists
    int StartSeconds = 60;         // from starting an office until it answers
    int LoadSeconds = 60;          // loading or storing a document
    int CallSeconds = 20;          // every other operation
};

// The pipe of the current user's office: "tavix_" + the user id.
std::string LibreOfficePipeName();

class TWordLibreOfficeApp final : public TWordApp {
public:
    explicit TWordLibreOfficeApp(TLibreOfficeOptions options = {});
    // Ends an office this object started that nobody can see (no display or no document
    // shown): it would otherwise run on unseen and take over the user's next start. The
    // program's last connection to an office it started ends it once the user has closed
    // the documents shown there.
    ~TWordLibreOfficeApp() override;

    TWordBackend Kind() const override { return TWordBackend::LibreOffice; }
    [[nodiscard]] std::string Connect(bool& attached) override;
    bool Visible() const override;
    void Show() override;
    std::unique_ptr<TWordDoc> AddDocument(const std::string& templateFile, bool visible, std::string& error) override;
    // LibreOffice's writable template folder from its path settings; empty on failure.
    std::string UserTemplateFolder() override;
    void Quit() override;

    // The process group of the office this object started and still owns; 0 when none
    // (tests end it themselves to play a crash).
    int StartedProcessGroup() const;

    struct TSession;

private:
    [[nodiscard]] std::string StartOffice();
    // A windowless office this program did not start (one of tavix-fill's, or one left
    // behind) cannot show a document. When it is idle and works for no running Tavix
    // program it is ended and a visible one started in its place; else the error says why.
    [[nodiscard]] std::string ReplaceWindowlessOffice();
    // Lets go of the connection (shared with the other objects on the same office).
    void Release();

    TLibreOfficeOptions options_;
    bool wantVisible_ = false;
    bool started_ = false;  // this object started the session's office
    std::shared_ptr<TSession> session_;
};

// Whether the LibreOffice launcher of the installation this program was built against
// can be run.
bool LibreOfficeInstalled();
