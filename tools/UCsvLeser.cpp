#include "tools/UCsvLeser.h"

bool IsBlank(const TCsvZeile& row)
{
    return row.Cells.size() == 1 && row.Cells[0].empty();
}

bool ParseCsv(const std::string& text, std::vector<TCsvZeile>& rows, int& errorLine, std::string& problem)
{
    std::size_t i = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;  // a byte order mark
    const std::size_t n = text.size();
    int line = 1;
    const auto lineBreakAt = [&](std::size_t at) {
        return text[at] == '\n' || (text[at] == '\r' && (at + 1 >= n || text[at + 1] != '\n'));
    };
    while (i < n) {
        TCsvZeile row;
        row.Line = line;
        for (;;) {
            std::string cell;
            if (i < n && text[i] == '"') {
                const int opened = line;
                ++i;
                for (;;) {
                    if (i >= n) {
                        errorLine = opened;
                        problem = "a quoted value is not closed";
                        return false;
                    }
                    if (text[i] == '"') {
                        if (i + 1 < n && text[i + 1] == '"') {
                            cell += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (lineBreakAt(i))
                        ++line;
                    cell += text[i++];
                }
                if (i < n && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                    errorLine = line;
                    problem = "text follows a closing quote";
                    return false;
                }
            } else {
                while (i < n && text[i] != ',' && text[i] != '\r' && text[i] != '\n')
                    cell += text[i++];
            }
            row.Cells.push_back(std::move(cell));
            if (i < n && text[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
        ++line;
        rows.push_back(std::move(row));
    }
    return true;
}
