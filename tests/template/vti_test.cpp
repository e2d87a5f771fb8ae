#include "template/vti.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "template/vti_body.h"
#include "template/vti_directives.h"
#include "template/vti_plan.h"

namespace {

struct rendered {
    std::string text;
    int result = 0;
};

// Runs a whole template through one engine, in chunks of chunk_size bytes
// (0: one chunk), as the TOC renderer does.
rendered render(std::string_view tmpl, const vti_variables& vars, size_t chunk_size = 0) {
    vti engine(vars);
    rendered r;
    std::vector<vtstring> out;
    const size_t step = chunk_size ? chunk_size : (tmpl.empty() ? 1 : tmpl.size());
    for (size_t at = 0; at < tmpl.size() && r.result == 0; at += step) {
        engine.add(tmpl.substr(at, step));
        r.result = engine.process();
    }
    if (r.result == 0) {
        engine.mark_end();
        r.result = engine.process();
    }
    engine.take_output(out);
    for (const vtstring& s : out) r.text += s.view();
    return r;
}

vtarr list(std::initializer_list<vtval> values) {
    vtarr a;
    for (const vtval& v : values) a.push_back(v);
    return a;
}

std::string error_at(int line, int column) {
    return "<b>Error occurred while processing VTI directive.</b> Line # " + std::to_string(line) +
           " Col # " + std::to_string(column);
}

class vti_test : public ::testing::Test {
  protected:
    vti_variables vars{
        {"item", list({1, 2, 3})},
        {"text", list({"A", "B", "C"})},
        {"short", list({"s0", "s1"})},
        {"open", list({1, 0, "abc", "7x", " -2", "0.9"})},
        {"empty", vtarr()},
    };
    std::string run(std::string_view tmpl) { return render(tmpl, vars).text; }
};

TEST_F(vti_test, TextWithoutDirectivesIsCopiedByteForByte) {
    const std::string page = std::string(
                                 "<!DOCTYPE html>\r\n<p class='x' title=\"a>b\">Hi</p><!-- note -->"
                                 "<!-- #not a directive --><!---->\n<> <!> <?pi?> a < b > c\\\"'") +
                             std::string(1, '\0') + "\xC3\xA9<!--";
    rendered r = render(page, vars);
    EXPECT_EQ(r.text, page);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(render("", vars).text, "");
}

TEST_F(vti_test, EchoSelectsFirstValueAtTopLevel) {
    EXPECT_EQ(run("[<!--#echo var=\"text\"-->]"), "[A]");
    EXPECT_EQ(run("<!--#echo var=\"item\"-->"), "1");
    // Names of directives and attributes ignore case, variable names do not.
    EXPECT_EQ(run("<!--#ECHO VAR='text'--><!--#Echo Var=text-->"), "AA");
    EXPECT_EQ(run("<!--#echo var=\"Text\"-->"), "<!--#echo var=\"Text\"-->");
    // Missing, unknown and empty variables, and unknown directives, stay as written.
    EXPECT_EQ(run("<!--#echo-->|<!--#echo var=\"empty\"-->|<!--#include file=\"x\"-->"),
              "<!--#echo-->|<!--#echo var=\"empty\"-->|<!--#include file=\"x\"-->");
    EXPECT_EQ(run("<!--# echo var=\"text\" -->"), "A");
}

TEST_F(vti_test, QuotesProtectTheEndOfADirective) {
    vars["a-->b"] = list({"q"});
    vars["x\"y"] = list({"e"});
    EXPECT_EQ(run("<!--#echo var=\"a-->b\"-->!"), "q!");
    EXPECT_EQ(run("<!--#echo var=\"x\\\"y\"-->"), "e");
    // An unclosed quote runs to the end: the rest is text.
    EXPECT_EQ(run("<!--#echo var=\"text-->tail"), "<!--#echo var=\"text-->tail");
}

TEST_F(vti_test, LoopTurnsReadTheirOwnPosition) {
    EXPECT_EQ(run("<ul><!--#for var=\"item\"--><li><!--#echo var=\"item\"-->:"
                  "<!--#echo var=\"text\"-->/<!--#echo var=\"short\"--></li><!--#endfor--></ul>"),
              "<ul><li>1:A/s0</li><li>2:B/s1</li><li>3:C/s0</li></ul>");
    // The loop runs over the list its for names, whatever the body reads.
    EXPECT_EQ(run("<!--#for var=\"short\"--><!--#echo var=\"text\"--><!--#endfor-->"), "AB");
}

TEST_F(vti_test, LoopOverEmptyListOutputsNothing) {
    rendered r =
        render("a<!--#for var=\"empty\"-->x<!--#echo var=\"text\"--><!--#endfor-->b", vars);
    EXPECT_EQ(r.text, "ab");
    EXPECT_EQ(r.result, 2);
}

TEST_F(vti_test, InnerLoopRunsWholeListInEveryOuterTurn) {
    EXPECT_EQ(run("<!--#for var=\"short\"-->(<!--#echo var=\"short\"-->:"
                  "<!--#for var=\"text\"--><!--#echo var=\"text\"--><!--#endfor-->)<!--#endfor-->"),
              "(s0:ABC)(s1:ABC)");
}

TEST_F(vti_test, IfElseFollowsLeadingNumber) {
    const std::string tmpl =
        "<!--#for var=\"open\"--><!--#if var=\"open\"-->A<!--#else-->B<!--#endif--><!--#endfor-->";
    // 1, 0, "abc", "7x", " -2", "0.9"
    EXPECT_EQ(run(tmpl), "ABBAAB");
    EXPECT_EQ(run("<!--#if var=\"open\"-->yes<!--#endif-->"), "yes");
    EXPECT_EQ(run("<!--#IF VAR=\"empty\"-->x<!--#ENDIF-->"), error_at(1, 22) + "x");
}

TEST_F(vti_test, BlocksNestInsideBlocks) {
    // Branches taken differently turn by turn; directives nested two deep.
    EXPECT_EQ(run("<!--#for var=\"open\"--><!--#if var=\"open\"-->"
                  "<!--#if var=\"item\"-->[<!--#echo var=\"item\"-->]<!--#endif-->"
                  "<!--#else-->-<!--#endif--><!--#endfor-->"),
              "[1]--[1][1]-");
    EXPECT_EQ(run("<!--#if var=\"item\"--><!--#for var=\"text\"-->"
                  "<!--#echo var=\"text\"--><!--#endfor--><!--#else-->no<!--#endif-->"),
              "ABC");
    // A body holding an unknown directive passes it through in every turn.
    EXPECT_EQ(run("<!--#for var=\"short\"--><!--#x--><!--#endfor-->"), "<!--#x--><!--#x-->");
}

TEST_F(vti_test, LoneClosingDirectiveIsOutputWithErrorPosition) {
    EXPECT_EQ(run("<!--#endif-->"), "<!--#endif-->" + error_at(1, 13));
    // On later lines the column counts one more.
    EXPECT_EQ(run("ab\r\ncd<!--#endfor-->z"), "ab\r\ncd<!--#endfor-->" + error_at(2, 17) + "z");
}

TEST_F(vti_test, FailedOpeningOutputsBlockOnceAsText) {
    // Nested blocks stay as written; echo is still carried out.
    EXPECT_EQ(run("<!--#for var=\"nope\"-->[<!--#echo var=\"text\"--><!--#for var=\"item\"-->]"
                  "<!--#endfor-->.<!--#endfor-->"),
              error_at(1, 22) + "[A<!--#for var=\"item\"-->]<!--#endfor-->.");
    EXPECT_EQ(run("<!--#for-->x<!--#endfor-->"), error_at(1, 11) + "x");
}

TEST_F(vti_test, LoopClosedWithoutAnyListDropsItsBody) {
    // The for is only collected (inside the if), so the endfor that closes
    // the collecting has no list to loop over: nothing runs, nothing breaks.
    rendered r = render(
        "a<!--#if var=\"item\"-->b<!--#for var=\"text\"-->c<!--#endif-->d<!--#endfor-->e", vars);
    EXPECT_EQ(r.text, "ae");
    EXPECT_EQ(r.result, 2);
}

TEST_F(vti_test, ErrorPositionsInBodyCountFromTheBody) {
    // In every turn the body starts again at line 1.
    EXPECT_EQ(
        run("\n\n<!--#for var=\"short\"-->\n<!--#if var=\"nope\"-->x<!--#endif--><!--#endfor-->"),
        "\n\n" + ("\n" + error_at(2, 22) + "x") + ("\n" + error_at(2, 22) + "x"));
}

TEST_F(vti_test, UnfinishedBlockReturnsThreeAndKeepsTrailingText) {
    rendered r = render("a<!--#for var=\"item\"-->body<!--#echo var=\"text\"-->tail", vars);
    EXPECT_EQ(r.result, 3);
    EXPECT_EQ(r.text, "atail");
    r = render("<!--#if var=\"open\"-->x<!--#else-->y", vars);
    EXPECT_EQ(r.result, 3);
    EXPECT_EQ(r.text, "y");
}

TEST_F(vti_test, ChunkBoundariesDoNotChangeOutput) {
    const std::string tmpl =
        "<h1>T</h1>\n<!--#for var=\"open\"--><!--#if var=\"open\"--><b><!--#echo var='text'-->"
        "</b><!--#else--><!--#echo var=\"short\"--><!--#endif--><!--#endfor-->\n"
        "<!--#echo var=\"a\\\"-->\"--><!--#endif--><!--#echo var=\"item\"-->end";
    const rendered whole = render(tmpl, vars);
    for (size_t split = 1; split < tmpl.size(); ++split) {
        vti engine(vars);
        engine.add(std::string_view(tmpl).substr(0, split));
        ASSERT_EQ(engine.process(), 0);
        engine.add(std::string_view(tmpl).substr(split));
        ASSERT_EQ(engine.process(), 0);
        engine.mark_end();
        EXPECT_EQ(engine.process(), whole.result);
        std::vector<vtstring> out;
        engine.take_output(out);
        std::string text;
        for (const vtstring& s : out) text += s.view();
        EXPECT_EQ(text, whole.text) << "split at " << split;
    }
    EXPECT_EQ(render(tmpl, vars, 1).text, whole.text);
}

TEST_F(vti_test, DeeplyNestedBlocksRun) {
    const int depth = 1000;
    std::string tmpl;
    for (int i = 0; i < depth; ++i) tmpl += "<!--#if var=\"item\"-->(";
    tmpl += "<!--#echo var=\"text\"-->";
    for (int i = 0; i < depth; ++i) tmpl += ")<!--#endif-->";
    rendered r = render(tmpl, vars);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(r.text, std::string(depth, '(') + "A" + std::string(depth, ')'));
}

TEST_F(vti_test, InputAtTheSizeLimitStopsTheRun) {
    std::string big(vti_scanner::size_limit - 1, 'x');
    {
        vti engine(vars);
        engine.add(big);
        EXPECT_EQ(engine.process(), 0);
        engine.add("y");
        EXPECT_EQ(engine.process(), 1);
    }
    big += "<!--#echo var=\"text\"-->";
    EXPECT_EQ(render(big, vars).result, 1);
}

// Generated templates whose blocks mostly nest, with now and then a stray
// or missing directive, a variable that is missing or empty, an else in a
// loop or a branch of several: each gives with plans what it gives without.
TEST_F(vti_test, PlansGiveWhatTheRunnerGives) {
    std::mt19937 random(7);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* names[] = {"item", "text", "open", "short", "empty", "none"};
    const auto var = [&] { return std::string(" var=\"") + names[pick(6)] + "\"-->"; };
    std::function<void(std::string&, int)> body = [&](std::string& out, int depth) {
        for (int n = pick(5); n > 0; --n) {
            switch (pick(depth < 4 ? 9 : 4)) {
                case 0:
                    out += "<li>";
                    break;
                case 1:
                    out += "<!--#echo" + var();
                    break;
                case 2:
                    out += pick(8) ? "x" : "<!--#else-->";
                    break;
                case 3:
                    out += pick(10) ? "\n" : (pick(2) ? "<!--#endif-->" : "<!--#endfor-->");
                    break;
                case 4:
                case 5:
                    out += "<!--#if" + var();
                    body(out, depth + 1);
                    for (int e = pick(3); e > 0; --e) body(out += "<!--#else-->", depth + 1);
                    if (pick(20)) out += "<!--#endif-->";
                    break;
                default:
                    out += "<!--#for" + var();
                    body(out, depth + 1);
                    if (pick(20)) out += "<!--#endfor-->";
                    break;
            }
        }
    };
    int planned = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string tmpl = "<!--#for var=\"item\"-->";
        body(tmpl, 1);
        tmpl += "<!--#endfor-->";
        const rendered with = render(tmpl, vars);
        vti_plan::use(false);
        const rendered without = render(tmpl, vars);
        vti_plan::use(true);
        ASSERT_EQ(with.text, without.text) << tmpl;
        ASSERT_EQ(with.result, without.result) << tmpl;
        const vti_source source(tmpl.substr(22, tmpl.size() - 36), vars);
        if (const vti_plan* plan = source.whole().plan(); plan && plan->runs()) ++planned;
    }
    EXPECT_GT(planned, 1000);  // most of them ran as plans
}

