// markup_context: where a browser stands while it reads a page's bytes.
//
// The HTML reader ends every comment and every tag at its first '>', quotes
// or not, and reads the inside of a script or style element as markup. A
// browser does neither: `<!-- a -> <!--x--> -->` is one comment,
// `<p title="a>b <!--x-->">` one tag, and `<script>"<!--x-->"</script>` one
// script. Fed the bytes of a page in order, this tracker follows the
// browser's view closely enough to tell whether a comment the reader found
// stands in the page's text, where a browser reads it as a comment of its
// own.
//
// It knows text, tags with their quoted and unquoted attribute values,
// comments (ended by "-->" or "--!>", or at once by "<!-->" and "<!--->"),
// bogus comments ("<!...", "<?...", "</ ..." up to '>'), and the raw-text
// elements whose content ends only at their own end tag (script, style,
// textarea, title, xmp, iframe, noembed, noframes).
#pragma once

#include <cstdint>
#include <string_view>

class markup_context {
  public:
    // True when the next byte is read as text, outside any tag, comment or
    // raw-text element.
    bool in_text() const { return state_ == state::text; }
    // Reads bytes that follow the ones read so far.
    void read(std::string_view bytes);

  private:
    enum class state : uint8_t {
        text,
        tag_open,      // "<"
        end_tag_open,  // "</"
        bang,          // "<!"
        bang_dash,     // "<!-"
        comment_start,
        comment_start_dash,
        comment,
        comment_end_dash,
        comment_end,
        comment_end_bang,
        bogus_comment,
        tag_name,
        in_tag,
        before_value,
        unquoted_value,
        double_quoted,
        single_quoted,
        raw_text,
        raw_less,      // "<" in raw text
        raw_end_name,  // "</" and part of the element's name in raw text
    };

    // Reads one byte; false when the byte must be read again in the new state.
    bool step(char c);
    void end_tag();
    // Skips to the next byte that can change the state; returns its index.
    size_t skip(std::string_view bytes, size_t at) const;
    // Reads from at while the state is inside a tag (tag_name up to
    // single_quoted, in that order); returns the index of the first byte
    // not read.
    size_t read_tag(std::string_view bytes, size_t at);
    bool begin_tag(std::string_view bytes, size_t& at);
    // Starts reading a tag's name; a start tag's name is kept anew.
    void start_name(bool end_tag);
    // Adds part of a start tag's name (lower case) to name_, as far as it
    // has room.
    void keep_name(std::string_view part);

    state state_ = state::text;
    bool end_tag_ = false;
    // The start tag's name while it is read (lower case), and the raw-text
    // element's name while its content is read; longer names are no raw-text
    // element's.
    char name_[9] = {};
    uint8_t name_length_ = 0;
    bool name_too_long_ = false;
    uint8_t matched_ = 0;  // bytes of the raw-text name matched after "</"
};
