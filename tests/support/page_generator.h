// Random but valid-looking HTML pages for property tests, deterministic from
// a seed: nested blocks, headings h1 to h6 (some with old numbers or author
// anchors), inline tags, entities, comments, stray end tags and a few
// unclosed elements.
#pragma once

#include <random>
#include <string>

struct page_options {
    bool numbers = true;      // old numbers in front of some headings
    bool navigation = false;  // navigation comments
    bool placeholder = true;  // a "<!-- toc -->" somewhere
    bool body = true;         // a body element
};

inline std::string generate_page(unsigned seed, const page_options& options = {}) {
    std::mt19937 rnd(seed);
    auto pick = [&](int n) { return static_cast<int>(rnd() % static_cast<unsigned>(n)); };
    static const char* words[] = {"alpha",       "beta &amp; gamma", "x &lt; y",
                                  "caf\xc3\xa9", "tab\there",        "line\r\nbreak",
                                  "quote\"d",    "  spaced  ",       "42"};
    auto text = [&] {
        std::string t;
        for (int i = 0, n = 1 + pick(4); i < n; ++i) t += std::string(words[pick(9)]) + " ";
        return t;
    };
    std::string page = "<!DOCTYPE html>\n<html><head><title>" + text() + "</title></head>\n";
    if (options.body) page += "<body class=\"doc\">\n";
    int blocks = 5 + pick(30);
    bool placed = false;
    for (int i = 0; i < blocks; ++i) {
        switch (pick(10)) {
            case 0:
            case 1:
            case 2: {
                int level = 1 + pick(6);
                std::string h = "h" + std::to_string(level);
                std::string content = text();
                if (options.numbers && pick(3) == 0)
                    content = std::to_string(1 + pick(9)) + "." + std::to_string(pick(9)) + ". " +
                              content;
                if (pick(4) == 0)
                    content = "<a name=\"own" + std::to_string(i) + "\">" + content + "</a>";
                if (pick(5) == 0) content = "<i>" + content + "</i> more";
                page += "<" + (pick(6) == 0 ? std::string("H") + std::to_string(level) : h) + ">" +
                        content + "</" + h + ">\n";
                break;
            }
            case 3:
                page += "<div><p>" + text() + "<b>bold</b> 1 < 2</p>\n<div>" + text() +
                        "</div></div>\n";
                break;
            case 4:
                page += "<!-- a comment > with a greater-than -->\n";
                break;
            case 5:
                page += "<table><tr><td>" + text() +
                        "</td><td><h3>cell heading</h3></td></tr></table>\n";
                break;
            case 6:
                page += "<pre><code>if (a < b && c > d) {}\n</code></pre>\n";
                break;
            case 7:
                page += "</span><ul><li>" + text() + "<li>open item</ul>\n";
                break;
            case 8:
                if (options.placeholder && !placed) {
                    page += "<!--  TOC  -->\n";
                    placed = true;
                } else if (options.navigation) {
                    static const char* nav[] = {"<!--#velt_toc_nav_this-->",
                                                "<!--#velt_toc_nav_next link_last=\"1\"-->",
                                                "<!--#velt_toc_nav_parent-->"};
                    page += std::string(nav[pick(3)]) + "\n";
                }
                break;
            default:
                page += "<p>" + text() + "<img src=\"a.png\"><br/>&nbsp;</p>\n";
                break;
        }
    }
    if (options.body) page += "</body>";
    page += "</html>\n";
    return page;
}
