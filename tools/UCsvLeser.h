// The CSV reader of tavix-fill: RFC 4180 tables, read whole from a file's bytes.
#pragma once

#include <string>
#include <vector>

struct TCsvZeile {
    int Line = 0;  // where the record begins in the file
    std::vector<std::string> Cells;
};

// A record with one empty cell: an empty line, skipped between data rows.
bool IsBlank(const TCsvZeile& row);

// Cells separated by ",", records by CR LF (LF or CR alone are taken too); a quoted cell
// may hold separators, line breaks and doubled quotes. A quote in an unquoted cell is
// kept as it is, and a leading UTF-8 byte order mark is skipped. False with the line
// and the complaint.
bool ParseCsv(const std::string& text, std::vector<TCsvZeile>& rows, int& errorLine, std::string& problem);
