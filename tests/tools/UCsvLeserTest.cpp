#include "tools/UCsvLeser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TFall {
    const char* Name;
    std::string Text;
    std::vector<std::vector<std::string>> Cells;
    std::vector<int> Lines;
};

TEST(UCsvLeserTest, ReadsRecordsCellsAndTheLineEachBeginsOn)
{
    const std::vector<TFall> faelle = {
        {"crlf", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"lf and cr alone", "a\nb\rc", {{"a"}, {"b"}, {"c"}}, {1, 2, 3}},
        {"empty cells", ",,\r\n", {{"", "", ""}}, {1}},
        {"empty line", "a\r\n\r\nb", {{"a"}, {""}, {"b"}}, {1, 2, 3}},
        {"quoted separators", "\"x,y\",\"say \"\"hi\"\"\"", {{"x,y", "say \"hi\""}}, {1}},
        {"quoted line break counts lines", "\"one\r\ntwo\",z\r\nnext", {{"one\r\ntwo", "z"}, {"next"}}, {1, 3}},
        {"quote inside a plain cell", "5\" disk,b", {{"5\" disk", "b"}}, {1}},
        {"byte order mark", "\xEF\xBB\xBFID,Name\r\n", {{"ID", "Name"}}, {1}},
        {"nothing", "", {}, {}},
    };
    for (const TFall& fall : faelle) {
        SCOPED_TRACE(fall.Name);
        std::vector<TCsvZeile> rows;
        int errorLine = 0;
        std::string problem;
        ASSERT_TRUE(ParseCsv(fall.Text, rows, errorLine, problem)) << problem;
        ASSERT_EQ(rows.size(), fall.Cells.size());
        for (std::size_t r = 0; r < rows.size(); ++r) {
            EXPECT_EQ(rows[r].Cells, fall.Cells[r]);
            EXPECT_EQ(rows[r].Line, fall.Lines[r]);
        }
    }
}

TEST(UCsvLeserTest, RefusesBrokenQuotingWithTheLineOfTheFault)
{
    const struct {
        std::string Text;
        int Line;
        const char* Problem;
    } faelle[] = {
        {"a\r\n\"open\r\nstill open", 2, "a quoted value is not closed"},
        {"a\r\nb\r\n\"q\"x,y", 3, "text follows a closing quote"},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.Text);
        std::vector<TCsvZeile> rows;
        int errorLine = 0;
        std::string problem;
        EXPECT_FALSE(ParseCsv(fall.Text, rows, errorLine, problem));
        EXPECT_EQ(errorLine, fall.Line);
        EXPECT_EQ(problem, fall.Problem);
    }
}

TEST(UCsvLeserTest, OnlyASingleEmptyCellIsABlankRecord)
{
    EXPECT_TRUE(IsBlank({1, {""}}));
    EXPECT_FALSE(IsBlank({1, {"", ""}}));
    EXPECT_FALSE(IsBlank({1, {" "}}));
}

}  // namespace
