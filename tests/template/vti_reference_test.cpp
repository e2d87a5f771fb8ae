// The engine replays body tokens instead of splitting every body again for
// every turn. This suite checks that against a plain engine that does exactly
// that: a fresh instance per body run, fed the collected strings.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "template/vti.h"
#include "template/vti_directives.h"
#include "template/vti_state.h"

namespace {

class plain_engine : public vti_scanner {
  public:
    plain_engine(const vti_variables& vars, int32_t index, std::string& out)
        : vars_(vars), state_(index), out_(out) {}

  protected:
    void on_piece(std::string_view bytes, bool last) override {
        if (last)
            out_ += bytes;
        else
            pass(bytes);
    }
    void on_token(std::string_view bytes, bool directive) override {
        const vti_directive parsed = directive ? vti_read_directive(bytes, vars_) : vti_directive{};
        const vti_decision d = state_.apply(parsed);
        if (d.pass) pass(bytes);
        if (d.value) out_ += d.value->text();
        if (d.error) out_ += vti_error_text(line(), column());
        if (!d.run) return;
        for (int32_t turn = 0; turn < d.turns; ++turn) {
            plain_engine body(vars_, d.loop ? turn : state_.index(), out_);
            for (const std::string& piece : collected_) {
                body.add(piece);
                body.run();
            }
            body.set_input_complete();
            body.run();
        }
        collected_.clear();
    }
    int end_result() override { return state_.mode() == vti_mode::output ? 2 : 3; }

  private:
    void pass(std::string_view bytes) {
        if (state_.mode() == vti_mode::output)
            out_ += bytes;
        else if (state_.mode() == vti_mode::capture)
            collected_.emplace_back(bytes);
    }

    const vti_variables& vars_;
    vti_state state_;
    std::string& out_;
    std::vector<std::string> collected_;
};

std::string plain_render(const std::string& tmpl, const vti_variables& vars, int& result) {
    std::string out;
    plain_engine engine(vars, 0, out);
    engine.add(tmpl);
    engine.run();
    engine.set_input_complete();
    result = engine.run();
    return out;
}

std::string render(const std::string& tmpl, const vti_variables& vars, int& result) {
    vti engine(vars);
    engine.add(tmpl);
    engine.process();
    engine.mark_end();
    result = engine.process();
    std::vector<vtstring> out;
    engine.take_output(out);
    std::string text;
    for (const vtstring& s : out) text += s.view();
    return text;
}

class vti_replay : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int v : {1, 0, 2, 0, 3}) vars["open"].push_back(vtval(v));
        for (const char* t : {"a", "b<", "\n"}) vars["text"].push_back(vtval(t));
        vars["one"].push_back(vtval(1));
        vars["none"];
    }
    void expect_same(const std::string& tmpl) {
        int expected_result = 0;
        int result = 0;
        const std::string expected = plain_render(tmpl, vars, expected_result);
        ASSERT_EQ(render(tmpl, vars, result), expected) << tmpl;
        ASSERT_EQ(result, expected_result) << tmpl;
    }
    vti_variables vars;
};

TEST_F(vti_replay, BodiesThatEndInsideABlock) {
    // A closing directive of the other kind inside a block leaves the body
    // it collects unbalanced: its instance ends in capture or skip mode, and
    // only the text after the last '<' is output.
    expect_same("<!--#for var=\"open\"--><!--#if var=\"open\"--><!--#endfor-->a<b>c<!--#endif-->");
    expect_same(
        "<!--#for var=\"open\"--><!--#if var=\"open\"-->\n<!--#endfor-->"
        "x<!--#else-->y<i>z<!--#endif-->");
    expect_same("<!--#if var=\"one\"--><!--#for var=\"text\"--><!--#endif-->p<q<r><!--#endfor-->");
}

TEST_F(vti_replay, RandomTemplates) {
    const std::vector<std::string> pieces = {
        "<!--#for var=\"open\"-->",
        "<!--#for var=\"text\"-->",
        "<!--#for var=\"one\"-->",
        "<!--#for var=\"nope\"-->",
        "<!--#endfor-->",
        "<!--#endfor-->",
        "<!--#if var=\"open\"-->",
        "<!--#if var=\"text\"-->",
        "<!--#if var=\"none\"-->",
        "<!--#else-->",
        "<!--#else-->",
        "<!--#endif-->",
        "<!--#endif-->",
        "<!--#echo var=\"open\"-->",
        "<!--#echo var=\"text\"-->",
        "<!--#x-->",
        "x",
        "\n",
        "<b>",
        "<",
        "<!--",
        "-->",
        "\"",
        "<>",
        "yz\r\n",
        "<!--#echo var=\"text",
    };
    std::mt19937 random(20260);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    // Short templates, then long ones whose bodies nest several blocks deep
    // (crossed in one step by the instances that only collect them).
    for (const auto& [rounds, longest] : {std::pair{20000, 16}, std::pair{2000, 80}}) {
        std::uniform_int_distribution<int> length(1, longest);
        for (int round = 0; round < rounds; ++round) {
            std::string tmpl;
            for (int n = length(random); n > 0; --n) tmpl += pieces[pick(random)];
            expect_same(tmpl);
            if (HasFatalFailure()) return;
        }
    }
}

}  // namespace
