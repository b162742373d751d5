#include "word/libreoffice/ULibreOfficeProzess.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace lo {

namespace {

std::mutex g_orphansMutex;
std::vector<std::shared_ptr<TOfficeProcess>> g_orphans;

}  // namespace

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

}  // namespace lo
