#include "site_generator.h"

#include <cstdio>
#include <fstream>

std::string site_page_name(int number);

namespace {

// splitmix64: small, fast and specified bit for bit.
class random_source {
  public:
    explicit random_source(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }

  private:
    uint64_t state_;
};

const char* const words[] = {
    "table",  "contents", "heading", "anchor", "section", "page",    "site",     "build",
    "number", "level",    "link",    "file",   "project", "marker",  "template", "render",
    "value",  "option",   "the",     "a",      "of",      "and",     "to",       "in",
    "is",     "with",     "for",     "each",   "every",   "chapter", "index",    "user",
    "window", "batch",    "command", "output", "source",  "tree",    "node",     "text",
};
const char* const entities[] = {"&amp;", "&lt;", "&gt;", "&nbsp;", "&quot;", "&#169;", "&eacute;"};
const char* const utf8_words[] = {"caf\xc3\xa9", "na\xc3\xafve",
                                  "\xc3\xbc"
                                  "ber",
                                  "\xe2\x80\x94"};

class page_writer {
  public:
    page_writer(uint64_t seed, int number, int count)
        : rnd_(seed * 1000003 + number), number_(number), count_(count) {}

    std::string make(size_t target) {
        head();
        out_ += "<body>\n<!--#velt_toc_nav_parent-->\n<div class=\"page\">\n";
        out_ += "<!--#velt_toc_nav_this-->\n";
        heading_ = 0;
        while (out_.size() + 200 < target) section(1);
        out_ += "<!--#velt_toc_nav_next-->\n</div>\n";
        out_ += "<!-- page footer -->\n<p class=\"footer\">Generated page ";
        out_ += std::to_string(number_);
        out_ += " &copy; Orvane</p>\n</body>\n</html>\n";
        return std::move(out_);
    }

  private:
    void word() {
        const int pick = rnd_.below(100);
        if (pick < 3)
            out_ += utf8_words[rnd_.below(4)];
        else
            out_ += words[rnd_.below(static_cast<int>(sizeof words / sizeof *words))];
    }
    void sentence(int n) {
        for (int i = 0; i < n; ++i) {
            if (i) out_ += ' ';
            const int pick = rnd_.below(100);
            if (pick < 4) {
                out_ += "<a href=\"";
                out_ += site_page_name(rnd_.below(count_ > 0 ? count_ : 1));
                out_ += "#h";
                out_ += std::to_string(rnd_.below(50));
                out_ += "\">";
                word();
                out_ += "</a>";
            } else if (pick < 7) {
                out_ += "<em>";
                word();
                out_ += "</em>";
            } else if (pick < 9) {
                out_ += "<code>";
                word();
                out_ += "()</code>";
            } else if (pick < 11) {
                out_ += "<strong>";
                word();
                out_ += "</strong>";
            } else if (pick < 14) {
                out_ += entities[rnd_.below(7)];
            } else {
                word();
            }
        }
        out_ += '.';
    }
    void head() {
        out_ +=
            "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head>\n";
        out_ += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";
        out_ += "<title>";
        sentence(4);
        out_ += "</title>\n<link rel=\"stylesheet\" href=\"style.css\" type=\"text/css\">\n";
        out_ +=
            "<style type=\"text/css\">\nbody { margin: 0 } pre > code { color: #333 }\n</style>\n";
        out_ += "</head>\n";
    }
    void heading(int level) {
        const char digit = static_cast<char>('0' + level);
        out_ += "<h";
        out_ += digit;
        if (rnd_.chance(20)) out_ += " class=\"title\"";
        out_ += '>';
        if (rnd_.chance(40)) {
            out_ += "<a name=\"h";
            out_ += std::to_string(heading_);
            out_ += "\"></a>";
        }
        ++heading_;
        sentence(3 + rnd_.below(4));
        out_ += "</h";
        out_ += digit;
        out_ += ">\n";
    }
    void paragraph() {
        out_ += rnd_.chance(30) ? "<P>" : "<p>";
        sentence(15 + rnd_.below(40));
        if (rnd_.chance(50)) out_ += "</p>";  // often left open, as in real pages
        out_ += '\n';
    }
    void list() {
        out_ += "<ul>\n";
        for (int i = 2 + rnd_.below(6); i > 0; --i) {
            out_ += "  <li>";
            sentence(4 + rnd_.below(10));
            if (rnd_.chance(70)) out_ += "</li>";
            out_ += '\n';
        }
        out_ += "</ul>\n";
    }
    void table() {
        out_ += "<table border=1 cellpadding=\"2\">\n<tr><th>Name</th><th>Value</th></tr>\n";
        for (int i = 2 + rnd_.below(8); i > 0; --i) {
            out_ += "<tr><td>";
            word();
            out_ += "</td><td align=right>";
            out_ += std::to_string(rnd_.below(100000));
            out_ += "</td></tr>\n";
        }
        out_ += "</table>\n";
    }
    void code_block() {
        out_ += "<pre><code>";
        for (int i = 1 + rnd_.below(12); i > 0; --i) {
            out_ += "  if (a &lt; b &amp;&amp; ";
            word();
            out_ += ") { x = ";
            out_ += std::to_string(rnd_.below(1000));
            out_ += "; }\n";
        }
        out_ += "</code></pre>\n";
    }
    void section(int level) {
        const bool div = level == 1 || rnd_.chance(60);
        if (div) out_ += "<div class=\"section\">\n";
        heading(level);
        for (int i = 1 + rnd_.below(5); i > 0; --i) {
            const int pick = rnd_.below(100);
            if (pick < 60)
                paragraph();
            else if (pick < 72)
                list();
            else if (pick < 80)
                table();
            else if (pick < 90)
                code_block();
            else if (pick < 95)
                out_ += "<!-- note: check this part -->\n";
            else
                out_ += "<img src=\"figure.png\" alt=\"figure\"><br>\n";
        }
        if (level < 6 && rnd_.chance(55)) section(level + 1);
        if (div) out_ += "</div>\n";
    }

    random_source rnd_;
    int number_;
    int count_;
    int heading_ = 0;
    std::string out_;
};

}  // namespace

std::string site_page_name(int number) {
    if (number == 0) return "index.html";
    char name[32];
    std::snprintf(name, sizeof name, "page%03d.html", number);
    return name;
}

std::string generate_page(uint64_t seed, size_t target_size, int page_number, int page_count) {
    return page_writer(seed, page_number, page_count).make(target_size);
}

bool generate_site(const std::string& folder, int page_count, size_t page_size, uint64_t seed) {
    for (int i = 0; i < page_count; ++i) {
        std::ofstream out(folder + "/" + site_page_name(i), std::ios::binary);
        const std::string page = generate_page(seed, page_size, i, page_count);
        out.write(page.data(), static_cast<std::streamsize>(page.size()));
        if (!out) return false;
    }
    return true;
}
