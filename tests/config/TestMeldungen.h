// A message target for tests: records every message and answers MsgDlg with canned
// results, so no test ever waits for a human. Installs itself for its lifetime.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "config/USprache.h"
#include "env/UInstalliert.h"

class TTestMeldungen : public TMeldungsZiel {
public:
    struct TMeldung {
        std::string Text;
        bool Stock = false;  // the stock message box, not MsgDlg
        TMsgKind Kind = TMsgKind::Custom;
        TMsgButtons Buttons;
        TStockIcon Icon = TStockIcon::Information;
    };

    TTestMeldungen() : installed_(this) {}

    int MsgDlg(const std::string& text, TMsgKind kind, TMsgButtons buttons, int) override
    {
        Meldungen.push_back({text, false, kind, buttons, TStockIcon::Information});
        if (Antworten.empty())
            return mrCancel;
        const int answer = Antworten.front();
        Antworten.pop_front();
        return answer;
    }

    void StockMessage(const std::string& text, TStockIcon icon) override
    {
        Meldungen.push_back({text, true, TMsgKind::Custom, TMsgButtons{TMsgButton::OK}, icon});
    }

    std::vector<TMeldung> Meldungen;
    std::deque<int> Antworten;  // results MsgDlg gives, in order; mrCancel once used up

private:
    TInstalliert<TMeldungsZiel, SetMeldungsZiel> installed_;
};
