// The surroundings the field and document tests run in, all fixed and private to the
// test: a temporary home with its own documents folder, German regional settings, a
// small language table, an empty configuration, a pinned clock and a message recorder.
#pragma once

#include <memory>
#include <string>

#include "config/TestMeldungen.h"
#include "config/TestOrdner.h"
#include "config/UKonfig.h"
#include "config/USprache.h"
#include "datetime/TestLocales.h"
#include "datetime/UCalendar.h"
#include "datetime/UClock.h"

// 15 March 2024, 14:30.
inline double TestNow()
{
    double day = 0.0;
    double time = 0.0;
    TryEncodeDate(2024, 3, 15, day);
    TryEncodeTime(14, 30, 0, 0, time);
    return day + time;
}

inline const char* const kTestSprache =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
    "<Language>\r\n"
    "<Basics><New>Neu</New><Today>Heute</Today><Now>Jetzt</Now>"
    "<FileNotFound>Nicht gefunden: %s</FileNotFound></Basics>\r\n"
    "<Directories><DocDirName>Dokumentdaten</DocDirName><TemplateDirName>Vorlagen</TemplateDirName></Directories>\r\n"
    "<Format><Float>0.0;0.2</Float><Date>dd.mm.yyyy; \"d. mmmm yyyy\"</Date>"
    "<Time>hh:nn;\"hh:nn \"\"Uhr\"\"\"</Time></Format>\r\n"
    "<FMHaupt><FileMsg>Lesefehler %s: %s</FileMsg><SaveTitle>Speichern</SaveTitle>"
    "<SaveFilter>Daten|*.DXL|Vorlagen|*.TXL</SaveFilter></FMHaupt>\r\n"
    "</Language>\r\n";

inline const char* const kTestKonfiguration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
                                              "<Konfiguration>\r\n"
                                              "<Vorgaben>\r\n"
                                              "<E Name=\"Sprache\"><Info/><Wert>TEST</Wert></E>\r\n"
                                              "<E Name=\"VerzeichnisVorlagen\"><Info/><Wert></Wert></E>\r\n"
                                              "<E Name=\"VerzeichnisDokumente\"><Info/><Wert></Wert></E>\r\n"
                                              "<E Name=\"VerzeichnisWord\"><Info/><Wert></Wert></E>\r\n"
                                              "</Vorgaben>\r\n"
                                              "</Konfiguration>\r\n";

class TKernUmgebung {
public:
    explicit TKernUmgebung(bool withLanguage = true)
        : home_("HOME", ordner_.Path() + "home")
        , config_("XDG_CONFIG_HOME", ordner_.Path() + "home/.config")
        , locale_(GermanSettings())
        , clock_(TestNow())
    {
        WriteBytes(ordner_ / "lang/TEST.SPR", kTestSprache);
        WriteBytes(ordner_ / "KONFIGURATION.XML", kTestKonfiguration);
        WriteBytes(ordner_ / "home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
        konf_ = std::make_unique<TKonf>(ordner_ / "KONFIGURATION.XML");
        previousKonf_ = SetKonf(konf_.get());
        if (withLanguage) {
            sprache_ = std::make_unique<TSprache>(ordner_ / "lang/");
            sprache_->Load("TEST.SPR");
        }
        previousSprache_ = SetSprache(sprache_.get());
    }
    TKernUmgebung(const TKernUmgebung&) = delete;
    TKernUmgebung& operator=(const TKernUmgebung&) = delete;
    ~TKernUmgebung()
    {
        SetSprache(previousSprache_);
        SetKonf(previousKonf_);
    }

    const TTestOrdner& Ordner() const { return ordner_; }
    std::string Path(const std::string& name) const { return ordner_ / name; }
    TKonf& Konfiguration() { return *konf_; }
    TTestMeldungen Meldungen;

private:
    TTestOrdner ordner_;
    TEnvGuard home_;
    TEnvGuard config_;
    TScopedLocaleSettings locale_;
    TFixedClock clock_;
    std::unique_ptr<TKonf> konf_;
    std::unique_ptr<TSprache> sprache_;
    TKonf* previousKonf_ = nullptr;
    TSprache* previousSprache_ = nullptr;
};