// A block lookup remembers its answers in a small table; every answer must
// be what a lookup that remembers nothing gives. Each part of a question
// (the token, the end, the two depths) is swept in turn over more values
// than the table has entries, so that questions differing in that part
// alone meet in one entry, over blocks nested deep enough that their
// answers differ. (Not from token 0 at depth 0: an empty entry looks like
// that question to a lookup that ignores the end.)
TEST(vti_blocks, RememberedStopsAreThoseOfAFreshLookup) {
    std::vector<vti_token> tokens;
    const auto add = [&](vti_code code, int times) {
        for (int i = 0; i < times; ++i) tokens.push_back({0, 0, true, {code, nullptr}});
    };
    add(VTI_IF, 80);
    add(VTI_FOR, 80);
    add(VTI_ENDFOR, 80);
    add(VTI_ENDIF, 80);
    add(VTI_IF, 1);
    add(VTI_ELSE, 130);
    add(VTI_ENDIF, 1);
    const auto n = static_cast<uint32_t>(tokens.size());
    const vti_blocks remembering(tokens);
    const auto expect_fresh = [&](uint32_t t, uint32_t end, int32_t if_depth, int32_t for_depth) {
        ASSERT_EQ(remembering.next_stop(t, end, if_depth, for_depth),
                  vti_blocks(tokens).next_stop(t, end, if_depth, for_depth))
            << "token " << t << ", end " << end << ", depths " << if_depth << " " << for_depth;
    };
    for (uint32_t end = 2; end <= n; ++end) expect_fresh(1, end, 1, 0);
    for (int32_t depth = 0; depth < 130; ++depth) expect_fresh(160, n, depth, 80);
    for (int32_t depth = 0; depth < 130; ++depth) expect_fresh(160, n, 80, depth);
    for (uint32_t t = 321; t < n; ++t) expect_fresh(t, n, remembering.ifs(t), remembering.fors(t));
}

}  // namespace
