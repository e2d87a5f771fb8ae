#include "html/html_references.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace {

// Runs of named references to consecutive code points; "-" skips one.
struct reference_run {
    uint32_t first;
    const char* names;
};

constexpr reference_run reference_runs[] = {
    {34, "quot"},
    {38, "amp apos"},
    {60, "lt - gt"},
    {160,
     "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg "
     "plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest "
     "Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute "
     "Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml "
     "Yacute THORN szlig agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc "
     "euml igrave iacute icirc iuml eth ntilde ograve oacute ocirc otilde ouml divide oslash "
     "ugrave uacute ucirc uuml yacute thorn yuml"},
    {338, "OElig oelig"},
    {352, "Scaron scaron"},
    {376, "Yuml"},
    {402, "fnof"},
    {710, "circ"},
    {732, "tilde"},
    {913,
     "Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota Kappa Lambda Mu Nu Xi Omicron Pi Rho - "
     "Sigma Tau Upsilon Phi Chi Psi Omega"},
    {945,
     "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi rho "
     "sigmaf sigma tau upsilon phi chi psi omega"},
    {977, "thetasym upsih"},
    {982, "piv"},
    {8194, "ensp emsp"},
    {8201, "thinsp"},
    {8204, "zwnj zwj lrm rlm"},
    {8211, "ndash mdash"},
    {8216, "lsquo rsquo sbquo"},
    {8220, "ldquo rdquo bdquo"},
    {8224, "dagger Dagger bull"},
    {8230, "hellip"},
    {8240, "permil"},
    {8242, "prime Prime"},
    {8249, "lsaquo rsaquo"},
    {8254, "oline"},
    {8260, "frasl"},
    {8364, "euro"},
    {8465, "image"},
    {8472, "weierp"},
    {8476, "real"},
    {8482, "trade"},
    {8501, "alefsym"},
    {8592, "larr uarr rarr darr harr"},
    {8629, "crarr"},
    {8656, "lArr uArr rArr dArr hArr"},
    {8704, "forall - part exist - empty - nabla isin notin - ni"},
    {8719, "prod - sum minus"},
    {8727, "lowast"},
    {8730, "radic"},
    {8733, "prop infin - ang"},
    {8743, "and or cap cup int"},
    {8756, "there4"},
    {8764, "sim"},
    {8773, "cong"},
    {8776, "asymp"},
    {8800, "ne equiv"},
    {8804, "le ge"},
    {8834, "sub sup nsub"},
    {8838, "sube supe"},
    {8853, "oplus"},
    {8855, "otimes"},
    {8869, "perp"},
    {8901, "sdot"},
    {8968, "lceil rceil lfloor rfloor"},
    {9001, "lang rang"},
    {9674, "loz"},
    {9824, "spades"},
    {9827, "clubs"},
    {9829, "hearts diams"},
};

const std::unordered_map<std::string_view, uint32_t>& named_references() {
    static const auto table = [] {
        std::unordered_map<std::string_view, uint32_t> t;
        for (const reference_run& run : reference_runs) {
            const std::string_view names = run.names;
            uint32_t cp = run.first;
            for (size_t at = 0; at < names.size(); ++cp) {
                const size_t end = std::min(names.find(' ', at), names.size());
                if (names.substr(at, end - at) != "-") t.emplace(names.substr(at, end - at), cp);
                at = end + 1;
            }
        }
        return t;
    }();
    return table;
}

bool is_ascii_alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int digit_value(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The reference at text[at] ('&'): its code point and length, or 0.
size_t read_reference(std::string_view text, size_t at, uint32_t& cp) {
    size_t i = at + 1;
    if (i < text.size() && text[i] == '#') {
        const bool hex = i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X');
        i += hex ? 2 : 1;
        const size_t digits = i;
        uint64_t value = 0;
        for (int d; i < text.size() && (d = digit_value(text[i], hex)) >= 0; ++i)
            value = std::min<uint64_t>(value * (hex ? 16 : 10) + d, 0x110000);
        if (i == digits) return 0;
        if (i < text.size() && text[i] == ';') ++i;
        const bool bad = value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
        cp = bad ? 0xFFFD : static_cast<uint32_t>(value);
        return i - at;
    }
    while (i < text.size() && i - at <= 10 && is_ascii_alnum(text[i])) ++i;
    if (i >= text.size() || text[i] != ';') return 0;
    const auto found = named_references().find(text.substr(at + 1, i - at - 1));
    if (found == named_references().end()) return 0;
    cp = found->second;
    return i + 1 - at;
}

}  // namespace

void append_utf8(uint32_t cp, vtstring& out) {
    char bytes[4];
    int n = 0;
    if (cp < 0x80) {
        bytes[n++] = static_cast<char>(cp);
    } else if (cp < 0x800) {
        bytes[n++] = static_cast<char>(0xC0 | (cp >> 6));
        bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        bytes[n++] = static_cast<char>(0xE0 | (cp >> 12));
        bytes[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        bytes[n++] = static_cast<char>(0xF0 | (cp >> 18));
        bytes[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
    out.append(std::string_view(bytes, static_cast<size_t>(n)));
}

void append_html_decoded(std::string_view text, vtstring& out) {
    size_t copied = 0;
    for (size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at + 1)) {
        uint32_t cp = 0;
        const size_t length = read_reference(text, at, cp);
        if (!length) continue;
        out.append(text.substr(copied, at - copied));
        append_utf8(cp, out);
        copied = at + length;
        at = copied - 1;
    }
    out.append(text.substr(copied));
}
