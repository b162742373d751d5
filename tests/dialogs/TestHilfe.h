// A help viewer for tests: records the addresses it is asked to show instead of opening
// the help window. Installs itself for its lifetime.
#pragma once

#include <string>
#include <vector>

#include "dialogs/UProgrammHilfe.h"
#include "env/UInstalliert.h"

class TTestHilfeAnzeige : public THilfeAnzeige {
public:
    TTestHilfeAnzeige() : installed_(this) {}
    bool Show(const std::string& address) override
    {
        Addresses.push_back(address);
        return Available;
    }
    std::vector<std::string> Addresses;
    bool Available = true;  // false: as if the help module could not be loaded

private:
    TInstalliert<THilfeAnzeige, SetHilfeAnzeige> installed_;
};
