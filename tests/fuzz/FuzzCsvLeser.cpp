// The CSV reader on any bytes. What it reads, written back with every cell quoted,
// reads as the same cells.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzHilfe.h"
#include "tools/UCsvLeser.h"

namespace {

std::string Quote(const std::string& cell)
{
    std::string out = "\"";
    for (const char c : cell) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

std::string Written(const std::vector<TCsvZeile>& rows)
{
    std::string out;
    for (const TCsvZeile& row : rows) {
        for (std::size_t c = 0; c < row.Cells.size(); ++c)
            out += (c ? "," : "") + Quote(row.Cells[c]);
        out += "\r\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<TCsvZeile> rows;
    int errorLine = 0;
    std::string problem;
    if (!ParseCsv(text, rows, errorLine, problem)) {
        FUZZ_CHECK(!problem.empty() && errorLine >= 1);
        return 0;
    }
    int previousLine = 0;
    for (const TCsvZeile& row : rows) {
        FUZZ_CHECK(row.Line > previousLine && !row.Cells.empty());
        previousLine = row.Line;
    }
    std::vector<TCsvZeile> again;
    FUZZ_CHECK(ParseCsv(Written(rows), again, errorLine, problem));
    FUZZ_CHECK(again.size() == rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        FUZZ_CHECK(again[r].Cells == rows[r].Cells);
    return 0;
}
