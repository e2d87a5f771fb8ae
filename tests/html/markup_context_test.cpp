#include "html/markup_context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct context_case {
    std::string bytes;
    bool in_text;  // after all of them
};

// Whether the bytes leave the tracker in text, read in the given pieces.
bool in_text_after(const std::vector<std::string_view>& pieces) {
    markup_context context;
    for (const std::string_view piece : pieces) context.read(piece);
    return context.in_text();
}

}  // namespace

// Every case is read whole, in two pieces split at every byte, and a byte at
// a time: a tag, a value or a comment cut anywhere goes on where it stopped.
TEST(markup_context, SameStateHoweverTheBytesArriveInPieces) {
    const context_case cases[] = {
        {"", true},
        {"a < b", true},
        {"x<", false},
        {"<p>", true},
        {"<p", false},
        {"<P CLASS=intro>text", true},
        {"<br/>", true},
        {"<p title=\"a>b", false},
        {"<p title=\"a>b\">", true},
        {"<p title='a>b\"'>", true},
        {"<p title='a\">b'", false},
        {"<p a = \"x\" >", true},
        {"<p a=x\"y>", true},
        {"<p a\"b>", true},
        {"<p a=>", true},
        {"<p a=b c", false},
        {"</p>", true},
        {"</p title=\"a>b\">", true},
        {"</ p", false},
        {"</ p>", true},
        {"</>", true},
        {"<script>", false},
        {"<script><p></script>", true},
        {"<SCRIPT>x", false},
        {"<SCRIPT>x</Script >", true},
        {"<noframes>x", false},
        {"<script>x</script", false},
        {"<script>x</scriptx>", false},
        {"<script>x</ script>", false},
        {"<scripts>", true},
        {"<noframesx>", true},
        {"<textarea/>", false},
        {"<style a=\"</style>\">p{}", false},
        {"<xmp>a</XMP>", true},
        {"<!-- a -> b -->", true},
        {"<!-- a -> b", false},
        {"<!-- a --", false},
        {"<!-- a -- > b -->", true},
        {"<!-->", true},
        {"<!--->", true},
        {"<!-- x --!>", true},
        {"<!-- x --!-->", true},
        {"<!x>", true},
        {"<!-x>", true},
        {"<?php echo '>' ?>", true},
    };
    for (const context_case& c : cases) {
        const std::string_view bytes = c.bytes;
        EXPECT_EQ(in_text_after({bytes}), c.in_text) << c.bytes;
        for (size_t at = 1; at < bytes.size(); ++at)
            EXPECT_EQ(in_text_after({bytes.substr(0, at), bytes.substr(at)}), c.in_text)
                << c.bytes << " split at " << at;
        std::vector<std::string_view> single;
        for (size_t at = 0; at < bytes.size(); ++at) single.push_back(bytes.substr(at, 1));
        EXPECT_EQ(in_text_after(single), c.in_text) << c.bytes << " a byte at a time";
    }
}
